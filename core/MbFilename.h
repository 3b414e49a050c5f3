#pragma once

// The parts of a local path ("/" separated; there are no drives): folder, name, title, extension, and
// whether it exists. Paths written on Windows go through mapWindowsPath first.

#include <QString>

namespace jvz {

class MbFilename {
public:
    MbFilename() = default;
    explicit MbFilename(const QString& fullPath) : FullPath(fullPath) {}

    // Set by the caller before asking; nothing below changes it.
    QString FullPath;

    // After the last "." of the last component; empty when there is none or the name ends with ".".
    QString Extension() const;
    // The last component without "." and Extension (whole when Extension is empty).
    QString Name() const;
    // Name "." Extension, or Name.
    QString Title() const;
    // The folder part without its final "/": "." when there is none, "" for a file in the root folder.
    QString Path() const;
    QString Directory() const { return {}; }
    QString Drive() const { return {}; }
    // A file or folder of that name (or, with "*" or "?" in the last component, a match) exists.
    bool IsExist() const;
};

} // namespace jvz
