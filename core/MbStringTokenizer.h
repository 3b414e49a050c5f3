#pragma once

// Cuts a text at any character of a set of separator characters. Iterator treats a run of separators as
// one and never yields an empty token; IteratorSep yields the empty fields between adjacent separators.

#include <QString>

namespace jvz {

class MbStringTokenizer {
public:
    // Positions are 16-bit in the stored files' world: a longer text is cut to this many characters.
    static constexpr qsizetype MaxLength = 32767;

    MbStringTokenizer() = default;
    MbStringTokenizer(const QString& text, const QString& separators) { Create(text, separators); }

    // Starts a new scan (an empty text gives an empty scan) and reads the first token ahead.
    void Create(const QString& text, const QString& separators);
    // The next token; an empty text once the text is used up.
    QString Iterator();
    // The next field between single separators; an empty text is an empty field or the end.
    QString IteratorSep();

private:
    bool isSeparator(qsizetype index) const;
    qsizetype findSeparator(qsizetype from) const;
    QString nextToken();
    QString nextField();

    QString m_text;
    QString m_separators;
    qsizetype m_position = 0; // 0-based index of the next character to look at
    QString m_lookAhead;
};

} // namespace jvz
