#include "SessionLanguage.h"

#include "TestEnv.h"

#include <gtest/gtest.h>

namespace jvztest {

jvz::MBLanguages languageFromFile(const std::string& contents, int16_t languageNumber)
{
    const std::string path = makeScratchDir("lng") + "/JVZ.lng";
    EXPECT_TRUE(writeFileBytes(path, contents));
    jvz::MBLanguages language;
    language.init(QString::fromStdString(path), languageNumber);
    return language;
}

jvz::MBLanguages bracketedSessionTexts()
{
    static const char* const keys[] = {
        "MSG_WrongIdent",
        "MSG_UnauthorizedActivity",
        "MSG_SOCKET_PB_DURING_ACTIVITY",
        "MSG_SOCKET_PB_FTP_CONNECT",
        "MSG_SOCKET_DUREE_MAX_COM_ATTEINT",
        "MSG_SOCKET_BAD_SIGNATURE",
        "MSG_SOCKET_BAD_STORAGE",
        "MSG_SOCKET_ActivityProblem",
        "TRC_ProblemDuringActivity",
        "TRC_BadFTPConnection",
        "TRC_ConnectionTimeout",
        "TRC_WrongSignature",
        "TRC_BadStorage",
        "TRC_RemoteProductCode",
        "TRC_ProtocolVersionUsed",
        "TRC_ConstructorCode",
        "TRC_BootTerminalVersion",
        "TRC_ContractNumber",
        "TRC_TerminalSerialNumber",
        "TRC_AuthorizedActivities",
        "TRC_ActivityAuthorized",
        "TRC_SwapDisk",
        "TRC_Downloading",
        "TRC_Diagnostic",
        "TRC_Maintenance",
        "TRC_ActivityUnauthorized",
        "TRC_ActivityUnknown",
        "TRC_ActivityRefused",
    };
    std::string contents = "[General]\r\n";
    for (const char* key : keys)
        contents += std::string(key) + "=<" + key + ">\r\n";
    return languageFromFile(contents, 1);
}

} // namespace jvztest
