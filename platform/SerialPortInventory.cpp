#include "platform/SerialPortInventory.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <libudev.h>
#include <linux/usbdevice_fs.h>
#include <memory>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace jvz {

namespace {

std::string trimmed(std::string_view text)
{
    const auto isBlank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

bool isControl(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7f;
}

// The model text sits in front of "(ttyX)", so its own parentheses would hide the port name.
std::string modelText(std::string_view raw)
{
    std::string out;
    for (char c : raw) {
        if (c == '(' || c == ')')
            continue;
        out += isControl(c) ? ' ' : c;
    }
    return trimmed(out);
}

// A device-supplied serial ends up inside a backslash-separated instance ID.
std::string instanceIdPart(std::string_view raw)
{
    std::string out = trimmed(raw);
    for (char& c : out) {
        if (c == '\\' || isControl(c))
            c = '_';
    }
    return out;
}

std::string upperHex(std::string_view raw)
{
    std::string out = trimmed(raw);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string attribute(udev_device* device, const char* name)
{
    const char* value = udev_device_get_sysattr_value(device, name);
    return value ? std::string(value) : std::string();
}

// busnum/devnum name the node below /dev/bus/usb when udev reports no DEVNAME.
std::string busNodeFromNumbers(const std::string& busnum, const std::string& devnum)
{
    const auto parse = [](const std::string& text, int& out) {
        const std::string t = trimmed(text);
        const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), out);
        return ec == std::errc() && end == t.data() + t.size() && out >= 1 && out <= 999;
    };
    int bus = 0;
    int dev = 0;
    if (!parse(busnum, bus) || !parse(devnum, dev))
        return {};
    char node[32];
    std::snprintf(node, sizeof node, "/dev/bus/usb/%03d/%03d", bus, dev);
    return node;
}

TtyFacts readFacts(udev_device* device)
{
    TtyFacts facts;
    if (const char* name = udev_device_get_sysname(device))
        facts.sysName = name;
    if (const char* node = udev_device_get_devnode(device))
        facts.devNode = node;
    facts.hasParent = udev_device_get_parent(device) != nullptr;
    if (const char* type = udev_device_get_sysattr_value(device, "type"))
        facts.portType = type;
    if (const char* model = udev_device_get_property_value(device, "ID_MODEL_FROM_DATABASE"))
        facts.modelHint = model;
    facts.canOpen = !facts.devNode.empty() && ::access(facts.devNode.c_str(), R_OK | W_OK) == 0;

    // Owned by the tty device; freed with it.
    if (udev_device* usb = udev_device_get_parent_with_subsystem_devtype(device, "usb", "usb_device")) {
        TtyFacts::Usb u;
        u.vendorId = attribute(usb, "idVendor");
        u.productId = attribute(usb, "idProduct");
        u.serial = attribute(usb, "serial");
        u.product = attribute(usb, "product");
        if (const char* name = udev_device_get_sysname(usb))
            u.busPath = name;
        if (const char* node = udev_device_get_devnode(usb))
            u.busNode = node;
        else
            u.busNode = busNodeFromNumbers(attribute(usb, "busnum"), attribute(usb, "devnum"));
        facts.usb = std::move(u);
    }
    return facts;
}

struct UdevDeleter {
    void operator()(udev* u) const { udev_unref(u); }
    void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
    void operator()(udev_device* d) const { udev_device_unref(d); }
};

} // namespace

std::optional<SerialPort> describeTty(const TtyFacts& facts)
{
    if (facts.sysName.empty() || !facts.hasParent)
        return std::nullopt;
    if (facts.portType && trimmed(*facts.portType) == "0")
        return std::nullopt;

    SerialPort port;
    port.deviceName = facts.sysName;
    port.deviceNode = facts.devNode.empty() ? "/dev/" + facts.sysName : facts.devNode;
    port.canOpen = facts.canOpen;

    std::string model;
    if (facts.usb) {
        const TtyFacts::Usb& usb = *facts.usb;
        port.isUsb = true;
        port.usbVendorId = upperHex(usb.vendorId);
        port.usbProductId = upperHex(usb.productId);
        port.usbSerial = trimmed(usb.serial);
        port.usbBusPath = trimmed(usb.busPath);
        port.usbBusNode = usb.busNode;
        // Every tty of one device shares the ID; the bus path stands in for a missing serial number.
        std::string serial = instanceIdPart(usb.serial);
        if (serial.empty())
            serial = instanceIdPart(usb.busPath);
        if (serial.empty())
            serial = facts.sysName;
        port.instanceId = "USB\\VID_" + port.usbVendorId + "&PID_" + port.usbProductId + "\\" + serial;
        model = modelText(usb.product);
    } else {
        port.instanceId = "SERIAL\\" + facts.sysName;
    }
    if (model.empty())
        model = modelText(facts.modelHint);
    if (model.empty())
        model = port.isUsb ? "USB serial port" : "Serial port";
    port.friendlyName = model + " (" + facts.sysName + ")";
    return port;
}

