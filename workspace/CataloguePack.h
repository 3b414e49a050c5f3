#pragma once

// A catalogue pack: every file that a list of catalogue lists and single files needs, gathered into one new
// folder, and beside them one pack catalogue naming them by their bare names. Nested catalogue lists expand
// in place; a list that names itself, directly or through others, is reported and not expanded again.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

class QObject;

namespace jvz {

class FileWriter;
class MBLanguages;
class Notifier;

// The pack catalogue's file name: the chosen path's name; without a "." it takes the extension of the local
// filter when that reads "*.M??" (each "?" becoming "x", so "*.M30" gives ".M30"), else ".Mxx".
QString PackFileNameFrom(const QString& chosenPath, const QString& filterText);
// The pack folder: the chosen path's folder, "/", the chosen name without its extension, "/".
QString PackFolderFrom(const QString& chosenPath);

// A catalogue list by name: ".M" (any case) before the last two characters, and either a last "X" (any case)
// or two digits above zero.
bool IsPackCatalogue(const QString& name);

class CataloguePack {
public:
    struct Services {
        const MBLanguages* language = nullptr; // the pack window's texts
        Notifier* notifier = nullptr;
        FileWriter* writer = nullptr;
        std::function<QDateTime()> now;       // the clock of the header line
        std::function<void(int)> selectEntry; // shows the entry that failed
        std::function<void(bool)> setBusy;    // the busy pointer
        QString title;                        // title of the boxes
        QObject* owner = nullptr;
    };

    enum class SaveOutcome {
        NoName,    // no pack name chosen yet: nothing done
        Cancelled, // the user stopped at a question: no pack catalogue written (copied files stay)
        Failed,    // the folder or the pack catalogue could not be written
        Written,
    };

    explicit CataloguePack(Services services);

    QStringList entries; // full paths, in pack order
    QString PackPath;
    QString PackFolder; // ends with "/"
    QString PackName;
    bool PackFailed = false;

    // Takes a path chosen in the file chooser: sets PackPath, PackFolder and PackName.
    void choosePath(const QString& path, const QString& filterText);

    QString FindDuplicates() const;
    // Two different files that would take the same name in the pack folder (letter case aside), each name
    // with every source that has it; empty when none. The same file named twice is no conflict.
    QString FindNameConflicts() const;
    // The pack name and every file of the pack whose bare name has a character the catalogue's code page
    // lacks (written with '?', the catalogue would name a file the pack folder does not hold); empty when none.
    QString FindInexactNames() const;
    SaveOutcome SavePack();
    QString ExpandCatalogue(const QString& catalogPath, const QString& packFolder);
    QString CopyFileToPack(const QString& filePath, const QString& packFolder);

    // The two header lines of the pack catalogue.
    QString headerLines() const;

private:
    // The files the entry puts in the pack, nested lists followed as the save follows them; what cannot be
    // read is left to the save to report.
    void collectPackFiles(const QString& entry, QStringList& expanding, QStringList& files) const;
    QStringList packFiles() const;
    QString text(const char* key) const;
    void warn(const QString& message);
    bool askContinue(const QString& message);

    Services m_services;
    QStringList m_expanding; // the catalogue lists being expanded, outermost first
    QStringList m_sources;   // every file and list the save read
};

} // namespace jvz
