#pragma once

// Walks the fields of a text split by a separator string, keeping empty fields in the middle; a separator
// at the very end adds no empty last field.

#include <QString>

namespace jvz {

class MbStringFields {
public:
    MbStringFields() = default;
    MbStringFields(const QString& text, const QString& separator) { Create(text, separator); }

    void Create(const QString& text, const QString& separator);
    // The next field; fieldNumber (when given) receives its 1-based number, or 0 once the text is used up.
    QString Iterator(int* fieldNumber = nullptr);
    // True when the separator occurs at or after the 1-based position (the scan position when omitted).
    bool hasNext(int position = 0) const;
    // Where field n ends: the position of the n-th separator, the text's length for the last field, the
    // last separator's position when there are fewer fields, 0 when n < 1 or the text is empty.
    int getFieldPosition(int n) const;

private:
    qsizetype find(qsizetype from) const;

    QString m_text;
    QString m_separator;
    qsizetype m_position = 1; // 1-based
    int m_counter = 0;
};

} // namespace jvz
