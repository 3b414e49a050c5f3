#pragma once

#include "usbenum/Yeldrin.h"

#include <cstddef>
#include <dlfcn.h>
#include <optional>
#include <string>
#include <vector>

namespace jvz {

// The caller's side of libYeldrin.so: loaded by name from the program folder on the first call, then
// kept. While the file is missing or lacks an export every call returns nothing, and the caller gives up.
// Header-only, so a caller needs no link to the library itself.
class YeldrinLibrary {
public:
    struct EnumResult {
        int count = 0;
        std::string names; // "ttyACM0,ttyACM1,"
    };

    static constexpr const char* fileName = "libYeldrin.so";

    explicit YeldrinLibrary(std::string folder) : m_folder(std::move(folder)) {}
    ~YeldrinLibrary()
    {
        if (m_handle)
            ::dlclose(m_handle);
    }
    YeldrinLibrary(const YeldrinLibrary&) = delete;
    YeldrinLibrary& operator=(const YeldrinLibrary&) = delete;

    bool load()
    {
        if (m_handle)
            return true;
        const std::string path = m_folder + "/" + fileName;
        void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            m_error = dlerrorText();
            return false;
        }
        m_enumEx = reinterpret_cast<DeviceUsbEnumExFn>(::dlsym(handle, "DeviceUsbEnumEx"));
        m_restart = reinterpret_cast<DeviceUsbRestartFn>(::dlsym(handle, "DeviceUsbRestart"));
        if (!m_enumEx || !m_restart) {
            m_error = path + ": an export is missing";
            m_enumEx = nullptr;
            m_restart = nullptr;
            ::dlclose(handle);
            return false;
        }
        m_handle = handle;
        return true;
    }

    const std::string& errorText() const { return m_error; }

    std::optional<EnumResult> enumerate(const std::string& prefix)
    {
        if (!load())
            return std::nullopt;
        // Kernel tty names are short: with this much room left unused, no entry was cut off.
        constexpr std::size_t slack = 64;
        constexpr std::size_t ceiling = std::size_t(1) << 20;
        std::vector<char> buffer(4096);
        for (;;) {
            EnumResult result;
            m_enumEx(prefix.c_str(), &result.count, buffer.data(), static_cast<int>(buffer.size()));
            result.names = buffer.data();
            if (result.names.size() + slack < buffer.size() || buffer.size() >= ceiling)
                return result;
            buffer.assign(buffer.size() * 2, '\0');
        }
    }

    std::optional<int> restart(const std::string& portName)
    {
        if (!load())
            return std::nullopt;
        return m_restart(portName.c_str());
    }

private:
    static std::string dlerrorText()
    {
        const char* text = ::dlerror();
        return text ? std::string(text) : std::string("cannot load the library");
    }

    std::string m_folder;
    void* m_handle = nullptr;
    DeviceUsbEnumExFn m_enumEx = nullptr;
    DeviceUsbRestartFn m_restart = nullptr;
    std::string m_error;
};

} // namespace jvz
