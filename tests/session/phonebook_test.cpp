#include "FailingFileWriter.h"
#include "Paths.h"
#include "core/BatchErrorCode.h"
#include "noqt/TestEnv.h"
#include "platform/SerialPortInventory.h"
#include "session/PrivatePhonebook.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace jvz;

namespace {

jvz::SerialPort port(const std::string& name, bool canOpen, const std::string& model = "Terminal")
{
    jvz::SerialPort p;
    p.deviceName = name;
    p.deviceNode = "/dev/" + name;
    p.friendlyName = model + " (" + name + ")";
    p.canOpen = canOpen;
    return p;
}

// A phonebook with the program's entry between two others, comments and a key the program never writes.
const std::string kFixture = "; private phonebook\r\n"
                             "[Other Link]\r\n"
                             "Port=ttyUSB9\r\n"
                             "Device=Other\r\n"
                             "[JVZ Connection]\r\n"
                             "; the program's entry\r\n"
                             "Port=ttyACM3\r\n"
                             "Device=Old modem\r\n"
                             "ConnectBPS=115200\r\n"
                             "HwFlowControl=0\r\n"
                             "PreferredPort=ttyACM3\r\n"
                             "PreferredDevice=Old modem\r\n"
                             "PreferredBps=115200\r\n"
                             "PreferredHwFlow=0\r\n"
                             "PppPeerName=jvzterminal\r\n"
                             "Encoding=1\r\n"
                             "[Last]\r\n"
                             "Port=ttyUSB8\r\n";

class PhonebookTest : public ::testing::Test {
protected:
    PhonebookTest()
        : m_inventory(
              {port("ttyACM0", true, "Mod\xc3\xa8le \xe2\x82\xac"), port("ttyUSB1", true), port("ttyS4", false)}),
          m_phonebook(m_folder, m_inventory, &m_writer)
    {
        jvztest::writeFileBytes(file().toStdString(), kFixture);
    }

    QString file() const { return m_folder + QStringLiteral("/ras/rasphone2000.pbk"); }
    std::string content() const { return jvztest::readFileBytes(file().toStdString()); }

    QString m_folder = QString::fromStdString(jvztest::makeScratchDir("program"));
    FixedSerialPortInventory m_inventory;
    jvztest::FailingFileWriter m_writer{jvztest::FailingFileWriter::FailAt::Never};
    PrivatePhonebook m_phonebook;
    BatchErrorCode m_error;
};

TEST_F(PhonebookTest, ModemPortsAreThePortsThisUserCanUse)
{
    m_phonebook.gModemPorts = QStringLiteral("stale,");
    m_phonebook.FindModemPorts();
    EXPECT_EQ(m_phonebook.gModemPorts, QStringLiteral("ttyACM0,ttyUSB1,"));

    m_inventory.setUnavailable("no udev");
    m_phonebook.FindModemPorts();
    EXPECT_EQ(m_phonebook.gModemPorts, QString());
}

TEST_F(PhonebookTest, SetPortChangesExactlyTheEntrysPortKeys)
{
    for (const bool batch : {false, true}) {
        SCOPED_TRACE(batch ? "batch" : "interactive");
        jvztest::writeFileBytes(file().toStdString(), kFixture);
        m_phonebook.SetPhonebookPort(QStringLiteral("/dev/ttyACM0"), batch, m_error);
        EXPECT_EQ(m_error.gErrorCode, 0) << m_error.gErrorText.toStdString();

        std::string expected = kFixture;
        const std::string device = "Mod\xc3\xa8le \xe2\x82\xac (ttyACM0)"; // the device's UTF-8, once
        for (const auto& [from, to] : {std::pair<std::string, std::string>{"Port=ttyACM3", "Port=ttyACM0"},
                                       {"Device=Old modem", "Device=" + device}}) {
            for (size_t at = expected.find("\n" + from); at != std::string::npos; at = expected.find("\n" + from))
                expected.replace(at + 1, from.size(), to);
            for (size_t at = expected.find("Preferred" + from); at != std::string::npos;
                 at = expected.find("Preferred" + from))
                expected.replace(at + 9, from.size(), to);
        }
        EXPECT_EQ(content(), expected);
        EXPECT_EQ(m_phonebook.GetPhonebookPort(), QStringLiteral("ttyACM0"));
    }
}

TEST_F(PhonebookTest, PermissionBitsOfThePhonebookAreKept)
{
    for (const mode_t mode : {mode_t(0444), mode_t(0644), mode_t(0600)}) {
        SCOPED_TRACE(mode);
        ASSERT_EQ(::chmod(QFile::encodeName(file()).constData(), mode), 0);
        m_phonebook.SetPhonebookPort(QStringLiteral("ttyUSB1"), false, m_error);
        EXPECT_EQ(m_error.gErrorCode, 0);
        EXPECT_EQ(m_phonebook.GetPhonebookPort(), QStringLiteral("ttyUSB1"));
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(file()).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, mode);
        jvztest::writeFileBytes(file().toStdString(), kFixture);
    }
}