std::optional<SerialPort> findSerialPort(const std::vector<SerialPort>& ports, std::string_view name)
{
    for (const SerialPort& port : ports) {
        if (port.deviceName == name || port.deviceNode == name)
            return port;
    }
    return std::nullopt;
}

std::optional<std::vector<SerialPort>> UdevSerialPortInventory::ports()
{
    m_lastError.clear();
    std::unique_ptr<udev, UdevDeleter> context(udev_new());
    if (!context) {
        m_lastError = std::string("cannot reach udev: ") + std::strerror(errno);
        return std::nullopt;
    }
    std::unique_ptr<udev_enumerate, UdevDeleter> scan(udev_enumerate_new(context.get()));
    if (!scan || udev_enumerate_add_match_subsystem(scan.get(), "tty") < 0 ||
        udev_enumerate_scan_devices(scan.get()) < 0) {
        m_lastError = "cannot list the tty devices";
        return std::nullopt;
    }
    std::vector<SerialPort> found;
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(scan.get()))
    {
        const char* path = udev_list_entry_get_name(entry);
        std::unique_ptr<udev_device, UdevDeleter> device(udev_device_new_from_syspath(context.get(), path));
        if (!device)
            continue; // gone since the scan
        if (auto port = describeTty(readFacts(device.get())))
            found.push_back(std::move(*port));
    }
    return found;
}

std::optional<std::vector<SerialPort>> FixedSerialPortInventory::ports()
{
    if (m_unavailable)
        return std::nullopt;
    return m_ports;
}

const char* describe(UsbResetOutcome outcome)
{
    switch (outcome) {
    case UsbResetOutcome::Done:
        return "reset";
    case UsbResetOutcome::NotUsb:
        return "not a USB device";
    case UsbResetOutcome::NotPermitted:
        return "reset not permitted";
    case UsbResetOutcome::Failed:
        return "reset failed";
    }
    return "";
}

UsbResetOutcome LinuxUsbDeviceResetter::reset(const SerialPort& port, std::string* error)
{
    const auto fail = [error](UsbResetOutcome outcome, std::string why) {
        if (error)
            *error = std::move(why);
        return outcome;
    };
    if (!port.isUsb || port.usbBusNode.empty())
        return fail(UsbResetOutcome::NotUsb, port.deviceName + " is not on USB");
    // Only a USB device node may receive the request; a tty or anything else never does.
    constexpr std::string_view busRoot = "/dev/bus/usb/";
    const std::string& node = port.usbBusNode;
    if (node.compare(0, busRoot.size(), busRoot) != 0 || node.find("..") != std::string::npos)
        return fail(UsbResetOutcome::NotPermitted, node + " is not a USB device node");

    const int fd = ::open(node.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return fail(UsbResetOutcome::NotPermitted, node + ": " + std::strerror(errno));
    const int rc = ::ioctl(fd, USBDEVFS_RESET, 0);
    const int savedErrno = errno;
    ::close(fd);
    if (rc < 0)
        return fail(UsbResetOutcome::Failed, node + ": " + std::strerror(savedErrno));
    return UsbResetOutcome::Done;
}

std::optional<std::vector<SerialPort>> WithStandInPort::ports()
{
    std::optional<std::vector<SerialPort>> ports = m_machine.ports();
    if (!ports)
        return ports;
    SerialPort pty;
    pty.deviceName = m_pty;
    pty.deviceNode = "/dev/" + m_pty;
    pty.friendlyName = "Simulated terminal (" + m_pty + ")";
    pty.instanceId = "SERIAL\\" + m_pty;
    struct stat st {};
    pty.canOpen = m_pty.rfind("pts/", 0) == 0 && ::stat(pty.deviceNode.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
    ports->push_back(std::move(pty));
    return ports;
}

} // namespace jvz
