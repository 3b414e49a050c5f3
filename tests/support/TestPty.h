#pragma once

#include <QString>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace jvztest {

// A pty the test opens, standing for the terminal's port: no device of the machine is ever used.
class TestPty {
public:
    TestPty()
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master >= 0 && ::grantpt(m_master) == 0 && ::unlockpt(m_master) == 0)
            m_node = QString::fromLocal8Bit(::ptsname(m_master));
    }
    ~TestPty()
    {
        if (m_master >= 0)
            ::close(m_master);
    }
    TestPty(const TestPty&) = delete;
    TestPty& operator=(const TestPty&) = delete;

    // "/dev/pts/N"; empty when no pty could be opened.
    const QString& node() const { return m_node; }
    // "pts/N", as a port is named.
    QString name() const { return m_node.mid(5); }

private:
    int m_master = -1;
    QString m_node;
};

} // namespace jvztest
