#include "QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace jvz {

namespace {
struct ColumnLocale {
    int16_t column;
    const char* locale;
};
// The columns of the shipped language file.
constexpr ColumnLocale kColumns[] = {
    {1, "en"},
    {2, "fr"},
};
} // namespace

QtTranslations::QtTranslations() = default;

QtTranslations::~QtTranslations()
{
    if (m_translator && QCoreApplication::instance())
        QCoreApplication::removeTranslator(m_translator.get());
}

QtTranslations& QtTranslations::program()
{
    static QtTranslations translations;
    return translations;
}

QString QtTranslations::localeOfColumn(int16_t languageColumn)
{
    for (const ColumnLocale& c : kColumns)
        if (c.column == languageColumn)
            return QString::fromLatin1(c.locale);
    return {};
}

QString QtTranslations::folder() const
{
    return m_folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : m_folder;
}

bool QtTranslations::apply(int16_t languageColumn)
{
    if (languageColumn == m_column)
        return m_translator != nullptr;
    m_column = languageColumn;
    if (m_translator) {
        QCoreApplication::removeTranslator(m_translator.get());
        m_translator.reset();
    }
    const QString locale = localeOfColumn(languageColumn);
    // Qt's texts are written in English: there is nothing to load for it.
    if (locale.isEmpty() || locale == QLatin1String("en"))
        return false;
    auto translator = std::make_unique<QTranslator>();
    // qtbase holds the widgets', dialogs' and key names' texts, the print dialogs' too.
    if (!translator->load(QStringLiteral("qtbase_") + locale, folder()))
        return false;
    QCoreApplication::installTranslator(translator.get());
    m_translator = std::move(translator);
    return true;
}

} // namespace jvz
