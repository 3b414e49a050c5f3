#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace jvz {

class Notifier;

// The product-code table: the three-character code of each kind of terminal (the extension of its
// catalogue lists) with a text, read from the product-code file named in the settings. Keys are compared
// without regard to case; the first text of a code stays.
class ProductCodeTable {
public:
    struct Entry {
        QString code;
        QString text;
    };

    // Adds the code; false when it is already there (the table is not changed).
    bool add(const QString& code, const QString& text);
    // The code's text; empty for a code the table does not hold.
    QString text(const QString& code) const;
    bool contains(const QString& code) const;
    const QList<Entry>& entries() const { return m_entries; }
    bool isEmpty() const { return m_entries.isEmpty(); }

private:
    int find(const QString& code) const;
    QList<Entry> m_entries;
};

// The generic line of the file: it gives the filter of every catalogue list and is no product.
inline constexpr const char* kGenericProductCode = "M??";
// The last filter of the list.
inline constexpr const char* kAllFilesFilter = "*.*";

// What one read of the product-code file gives.
struct CatalogFilterLoad {
    QStringList filterItems; // Combo2's list: "*." & code per code in file order, then "*.*"
    QStringList duplicates;  // codes to warn about, in the order the warnings come
};

// Reads the lines of the product-code file into the table (columns 1-3 the code, 5 on the text). A blank
// line is skipped: an empty code would give the filter "*.".
CatalogFilterLoad LoadCatalogFilters(const QStringList& lines, ProductCodeTable& table);

// Reads the file (Windows-1252, any line ends). False when it cannot be read; lines is then empty.
bool readProductCodeFile(const QString& path, QStringList& lines, QString* errorText = nullptr);

// The filter that selects the catalogue lists of a product: "*." & code as given.
QString productFilter(const QString& code);

} // namespace jvz
