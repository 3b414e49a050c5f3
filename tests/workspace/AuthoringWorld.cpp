#include "AuthoringWorld.h"

#include "Paths.h"
#include "TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace jvztest {

QString authoringScratch(const char* hint)
{
    return QString::fromStdString(makeScratchDir(hint));
}

void putFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(bytes);
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    return f.readAll();
}

QByteArray golden(const char* name, const QString& root)
{
    QFile f(sourceDir() + QStringLiteral("/tests/workspace/golden/") + QLatin1String(name));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    QByteArray bytes = f.readAll();
    bytes.replace("@ROOT@", QFile::encodeName(root));
    return bytes;
}

jvz::MBLanguages authoringTexts(const char* section)
{
    const QString path = authoringScratch("lng") + QStringLiteral("/texts.lng");
    putFile(path, "[General]\r\n"
                  "MSG_FamilyError=Missing file: ,Fichier absent : \r\n"
                  "MSG_FileNotFound=File not found,Fichier introuvable\r\n"
                  "MSG_WriteFileError=cannot be written,impossible\r\n"
                  "MSG_FolderNotFound=folder not found,dossier introuvable\r\n"
                  "MSG_ReadOnlyFile=is read-only,lecture seule\r\n"
                  "MSG_FamilyIsSource=is one of the catalogues,est une source\r\n"
                  "MSG_Content_HeaderFilename=; Pack:,; Paquet :\r\n"
                  "MSG_Content_HeaderDateTime=; Made:,; Fait :\r\n"
                  "MSG_Content_BodyCatalogue=; Catalogue:,; Catalogue :\r\n"
                  "MSG_Content_BodyFile=; File:,; Fichier :\r\n"
                  "MSG_SaveDuplicateError=Listed twice:,En double :\r\n"
                  "MSG_SaveContinue=Go on?,Continuer ?\r\n"
                  "MSG_SaveError=The pack is incomplete.,Paquet incomplet.\r\n"
                  "MSG_SaveListError=The pack cannot be written.,Paquet impossible.\r\n"
                  "MSG_CataloguePackCreated=Pack written:,Paquet :\r\n"
                  "MSG_CopyError=Cannot copy %fileToCopy% to,Copie impossible de %fileToCopy% vers\r\n"
                  "MSG_CatalogueCycle=Names itself:,Se nomme :\r\n"
                  "MSG_PackIsSource=is one of the files of the pack,source\r\n"
                  "MSG_PackSameName=Same name in the pack:,Même nom :\r\n"
                  "MSG_PackNameNotWritable=No exact name in a catalogue:,Pas de nom exact :\r\n");
    jvz::MBLanguages language;
    language.init(path, 1);
    language.SetCurrentSection(QLatin1String(section));
    return language;
}

jvz::MBLanguages shippedTexts()
{
    jvz::MBLanguages language;
    language.init(binDir() + QStringLiteral("/JVZ.lng"), 1);
    return language;
}

QDateTime fixedClock()
{
    return QDateTime(QDate(2026, 2, 3), QTime(14, 5, 9));
}

void setOwnerWritable(const QString& path, bool writable)
{
    QFile f(path);
    QFileDevice::Permissions p = f.permissions();
    // Qt sets the owner bit for either flag.
    p.setFlag(QFileDevice::WriteOwner, writable);
    p.setFlag(QFileDevice::WriteUser, writable);
    ASSERT_TRUE(f.setPermissions(p));
}

} // namespace jvztest

#include "platform/FileWriter.h"

namespace jvztest {

AuthoringRig::AuthoringRig(const QString& folderPath) : language(shippedTexts()), folder(folderPath)
{
    settings.gProgramFolder = folder;
    settings.gCataExtFile = QStringLiteral("JVZ.prm");
    jvz::CatalogueAuthoring::Context c;
    c.settings = &settings;
    c.language = &language;
    c.notifier = &notifier;
    c.writer = &jvz::AtomicFileWriter::standard();
    c.selection = [this] { return selection; };
    c.currentFolder = [this] { return folder + QLatin1Char('/'); };
    c.filterText = [this] { return filter; };
    c.filterItems = [] { return QStringList{"*.M40", "*.M30", "*.M??", "*.*"}; };
    c.productCodes = [] { return QStringList{"M30", "M40"}; };
    c.setFilterText = [this](const QString& text) { filter = text; };
    c.refreshLocalList = [this] { ++refreshes; };
    c.now = fixedClock;
    authoring = std::make_unique<jvz::CatalogueAuthoring>(c);
}

} // namespace jvztest
