#pragma once

// The connect sequence's real neighbours: the USB enumeration library and the program's private phonebook.

#include "session/ConnectSequence.h"
#include "usbenum/YeldrinLibrary.h"

#include <QString>

namespace jvz {

class PrivatePhonebook;

// The library beside the program, loaded on the first call.
class YeldrinUsbTerminalPorts : public UsbTerminalPorts {
public:
    explicit YeldrinUsbTerminalPorts(const QString& programFolder);

    std::optional<Found> enumerate(const QString& prefix, QString& error) override;
    void restart(const QString& port) override;

private:
    YeldrinLibrary m_library;
};

// The phonebook; modemList, when given, is the program-wide list of usable ports: read from there and
// rebuilt into it.
class PrivatePhonebookConnect : public ConnectPhonebook {
public:
    explicit PrivatePhonebookConnect(PrivatePhonebook& phonebook, QString* modemList = nullptr);

    QString GetPhonebookPort() override;
    void SetPhonebookPort(const QString& port, bool batchMode, BatchErrorCode& error) override;
    void FindModemPorts() override;
    QString modemPorts() const override;

private:
    PrivatePhonebook& m_phonebook;
    QString* m_modemList;
};

} // namespace jvz
