#include "LocalDeletion.h"

#include "core/MBLanguages.h"
#include "platform/Notifier.h"

#include <QCoreApplication>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace jvz {

namespace {
constexpr MessageIcon kNoIcon = MessageIcon(0); // the plain yes/no question
} // namespace

DeleteError deleteFileUnlessReadOnly(const QByteArray& nativePath)
{
    // Root may delete anything; a read-only file is still refused, as the user asked to keep it.
    struct stat st {};
    if (::lstat(nativePath.constData(), &st) == 0 && !S_ISLNK(st.st_mode) && (st.st_mode & S_IWUSR) == 0)
        return {EACCES, QString::fromLocal8Bit(std::strerror(EACCES))};
    // unlink removes a link itself, never what it points to, and refuses a folder.
    if (::unlink(nativePath.constData()) != 0) {
        const int number = errno;
        return {number, QString::fromLocal8Bit(std::strerror(number))};
    }
    return {};
}

LocalDeletion::LocalDeletion(Notifier& notifier, const MBLanguages& language, FileDeleter deleter)
    : m_notifier(notifier), m_language(language),
      m_deleter(deleter ? std::move(deleter) : FileDeleter(deleteFileUnlessReadOnly))
{
}

bool LocalDeletion::deletable(const SelectionRow& row)
{
    return (row.kind == LocalItemKind::File || row.kind == LocalItemKind::FolderLink) &&
           row.imageKey != QStringLiteral("ClsFolder") && !row.fullPath.isEmpty();
}

DeleteError LocalDeletion::DeleteLocalFile(const SelectionRow& row) const
{
    QByteArray path = row.nativePath.isEmpty() ? QFile::encodeName(row.fullPath) : row.nativePath;
    // A folder link is listed as a container ("name/"); with the "/" the system would name its folder.
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return m_deleter(path);
}

void LocalDeletion::reportError(const DeleteError& error)
{
    m_notifier.message(m_language.GetFormLabel(QStringLiteral("MSG_DeleteError")) + u' ' +
                           QString::number(error.number) + QStringLiteral(": ") + error.description,
                       QCoreApplication::applicationName(), MessageIcon::Critical, MessageButtons::Ok);
}

LocalDeletionOutcome LocalDeletion::DeleteLocalSelection(const std::vector<SelectionRow>& rows)
{
    LocalDeletionOutcome out;
    int count = 0;
    const SelectionRow* last = nullptr;
    for (const SelectionRow& row : rows) {
        if (row.selected) {
            ++count;
            last = &row;
        }
    }
    if (count == 0)
        return out;
    out.relist = true;
    // Drives are never deleted, whatever else is chosen with them: no question for nothing to do.
    for (const SelectionRow& row : rows) {
        if (row.selected && (row.kind == LocalItemKind::Drive || row.kind == LocalItemKind::Root)) {
            out.result = LocalDeletionOutcome::Result::Beep;
            return out;
        }
    }
    const QString title = m_language.GetFormLabel(QStringLiteral("TIT_DelFile"));
    std::vector<const SelectionRow*> victims;
    if (count == 1) {
        if (!deletable(*last)) {
            out.result = LocalDeletionOutcome::Result::Beep;
            return out;
        }
        const QString question = m_language.GetFormLabel(QStringLiteral("MSG_DelFile")) + QStringLiteral(" '") +
                                 last->text + QStringLiteral("' ?");
        if (m_notifier.message(question, title, kNoIcon, MessageButtons::YesNo) != MessageAnswer::Yes) {
            out.result = LocalDeletionOutcome::Result::Declined;
            return out;
        }
        victims.push_back(last);
    } else {
        const QString question = m_language.GetFormLabel(QStringLiteral("MSG_DelFiles1")) + u' ' +
                                 QString::number(count) + u' ' +
                                 m_language.GetFormLabel(QStringLiteral("MSG_DelFiles2")) + QStringLiteral(" ?");
        if (m_notifier.message(question, title, kNoIcon, MessageButtons::YesNo) != MessageAnswer::Yes) {
            out.result = LocalDeletionOutcome::Result::Declined;
            return out;
        }
        for (const SelectionRow& row : rows) {
            if (row.selected && deletable(row))
                victims.push_back(&row);
        }
    }
    out.result = LocalDeletionOutcome::Result::Deleted;
    for (const SelectionRow* row : victims) {
        const DeleteError error = DeleteLocalFile(*row);
        if (error.number != 0) {
            out.result = LocalDeletionOutcome::Result::Failed;
            reportError(error);
            // Still relisted, so that no file already deleted stays shown.
            return out;
        }
        out.deleted.append(row->fullPath);
    }
    return out;
}

} // namespace jvz
