#include "TraceBox.h"

#include <QPlainTextEdit>
#include <QStringList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace jvz {

// The new line goes on top of the box without laying the rest out again; the oldest lines past the bound go.
void TraceBox::add(const QString& line)
{
    const QStringList parts = line.split(QStringLiteral("\r\n"));
    for (auto it = parts.crbegin(); it != parts.crend(); ++it)
        m_lines.push_front(*it + QStringLiteral("\r\n"));
    if (m_lines.size() > size_t(kLines))
        m_lines.resize(kLines);
    m_stale = true;

    QTextDocument* doc = m_box.document();
    QTextCursor top(doc);
    top.insertText(parts.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    // The document holds one block more than lines: the empty one after the last line end.
    if (doc->blockCount() > kLines + 1) {
        QTextCursor tail(doc->findBlockByNumber(kLines));
        tail.movePosition(QTextCursor::PreviousCharacter);
        tail.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        tail.removeSelectedText();
        tail.insertText(QStringLiteral("\n"));
    }
}

const QString& TraceBox::text() const
{
    if (m_stale) {
        m_text.clear();
        for (const QString& l : m_lines)
            m_text += l;
        m_stale = false;
    }
    return m_text;
}

void TraceBox::clear()
{
    m_lines.clear();
    m_text.clear();
    m_stale = false;
    m_box.clear();
}

} // namespace jvz