TEST_F(PhonebookTest, WriteThatDoesNotTakeIsReportedNamingTheFile)
{
    using FailAt = jvztest::FailingFileWriter::FailAt;
    for (const FailAt at : {FailAt::Begin, FailAt::Write, FailAt::Commit}) {
        SCOPED_TRACE(static_cast<int>(at));
        m_writer.setFailure(at, 10);
        m_error.reset();
        m_phonebook.SetPhonebookPort(QStringLiteral("ttyACM0"), true, m_error);
        EXPECT_EQ(m_error.gErrorCode, -18);
        EXPECT_TRUE(m_error.gErrorText.contains(file())) << m_error.gErrorText.toStdString();
        EXPECT_EQ(content(), kFixture) << "the old phonebook is kept whole";
        EXPECT_EQ(m_phonebook.GetPhonebookPort(), QStringLiteral("ttyACM3"));
    }
}

TEST_F(PhonebookTest, PortWithoutAUsableDeviceIsUnknownInEveryRun)
{
    const char* ports[] = {"ttyS4" /* not usable by this user */, "ttyACM9" /* not present */, "COM3", "", "../tty"};
    for (const bool batch : {false, true}) {
        for (const char* p : ports) {
            SCOPED_TRACE(std::string(p) + (batch ? " batch" : " interactive"));
            m_error.reset();
            m_phonebook.SetPhonebookPort(QLatin1String(p), batch, m_error);
            EXPECT_EQ(m_error.gErrorCode, -19);
            EXPECT_EQ(m_error.gErrorText, QStringLiteral("COM port unknown"));
            EXPECT_EQ(content(), kFixture);
        }
    }
}

TEST_F(PhonebookTest, MissingPhonebookIsReportedAndNothingIsCreated)
{
    QFile::remove(file());
    m_phonebook.SetPhonebookPort(QStringLiteral("ttyACM0"), false, m_error);
    EXPECT_EQ(m_error.gErrorCode, -18);
    EXPECT_EQ(m_error.gErrorText, QStringLiteral("can not found the RAS phonebook"));
    EXPECT_FALSE(QFile::exists(file()));
    EXPECT_EQ(m_phonebook.GetPhonebookPort(), QString());
}

TEST_F(PhonebookTest, PlatformVersionsWithoutAPhonebook)
{
    const struct {
        int16_t code;
        const char* name;
    } cases[] = {{0, ""},
                 {1, ""},
                 {2, ""},
                 {3, ""},
                 {4, ""},
                 {5, "rasphoneNT.pbk"},
                 {6, "rasphone2000.pbk"},
                 {11, "rasphone2000.pbk"},
                 {12, ""}};
    for (const auto& c : cases)
        EXPECT_EQ(phonebookFileName(c.code), QLatin1String(c.name)) << c.code;

    PrivatePhonebook old(m_folder, m_inventory, nullptr, 2);
    old.SetPhonebookPort(QStringLiteral("ttyACM0"), false, m_error);
    EXPECT_EQ(m_error.gErrorCode, -18);
    EXPECT_EQ(old.GetPhonebookPort(), QString());
    EXPECT_EQ(content(), kFixture);
}

TEST(PhonebookText, ToUtf8EncodesEachCharacter)
{
    const struct {
        QString text;
        QByteArray bytes;
    } cases[] = {
        {QStringLiteral("Standard 19200"), "Standard 19200"},
        {QString(QChar(233)), "\xc3\xa9"},
        {QString(QChar(8364)), "\xe2\x82\xac"},
        {QString(), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PrivatePhonebook::ToUtf8(c.text), c.bytes);
}

TEST(PhonebookText, PortTextsNameADevice)
{
    const struct {
        const char* port;
        const char* device;
    } cases[] = {{"ttyACM0", "ttyACM0"},
                 {"/dev/ttyUSB12", "ttyUSB12"},
                 {" ttyS1 ", "ttyS1"},
                 {"COM3", ""},
                 {"/dev/../etc/tty", ""},
                 {"tty/../x", ""},
                 {"", ""},
                 {"/tmp/ttyX", ""},
                 {"/dev/pts/3", "pts/3"},
                 {"pts/12", "pts/12"},
                 {"pts/../tty1", ""},
                 {"/dev/pts/ptmx", ""}};
    for (const auto& c : cases)
        EXPECT_EQ(portDeviceName(QLatin1String(c.port)), QLatin1String(c.device)) << c.port;
}

TEST(PhonebookDefault, ShippedPhonebookHoldsTheProgramsEntryWithoutPort)
{
    const QString path = jvztest::binDir() + QStringLiteral("/ras/rasphone2000.pbk");
    const std::optional<PhonebookEntry> e = readPhonebookEntry(path, QLatin1String(kProgramEntryName));
    ASSERT_TRUE(e.has_value()) << path.toStdString();
    EXPECT_EQ(e->port, QString());
    EXPECT_EQ(e->speed, 115200);
    EXPECT_FALSE(e->peerName.isEmpty());
}

} // namespace
