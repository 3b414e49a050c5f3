#pragma once

// The favourite folders of the local explorer (Combo5): the entry list, the text of the box, and the
// bookmark file that keeps them between runs. No widgets: the window mirrors this state in its combo box.

#include "workspace/BookmarkFile.h"
#include "workspace/BookmarkRepair.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

namespace jvz {

class FileWriter;
class MBLanguages;
class Notifier;

class FavouritePaths : public QObject {
    Q_OBJECT
public:
    // The entry of the explorer's root.
    static inline const QString kMyComputer = QStringLiteral("My Computer");

    struct Options {
        QString bookmarkPath;
        bool updateBookmarks = true; // [Options] Update_bmk
        bool autoBookmark = false;   // [Options] Auto_bmk
    };

    // language: the window's own table (its section current); writer: null for the real atomic writer.
    FavouritePaths(Options options, Notifier& notifier, const MBLanguages& language, FileWriter* writer = nullptr,
                   QObject* parent = nullptr);

    // The settings as start-up read them (the window may be built before).
    void setOptions(Options options) { m_options = std::move(options); }
    // The volumes the start-up repair checks lines against; asked once per load.
    void setVolumes(std::function<BookmarkVolumes()> volumes) { m_volumes = std::move(volumes); }
    // The folder the explorer shows (CurrentLocalFolder), for Auto_bmk.
    void setCurrentFolder(std::function<QString()> folder) { m_currentFolder = std::move(folder); }
    void setReader(BookmarkFile::Reader reader) { m_reader = std::move(reader); }

    const QStringList& entries() const { return m_entries; }
    QString text() const { return m_text; }
    QString toolTip() const { return m_toolTip; }
    int listIndex() const { return m_listIndex; }
    // Why the bookmark file is left alone for this run; empty while it is written normally.
    QString refusedReason() const { return m_refusedReason; }

    // The user typed in the box (no entry chosen) or picked entry index.
    void setTypedText(const QString& text);
    void choose(int index);

    int FindComboItem(const QString& text) const;
    // position 0: a new entry goes on top; 1: at the end; any other value: at the end, then the file is saved.
    void ShowPathInCombo(const QString& path, int16_t position);
    void DeleteFavouritePath(const QString& path);
    void LoadPathHistory();
    void SavePathHistory();
    // Enter in the box: completes the text to a folder; true when it exists (added and saved; the caller
    // then opens it), false after telling the user it does not.
    bool ConfirmTypedPath();
    void LostFocus();
    // The tree's favourite commands on the folder it shows (empty at the root).
    void AddFolderToFavourites(const QString& currentLocalFolder);
    void RemoveFolderFromFavourites(const QString& currentLocalFolder);

signals:
    void changed();
    void statusMessage(const QString& text);

private:
    QString driveViewText() const; // the stored name as the question shows it
    void setText(const QString& text);

    Options m_options;
    Notifier& m_notifier;
    const MBLanguages& m_language;
    FileWriter* m_writer;
    std::function<BookmarkVolumes()> m_volumes;
    std::function<QString()> m_currentFolder;
    BookmarkFile::Reader m_reader;
    QStringList m_entries;
    QString m_text;
    QString m_toolTip;
    int m_listIndex = -1;
    QString m_refusedReason;
};

} // namespace jvz
