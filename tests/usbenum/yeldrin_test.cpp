#include "usbenum/PortList.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using jvz::PortList;
using jvz::SerialPort;

namespace {

SerialPort port(std::string name, std::string friendly, std::string instanceId, bool usb = true)
{
    SerialPort p;
    p.deviceName = name;
    p.deviceNode = "/dev/" + name;
    p.friendlyName = std::move(friendly);
    p.instanceId = std::move(instanceId);
    p.isUsb = usb;
    if (usb)
        p.usbBusNode = "/dev/bus/usb/001/002";
    return p;
}

// The device of the worked example: one USB serial device on ttyACM12.
SerialPort exampleTerminal()
{
    return port("ttyACM12", "USB Serial Port (ttyACM12)", "USB\\VID_1234&PID_0001\\6&ABC");
}

SerialPort plainPort(std::string name)
{
    return port(name, "Serial port (" + name + ")", "SERIAL\\" + name, false);
}

class RecordingResetter : public jvz::UsbDeviceResetter {
public:
    jvz::UsbResetOutcome reset(const SerialPort& p, std::string* error) override
    {
        resets.push_back(p.deviceName);
        if (outcome != jvz::UsbResetOutcome::Done && error)
            *error = "denied for " + p.deviceName;
        return outcome;
    }
    std::vector<std::string> resets;
    jvz::UsbResetOutcome outcome = jvz::UsbResetOutcome::Done;
};

struct Enumerated {
    int result = -1;
    int count = -1;
    std::string buffer;
};

// Runs the enumeration into a buffer pre-filled with garbage, as a caller's reused buffer would be.
Enumerated enumerate(PortList& list, std::string_view prefix, std::size_t size = 100)
{
    std::vector<char> buffer(size + 1, 'X');
    Enumerated e;
    e.result = list.CollectByInstancePrefix(prefix, &e.count, buffer.data(), size);
    e.buffer = buffer.data();
    return e;
}

struct Fixture {
    explicit Fixture(std::vector<SerialPort> ports) : inventory(std::move(ports)), list(inventory, resetter) {}
    jvz::FixedSerialPortInventory inventory;
    RecordingResetter resetter;
    PortList list;
};

} // namespace

