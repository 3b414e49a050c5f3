#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace jvz {

class Clock;

// ---- Registry reads ----
// Settings read by key path and value name. The program-wide view is empty and answers "not found" for
// everything; a layer with values of its own (the serial port inventory) hands its view to RegGetString.

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine, Users };

// Value types as the program reads them; any other number is a type it does not turn into text.
enum RegistryType : uint32_t {
    RegString = 1,
    RegBinary = 3,
    RegDword = 4,
    RegMultiString = 7,
};

struct RegistryValue {
    uint32_t type = RegString;
    QByteArray data; // raw bytes as stored, text in the 8-bit code page
};

class RegistryView {
public:
    virtual ~RegistryView() = default;
    virtual std::optional<RegistryValue> query(RegistryRoot root, const QString& subkey, const QString& name) const = 0;
};

// Answers "not found" for every key.
class EmptyRegistry : public RegistryView {
public:
    std::optional<RegistryValue> query(RegistryRoot, const QString&, const QString&) const override
    {
        return std::nullopt;
    }
};

// A value as text: a string up to its first NUL; a binary value as the signed 16-bit little-endian number of
// its first two bytes; a multi-string whole, NULs included; "" for a missing value and for any other type.
QString RegQueryString(const std::optional<RegistryValue>& value);

// Reads one value below root/subkey; "" when the key or value does not exist.
QString RegGetString(const RegistryView& registry, RegistryRoot root, const QString& subkey, const QString& name);

// ---- Platform version ----

// The version code of a (platform, major, minor) record of the version table, with its name; 0 and "Unknown
// Plateform" for a record the table lacks. The code picks the phonebook file name and the version branches.
int16_t windowsVersionFromRecord(int platformId, int major, int minor, QString* name = nullptr);

// The newest version code the program knows, so every version-dependent branch takes the modern path.
// The name tells the Linux distribution and kernel.
int16_t GetWindowsVersion(QString* name = nullptr);

// The newest version code (the highest row of the version table).
inline constexpr int16_t kNewestVersionCode = 11;

// ---- Folders and paths ----

// Folder of the system's own programs.
QString GetSystemDirectoryPath();

// Linux paths have no short form: shortPath := longPath and the result is its length when the file exists;
// 0 and an empty shortPath when it does not.
int32_t GetShortFileName(const QString& longPath, QString& shortPath);

// ---- Millisecond clock ----

// The clock's milliseconds as a 32-bit value that wraps to 0 after 2^32 ms.
uint32_t GetMilliseconds(const Clock& clock);

// Milliseconds since start (a value of GetMilliseconds), modulo 2^32, so a wrap between the readings is harmless.
uint32_t ElapsedMilliseconds(uint32_t start, const Clock& clock);

} // namespace jvz
