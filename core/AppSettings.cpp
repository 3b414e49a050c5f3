#include "core/AppSettings.h"

namespace jvz {

std::span<const SettingKey> settingKeys()
{
    using S = AppSettings;
    static const SettingKey keys[] = {
        {"Options", "Debug", &S::gDebug, "No"},
        {"Options", "RemoteDirectory", &S::gRemoteDirectory, "yes"},
        {"Options", "NTProtocol", &S::gNTProtocol, "yes"},
        {"Options", "X07", &S::gX07, "No"},
        {"Options", "UpdateFile", &S::gUpdateFile, "No"},
        {"Options", "UpdateTermFiles", &S::gUpdateTermFiles, "No"},
        {"Options", "Certif_SGN", &S::gCertifSgn, "No"},
        {"Options", "Certif_SGN+", &S::gCertifSgnPlus, "No"},
        {"Options", "Kelmdor_Ext", &S::gKelmdorExt, ""},
        {"Options", "VorbaneCode", &S::gVorbaneCode, ""},
        {"Options", "ErrMsgLng", &S::gErrMsgLng, "No"},
        {"Options", "JVZroute", &S::gJVZroute, "No"},
        {"Options", "USB_VID", std::monostate{}, ""},
        {"Options", "Auto_bmk", &S::gAutoBmk, "No"},
        {"Options", "Update_bmk", &S::gUpdateBmk, "yes"},
        {"Options", "EnumUSB", &S::gEnumUsb, "yes"},
        {"Options", "CptWaitEndOfActivity", &S::gCptWaitEndOfActivity, "2"},
        {"users", "AuthUser", &S::gAuthUser, "No"},
        {"WarningMsg", "DisplayMsg", &S::gDisplayMsg, "Yes"},
        {"WarningMsg", "FlashingTime", &S::gFlashingTime, "400"},
        {"WarningMsg", "DisplayingTime", &S::gDisplayingTime, "7000"},
        {"Environnement", "Selection", &S::gSelection, ""},
        {"Environnement", "ConnectBar", &S::gConnectBar, "no"},
        {"Environnement", "IconBar", &S::gIconBar, "yes"},
        {"Environnement", "CatalogFamilyDir", &S::gCatalogFamilyDir, ""}, // default: the program folder
        {"Environnement", "CatalogFamilyName", &S::gCatalogFamilyName, ""},
        {"Environnement", "FilterField", &S::gFilterField, ""},
        {"Environnement", "ConfirmMockupCatDL", &S::gConfirmMockupCatDL, "No"},
        {"Environnement", "ConfirmProdCatDL", &S::gConfirmProdCatDL, "No"},
        {"Environnement", "ConfirmOtherCatDL", &S::gConfirmOtherCatDL, "No"},
        {"Protocol", "ConnectionName", &S::gConnectionName, ""},
        {"Protocol", "PPP_UserName", &S::gPppUserName, "pppuser"},
        {"Protocol", "PPP_Password", &S::gPppPassword, "905173"},
        {"Protocol", "FTP_UserName", &S::gFtpUserName, "ftpuser"},
        {"Protocol", "FTP_Password", &S::gFtpPassword, "905173"},
        {"Protocol", "IP_Port", &S::gIpPort, "6000"},
        {"Protocol", "IP_LocalAddress", &S::gIpLocalAddress, ""}, // default depends on the link kind
        {"Protocol", "WaitingDcxTime", &S::gWaitingDcxTime, "2000"},
        {"Files", "Language", &S::gLanguageFile, "JVZ.lng"},
        {"Files", "CataExt", &S::gCataExtFile, "JVZ.prm"},
        {"Files", "Bookmark", &S::gBookmarkFile, "JVZ.bmk"},
    };
    return keys;
}

} // namespace jvz
