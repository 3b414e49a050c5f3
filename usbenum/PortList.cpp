#include "usbenum/PortList.h"

#include <QLoggingCategory>
#include <cstring>

namespace jvz {

namespace {

Q_LOGGING_CATEGORY(lcUsbEnum, "jvz.usbenum", QtInfoMsg)

// The Linux counterpart of "COM": a port name is a kernel tty name.
constexpr std::string_view portPrefix = "tty";

} // namespace

std::string ComPortName(std::string_view friendlyName)
{
    const auto open = friendlyName.find('(');
    const auto close = friendlyName.find(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open)
        return {};
    return std::string(friendlyName.substr(open + 1, close - open - 1));
}

PortList::PortList(SerialPortInventory& inventory, UsbDeviceResetter& resetter)
    : m_inventory(inventory), m_resetter(resetter)
{
    RefreshPorts();
}

bool PortList::OpenDeviceSet()
{
    m_records.clear();
    m_count = 0;
    m_deviceSet = m_inventory.ports();
    if (!m_deviceSet) {
        m_lastError = m_inventory.lastError();
        qCWarning(lcUsbEnum) << "cannot list the serial ports:" << m_lastError.c_str();
        return false;
    }
    return true;
}

void PortList::CollectPorts()
{
    if (!m_deviceSet)
        return;
    for (const SerialPort& port : *m_deviceSet) {
        PortRecord record;
        record.FriendlyName = port.friendlyName;
        record.ComName = ComPortName(port.friendlyName);
        if (record.ComName.compare(0, portPrefix.size(), portPrefix) != 0)
            continue;
        record.DevicePath = port.deviceNode;
        record.InstanceId = port.instanceId;
        record.LocationIsUsb = port.isUsb;
        record.Device = port;
        m_records.push_back(std::move(record));
        ++m_count;
    }
}

void PortList::CloseDeviceSet()
{
    m_deviceSet.reset();
}

void PortList::RefreshPorts()
{
    if (OpenDeviceSet()) {
        CollectPorts();
        CloseDeviceSet();
    }
}

int PortList::CollectByInstancePrefix(std::string_view prefix, int* count, char* buffer, std::size_t size)
{
    if (!buffer)
        size = 0;
    if (size > 0)
        buffer[0] = '\0';
    if (count)
        *count = 0;
    if (!OpenDeviceSet())
        return 1;
    CollectPorts();
    std::size_t used = 0;
    int written = 0;
    for (const PortRecord& record : m_records) {
        if (record.InstanceId.compare(0, prefix.size(), prefix) != 0)
            continue;
        // An entry that does not fit ends the list: later ones are not squeezed in out of order.
        const std::size_t entry = record.ComName.size() + 1;
        if (used + entry + 1 > size) {
            qCWarning(lcUsbEnum) << "port list truncated at" << written << "entries for a buffer of" << size << "bytes";
            break;
        }
        std::memcpy(buffer + used, record.ComName.data(), record.ComName.size());
        buffer[used + entry - 1] = ',';
        used += entry;
        buffer[used] = '\0';
        ++written;
    }
    if (count)
        *count = written;
    CloseDeviceSet();
    return 1;
}

int PortList::RestartByName(std::string_view name)
{
    int found = 0;
    if (OpenDeviceSet()) {
        CollectPorts();
        for (const PortRecord& record : m_records) {
            if (record.DevicePath == name || record.ComName == name) {
                RestartPort(record);
                found = 1;
                break;
            }
        }
    }
    CloseDeviceSet();
    return found;
}

void PortList::RestartPort(const PortRecord& record)
{
    std::string why;
    const UsbResetOutcome outcome = m_resetter.reset(record.Device, &why);
    if (outcome == UsbResetOutcome::Done) {
        qCDebug(lcUsbEnum) << "restarted" << record.ComName.c_str();
        return;
    }
    // Not being allowed to reset is normal for a plain user; the port is still there to dial.
    m_lastError = why;
    qCDebug(lcUsbEnum) << "restart of" << record.ComName.c_str() << "skipped:" << describe(outcome) << why.c_str();
}

int PortList::GetPort(int index, PortRecord& record) const
{
    if (index < 0 || index >= m_count)
        return 0;
    auto it = m_records.begin();
    std::advance(it, index);
    record = *it;
    return 1;
}

int PortList::GetCount() const
{
    return m_count;
}

std::string PortList::LastErrorText() const
{
    return m_lastError;
}

} // namespace jvz
