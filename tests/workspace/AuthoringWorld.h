#pragma once

// Files and texts for the catalogue authoring tests: a scratch folder, files written and read as bytes, golden
// files with the scratch folder put in, and a language table with fixed texts.

#include "core/MBLanguages.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace jvztest {

// A fresh folder, without trailing "/".
QString authoringScratch(const char* hint);

void putFile(const QString& path, const QByteArray& bytes);
QByteArray fileBytes(const QString& path);

// A golden file of tests/workspace/golden, with "@ROOT@" replaced by root.
QByteArray golden(const char* name, const QString& root);

// English texts of the authoring keys, as fixed by the tests (not the shipped file's).
jvz::MBLanguages authoringTexts(const char* section);

// The shipped language file, English.
jvz::MBLanguages shippedTexts();

// The clock of every golden pack: 3 February 2026, 14:05:09.
QDateTime fixedClock();

// The owner write bit, as the commands read it.
void setOwnerWritable(const QString& path, bool writable);

} // namespace jvztest

#include "FakeNotifier.h"
#include "core/AppSettings.h"
#include "workspace/ui/CatalogueAuthoring.h"

#include <QStringList>
#include <memory>

namespace jvztest {

// The authoring commands as the main window builds them, over a local folder, with the shipped texts.
struct AuthoringRig {
    explicit AuthoringRig(const QString& folder);

    jvz::AppSettings settings;
    jvz::MBLanguages language;
    FakeNotifier notifier;
    QString folder;
    QStringList selection;
    QString filter = QStringLiteral("*.M40");
    int refreshes = 0;
    std::unique_ptr<jvz::CatalogueAuthoring> authoring;
};

} // namespace jvztest
