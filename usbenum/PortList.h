#pragma once

#include "platform/SerialPortInventory.h"

#include <cstddef>
#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace jvz {

// One serial port of the enumeration. ComName is the kernel device name (ttyACM0), DevicePath the node
// to open it with (/dev/ttyACM0).
struct PortRecord {
    std::string ComName;
    std::string FriendlyName;
    std::string DevicePath;
    std::string InstanceId;
    bool LocationIsUsb = false;
    SerialPort Device; // what a restart acts on
};

class PortListBase {
public:
    virtual ~PortListBase() = default;
};

// The ports of the machine, rebuilt from the inventory on every call.
class PortList : public PortListBase {
public:
    PortList(SerialPortInventory& inventory, UsbDeviceResetter& resetter);

    // Writes "name," for every port whose InstanceId starts with prefix (case-sensitive; an empty prefix
    // matches all), in enumeration order. Only whole entries that fit with the final NUL in size bytes are
    // written, and count counts only those. Always 1.
    int CollectByInstancePrefix(std::string_view prefix, int* count, char* buffer, std::size_t size);
    // Restarts the first port whose DevicePath or ComName equals name. 1 when one was found, whatever
    // the restart did; 0 otherwise.
    int RestartByName(std::string_view name);
    void RefreshPorts();

    int GetPort(int index, PortRecord& record) const;
    int GetCount() const;
    std::string LastErrorText() const;

private:
    bool OpenDeviceSet();
    void CollectPorts();
    void CloseDeviceSet();
    void RestartPort(const PortRecord& record);

    SerialPortInventory& m_inventory;
    UsbDeviceResetter& m_resetter;
    std::list<PortRecord> m_records;
    int m_count = 0;
    std::optional<std::vector<SerialPort>> m_deviceSet; // held only between OpenDeviceSet and CloseDeviceSet
    std::string m_lastError;
};

// The text between the first "(" and the first ")"; empty when either is missing or ")" comes first.
std::string ComPortName(std::string_view friendlyName);

} // namespace jvz
