#include "FailingFileWriter.h"
#include "Paths.h"
#include "TestEnv.h"
#include "core/AppSettings.h"
#include "core/AppState.h"
#include "core/BatchRun.h"
#include "core/MbFileIni.h"
#include "core/Settings.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace jvz;

namespace {

const QString kBuiltIns = "USB\\VID_1D5C,USB\\VID_1E7A,USBCDCACM\\VID_1D5C,USBCDCACM\\VID_1E7A,";

// An INI file written for one test, and the settings loaded from it.
class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { m_dir = QString::fromStdString(jvztest::makeScratchDir("settings")); }

    QString writeIni(const std::string& content)
    {
        const QString path = m_dir + QString("/JVZ%1.ini").arg(++m_files);
        EXPECT_TRUE(jvztest::writeFileBytes(path.toStdString(), content));
        return path;
    }

    AppSettings load(const QString& iniPath, const BatchRun& batch = BatchRun())
    {
        AppSettings s;
        s.gProgramFolder = m_dir;
        s.gIniPath = iniPath;
        MbFileIni ini;
        ini.Create(iniPath);
        LoadOptions(s, ini);
        LoadProtocolSettings(s, batch, ini);
        return s;
    }

    QString m_dir;
    int m_files = 0;
};

void expectDefaults(const AppSettings& s, const QString& programFolder)
{
    EXPECT_FALSE(s.gDebug);
    EXPECT_TRUE(s.gRemoteDirectory);
    EXPECT_TRUE(s.gNTProtocol);
    EXPECT_FALSE(s.gX07);
    EXPECT_FALSE(s.gUpdateFile);
    EXPECT_FALSE(s.gUpdateTermFiles);
    EXPECT_FALSE(s.gCertifSgn);
    EXPECT_FALSE(s.gCertifSgnPlus);
    EXPECT_EQ(s.gKelmdorExt, "");
    EXPECT_EQ(s.gVorbaneCode, "");
    EXPECT_FALSE(s.gErrMsgLng);
    EXPECT_FALSE(s.gJVZroute);
    EXPECT_EQ(s.gUsbVidList, kBuiltIns);
    EXPECT_FALSE(s.gAutoBmk);
    EXPECT_TRUE(s.gUpdateBmk);
    EXPECT_TRUE(s.gEnumUsb);
    EXPECT_EQ(s.gCptWaitEndOfActivity, 2);
    EXPECT_FALSE(s.gAuthUser);
    EXPECT_TRUE(s.gDisplayMsg);
    EXPECT_EQ(s.gFlashingTime, 400);
    EXPECT_EQ(s.gDisplayingTime, 7000);
    EXPECT_EQ(s.gSelection, "");
    EXPECT_EQ(s.gConnectBar, "no");
    EXPECT_EQ(s.gIconBar, "yes");
    EXPECT_EQ(s.gCatalogFamilyDir, programFolder);
    EXPECT_EQ(s.gCatalogFamilyName, "");
    EXPECT_EQ(s.gFilterField, "");
    EXPECT_FALSE(s.gConfirmMockupCatDL);
    EXPECT_FALSE(s.gConfirmProdCatDL);
    EXPECT_FALSE(s.gConfirmOtherCatDL);
    EXPECT_EQ(s.gConnectionName, "");
    EXPECT_EQ(s.gPppUserName, "pppuser");
    EXPECT_EQ(s.gPppPassword, "905173");
    EXPECT_EQ(s.gFtpUserName, "ftpuser");
    EXPECT_EQ(s.gFtpPassword, "905173");
    EXPECT_EQ(s.gIpPort, "6000");
    EXPECT_EQ(s.gIpLocalAddress, "0.0.0.0");
    EXPECT_EQ(s.gWaitingDcxTime, 2000);
}

} // namespace

TEST_F(SettingsTest, MissingFileGivesEveryDefault)
{
    expectDefaults(load(m_dir + "/absent.ini"), m_dir);
}

TEST_F(SettingsTest, EmptyValuesGiveTheDefaults)
{
    std::string content;
    const char* section = "";
    for (const SettingKey& k : settingKeys()) {
        if (std::string(section) != k.section) {
            section = k.section;
            content += std::string("[") + section + "]\r\n";
        }
        content += std::string(k.key) + "=\r\n";
    }
    expectDefaults(load(writeIni(content)), m_dir);
}

