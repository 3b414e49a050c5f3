#pragma once

// File steps shared by the catalogue authoring commands: whole-file copies through a temporary file, the
// owner write bit as "read-only", and whether two spellings of a path are one file.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace jvz {

class FileWriter;

// Copies source over target through a temporary file in the target's folder and a rename, so a failure leaves
// the target as it was. False with the reason in error.
bool copyFileAtomically(const QString& source, const QString& target, FileWriter& writer, QString* error);

// Read-only is the owner write bit, read and changed explicitly (root may write whatever the bits say).
bool isReadOnlyFile(const QString& path);
bool clearReadOnly(const QString& path);

// True when both paths name one existing file: through a link, "..", another case on a case-insensitive
// volume, or a hard link.
bool isSameFile(const QString& a, const QString& b);

// Lines joined with CR LF, in the code page of the program's text files.
QByteArray encodeLines(const QStringList& lines, bool finalLineBreak);

// The catalogue lists among the paths: existing files whose extension is a catalogue extension of the local
// filter list (core/CatalogExtension). The authoring commands take nothing else.
QStringList catalogueListsOf(const QStringList& paths, const QStringList& filterItems);

} // namespace jvz
