#pragma once

#include <QString>
#include <deque>

class QPlainTextEdit;

namespace jvz {

// The main window's trace box: the newest line on top, bounded to kLines lines. The text is kept with its
// CR LF line ends for the readers of the trace; the box shows the same lines.
class TraceBox {
public:
    explicit TraceBox(QPlainTextEdit& box) : m_box(box) {}

    // Puts the line (which may hold several, split at CR LF) on top: line, CR LF, then the earlier text.
    void add(const QString& line);
    const QString& text() const;
    void clear();

    static constexpr int kLines = 5000;

private:
    QPlainTextEdit& m_box;
    std::deque<QString> m_lines; // newest first, each with its CR LF
    mutable QString m_text;
    mutable bool m_stale = false;
};

} // namespace jvz
