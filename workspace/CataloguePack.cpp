#include "workspace/CataloguePack.h"

#include "core/Cp1252.h"
#include "core/MBLanguages.h"
#include "platform/FileWriter.h"
#include "platform/Notifier.h"
#include "terminal_files/CatalogList.h"
#include "workspace/AuthoringFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <algorithm>

namespace jvz {

namespace {
const QString kCrLf = QStringLiteral("\r\n");
} // namespace

QString PackFileNameFrom(const QString& chosenPath, const QString& filterText)
{
    QString name = FileNameOf(chosenPath);
    if (name.isEmpty() || name.contains(u'.'))
        return name;
    const qsizetype n = filterText.size();
    // The filter text read as the pattern "*.M??", case-sensitive.
    if (n >= 4 && filterText[n - 4] == u'.' && filterText[n - 3] == u'M') {
        QString extension = filterText;
        extension.remove(u'*');
        extension.replace(u'?', u'x');
        return name + extension.mid(extension.lastIndexOf(u'.'));
    }
    return name + QStringLiteral(".Mxx");
}

QString PackFolderFrom(const QString& chosenPath)
{
    if (chosenPath.isEmpty())
        return {};
    const QFileInfo info(chosenPath);
    QString folder = info.absolutePath();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    return folder + (dot < 0 ? name : name.left(dot)) + u'/';
}

bool IsPackCatalogue(const QString& name)
{
    const qsizetype n = name.size();
    if (n < 4 || name[n - 4] != u'.' || Cp1252::toUpper(name[n - 3]) != u'M')
        return false;
    if (Cp1252::toUpper(name[n - 1]) == u'X')
        return true;
    bool ok = false;
    const int number = name.right(2).toInt(&ok);
    return ok && name[n - 2].isDigit() && name[n - 1].isDigit() && number > 0;
}

CataloguePack::CataloguePack(Services services) : m_services(std::move(services)) {}

void CataloguePack::choosePath(const QString& path, const QString& filterText)
{
    PackPath = path;
    PackFolder = PackFolderFrom(path);
    PackName = PackFileNameFrom(path, filterText);
}

QString CataloguePack::text(const char* key) const
{
    return m_services.language ? m_services.language->GetFormLabel(QLatin1String(key)) : QString();
}

void CataloguePack::warn(const QString& message)
{
    if (m_services.notifier)
        m_services.notifier->message(message, m_services.title, MessageIcon::Exclamation, MessageButtons::Ok,
                                     m_services.owner);
}

bool CataloguePack::askContinue(const QString& message)
{
    if (!m_services.notifier)
        return false;
    return m_services.notifier->message(message, m_services.title, MessageIcon::Question, MessageButtons::YesNo,
                                        m_services.owner) == MessageAnswer::Yes;
}

QString CataloguePack::FindDuplicates() const
{
    QString report;
    QSet<QString> reported;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (reported.contains(entries[i]))
            continue;
        for (qsizetype j = i + 1; j < entries.size(); ++j) {
            if (entries[i] == entries[j]) {
                report += kCrLf + QStringLiteral("   ") + entries[i];
                reported.insert(entries[i]);
                break;
            }
        }
    }
    return report.isEmpty() ? report : text("MSG_SaveDuplicateError") + report;
}

void CataloguePack::collectPackFiles(const QString& entry, QStringList& expanding, QStringList& files) const
{
    if (!IsPackCatalogue(entry)) {
        files << entry;
        return;
    }
    for (const QString& open : expanding) {
        if (isSameFile(open, entry))
            return;
    }
    CatalogListReader reader;
    if (!QFileInfo(entry).isFile() || !reader.OpenTextFileForRead(entry))
        return;
    expanding << entry;
    const QString base = catalogBaseFolder(entry);
    const CatalogLineRules rules{CatalogLineRules::EmptyLines::SkipBlank, CatalogLineRules::DirectoryLines::AsFiles};
    while (!reader.AtEndOfStream()) {
        QString line;
        reader.ReadTextLine(line);
        if (classifyCatalogLine(line, rules) != CatalogLineKind::File)
            continue;
        const CatalogFileRef ref = resolveCatalogFile(line, base);
        if (ref.form != CatalogPathForm::Network)
            collectPackFiles(ref.localPath(), expanding, files);
    }
    expanding.removeLast();
}

