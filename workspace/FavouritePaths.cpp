#include "FavouritePaths.h"

#include "core/MBLanguages.h"
#include "core/MbWorkFile.h"
#include "platform/Notifier.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSet>

namespace jvz {

FavouritePaths::FavouritePaths(Options options, Notifier& notifier, const MBLanguages& language, FileWriter* writer,
                               QObject* parent)
    : QObject(parent), m_options(std::move(options)), m_notifier(notifier), m_language(language), m_writer(writer)
{
}

void FavouritePaths::setText(const QString& text)
{
    m_text = text;
    m_toolTip = text;
}

void FavouritePaths::setTypedText(const QString& text)
{
    m_text = text;
    m_listIndex = -1;
    // The tool tip follows only the changes made here, not each key typed.
}

void FavouritePaths::choose(int index)
{
    if (index < 0 || index >= m_entries.size())
        return;
    m_listIndex = index;
    setText(m_entries[index]);
    emit changed();
}

QString FavouritePaths::driveViewText() const
{
    const QString text = m_language.GetFormLabel(QStringLiteral("MyComputer"), QStringLiteral("frmMainJVZ"));
    return text.isEmpty() ? kMyComputer : text;
}

int FavouritePaths::FindComboItem(const QString& text) const
{
    return int(m_entries.indexOf(text));
}

void FavouritePaths::ShowPathInCombo(const QString& path, int16_t position)
{
    if (FindComboItem(path) < 0) {
        if (position == 0) {
            m_entries.prepend(path);
            if (m_listIndex >= 0)
                ++m_listIndex;
        } else {
            m_entries.append(path);
        }
        emit changed();
    }
    if (position != 0 && position != 1)
        SavePathHistory();
}

void FavouritePaths::DeleteFavouritePath(const QString& path)
{
    if (!m_entries.isEmpty()) {
        const int index = FindComboItem(path);
        if (index >= 0) {
            const QString shown = path == kMyComputer ? driveViewText() : path;
            const QString question =
                m_language.GetFormLabel(QStringLiteral("MSG_DeletePath")) + QStringLiteral("\r\n") + shown;
            if (m_notifier.message(question, QCoreApplication::applicationName(), MessageIcon::Question,
                                   MessageButtons::YesNo) == MessageAnswer::Yes) {
                m_entries.removeAt(index);
                m_listIndex = int(m_entries.size()) - 1;
                m_text = m_listIndex >= 0 ? m_entries[m_listIndex] : QString();
            }
        }
    }
    m_toolTip = m_text;
    emit changed();
    SavePathHistory();
}

void FavouritePaths::LoadPathHistory()
{
    m_entries.clear();
    m_listIndex = -1;
    m_refusedReason.clear();
    const BookmarkRead read = BookmarkFile::read(m_options.bookmarkPath, m_reader);
    switch (read.status) {
    case BookmarkRead::Status::Read:
    case BookmarkRead::Status::Missing:
        break;
    case BookmarkRead::Status::Unreadable:
        m_refusedReason = m_language.GetFormLabel(QStringLiteral("MSG_BookmarkUnreadable")) + m_options.bookmarkPath +
                          QStringLiteral(" (") + read.reason + QStringLiteral(")");
        break;
    case BookmarkRead::Status::NulByte:
        m_refusedReason = m_language.GetFormLabel(QStringLiteral("MSG_BookmarkNul")) + m_options.bookmarkPath;
        break;
    case BookmarkRead::Status::LineTooLong:
        m_refusedReason = m_language.GetFormLabel(QStringLiteral("MSG_BookmarkLongLine")) + m_options.bookmarkPath;
        break;
    }
    // Each line is looked up in a set of what is listed, and the window hears of the list once: a long file
    // loads in time that grows with its lines, not with their square.
    QSet<QString> listed;
    listed.reserve(read.lines.size());
    const auto addOnce = [&](const QString& path) {
        if (!listed.contains(path)) {
            listed.insert(path);
            m_entries.append(path);
        }
    };
    if (m_options.updateBookmarks) {
        const BookmarkRepair repair(m_volumes ? m_volumes() : BookmarkVolumes{});
        for (const QString& line : read.lines) {
            // Folders that differ only in case are different folders here: only exact twins are dropped.
            if (const std::optional<QString> kept = repair.repair(line))
                addOnce(*kept);
        }
    } else {
        for (const QString& line : read.lines)
            addOnce(line);
    }
    addOnce(kMyComputer);
    SavePathHistory();
    m_listIndex = 0;
    setText(m_entries.value(0));
    emit changed();
    if (!m_refusedReason.isEmpty())
        emit statusMessage(m_refusedReason);
}

void FavouritePaths::SavePathHistory()
{
    if (m_currentFolder && m_options.autoBookmark) {
        const QString current = m_currentFolder();
        if (!current.isEmpty())
            ShowPathInCombo(current, 0);
    }
    if (!m_refusedReason.isEmpty()) {
        // What was read was not the user's list; writing ours would lose theirs.
        emit statusMessage(m_refusedReason);
        return;
    }
    MbWorkFile file(&m_notifier, m_writer);
    if (file.OpenFileOutput(m_options.bookmarkPath) != 0)
        return;
    for (const QString& entry : std::as_const(m_entries)) {
        if (file.WriteNextLine(entry) != 0)
            return; // reported; dropping the file discards what was written
    }
    file.CloseFile();
}

bool FavouritePaths::ConfirmTypedPath()
{
    if (m_text != kMyComputer && !m_text.endsWith(u'/'))
        m_text += u'/';
    if (m_text == kMyComputer || QFileInfo(m_text).isDir()) {
        ShowPathInCombo(m_text, -1);
        // The folder opened is the listed entry now, new or listed before: leaving the box keeps showing it.
        m_listIndex = FindComboItem(m_text);
        m_toolTip = m_text;
        emit changed();
        return true;
    }
    emit changed();
    m_notifier.message(m_language.GetFormLabel(QStringLiteral("MSG_ImpossibleToFound")) + m_text +
                           QStringLiteral(". ") + m_language.GetFormLabel(QStringLiteral("MSG_CheckPath")),
                       QCoreApplication::applicationName(), MessageIcon::Critical, MessageButtons::Ok);
    return false;
}

void FavouritePaths::LostFocus()
{
    if (m_listIndex >= 0 && m_listIndex < m_entries.size())
        setText(m_entries[m_listIndex]);
    else if (!m_entries.isEmpty())
        setText(m_entries.last());
    else
        setText(QString()); // nothing to fall back on
    emit changed();
}

void FavouritePaths::AddFolderToFavourites(const QString& currentLocalFolder)
{
    const QString path = currentLocalFolder.isEmpty() ? kMyComputer : currentLocalFolder;
    ShowPathInCombo(path, -1);
    m_listIndex = FindComboItem(path);
    setText(path);
    emit changed();
}

void FavouritePaths::RemoveFolderFromFavourites(const QString& currentLocalFolder)
{
    DeleteFavouritePath(currentLocalFolder.isEmpty() ? kMyComputer : currentLocalFolder);
}

} // namespace jvz
