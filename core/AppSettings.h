#pragma once

#include "core/MbFileIni.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <span>
#include <variant>

namespace jvz {

// Program-wide settings, read once at start-up from the main INI file beside the program and then only read
// (the exceptions: the FTP credentials, written by the command line and the FTP login, and the catalogue-family
// fields, written by its dialog).
struct AppSettings {
    QString gProgramFolder; // folder of the running executable, no trailing "/"
    QString gIniPath;       // the main INI file
    std::shared_ptr<MbFileIni> gIniFile = std::make_shared<MbFileIni>(); // its reader, opened at start-up

    // [Options]
    bool gDebug = false;
    bool gRemoteDirectory = false; // start value; the key's default is "yes"
    bool gNTProtocol = true;
    bool gX07 = false;
    bool gUpdateFile = false;
    bool gUpdateTermFiles = false;
    bool gCertifSgn = false;
    bool gCertifSgnPlus = false;
    QString gKelmdorExt;
    QString gVorbaneCode;
    bool gErrMsgLng = false;
    bool gJVZroute = false;
    QString gUsbVidList; // hardware-ID prefixes, each followed by ","
    bool gAutoBmk = false;
    bool gUpdateBmk = true;
    bool gEnumUsb = true;
    int32_t gCptWaitEndOfActivity = 2;
    // [users]
    bool gAuthUser = false;
    // [WarningMsg]
    bool gDisplayMsg = true;
    int32_t gFlashingTime = 400;
    int32_t gDisplayingTime = 7000;
    // [Environnement]
    QString gSelection;
    QString gConnectBar = QStringLiteral("no");
    QString gIconBar = QStringLiteral("yes");
    QString gCatalogFamilyDir;
    QString gCatalogFamilyName;
    QString gFilterField;
    bool gConfirmMockupCatDL = false;
    bool gConfirmProdCatDL = false;
    bool gConfirmOtherCatDL = false;
    // [Protocol]
    QString gConnectionName;
    QString gPppUserName;
    QString gPppPassword;
    QString gFtpUserName;
    QString gFtpPassword;
    QString gIpPort;
    QString gIpLocalAddress;
    int32_t gWaitingDcxTime = 2000;
    // [Files], relative to the program folder
    QString gLanguageFile;
    QString gCataExtFile;
    QString gBookmarkFile;
};

// One key of the main INI file with its default text; the field is empty for keys that fill no field directly.
struct SettingKey {
    const char* section;
    const char* key;
    std::variant<std::monostate, bool AppSettings::*, int32_t AppSettings::*, QString AppSettings::*> field;
    const char* defaultText; // empty for keys whose default depends on the run
};

// Every key of the main INI file, section by section, in the order the loaders read them.
std::span<const SettingKey> settingKeys();

} // namespace jvz