QStringList CataloguePack::packFiles() const
{
    QStringList files;
    QStringList expanding;
    for (const QString& entry : entries)
        collectPackFiles(entry, expanding, files);
    return files;
}

QString CataloguePack::FindNameConflicts() const
{
    const QStringList files = packFiles();
    // Per name in the pack (upper case, as the catalogue writes it): its different sources, in the order first
    // met.
    QHash<QByteArray, QStringList> sources;
    QList<QByteArray> names;
    for (const QString& file : std::as_const(files)) {
        const QByteArray name = Cp1252::encode(Cp1252::toUpper(FileNameOf(file)));
        QStringList& same = sources[name];
        if (same.isEmpty())
            names << name;
        const bool known = std::any_of(same.cbegin(), same.cend(), [&](const QString& source) {
            return source == file || isSameFile(source, file);
        });
        if (!known)
            same << file;
    }
    QString report;
    for (const QByteArray& name : std::as_const(names)) {
        const QStringList& same = sources[name];
        if (same.size() < 2)
            continue;
        for (const QString& source : same)
            report += kCrLf + QStringLiteral("   ") + source;
    }
    return report.isEmpty() ? report : text("MSG_PackSameName") + report;
}

QString CataloguePack::FindInexactNames() const
{
    const auto exact = [](const QString& name) {
        bool lossless = false;
        Cp1252::encode(name, &lossless);
        return lossless;
    };
    QStringList listed;
    if (!exact(PackName))
        listed << PackFolder + PackName;
    for (const QString& file : packFiles()) {
        if (!exact(FileNameOf(file)) && !listed.contains(file))
            listed << file;
    }
    QString report;
    for (const QString& path : std::as_const(listed))
        report += kCrLf + QStringLiteral("   ") + path;
    return report.isEmpty() ? report : text("MSG_PackNameNotWritable") + report;
}

QString CataloguePack::headerLines() const
{
    const QDateTime now = m_services.now ? m_services.now() : QDateTime::currentDateTime();
    return text("MSG_Content_HeaderFilename") + u' ' + PackName + kCrLf + text("MSG_Content_HeaderDateTime") + u' ' +
           now.toString(QStringLiteral("MM-dd-yyyy HH:mm:ss"));
}

CataloguePack::SaveOutcome CataloguePack::SavePack()
{
    if (PackName.isEmpty() || PackFolder.isEmpty())
        return SaveOutcome::NoName;
    // A name the catalogue cannot write, or one name in the pack folder for two files: refused before anything
    // is copied.
    const QString inexact = FindInexactNames();
    if (!inexact.isEmpty()) {
        warn(text("MSG_SaveListError") + kCrLf + inexact);
        return SaveOutcome::Failed;
    }
    const QString conflicts = FindNameConflicts();
    if (!conflicts.isEmpty()) {
        warn(text("MSG_SaveListError") + kCrLf + conflicts);
        return SaveOutcome::Failed;
    }
    const QString duplicates = FindDuplicates();
    if (!duplicates.isEmpty() && !askContinue(duplicates + kCrLf + kCrLf + text("MSG_SaveContinue")))
        return SaveOutcome::Cancelled;

    auto failSave = [this](const QString& description) {
        if (m_services.setBusy)
            m_services.setBusy(false);
        warn(text("MSG_SaveListError") + kCrLf + description);
        return SaveOutcome::Failed;
    };
    if (!QFileInfo(PackFolder).isDir() && !QDir().mkdir(PackFolder))
        return failSave(PackFolder + QStringLiteral(" : ") + qt_error_string(errno));

    PackFailed = false;
    m_sources.clear();
    QString content = headerLines();
    if (m_services.setBusy)
        m_services.setBusy(true);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QString& entry = entries[i];
        content += IsPackCatalogue(entry) ? ExpandCatalogue(entry, PackFolder) : CopyFileToPack(entry, PackFolder);
        if (!PackFailed)
            continue;
        if (m_services.selectEntry)
            m_services.selectEntry(int(i));
        if (!askContinue(text("MSG_SaveError") + kCrLf + kCrLf + text("MSG_SaveContinue"))) {
            if (m_services.setBusy)
                m_services.setBusy(false);
            return SaveOutcome::Cancelled;
        }
        PackFailed = false;
    }

    const QString packFile = PackFolder + PackName;
    // The pack catalogue never replaces a file the pack was made from.
    for (const QString& source : m_sources) {
        if (isSameFile(source, packFile))
            return failSave(packFile + QStringLiteral(" : ") + text("MSG_PackIsSource"));
    }
    FileWriteError error;
    if (!m_services.writer->writeAll(packFile, Cp1252::encode(content), &error))
        return failSave(packFile + QStringLiteral(" : ") + error.text);
    if (m_services.setBusy)
        m_services.setBusy(false);
    if (m_services.notifier)
        m_services.notifier->message(text("MSG_CataloguePackCreated") + u' ' + packFile, m_services.title,
                                     MessageIcon::Information, MessageButtons::Ok, m_services.owner);
    return SaveOutcome::Written;
}

