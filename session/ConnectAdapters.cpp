#include "ConnectAdapters.h"

#include "PrivatePhonebook.h"
#include "SessionLog.h"

#include <QFile>

namespace jvz {

YeldrinUsbTerminalPorts::YeldrinUsbTerminalPorts(const QString& programFolder)
    : m_library(QFile::encodeName(programFolder).toStdString())
{
}

std::optional<UsbTerminalPorts::Found> YeldrinUsbTerminalPorts::enumerate(const QString& prefix, QString& error)
{
    const std::optional<YeldrinLibrary::EnumResult> r = m_library.enumerate(prefix.toLatin1().toStdString());
    if (!r) {
        error = QString::fromLocal8Bit(m_library.errorText().c_str());
        return std::nullopt;
    }
    return Found{r->count, QString::fromLocal8Bit(r->names.c_str())};
}

void YeldrinUsbTerminalPorts::restart(const QString& port)
{
    // The answer only says whether the port was found; the dial tells the rest.
    const std::optional<int> found = m_library.restart(QFile::encodeName(port).toStdString());
    qCDebug(lcSession) << "restart of" << port << (found ? *found : -1);
}

PrivatePhonebookConnect::PrivatePhonebookConnect(PrivatePhonebook& phonebook, QString* modemList)
    : m_phonebook(phonebook), m_modemList(modemList)
{
}

QString PrivatePhonebookConnect::GetPhonebookPort()
{
    return m_phonebook.GetPhonebookPort();
}

void PrivatePhonebookConnect::SetPhonebookPort(const QString& port, bool batchMode, BatchErrorCode& error)
{
    m_phonebook.SetPhonebookPort(port, batchMode, error);
}

void PrivatePhonebookConnect::FindModemPorts()
{
    m_phonebook.FindModemPorts();
    if (m_modemList)
        *m_modemList = m_phonebook.gModemPorts;
}

QString PrivatePhonebookConnect::modemPorts() const
{
    // The program-wide list is the one start-up filled.
    return m_modemList ? *m_modemList : m_phonebook.gModemPorts;
}

} // namespace jvz
