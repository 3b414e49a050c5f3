#include "MbStringFields.h"

#include <algorithm>

namespace jvz {

void MbStringFields::Create(const QString& text, const QString& separator)
{
    m_text = text;
    m_separator = separator;
    m_position = 1;
    m_counter = 0;
}

// 1-based position of the separator at or after from, 0 when none; an empty separator is never found.
qsizetype MbStringFields::find(qsizetype from) const
{
    if (m_separator.isEmpty() || from < 1 || from > m_text.size())
        return 0;
    return m_text.indexOf(m_separator, from - 1, Qt::CaseSensitive) + 1;
}

QString MbStringFields::Iterator(int* fieldNumber)
{
    if (m_position > m_text.size()) {
        m_counter = 0;
        if (fieldNumber)
            *fieldNumber = 0;
        return {};
    }
    ++m_counter;
    if (fieldNumber)
        *fieldNumber = m_counter;
    const qsizetype found = find(m_position);
    QString field;
    if (found > 0) {
        field = m_text.mid(m_position - 1, found - m_position);
        // Past the whole separator, so a longer separator leaves nothing of itself in the next field.
        m_position = found + m_separator.size();
    } else {
        field = m_text.mid(m_position - 1);
        m_position = m_text.size() + 1;
    }
    return field;
}

bool MbStringFields::hasNext(int position) const
{
    const qsizetype from = position == 0 ? m_position : position;
    return find(std::max<qsizetype>(from, 1)) > 0;
}

int MbStringFields::getFieldPosition(int n) const
{
    if (n < 1 || m_text.isEmpty())
        return 0;
    qsizetype last = 0;
    qsizetype from = 1;
    for (int i = 1; i <= n; ++i) {
        const qsizetype found = find(from);
        if (found == 0)
            return int(i == n ? m_text.size() : last);
        last = found;
        from = found + m_separator.size();
    }
    return int(last);
}

} // namespace jvz
