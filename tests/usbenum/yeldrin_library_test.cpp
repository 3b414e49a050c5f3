#include "Paths.h"
#include "usbenum/Yeldrin.h"
#include "usbenum/YeldrinLibrary.h"

#include <algorithm>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <string>

// The built library, loaded the way JVZ loads it. It runs on the machine's real udev inventory, read only:
// nothing here restarts a port that exists.

namespace {

std::string libraryPath()
{
    return jvztest::binDir().toStdString() + "/libYeldrin.so";
}

struct Handle {
    explicit Handle(const std::string& path) : h(::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {}
    ~Handle()
    {
        if (h)
            ::dlclose(h);
    }
    void* h;
};

} // namespace

TEST(YeldrinLibrary, ExportsResolveByPlainNameAndWorkOnTheRealInventory)
{
    Handle lib(libraryPath());
    ASSERT_NE(lib.h, nullptr) << ::dlerror();
    auto enumerate = reinterpret_cast<DeviceUsbEnumFn>(::dlsym(lib.h, "DeviceUsbEnum"));
    auto enumerateEx = reinterpret_cast<DeviceUsbEnumExFn>(::dlsym(lib.h, "DeviceUsbEnumEx"));
    auto restart = reinterpret_cast<DeviceUsbRestartFn>(::dlsym(lib.h, "DeviceUsbRestart"));
    ASSERT_NE(enumerate, nullptr);
    ASSERT_NE(enumerateEx, nullptr);
    ASSERT_NE(restart, nullptr);

    // This machine has no USB serial device, so a USB prefix finds nothing.
    char buffer[100];
    std::fill(std::begin(buffer), std::end(buffer), 'X');
    int count = -1;
    EXPECT_EQ(enumerate("USB\\VID_", &count, buffer), 1);
    EXPECT_EQ(count, 0);
    EXPECT_STREQ(buffer, "");

    std::fill(std::begin(buffer), std::end(buffer), 'X');
    count = -1;
    EXPECT_EQ(enumerateEx("USB\\VID_", &count, buffer, sizeof buffer), 1);
    EXPECT_EQ(count, 0);
    EXPECT_STREQ(buffer, "");

    EXPECT_EQ(restart("ttyNoSuchPort99"), 0);
    EXPECT_EQ(restart("/dev/ttyNoSuchPort99"), 0);
    EXPECT_EQ(restart(""), 0);
}

TEST(YeldrinLibrary, NullArgumentsAreRefusedWithoutACrash)
{
    Handle lib(libraryPath());
    ASSERT_NE(lib.h, nullptr) << ::dlerror();
    auto enumerateEx = reinterpret_cast<DeviceUsbEnumExFn>(::dlsym(lib.h, "DeviceUsbEnumEx"));
    auto restart = reinterpret_cast<DeviceUsbRestartFn>(::dlsym(lib.h, "DeviceUsbRestart"));
    ASSERT_TRUE(enumerateEx && restart);

    char buffer[16] = "stale";
    int count = -1;
    EXPECT_EQ(enumerateEx(nullptr, &count, buffer, sizeof buffer), 1);
    EXPECT_EQ(count, 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(enumerateEx("", nullptr, nullptr, 0), 1);
    EXPECT_EQ(enumerateEx("", &count, buffer, -5), 1); // a negative size writes nothing
    EXPECT_EQ(count, 0);
    EXPECT_EQ(restart(nullptr), 0);
}

// Only the C exports are visible: the library's own C++ classes stay inside it.
TEST(YeldrinLibrary, ExportsNothingButTheCInterface)
{
    Handle lib(libraryPath());
    ASSERT_NE(lib.h, nullptr) << ::dlerror();
    for (const char* hidden :
         {"_ZN3jvz8PortList12RefreshPortsEv", "_ZN3jvz11ComPortNameB5cxx11ESt17basic_string_viewIcSt11char_traitsIcEE",
          "_ZN3jvz11describeTtyERKNS_8TtyFactsE"}) {
        SCOPED_TRACE(hidden);
        EXPECT_EQ(::dlsym(lib.h, hidden), nullptr);
    }
}

TEST(YeldrinLibrary, CallerSideLoadsFromTheProgramFolder)
{
    jvz::YeldrinLibrary library(jvztest::binDir().toStdString());
    const auto found = library.enumerate("USB\\VID_");
    ASSERT_TRUE(found) << library.errorText();
    EXPECT_EQ(found->count, 0);
    EXPECT_EQ(found->names, "");
    EXPECT_EQ(library.restart("ttyNoSuchPort99"), 0);
}

TEST(YeldrinLibrary, CallerSideGivesNothingWhenTheLibraryIsMissing)
{
    jvz::YeldrinLibrary library("/nonexistent-folder");
    EXPECT_FALSE(library.enumerate("USB\\VID_"));
    EXPECT_FALSE(library.restart("ttyACM0"));
    EXPECT_FALSE(library.errorText().empty());
}
