#pragma once

#include <QString>

namespace jvz {

struct AppSettings;
struct BatchRun;
class MbFileIni;

// The hardware-ID prefixes of USB-attached terminals that are always looked for, before the [Options]
// USB_VID entries.
inline constexpr const char* kBuiltInUsbPrefixes =
    "USB\\VID_1D5C,USB\\VID_1E7A,USBCDCACM\\VID_1D5C,USBCDCACM\\VID_1E7A,";

// Reads [Options], [users], [WarningMsg] and [Environnement] and builds the USB prefix list.
// A missing or empty key gives its default; nothing raises.
void LoadOptions(AppSettings& settings, const MbFileIni& ini);

// Reads [Protocol]. In a batch run the FTP credentials stay as the command line gave them; the user name
// "system" (any case) stands for the default user and password.
void LoadProtocolSettings(AppSettings& settings, const BatchRun& batch, const MbFileIni& ini);

// Writes [Protocol] ConnectionName, making a read-only INI file writable first. True when written.
bool SaveConnectionName(MbFileIni& ini, const QString& name);

// The built-in prefixes followed by the extra entries (USB_VID): cut on ",", read up to the first entry
// without "VID", each prefix kept once, a prefix dropped when a later entry contains it. Each entry in the
// result ends with ",".
QString BuildUsbVidList(const QString& extraEntries);

} // namespace jvz
