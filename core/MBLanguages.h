#pragma once

#include <QString>
#include <cstdint>
#include <memory>

namespace jvz {

class MbFileIni;
class UserSettingsStore;

// The language table: every text the user sees comes from the language file, an INI file whose values list
// one text per language, separated by commas. Each window copies the program-wide table and translates itself
// (GetAllFormLabel, core/ui); its later look-ups read its own section first, then [General].
class MBLanguages {
public:
    MBLanguages();

    // The reader of the language file; copies share the same object, so they read the same file.
    std::shared_ptr<MbFileIni> LanguageIni() const { return m_languageIni; }
    void SetLanguageIni(std::shared_ptr<MbFileIni> ini);
    int16_t LanguageNumber() const { return m_languageNumber; }
    void SetLanguageNumber(int16_t number) { m_languageNumber = number; }
    QString CurrentSection() const { return m_currentSection; }
    void SetCurrentSection(const QString& section) { m_currentSection = section; }
    QString CaptionDetail() const { return m_captionDetail; }
    void SetCaptionDetail(const QString& detail) { m_captionDetail = detail; }

    // The window's caption; the window's section becomes the current one. No fallback.
    QString GetFormCaption(const QString& formName);
    // The key in the current section, else in [General].
    QString GetFormLabel(const QString& key) const;
    // The key in the given section only; the current section is not changed.
    QString GetFormLabel(const QString& key, const QString& section) const;
    QString GetGeneralLabel(const QString& key) const;
    QString GetGCR410Status(int16_t code) const;

    void SetCurrentLanguage(int16_t number) { m_languageNumber = number; }
    int16_t GetCurrentLanguage() const { return m_languageNumber; }

    void init(const QString& fileName, int16_t language);
    // Opens the file and chooses the language: the per-user choice ("Parameter"/"DefaultLangue"), else
    // [General] "DefaultLanguage", else 1. A choice that is no whole number from 1 to 32767 gives 1.
    void InitDefaultLanguage(const QString& fileName, const UserSettingsStore& store);
    // Takes the other table's reader (the same object), language number and current section.
    void Copy(const MBLanguages& other);
    // ToolMnemo - CaptionDetail - [window caption]; sets the current section as GetFormCaption does.
    QString GetLongCaption(const QString& formName);

    // The language-th text of a comma list: runs of commas count as one, blanks belong to the texts,
    // a number below 1 or past the last text gives an empty text.
    static QString pickColumn(const QString& list, int language);

    // Reads a language number written as text; 1 for anything that is not a whole number from 1 to 32767.
    static int16_t languageNumberFromText(const QString& text);

    static constexpr const char* kGeneralSection = "General";

private:
    QString lookUp(const QString& section, const QString& key) const;

    std::shared_ptr<MbFileIni> m_languageIni;
    int16_t m_languageNumber = 0;
    QString m_currentSection;
    QString m_captionDetail;
};

} // namespace jvz