QString CataloguePack::ExpandCatalogue(const QString& catalogPath, const QString& packFolder)
{
    if (!QFileInfo(catalogPath).isFile()) {
        warn(text("MSG_FileNotFound") + u' ' + catalogPath);
        PackFailed = true;
        return {};
    }
    for (const QString& open : m_expanding) {
        if (isSameFile(open, catalogPath)) {
            warn(text("MSG_CatalogueCycle") + u' ' + catalogPath);
            PackFailed = true;
            return {};
        }
    }
    CatalogListReader reader;
    if (!reader.OpenTextFileForRead(catalogPath)) {
        warn(text("MSG_FileNotFound") + u' ' + catalogPath);
        PackFailed = true;
        return {};
    }
    m_expanding << catalogPath;
    m_sources << catalogPath;
    const QString base = catalogBaseFolder(catalogPath);
    const CatalogLineRules rules{CatalogLineRules::EmptyLines::SkipBlank, CatalogLineRules::DirectoryLines::AsFiles};
    QString block = kCrLf + text("MSG_Content_BodyCatalogue") + u' ' + catalogPath;
    while (!reader.AtEndOfStream() && !PackFailed) {
        QString line;
        reader.ReadTextLine(line);
        const std::optional<CatalogLineKind> kind = classifyCatalogLine(line, rules);
        if (!kind)
            continue;
        if (*kind == CatalogLineKind::Comment) {
            block += kCrLf + line;
            continue;
        }
        const CatalogFileRef ref = resolveCatalogFile(line, base);
        if (ref.form == CatalogPathForm::Network) {
            block += kCrLf + QStringLiteral(";ignored: ") + line;
            continue;
        }
        const QString path = ref.localPath();
        block += IsPackCatalogue(path) ? ExpandCatalogue(path, packFolder) : CopyFileToPack(path, packFolder);
    }
    m_expanding.removeLast();
    return block;
}

QString CataloguePack::CopyFileToPack(const QString& filePath, const QString& packFolder)
{
    if (!QFileInfo(filePath).isFile()) {
        warn(text("MSG_FileNotFound") + u' ' + filePath);
        PackFailed = true;
        return {};
    }
    m_sources << filePath;
    const QString name = FileNameOf(filePath);
    const QString target = packFolder + name;
    // A source that already is the file in the pack folder, under whatever spelling, stays as it is.
    if (!isSameFile(filePath, target)) {
        if (isReadOnlyFile(target))
            clearReadOnly(target);
        QString error;
        if (!copyFileAtomically(filePath, target, *m_services.writer, &error)) {
            QString message = text("MSG_CopyError");
            message.replace(QStringLiteral("%fileToCopy%"), filePath);
            warn(message + u' ' + packFolder + kCrLf + error);
            PackFailed = true;
            return {};
        }
    }
    return kCrLf + text("MSG_Content_BodyFile") + u' ' + filePath + kCrLf + name;
}

} // namespace jvz
