#include "MbStringTokenizer.h"

#include <utility>

namespace jvz {

void MbStringTokenizer::Create(const QString& text, const QString& separators)
{
    m_text = text.left(MaxLength);
    m_separators = separators;
    m_position = 0;
    m_lookAhead = nextToken();
}

QString MbStringTokenizer::Iterator()
{
    if (!m_lookAhead.isEmpty())
        return std::exchange(m_lookAhead, QString());
    return nextToken();
}

QString MbStringTokenizer::IteratorSep()
{
    if (!m_lookAhead.isEmpty())
        return std::exchange(m_lookAhead, QString());
    return nextField();
}

bool MbStringTokenizer::isSeparator(qsizetype index) const
{
    return m_separators.contains(m_text.at(index));
}

qsizetype MbStringTokenizer::findSeparator(qsizetype from) const
{
    qsizetype i = from;
    while (i < m_text.size() && !isSeparator(i))
        ++i;
    return i;
}

QString MbStringTokenizer::nextToken()
{
    qsizetype start = m_position;
    while (start < m_text.size() && isSeparator(start))
        ++start;
    if (start >= m_text.size()) {
        m_position = m_text.size();
        return {};
    }
    m_position = findSeparator(start);
    return m_text.mid(start, m_position - start);
}

QString MbStringTokenizer::nextField()
{
    if (m_position >= m_text.size())
        return {};
    const qsizetype start = isSeparator(m_position) ? m_position + 1 : m_position;
    // A final separator leaves the position at the end, so its empty field comes once.
    m_position = findSeparator(start);
    return m_text.mid(start, m_position - start);
}

} // namespace jvz