TEST(YeldrinEnum, PrefixMatchesAsTheWorkedExamplesSay)
{
    const std::string longSerial(60, 'S');
    const SerialPort longId = port("ttyACM5", "Long (ttyACM5)", "USB\\VID_4321&PID_0002\\" + longSerial);
    const struct {
        const char* what;
        std::vector<SerialPort> ports;
        std::string prefix;
        int count;
        const char* buffer;
    } cases[] = {
        {"vendor prefix", {exampleTerminal()}, "USB\\VID_1234", 1, "ttyACM12,"},
        {"other vendor", {exampleTerminal()}, "USB\\VID_9999", 0, ""},
        {"empty prefix matches all", {exampleTerminal(), plainPort("ttyS0")}, "", 2, "ttyACM12,ttyS0,"},
        {"case-sensitive", {exampleTerminal()}, "usb\\vid_1234", 0, ""},
        {"whole instance ID", {exampleTerminal()}, "USB\\VID_1234&PID_0001\\6&ABC", 1, "ttyACM12,"},
        {"prefix longer than the ID", {exampleTerminal()}, "USB\\VID_1234&PID_0001\\6&ABCD", 0, ""},
        {"two matches in enumeration order",
         {port("ttyACM3", "T (ttyACM3)", "USB\\VID_1234&PID_0001\\A"), plainPort("ttyS0"),
          port("ttyACM1", "T (ttyACM1)", "USB\\VID_1234&PID_0002\\B")},
         "USB\\VID_1234",
         2,
         "ttyACM3,ttyACM1,"},
        {"prefix past 39 characters", {longId}, "USB\\VID_4321&PID_0002\\" + longSerial, 1, "ttyACM5,"},
        {"modem without parentheses",
         {port("ttyACM0", "Standard Modem", "USB\\VID_1234&PID_0001\\M")},
         "USB\\VID_1234",
         0,
         ""},
        {"name in parentheses is not a tty",
         {port("rfcomm0", "Link (rfcomm0)", "USB\\VID_1234&PID_0001\\R")},
         "USB\\VID_1234",
         0,
         ""},
        {"closing parenthesis first",
         {port("ttyACM0", "Odd )ttyACM0(", "USB\\VID_1234&PID_0001\\O")},
         "USB\\VID_1234",
         0,
         ""},
        {"no ports at all", {}, "", 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Fixture f(c.ports);
        const Enumerated e = enumerate(f.list, c.prefix);
        EXPECT_EQ(e.result, 1);
        EXPECT_EQ(e.count, c.count);
        EXPECT_EQ(e.buffer, c.buffer);
        EXPECT_TRUE(f.resetter.resets.empty());
    }
}

TEST(YeldrinEnum, ComPortNameTakesTheTextBetweenTheFirstParentheses)
{
    const struct {
        const char* friendly;
        const char* name;
    } cases[] = {
        {"USB Serial Port (ttyACM12)", "ttyACM12"},
        {"A (ttyS0) (ttyS1)", "ttyS0"},
        {"()", ""},
        {"No parentheses", ""},
        {"Open only (ttyS0", ""},
        {"Close only ttyS0)", ""},
        {") before (", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.friendly);
        EXPECT_EQ(jvz::ComPortName(c.friendly), c.name);
    }
}

// Thirty matching ports never overrun the caller's buffer: only whole entries, the count matching them.
TEST(YeldrinBuffer, ThirtyMatchingPortsStayWithinTheBuffer)
{
    std::vector<SerialPort> ports;
    std::vector<std::string> names;
    for (int i = 0; i < 30; ++i) {
        names.push_back("ttyACM" + std::to_string(i));
        ports.push_back(port(names.back(), "T (" + names.back() + ")", "USB\\VID_1234&PID_0001\\" + std::to_string(i)));
    }
    Fixture f(ports);

    const struct {
        std::size_t size;
        int count;
    } cases[] = {
        {1, 0},     // room for the NUL only
        {8, 0},     // "ttyACM0," needs 9 bytes with its NUL
        {9, 1},     //
        {100, 12},  // the size callers of DeviceUsbEnum pass: ten 8-byte and two 9-byte entries, 98 bytes
        {4096, 30}, //
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        constexpr char canary = '#';
        std::vector<char> buffer(c.size + 64, canary);
        int count = -1;
        EXPECT_EQ(f.list.CollectByInstancePrefix("USB\\VID_1234", &count, buffer.data(), c.size), 1);
        EXPECT_EQ(count, c.count);
        EXPECT_TRUE(std::all_of(buffer.begin() + c.size, buffer.end(), [](char ch) { return ch == canary; }));
        const std::string text(buffer.data());
        EXPECT_LT(text.size(), c.size);
        std::string expected;
        for (int i = 0; i < c.count; ++i)
            expected += names[i] + ",";
        EXPECT_EQ(text, expected);
    }
}

TEST(YeldrinBuffer, MissingBufferOrCountIsSafe)
{
    Fixture f({exampleTerminal()});
    int count = -1;
    EXPECT_EQ(f.list.CollectByInstancePrefix("", &count, nullptr, 100), 1);
    EXPECT_EQ(count, 0);

    char canary = '#';
    EXPECT_EQ(f.list.CollectByInstancePrefix("", &count, &canary, 0), 1);
    EXPECT_EQ(canary, '#');
    EXPECT_EQ(count, 0);

    char buffer[32];
    EXPECT_EQ(f.list.CollectByInstancePrefix("", nullptr, buffer, sizeof buffer), 1);
    EXPECT_STREQ(buffer, "ttyACM12,");
}

TEST(YeldrinRestart, FindsThePortByNameOrDevicePath)
{
    const struct {
        const char* name;
        int result;
        std::vector<std::string> resets;
    } cases[] = {
        {"ttyACM12", 1, {"ttyACM12"}},
        {"/dev/ttyACM12", 1, {"ttyACM12"}},
        {"ttyS0", 1, {"ttyS0"}},
        {"/dev/ttyS0", 1, {"ttyS0"}},
        {"ttyacm12", 0, {}},
        {"ACM12", 0, {}},
        {"/dev/ttyACM1", 0, {}},
        {"dev/ttyACM12", 0, {}},
        {"nosuch", 0, {}},
        {"", 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f({plainPort("ttyS0"), exampleTerminal()});
        EXPECT_EQ(f.list.RestartByName(c.name), c.result);
        EXPECT_EQ(f.resetter.resets, c.resets);
    }
}

TEST(YeldrinRestart, AFailedRestartStillMeansFound)
{
    Fixture f({exampleTerminal()});
    for (auto outcome : {jvz::UsbResetOutcome::NotPermitted, jvz::UsbResetOutcome::Failed}) {
        SCOPED_TRACE(jvz::describe(outcome));
        f.resetter.outcome = outcome;
        EXPECT_EQ(f.list.RestartByName("ttyACM12"), 1);
        EXPECT_EQ(f.list.LastErrorText(), "denied for ttyACM12");
    }
}

TEST(YeldrinPortList, AnUnreadableInventoryYieldsNothing)
{
    Fixture f({exampleTerminal()});
    f.inventory.setUnavailable("udev is gone");
    const Enumerated e = enumerate(f.list, "");
    EXPECT_EQ(e.result, 1);
    EXPECT_EQ(e.count, 0);
    EXPECT_EQ(e.buffer, "");
    EXPECT_EQ(f.list.RestartByName("ttyACM12"), 0);
    EXPECT_TRUE(f.resetter.resets.empty());
    EXPECT_EQ(f.list.LastErrorText(), "udev is gone");
    EXPECT_EQ(f.list.GetCount(), 0);
}

// Ports come and go between calls: each call sees the system as it is then.
TEST(YeldrinPortList, EveryCallRereadsThePorts)
{
    Fixture f({exampleTerminal(), plainPort("ttyS0"), port("ttyACM0", "Standard Modem", "USB\\VID_1\\X")});
    EXPECT_EQ(f.list.GetCount(), 2); // the constructor already read them; the modem has no port name

    jvz::PortRecord record;
    ASSERT_EQ(f.list.GetPort(0, record), 1);
    EXPECT_EQ(record.ComName, "ttyACM12");
    EXPECT_EQ(record.DevicePath, "/dev/ttyACM12");
    EXPECT_EQ(record.FriendlyName, "USB Serial Port (ttyACM12)");
    EXPECT_EQ(record.InstanceId, "USB\\VID_1234&PID_0001\\6&ABC");
    EXPECT_TRUE(record.LocationIsUsb);
    ASSERT_EQ(f.list.GetPort(1, record), 1);
    EXPECT_EQ(record.ComName, "ttyS0");
    EXPECT_FALSE(record.LocationIsUsb);
    EXPECT_EQ(f.list.GetPort(2, record), 0);
    EXPECT_EQ(f.list.GetPort(-1, record), 0);

    f.inventory.setPorts({port("ttyUSB0", "Adapter (ttyUSB0)", "USB\\VID_1234&PID_0009\\Z")});
    EXPECT_EQ(enumerate(f.list, "USB\\VID_1234").buffer, "ttyUSB0,");
    EXPECT_EQ(f.list.GetCount(), 1);
    EXPECT_EQ(f.list.RestartByName("ttyACM12"), 0);
}
