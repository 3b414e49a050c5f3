// The exports of libYeldrin.so: thin C wrappers over one PortList on the real udev inventory.
#include "usbenum/PortList.h"
#include "usbenum/Yeldrin.h"

namespace {

// Built on the first export call, destroyed when the library is unloaded.
jvz::PortList& portList()
{
    static jvz::UdevSerialPortInventory inventory;
    static jvz::LinuxUsbDeviceResetter resetter;
    static jvz::PortList list(inventory, resetter);
    return list;
}

constexpr int classicBufferSize = 100;

} // namespace

extern "C" int DeviceUsbEnumEx(const char* prefix, int* count, char* buffer, int size)
{
    const std::size_t bytes = size > 0 ? static_cast<std::size_t>(size) : 0;
    if (!prefix) {
        // Nothing asked for: report nothing found rather than everything.
        if (buffer && bytes > 0)
            buffer[0] = '\0';
        if (count)
            *count = 0;
        return 1;
    }
    return portList().CollectByInstancePrefix(prefix, count, buffer, bytes);
}

extern "C" int DeviceUsbEnum(const char* prefix, int* count, char* buffer)
{
    return DeviceUsbEnumEx(prefix, count, buffer, classicBufferSize);
}

extern "C" int DeviceUsbRestart(const char* portName)
{
    if (!portName)
        return 0;
    return portList().RestartByName(portName);
}