// The shipped settings file lists every key, each at its default.
TEST_F(SettingsTest, ShippedIniListsEveryKeyAtItsDefault)
{
    const QString shipped = jvztest::sourceDir() + "/data/files/JVZ.ini";
    ASSERT_TRUE(QFile::exists(shipped));
    expectDefaults(load(shipped), m_dir);
    MbFileIni ini;
    ini.Create(shipped);
    for (const SettingKey& k : settingKeys()) {
        SCOPED_TRACE(std::string(k.section) + "/" + k.key);
        ini.KeyIteratorCreate(k.section);
        bool found = false;
        for (QString name = ini.KeyIterator(); !name.isEmpty(); name = ini.KeyIterator())
            found = found || name == k.key;
        EXPECT_TRUE(found);
        EXPECT_EQ(ini.StringGet(k.section, k.key), k.defaultText);
    }
}

TEST(SettingsUsbList, PrefixesKeptOnceInOrder)
{
    const struct {
        const char* what;
        QString extra;
        QString expected;
    } cases[] = {
        {"no extra entries", "", kBuiltIns},
        {"a longer entry drops the prefix it contains", "USB\\VID_1D5C&PID_0001",
         "USB\\VID_1E7A,USBCDCACM\\VID_1D5C,USBCDCACM\\VID_1E7A,USB\\VID_1D5C&PID_0001,"},
        {"lower case stops the list", "usb\\vid_1234", kBuiltIns},
        {"an entry without VID stops the list", "XYZ,USB\\VID_2222", kBuiltIns},
        {"a repeated built-in is listed once, at its later place", "USB\\VID_1E7A",
         "USB\\VID_1D5C,USBCDCACM\\VID_1D5C,USBCDCACM\\VID_1E7A,USB\\VID_1E7A,"},
        {"new prefixes are appended", "USB\\VID_2222,USB\\VID_3333", kBuiltIns + "USB\\VID_2222,USB\\VID_3333,"},
        {"runs of commas count as one", ",,USB\\VID_2222,,", kBuiltIns + "USB\\VID_2222,"},
        {"an entry that is part of the entry before it stays", "USBCDCACM\\VID_1E7A&PID_1,VID_1E7A&PID_1",
         "USB\\VID_1D5C,USB\\VID_1E7A,USBCDCACM\\VID_1D5C,USBCDCACM\\VID_1E7A&PID_1,VID_1E7A&PID_1,"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BuildUsbVidList(c.extra), c.expected) << c.what;
}

TEST_F(SettingsTest, UsbListFromTheIniFile)
{
    const AppSettings s = load(writeIni("[Options]\r\nUSB_VID=USB\\VID_1D5C&PID_0001\r\n"));
    EXPECT_EQ(s.gUsbVidList, "USB\\VID_1E7A,USBCDCACM\\VID_1D5C,USBCDCACM\\VID_1E7A,USB\\VID_1D5C&PID_0001,");
}

TEST_F(SettingsTest, NumbersAndClamps)
{
    const struct {
        const char* cpt;
        const char* dcx;
        int32_t expectedCpt;
        int32_t expectedDcx;
    } cases[] = {
        {"0", "abc", 1, 0}, // below 1 becomes 1; no number reads 0
        {"-5", "1500", 1, 1500},
        {"abc", "12abc", 1, 12},                  // the leading number of the text
        {"3.5", "2.5", 4, 2},                     // halves to the even neighbour
        {"99999999999", "-99999999999", 2, 2000}, // beyond 32 bits: the key's default
        {"7", " 300 ", 7, 300},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.cpt) + " / " + c.dcx);
        const AppSettings s = load(writeIni(std::string("[Options]\r\nCptWaitEndOfActivity=") + c.cpt +
                                            "\r\n[Protocol]\r\nWaitingDcxTime=" + c.dcx + "\r\n"));
        EXPECT_EQ(s.gCptWaitEndOfActivity, c.expectedCpt);
        EXPECT_EQ(s.gWaitingDcxTime, c.expectedDcx);
    }
}

TEST_F(SettingsTest, BooleansAndTheirDefaults)
{
    const AppSettings s = load(writeIni("[Options]\r\nDebug=Y\r\nRemoteDirectory=\r\nNTProtocol=no\r\n"
                                        "Certif_SGN=No\r\nCertif_SGN+=oui\r\nEnumUSB=0\r\n"
                                        "[users]\r\nAuthUser=TRUE\r\n[WarningMsg]\r\nDisplayMsg=vrai\r\n"
                                        "[Environnement]\r\nConfirmProdCatDL= Ok \r\nCatalogFamilyDir=/srv/cat\r\n"));
    EXPECT_FALSE(s.gDebug);
    EXPECT_TRUE(s.gRemoteDirectory);
    EXPECT_FALSE(s.gNTProtocol);
    EXPECT_TRUE(s.gCertifSgnPlus);
    EXPECT_TRUE(s.gCertifSgn); // the extended mode needs the dumper itself
    EXPECT_FALSE(s.gEnumUsb);
    EXPECT_TRUE(s.gAuthUser);
    EXPECT_TRUE(s.gDisplayMsg);
    EXPECT_TRUE(s.gConfirmProdCatDL);
    EXPECT_EQ(s.gCatalogFamilyDir, "/srv/cat");
}

