#pragma once

// A long bookmark file as a user's years of bookmarks make it: most lines distinct folders of a volume that is
// not mounted (kept as they stand), the rest existing folders named again and again, folders that are gone
// (cut back to an existing parent) and lines for no volume (dropped).

#include <QByteArray>
#include <QDir>
#include <QString>

namespace jvztest {

struct BookmarkCorpus {
    static constexpr int kExistingFolders = 100;

    // Lines under absentRoot (a mount point with nothing mounted) and under existingRoot (a mounted volume,
    // whose folders f000..f099 are made here).
    static QByteArray make(int lines, const QString& absentRoot, const QString& existingRoot)
    {
        for (int f = 0; f < kExistingFolders; ++f)
            QDir().mkpath(existing(existingRoot, f));
        QByteArray out;
        out.reserve(qsizetype(lines) * 64);
        for (int i = 0; i < lines; ++i) {
            QString line;
            switch (i % 10) {
            case 6:
            case 7:
                line = existing(existingRoot, (i / 10) % kExistingFolders);
                break;
            case 8:
                line = existing(existingRoot, (i / 10) % kExistingFolders) + QStringLiteral("gone%1/").arg(i);
                break;
            case 9:
                line = QStringLiteral("relative%1/").arg(i);
                break;
            default:
                line = absent(absentRoot, i);
                break;
            }
            out += line.toLatin1() + "\r\n";
        }
        return out;
    }
    static QString existing(const QString& root, int f)
    {
        return root + QStringLiteral("f%1/").arg(f, 3, 10, QChar(u'0'));
    }
    static QString absent(const QString& root, int i) { return root + QStringLiteral("stick/folder%1/").arg(i); }
};

} // namespace jvztest
