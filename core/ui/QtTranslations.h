#pragma once

// Qt's own texts (standard buttons, file and print dialogs, key names in menus) in the language of the
// language file's column: one translator installed for the whole program, replaced when the column changes.

#include <QString>
#include <cstdint>
#include <memory>

class QTranslator;

namespace jvz {

class QtTranslations {
public:
    QtTranslations();
    ~QtTranslations();
    QtTranslations(const QtTranslations&) = delete;
    QtTranslations& operator=(const QtTranslations&) = delete;

    // The program's one instance: every window's language goes through it.
    static QtTranslations& program();

    // The Qt locale name of a language column ("en", "fr"); empty for a column the table does not list.
    static QString localeOfColumn(int16_t languageColumn);

    // Installs Qt's translation for the column, removing the one installed before. English, and a column
    // without a translation on this machine, leave Qt's own English texts. True when a translation is in force.
    bool apply(int16_t languageColumn);

    // The folder Qt's translations are read from; a test may point it elsewhere.
    void setFolder(const QString& folder) { m_folder = folder; }
    QString folder() const;

private:
    std::unique_ptr<QTranslator> m_translator;
    int16_t m_column = 0;
    QString m_folder;
};

} // namespace jvz
