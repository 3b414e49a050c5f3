#include "session/ui/ConnectionCombo.h"

#include "core/BatchRun.h"
#include "core/MBLanguages.h"
#include "platform/Notifier.h"
#include "session/ConnectionList.h"
#include "session/RasFunctions.h"

#include <QComboBox>

namespace jvz {

namespace {

void setComboText(QComboBox& combo, const QString& text)
{
    if (combo.isEditable())
        combo.setEditText(text);
    else
        combo.setCurrentIndex(combo.findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

void fill(QComboBox& combo, const QList<RasEntryItem>& entries, int32_t count, const QString& defaultName)
{
    const ConnectionListFill f = fillConnectionList(entries, count, defaultName);
    combo.clear();
    combo.addItems(f.names);
    if (!f.names.isEmpty()) {
        combo.setCurrentIndex(f.current);
        setComboText(combo, f.names.at(f.current));
    }
}

QString title(const ConnectionListContext& context)
{
    return context.owner ? context.owner->windowTitle() : QString();
}

bool offerCreation(const ConnectionListContext& context, const QString& question, const QString& path)
{
    if (context.notifier.message(question, title(context), MessageIcon::Information, MessageButtons::YesNo,
                                 context.owner) != MessageAnswer::Yes)
        return false;
    return context.createEntry && context.createEntry(context.owner, path) == 0;
}

void fillDefault(QComboBox& combo, const ConnectionListContext& context, bool mayOfferCreation)
{
    setComboText(combo, QString());
    QString path;
    const QString notFound = context.language.GetFormLabel(QStringLiteral("MSG_ConnectionNotFound"));
    if (!context.ras.GetPhonebookPath(path)) {
        if (context.batch.gBatchMode) {
            context.batch.set(BatchCode::ConnectionSetup, notFound + path);
            return;
        }
        if (!mayOfferCreation)
            return;
        const QString question =
            notFound + path + kCrLf + context.language.GetFormLabel(QStringLiteral("MSG_AskCreateConnection"));
        // Once created, the list is filled again (without a second offer, should the file still be missing).
        if (offerCreation(context, question, path))
            fillDefault(combo, context, false);
        return;
    }
    QList<RasEntryItem> entries;
    const int32_t count = context.ras.ListRasEntries(entries, path);
    if (count < 1) {
        if (!context.batch.gBatchMode)
            context.notifier.message(QStringLiteral("No entry in the phone book"), title(context),
                                     MessageIcon::Exclamation, MessageButtons::Ok, context.owner);
        return;
    }
    fill(combo, entries, count, context.connectionName);
}

} // namespace

void FillDefaultConnectionCombo(QComboBox& combo, const ConnectionListContext& context)
{
    fillDefault(combo, context, true);
}

void ReadRasPhoneIntoCombo(QComboBox& combo, const ConnectionListContext& context)
{
    const QString current = combo.currentText();
    QString path;
    if (context.ras.GetPhonebookPath(path) && context.ras.RasEntryExists(current, path)) {
        QList<RasEntryItem> entries;
        const int32_t count = context.ras.ListRasEntries(entries, path);
        fill(combo, entries, count, context.connectionName);
        return;
    }
    const QString question = context.language.GetFormLabel(QStringLiteral("MSG_ConnectionNotFound")) + path +
                             QLatin1Char('\'') + context.connectionName + QLatin1Char('\'') + kCrLf +
                             context.language.GetFormLabel(QStringLiteral("MSG_AskCreateConnection"));
    offerCreation(context, question, path);
}

} // namespace jvz
