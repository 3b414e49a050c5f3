#include "platform/SerialPortInventory.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <set>

using jvz::SerialPort;
using jvz::TtyFacts;

namespace {

TtyFacts tty(std::string name, bool hasParent = true)
{
    TtyFacts facts;
    facts.sysName = std::move(name);
    facts.devNode = "/dev/" + facts.sysName;
    facts.hasParent = hasParent;
    return facts;
}

TtyFacts usbTty(std::string name, std::string vid, std::string pid, std::string serial, std::string product,
                std::string busPath = "1-1.2")
{
    TtyFacts facts = tty(std::move(name));
    facts.usb = TtyFacts::Usb{std::move(vid),     std::move(pid),     std::move(serial),
                              std::move(product), std::move(busPath), "/dev/bus/usb/001/004"};
    return facts;
}

TtyFacts withType(TtyFacts facts, std::string type)
{
    facts.portType = std::move(type);
    return facts;
}

TtyFacts withHint(TtyFacts facts, std::string hint)
{
    facts.modelHint = std::move(hint);
    return facts;
}

TtyFacts withoutNode(TtyFacts facts)
{
    facts.devNode.clear();
    return facts;
}

struct DescribeCase {
    const char* what;
    TtyFacts facts;
    bool isPort;
    const char* instanceId;
    const char* friendlyName;
    const char* deviceNode;
};

} // namespace

TEST(SerialInventoryDescribe, TtyFactsBecomePortsOrAreLeftOut)
{
    const DescribeCase cases[] = {
        {"virtual console", tty("tty1", false), false, "", "", ""},
        {"pty master", tty("ptmx", false), false, "", "", ""},
        {"phantom 8250 port", withType(tty("ttyS3"), "0"), false, "", "", ""},
        {"phantom port, type with newline", withType(tty("ttyS2"), "0\n"), false, "", "", ""},
        {"real 16550A port", withType(tty("ttyS0"), "4"), true, "SERIAL\\ttyS0", "Serial port (ttyS0)", "/dev/ttyS0"},
        {"platform port without type", tty("ttyAMA0"), true, "SERIAL\\ttyAMA0", "Serial port (ttyAMA0)",
         "/dev/ttyAMA0"},
        {"USB terminal with serial, lower-case ids", usbTty("ttyACM0", "1a2b", "00ff", "ABC123", "Terminal M40"), true,
         "USB\\VID_1A2B&PID_00FF\\ABC123", "Terminal M40 (ttyACM0)", "/dev/ttyACM0"},
        {"USB adapter without serial uses the bus path", usbTty("ttyUSB0", "0403", "6001", "", "FT232R USB UART"), true,
         "USB\\VID_0403&PID_6001\\1-1.2", "FT232R USB UART (ttyUSB0)", "/dev/ttyUSB0"},
        {"parentheses of the model are dropped", usbTty("ttyACM1", "1234", "0001", "S1", "Gadget (CDC) v2"), true,
         "USB\\VID_1234&PID_0001\\S1", "Gadget CDC v2 (ttyACM1)", "/dev/ttyACM1"},
        {"backslash and control bytes in the serial",
         usbTty("ttyACM2", "1234", "0001",
                "A\\B\x01"
                "C",
                "X"),
         true, "USB\\VID_1234&PID_0001\\A_B_C", "X (ttyACM2)", "/dev/ttyACM2"},
        {"serial with blanks around it", usbTty("ttyACM3", " 1234\n", "0001\n", "  77  ", "X\n"), true,
         "USB\\VID_1234&PID_0001\\77", "X (ttyACM3)", "/dev/ttyACM3"},
        {"model from the hardware database", withHint(usbTty("ttyUSB1", "0403", "6001", "F1", ""), "FT232 (UART) IC"),
         true, "USB\\VID_0403&PID_6001\\F1", "FT232 UART IC (ttyUSB1)", "/dev/ttyUSB1"},
        {"USB device without any model text", usbTty("ttyUSB2", "0403", "6001", "F2", ""), true,
         "USB\\VID_0403&PID_6001\\F2", "USB serial port (ttyUSB2)", "/dev/ttyUSB2"},
        {"no node from udev", withoutNode(tty("ttyS1")), true, "SERIAL\\ttyS1", "Serial port (ttyS1)", "/dev/ttyS1"},
    };
    for (const DescribeCase& c : cases) {
        SCOPED_TRACE(c.what);
        const auto port = jvz::describeTty(c.facts);
        ASSERT_EQ(port.has_value(), c.isPort);
        if (!port)
            continue;
        EXPECT_EQ(port->deviceName, c.facts.sysName);
        EXPECT_EQ(port->instanceId, c.instanceId);
        EXPECT_EQ(port->friendlyName, c.friendlyName);
        EXPECT_EQ(port->deviceNode, c.deviceNode);
        EXPECT_EQ(port->isUsb, c.facts.usb.has_value());
    }
}

TEST(SerialInventoryDescribe, UsbFieldsAndAccessAreCarried)
{
    TtyFacts facts = usbTty("ttyACM0", "1a2b", "00ff", "ABC", "T");
    facts.canOpen = true;
    const auto port = jvz::describeTty(facts);
    ASSERT_TRUE(port);
    EXPECT_EQ(port->usbVendorId, "1A2B");
    EXPECT_EQ(port->usbProductId, "00FF");
    EXPECT_EQ(port->usbSerial, "ABC");
    EXPECT_EQ(port->usbBusPath, "1-1.2");
    EXPECT_EQ(port->usbBusNode, "/dev/bus/usb/001/004");
    EXPECT_TRUE(port->canOpen);

    facts.canOpen = false;
    EXPECT_FALSE(jvz::describeTty(facts)->canOpen);
}

