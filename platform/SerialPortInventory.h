#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace jvz {

// One serial port of the machine, as the connection code sees it. Texts are bytes (the kernel's and the
// device's own), so they go unchanged into the C interface of the USB enumeration library.
struct SerialPort {
    std::string deviceName;   // kernel name: ttyACM0, ttyUSB0, ttyS0
    std::string deviceNode;   // /dev/ttyACM0
    std::string friendlyName; // "<model> (ttyACM0)": the port name reads back from between the parentheses
    std::string instanceId;   // USB\VID_XXXX&PID_YYYY\serial for USB devices, SERIAL\ttyS0 for the others
    bool isUsb = false;
    std::string usbVendorId;  // four upper-case hex digits, USB only
    std::string usbProductId; // four upper-case hex digits, USB only
    std::string usbSerial;    // as the device reports it; empty when it has none
    std::string usbBusPath;   // the USB device's place on the bus, e.g. 1-1.2
    std::string usbBusNode;   // /dev/bus/usb/001/004, the node a USB reset goes through
    bool canOpen = false;     // this user may read and write the device node
};

// What the backend reads of one tty device before deciding whether it is a serial port.
struct TtyFacts {
    struct Usb {
        std::string vendorId;  // sysfs idVendor
        std::string productId; // sysfs idProduct
        std::string serial;    // sysfs serial, empty when missing
        std::string product;   // sysfs product, empty when missing
        std::string busPath;   // sysfs name of the USB device
        std::string busNode;
    };
    std::string sysName;                 // ttyACM0
    std::string devNode;                 // empty when udev names none
    bool hasParent = false;              // virtual consoles and ptys have none
    std::optional<std::string> portType; // serial core "type" attribute; "0" is a port that is not there
    std::string modelHint;               // the hardware database's model name, when udev has one
    bool canOpen = false;
    std::optional<Usb> usb;
};

// The serial port that a tty stands for, or nothing when it is not one (no parent device, phantom port).
std::optional<SerialPort> describeTty(const TtyFacts& facts);

// The port named by its kernel name or its device node ("ttyACM0" or "/dev/ttyACM0").
std::optional<SerialPort> findSerialPort(const std::vector<SerialPort>& ports, std::string_view name);

// The machine's serial ports, read afresh on every call.
class SerialPortInventory {
public:
    virtual ~SerialPortInventory() = default;
    // Nothing when the ports cannot be listed at all; then lastError() says why.
    virtual std::optional<std::vector<SerialPort>> ports() = 0;
    virtual std::string lastError() const = 0;
};

// The real inventory: the tty subsystem through libudev. Attributes come from sysfs, so it works
// without a running udev daemon. It never opens a device.
class UdevSerialPortInventory : public SerialPortInventory {
public:
    std::optional<std::vector<SerialPort>> ports() override;
    std::string lastError() const override { return m_lastError; }

private:
    std::string m_lastError;
};

// A list supplied by the caller: for tests, and for callers that already hold a list.
class FixedSerialPortInventory : public SerialPortInventory {
public:
    FixedSerialPortInventory() = default;
    explicit FixedSerialPortInventory(std::vector<SerialPort> ports) : m_ports(std::move(ports)) {}

    void setPorts(std::vector<SerialPort> ports) { m_ports = std::move(ports); }
    // Makes ports() fail with this text, as when the system cannot be asked.
    void setUnavailable(std::string error) { m_unavailable = std::move(error); }

    std::optional<std::vector<SerialPort>> ports() override;
    std::string lastError() const override { return m_unavailable.value_or(std::string()); }

private:
    std::vector<SerialPort> m_ports;
    std::optional<std::string> m_unavailable;
};

// The machine's ports and one more: the pty a simulated terminal hangs on (scripts/demo), which the machine
// does not count as a serial port. It is listed as usable when its node is a character device.
class WithStandInPort : public SerialPortInventory {
public:
    WithStandInPort(SerialPortInventory& machine, std::string ptyName) : m_machine(machine), m_pty(std::move(ptyName))
    {
    }

    std::optional<std::vector<SerialPort>> ports() override;
    std::string lastError() const override { return m_machine.lastError(); }

private:
    SerialPortInventory& m_machine;
    std::string m_pty; // pts/3
};

enum class UsbResetOutcome {
    Done,         // the device was reset
    NotUsb,       // nothing to reset: the port is not on USB
    NotPermitted, // the bus node could not be opened by this user (or is missing)
    Failed,       // the reset request itself failed
};

const char* describe(UsbResetOutcome outcome);

// Resets the USB device behind a serial port.
class UsbDeviceResetter {
public:
    virtual ~UsbDeviceResetter() = default;
    // On anything but Done, error (when given) receives the reason.
    virtual UsbResetOutcome reset(const SerialPort& port, std::string* error) = 0;
};

// USBDEVFS_RESET on the device's node below /dev/bus/usb; any other node is refused.
class LinuxUsbDeviceResetter : public UsbDeviceResetter {
public:
    UsbResetOutcome reset(const SerialPort& port, std::string* error) override;
};

} // namespace jvz
