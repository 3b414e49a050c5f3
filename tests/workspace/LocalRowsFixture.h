#pragma once

// A scratch folder of catalogue lists, other files and sub-folders, and the rows the local list shows for it.
#include "noqt/TestEnv.h"
#include "workspace/LocalSelection.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <iostream>
#include <vector>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace jvztest {

struct LocalRowsFolder {
    explicit LocalRowsFolder(const char* hint)
        : folder(QString::fromStdString(makeScratchDir(hint)) + QStringLiteral("/"))
    {
    }

    void write(const QString& name, const QByteArray& bytes) const
    {
        QFile f(folder + name);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(bytes);
    }

    void makeReadOnly(const QString& name) const
    {
        QFile::setPermissions(folder + name, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    }

    jvz::SelectionRow folderRow(const QString& name) const
    {
        QDir(folder).mkpath(name);
        return {name, QStringLiteral("ClsFolder"), {}, false, jvz::LocalItemKind::Folder, folder + name + "/", {}};
    }

    jvz::SelectionRow fileRow(const QString& name, const QByteArray& bytes, const QString& image) const
    {
        write(name, bytes);
        return {name, image, {}, false, jvz::LocalItemKind::File, folder + name, {}};
    }

    bool exists(const QString& name) const { return QFileInfo::exists(folder + name); }

    QString folder;
};

inline void select(std::vector<jvz::SelectionRow>& rows, std::initializer_list<int> which)
{
    for (auto& r : rows)
        r.selected = false;
    for (int i : which)
        rows[size_t(i)].selected = true;
}

} // namespace jvztest
