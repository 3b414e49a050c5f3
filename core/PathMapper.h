#pragma once

// Turns a path written on Windows (catalogue lists, descriptors) into a local path: "\" becomes "/", a
// drive root "X:\" becomes "/", and a network path "\\host\share\..." stays a network path ("//host/share/...").
// Paths on the terminal keep their "\" and never go through here.

#include <QString>

namespace jvz {

QString mapWindowsPath(const QString& path);

// True for a network path, as mapWindowsPath leaves it ("//host/share/...").
bool isNetworkPath(const QString& localPath);

} // namespace jvz
