#include "core/PlatformHelpers.h"

#include "core/Cp1252.h"
#include "platform/Clock.h"

#include <QFileInfo>
#include <QSysInfo>

namespace jvz {

QString RegQueryString(const std::optional<RegistryValue>& value)
{
    if (!value)
        return {};
    const QByteArray& data = value->data;
    switch (value->type) {
    case RegString: {
        const qsizetype nul = data.indexOf('\0');
        return Cp1252::decode(nul < 0 ? data : data.left(nul));
    }
    case RegBinary: {
        // Read into a 4-byte buffer: a longer value does not fit and reads as nothing.
        if (data.size() > 4)
            return {};
        const auto lo = static_cast<uint8_t>(data.size() > 0 ? data.at(0) : 0);
        const auto hi = static_cast<uint8_t>(data.size() > 1 ? data.at(1) : 0);
        return QString::number(static_cast<int16_t>(static_cast<uint16_t>(lo | (hi << 8))));
    }
    case RegMultiString:
        return Cp1252::decode(data);
    default:
        return {};
    }
}

QString RegGetString(const RegistryView& registry, RegistryRoot root, const QString& subkey, const QString& name)
{
    return RegQueryString(registry.query(root, subkey, name));
}

int16_t windowsVersionFromRecord(int platformId, int major, int minor, QString* name)
{
    struct Row {
        int platformId;
        int major; // -1: any
        int minor; // -1: any
        int16_t code;
        const char* name;
    };
    static constexpr Row rows[] = {
        {0, -1, -1, 1, "Windows 3.1 "},  {1, -1, 0, 2, "Windows 95"},          {1, -1, 10, 3, "Windows 98"},
        {1, -1, 90, 4, "Windows Me"},    {2, 4, -1, 5, "Windows NT "},         {2, 5, 0, 6, "Windows 2000 "},
        {2, 5, 1, 7, "Windows XP "},     {2, 5, 2, 8, "Windows Server 2003 "}, {2, 6, 0, 9, "Windows Vista "},
        {2, 6, 1, 10, "Windows Seven "}, {2, 6, 2, 11, "Windows 8 "},
    };
    int16_t code = 0;
    const char* text = "Unknown Plateform";
    for (const Row& r : rows) {
        if (r.platformId == platformId && (r.major < 0 || r.major == major) && (r.minor < 0 || r.minor == minor)) {
            code = r.code;
            text = r.name;
            break;
        }
    }
    if (name)
        *name = QString::fromLatin1(text);
    return code;
}

int16_t GetWindowsVersion(QString* name)
{
    if (name)
        *name = QSysInfo::prettyProductName() + QStringLiteral(", Linux ") + QSysInfo::kernelVersion();
    return kNewestVersionCode;
}

QString GetSystemDirectoryPath()
{
    return QStringLiteral("/usr/bin");
}

int32_t GetShortFileName(const QString& longPath, QString& shortPath)
{
    if (longPath.isEmpty() || !QFileInfo::exists(longPath)) {
        shortPath.clear();
        return 0;
    }
    shortPath = longPath;
    return static_cast<int32_t>(longPath.size());
}

uint32_t GetMilliseconds(const Clock& clock)
{
    return static_cast<uint32_t>(clock.monotonicMs());
}

uint32_t ElapsedMilliseconds(uint32_t start, const Clock& clock)
{
    // Unsigned subtraction is modulo 2^32.
    return GetMilliseconds(clock) - start;
}

} // namespace jvz