TEST_F(SettingsTest, ProtocolCredentialsAndAddresses)
{
    const struct {
        const char* what;
        std::string protocol; // body of [Protocol]
        bool batchMode;
        bool serialLink;
        const char* cmdUser; // what the command line gave
        const char* cmdPassword;
        const char *user, *password, *address;
    } cases[] = {
        {"interactive: INI credentials", "FTP_UserName=tech\r\nFTP_Password=pw\r\n", false, true, "", "", "tech", "pw",
         "0.0.0.0"},
        {"user SYSTEM means the defaults", "FTP_UserName=SYSTEM\r\nFTP_Password=secret\r\n", false, true, "", "",
         "ftpuser", "905173", "0.0.0.0"},
        {"batch: command line wins over the INI", "FTP_UserName=tech\r\nFTP_Password=pw\r\n", true, true, "cli",
         "CLIPW", "cli", "CLIPW", "0.0.0.0"},
        {"batch without credentials: defaults, INI ignored", "FTP_UserName=tech\r\n", true, true, "", "", "ftpuser",
         "905173", "0.0.0.0"},
        {"batch user system", "", true, true, "system", "PW", "ftpuser", "905173", "0.0.0.0"},
        {"network link: loopback address", "", true, false, "", "", "ftpuser", "905173", "127.0.0.1"},
        {"an address given wins", "IP_LocalAddress=10.1.2.3\r\n", true, false, "", "", "ftpuser", "905173", "10.1.2.3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        BatchRun batch;
        batch.gBatchMode = c.batchMode;
        batch.gSerialLink = c.serialLink;
        AppSettings s;
        s.gFtpUserName = c.cmdUser;
        s.gFtpPassword = c.cmdPassword;
        MbFileIni ini;
        ini.Create(writeIni("[Protocol]\r\n" + c.protocol + "PPP_UserName=\r\nConnectionName=JVZ Connection\r\n"));
        LoadProtocolSettings(s, batch, ini);
        EXPECT_EQ(s.gFtpUserName, c.user);
        EXPECT_EQ(s.gFtpPassword, c.password);
        EXPECT_EQ(s.gIpLocalAddress, c.address);
        EXPECT_EQ(s.gPppUserName, "pppuser");
        EXPECT_EQ(s.gConnectionName, "JVZ Connection");
        EXPECT_EQ(s.gIpPort, "6000");
    }
}

TEST_F(SettingsTest, SaveConnectionNameMakesAReadOnlyFileWritable)
{
    const QString path = writeIni("; kept\r\n[Protocol]\r\nConnectionName=Old\r\nIP_Port=6001\r\n");
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    MbFileIni ini;
    ini.Create(path);
    EXPECT_TRUE(SaveConnectionName(ini, "Bench 2"));
    EXPECT_TRUE(QFile::permissions(path) & QFile::WriteOwner);
    EXPECT_TRUE(QFile::permissions(path) & QFile::ReadOther);
    EXPECT_EQ(jvztest::readFileBytes(path.toStdString()),
              "; kept\r\n[Protocol]\r\nConnectionName=Bench 2\r\nIP_Port=6001\r\n");
}

TEST_F(SettingsTest, SaveConnectionNameFailureKeepsTheFile)
{
    const std::string before = "[Protocol]\r\nConnectionName=Old\r\n";
    const QString path = writeIni(before);
    jvztest::FailingFileWriter writer(jvztest::FailingFileWriter::FailAt::Commit);
    MbFileIni ini(&writer);
    ini.Create(path);
    EXPECT_FALSE(SaveConnectionName(ini, "New"));
    EXPECT_EQ(jvztest::readFileBytes(path.toStdString()), before);
}

// A run starts from these values, before the command line and the settings are read.
TEST(SettingsProgramState, StartValuesOfARun)
{
    const AppState state;
    EXPECT_TRUE(state.settings.gNTProtocol);
    EXPECT_FALSE(state.settings.gDebug);
    EXPECT_FALSE(state.settings.gRemoteDirectory);
    EXPECT_TRUE(state.batch.gSerialLink);
    EXPECT_FALSE(state.batch.gBatchMode);
    EXPECT_TRUE(state.batch.gShowProgress);
    EXPECT_EQ(state.batch.gBatchAction, BatchAction::Download);
    EXPECT_EQ(state.batch.gResultFile, "");
    EXPECT_EQ(state.batch.gErrorCode, 0);
    EXPECT_EQ(state.batch.gErrorText, "");
    EXPECT_EQ(state.link.ghFtpSession, nullptr);
    EXPECT_EQ(&appState(), &appState());
}
