#pragma once

// "Software.org": one line per catalogue list of a folder, with its code name, its product code and its
// description (the list's first line when that is a comment).

#include <QString>
#include <QStringList>
#include <optional>

namespace jvz {

class FileWriter;

inline constexpr const char* kCatalogListFileName = "Software.org";

// Whether the name's last three characters, upper-cased, are one of the product codes.
bool IsProductCatalogue(const QString& name, const QStringList& productCodes);

// The line of the list at folder + name: the name without its first character and its last four, ";", the
// last three characters as written, then the first line when it begins with ";", else ";". Empty when the list
// cannot be read or is empty; nothing for a name of four characters or fewer.
std::optional<QString> BuildListLine(const QString& folder, const QString& name);

// The lines of the names that are product catalogues, in the given order.
QStringList catalogListLines(const QString& folder, const QStringList& names, const QStringList& productCodes);

// The catalogue lists of a folder ("*.M??", any case), sorted by name.
QStringList catalogueNamesInFolder(const QString& folder);

// Writes the lines (each ending with CR LF) to folder + "Software.org" through a temporary file.
bool writeCatalogListFile(const QString& folder, const QStringList& lines, FileWriter& writer, QString* error);

} // namespace jvz