// A device with two serial interfaces is one device: both ports carry its single ID, with or without serial.
TEST(SerialInventoryDescribe, InterfacesOfOneDeviceShareTheInstanceId)
{
    for (const std::string serial : {"ABC", ""}) {
        SCOPED_TRACE(serial);
        const auto a = jvz::describeTty(usbTty("ttyACM0", "1234", "0001", serial, "Modem"));
        const auto b = jvz::describeTty(usbTty("ttyACM1", "1234", "0001", serial, "Modem"));
        ASSERT_TRUE(a && b);
        EXPECT_EQ(a->instanceId, b->instanceId);
        EXPECT_NE(a->friendlyName, b->friendlyName);
    }
}

TEST(SerialInventoryFind, ByKernelNameOrDeviceNode)
{
    const std::vector<SerialPort> ports = {*jvz::describeTty(tty("ttyS0")), *jvz::describeTty(tty("ttyACM0"))};
    const struct {
        const char* name;
        const char* found;
    } cases[] = {
        {"ttyACM0", "ttyACM0"}, {"/dev/ttyACM0", "ttyACM0"}, {"ttyS0", "ttyS0"}, {"ACM0", nullptr},
        {"ttyacm0", nullptr},   {"/dev/ttyUSB0", nullptr},   {"", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto port = jvz::findSerialPort(ports, c.name);
        ASSERT_EQ(port.has_value(), c.found != nullptr);
        if (port) {
            EXPECT_EQ(port->deviceName, c.found);
        }
    }
}

TEST(SerialInventoryFixed, HandsBackItsListOrFails)
{
    jvz::FixedSerialPortInventory inventory({*jvz::describeTty(tty("ttyS0"))});
    ASSERT_TRUE(inventory.ports());
    EXPECT_EQ(inventory.ports()->size(), 1u);
    inventory.setUnavailable("no udev");
    EXPECT_FALSE(inventory.ports());
    EXPECT_EQ(inventory.lastError(), "no udev");
}

// The reset must never reach anything but a USB device node; these cases open nothing of the machine.
TEST(SerialInventoryReset, RefusesWhatIsNotAUsbDeviceNode)
{
    SerialPort plain = *jvz::describeTty(tty("ttyS0"));
    SerialPort usb = *jvz::describeTty(usbTty("ttyACM0", "1234", "0001", "S", "T"));
    const struct {
        const char* what;
        SerialPort port;
        std::string busNode;
        jvz::UsbResetOutcome outcome;
    } cases[] = {
        {"plain serial port", plain, "", jvz::UsbResetOutcome::NotUsb},
        {"USB port without a bus node", usb, "", jvz::UsbResetOutcome::NotUsb},
        {"a tty given as bus node", usb, "/dev/ttyS0", jvz::UsbResetOutcome::NotPermitted},
        {"a path that climbs out", usb, "/dev/bus/usb/../../ttyS0", jvz::UsbResetOutcome::NotPermitted},
        {"a bus node that is not there", usb, "/dev/bus/usb/999/999", jvz::UsbResetOutcome::NotPermitted},
    };
    jvz::LinuxUsbDeviceResetter resetter;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SerialPort port = c.port;
        if (port.isUsb)
            port.usbBusNode = c.busNode;
        std::string why;
        EXPECT_EQ(resetter.reset(port, &why), c.outcome);
        EXPECT_FALSE(why.empty());
    }
}

// The real backend, read only: it must agree with the kernel's own list of ttys that hang on a device.
TEST(SerialInventoryUdev, ListsTheTtysWithAParentDeviceAndNothingElse)
{
    jvz::UdevSerialPortInventory inventory;
    const auto ports = inventory.ports();
    ASSERT_TRUE(ports) << inventory.lastError();

    namespace fs = std::filesystem;
    std::set<std::string> expected;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/sys/class/tty", ec)) {
        if (!fs::exists(entry.path() / "device"))
            continue;
        std::ifstream typeFile(entry.path() / "type");
        int type = -1;
        if (typeFile && (typeFile >> type) && type == 0)
            continue;
        expected.insert(entry.path().filename().string());
    }

    std::set<std::string> listed;
    for (const SerialPort& port : *ports) {
        SCOPED_TRACE(port.deviceName);
        listed.insert(port.deviceName);
        EXPECT_EQ(port.deviceNode, "/dev/" + port.deviceName);
        const std::string tail = "(" + port.deviceName + ")";
        ASSERT_GE(port.friendlyName.size(), tail.size());
        EXPECT_EQ(port.friendlyName.substr(port.friendlyName.size() - tail.size()), tail);
        EXPECT_EQ(port.friendlyName.find('('), port.friendlyName.size() - tail.size());
        if (port.isUsb) {
            EXPECT_EQ(port.instanceId.rfind("USB\\VID_", 0), 0u);
        } else {
            EXPECT_EQ(port.instanceId, "SERIAL\\" + port.deviceName);
        }
    }
    EXPECT_EQ(listed, expected);
}
