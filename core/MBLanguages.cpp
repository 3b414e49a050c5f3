#include "core/MBLanguages.h"

#include "core/MbFileIni.h"
#include "core/MbStringTokenizer.h"
#include "core/ProgramInfo.h"
#include "platform/UserSettingsStore.h"

#include <cmath>

namespace jvz {

namespace {
const QString kGeneral = QString::fromLatin1(MBLanguages::kGeneralSection);
}

MBLanguages::MBLanguages() : m_languageIni(std::make_shared<MbFileIni>()) {}

void MBLanguages::SetLanguageIni(std::shared_ptr<MbFileIni> ini)
{
    m_languageIni = ini ? std::move(ini) : std::make_shared<MbFileIni>();
}

QString MBLanguages::pickColumn(const QString& list, int language)
{
    if (language < 1)
        return {};
    MbStringTokenizer tokens(list, QStringLiteral(","));
    QString text;
    for (int i = 0; i < language; ++i) {
        text = tokens.Iterator();
        if (text.isEmpty())
            return {};
    }
    return text;
}

int16_t MBLanguages::languageNumberFromText(const QString& text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return 1;
    // Halves go to the even neighbour, as the program's number conversions do.
    const double whole = std::nearbyint(value);
    if (whole < 1 || whole > 32767)
        return 1;
    return static_cast<int16_t>(whole);
}

QString MBLanguages::lookUp(const QString& section, const QString& key) const
{
    return pickColumn(m_languageIni->StringGet(section, key), m_languageNumber);
}

QString MBLanguages::GetFormCaption(const QString& formName)
{
    m_currentSection = formName;
    return lookUp(formName, QStringLiteral("Caption"));
}

QString MBLanguages::GetFormLabel(const QString& key) const
{
    const QString text = lookUp(m_currentSection, key);
    return text.isEmpty() ? GetGeneralLabel(key) : text;
}

QString MBLanguages::GetFormLabel(const QString& key, const QString& section) const
{
    return lookUp(section, key);
}

QString MBLanguages::GetGeneralLabel(const QString& key) const
{
    return lookUp(kGeneral, key);
}

QString MBLanguages::GetGCR410Status(int16_t code) const
{
    return lookUp(QStringLiteral("GCR410"), QStringLiteral("GCR410_STATUS") + QString::number(code));
}

void MBLanguages::init(const QString& fileName, int16_t language)
{
    m_languageNumber = language;
    m_languageIni->Create(fileName);
}

void MBLanguages::InitDefaultLanguage(const QString& fileName, const UserSettingsStore& store)
{
    m_languageIni->Create(fileName);
    // The whole value, not a comma list.
    const QString fromFile = m_languageIni->StringGet(kGeneral, QStringLiteral("DefaultLanguage"));
    const QString chosen = store.value(QString::fromLatin1(kProgramTitle), QStringLiteral("Parameter"),
                                       QStringLiteral("DefaultLangue"), fromFile);
    m_languageNumber = chosen.isEmpty() ? int16_t(1) : languageNumberFromText(chosen);
}

void MBLanguages::Copy(const MBLanguages& other)
{
    m_languageIni = other.m_languageIni;
    m_languageNumber = other.m_languageNumber;
    m_currentSection = other.m_currentSection;
}

QString MBLanguages::GetLongCaption(const QString& formName)
{
    const QString mnemo = GetGeneralLabel(QStringLiteral("ToolMnemo"));
    return mnemo + QStringLiteral(" - ") + m_captionDetail + QStringLiteral(" - [") + GetFormCaption(formName) +
           QLatin1Char(']');
}

} // namespace jvz
