#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace jvztest {

// PATH for one test, restored afterwards.
class ScopedPath {
public:
    explicit ScopedPath(const QString& path) : m_saved(qgetenv("PATH")) { qputenv("PATH", QFile::encodeName(path)); }
    ~ScopedPath() { qputenv("PATH", m_saved); }
    ScopedPath(const ScopedPath&) = delete;
    ScopedPath& operator=(const ScopedPath&) = delete;

private:
    QByteArray m_saved;
};

} // namespace jvztest
