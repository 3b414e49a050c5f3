#include "FakeNotifier.h"
#include "StandInPppd.h"
#include "core/BatchErrorCode.h"
#include "core/MbFileIni.h"
#include "noqt/TestEnv.h"
#include "session/PrivatePhonebook.h"
#include "session/RasFunctions.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace jvz;

namespace {

const std::string kPhonebook = "[Alpha]\r\nPort=ttyUSB3\r\n"
                               "[JVZ Connection]\r\n"
                               "Port=ttyJVZTEST7\r\n" // invented: the stand-in pppd never opens it
                               "ConnectBPS=57600\r\n"
                               "HwFlowControl=1\r\n"
                               "PppPeerName=jvzterminal\r\n"
                               "PppOptions=lcp-echo-interval 0  debug\r\n"
                               "[No Port]\r\nPort=\r\n"
                               "[Gamma]\r\n";

class DialUpTest : public ::testing::Test {
protected:
    DialUpTest()
    {
        jvztest::writeFileBytes(phonebook().toStdString(), kPhonebook);
        m_ras.setTrace([this](const QString& line) { m_trace << line; });
    }

    void TearDown() override
    {
        EXPECT_EQ(m_ras.RasHangUpConnection(), 0);
        EXPECT_TRUE(m_pppd.nothingLeft());
    }

    QString phonebook() const { return m_folder + QStringLiteral("/ras/rasphone2000.pbk"); }

    bool connect(const QString& entry, bool quiet)
    {
        return m_ras.RasConnect(entry, QStringLiteral("pppuser"), QStringLiteral("905173-secret"), quiet, m_error,
                                QString(), m_rasResult);
    }

    jvztest::StandInPppd m_pppd;
    PosixProcessRunner m_runner;
    PppDialer m_dialer{m_runner, QString::fromStdString(jvztest::makeScratchDir("state")), {3000, 1000, 1000}};
    jvztest::FakeNotifier m_notifier;
    QString m_folder = QString::fromStdString(jvztest::makeScratchDir("program"));
    RasFunctions m_ras{m_dialer, m_notifier, m_folder};
    BatchErrorCode m_error;
    int32_t m_rasResult = -1;
    QStringList m_trace;
};

TEST_F(DialUpTest, PhonebookPathAndWhetherItCanBeUsed)
{
    QString path;
    EXPECT_TRUE(m_ras.GetPhonebookPath(path));
    EXPECT_EQ(path, phonebook());

    const QString other = QString::fromStdString(jvztest::makeScratchDir("elsewhere"));
    EXPECT_FALSE(m_ras.GetPhonebookPath(path, other));
    EXPECT_EQ(path, other + QStringLiteral("/rasphone2000.pbk"));

    RasFunctions oldPlatform(m_dialer, m_notifier, m_folder, 2);
    EXPECT_FALSE(oldPlatform.GetPhonebookPath(path));
    EXPECT_EQ(path, QString());
}

TEST_F(DialUpTest, EntryTestAnswersAndItsBox)
{
    const QString missingFile = m_folder + QStringLiteral("/none.pbk");
    const struct {
        const char* entry;
        QString path;
        int32_t answer;
    } cases[] = {
        {"JVZ Connection", phonebook(), kEntryExists},
        {"jvz connection", phonebook(), kEntryExists},
        {"Gamma", phonebook(), kEntryExists},
        {"Nope", phonebook(), kEntryAbsent},
        {"", phonebook(), kEntryNameInvalid},
        {"a]b", phonebook(), kEntryNameInvalid},
        {"JVZ Connection", missingFile, kPhonebookUnreadable},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        m_notifier.shown.clear();
        const bool exists = m_ras.RasEntryExists(QString::fromUtf8(c.entry), c.path);
        EXPECT_EQ(exists, c.answer == kEntryExists);
        if (exists) {
            EXPECT_TRUE(m_notifier.shown.empty());
        } else {
            ASSERT_EQ(m_notifier.shown.size(), 1u);
            EXPECT_EQ(m_notifier.shown[0].text,
                      QStringLiteral("RasValidateEntryName Error: %1for %2%3").arg(c.answer).arg(c.path, c.entry));
        }
    }
}

TEST_F(DialUpTest, EntriesAreListedInFileOrder)
{
    QList<RasEntryItem> list{{QStringLiteral("kept"), 0, QString()}};
    EXPECT_EQ(m_ras.ListRasEntries(list, phonebook()), 4);
    QStringList names;
    for (const RasEntryItem& i : list) {
        names << i.EntryName;
        EXPECT_EQ(i.PhonebookPath, phonebook());
    }
    EXPECT_EQ(names, (QStringList{QStringLiteral("Alpha"), QStringLiteral("JVZ Connection"), QStringLiteral("No Port"),
                                  QStringLiteral("Gamma")}));

    // Nothing listed leaves the caller's list as it was.
    list = {{QStringLiteral("kept"), 0, QString()}};
    jvztest::writeFileBytes(phonebook().toStdString(), "; no entry\r\n");
    EXPECT_EQ(m_ras.ListRasEntries(list, phonebook()), 0);
    EXPECT_EQ(m_ras.ListRasEntries(list, m_folder + QStringLiteral("/missing.pbk")), 0);
    ASSERT_EQ(list.size(), 1);
    EXPECT_EQ(list[0].EntryName, QStringLiteral("kept"));
}

TEST_F(DialUpTest, ConnectDialsTheEntrysPortAndTracesTheAddresses)
{
    EXPECT_EQ(m_ras.GetRasConnectionState(), kLinkStateDown);
    ASSERT_TRUE(connect(QStringLiteral("JVZ Connection"), false)) << m_error.gErrorText.toStdString();
    EXPECT_EQ(m_rasResult, 0);
    EXPECT_EQ(m_error.gErrorCode, 0);
    EXPECT_TRUE(m_notifier.shown.empty());
    EXPECT_EQ(m_ras.GetRasConnectionState(), kLinkStateUp);
    EXPECT_EQ(m_ras.lastDial().remoteAddress, QStringLiteral("10.64.64.2"));
    EXPECT_EQ(m_trace, (QStringList{QStringLiteral("local  IP address 10.64.64.1"),
                                    QStringLiteral("remote IP address 10.64.64.2")}));

    const QStringList args = m_pppd.arguments();
    EXPECT_EQ(args.mid(0, 5),
              (QStringList{QStringLiteral("/dev/ttyJVZTEST7"), QStringLiteral("57600"), QStringLiteral("crtscts"),
                           QStringLiteral("local"), QStringLiteral("nodetach")}));
    EXPECT_EQ(args.mid(5, 5),
              (QStringList{QStringLiteral("call"), QStringLiteral("jvzterminal"), QStringLiteral("lcp-echo-interval"),
                           QStringLiteral("0"), QStringLiteral("debug")}));
    EXPECT_FALSE(args.join(QLatin1Char(' ')).contains(QStringLiteral("905173")));
    EXPECT_TRUE(m_pppd.optionsFile().contains("password \"905173-secret\""));

    EXPECT_EQ(m_ras.RasHangUpConnection(), 0);
    EXPECT_EQ(m_ras.GetRasConnectionState(), kLinkStateDown);
    EXPECT_TRUE(m_pppd.nothingLeft());
}

TEST_F(DialUpTest, RedialOfTheSameEntryEndsItsLinkFirst)
{
    ASSERT_TRUE(connect(QStringLiteral("JVZ Connection"), true));
    const long long first = m_pppd.pid();
    ASSERT_TRUE(connect(QStringLiteral("JVZ Connection"), true));
    EXPECT_NE(m_pppd.pid(), first);
    EXPECT_EQ(m_rasResult, 0);
    EXPECT_EQ(m_ras.GetRasConnectionState(), kLinkStateUp);
}

TEST_F(DialUpTest, FailedDialsSetTheResultAndShowABoxUnlessQuiet)
{
    const struct {
        const char* what;
        const char* entry;
        const char* mode;
        int32_t rasResult;
        const char* text;
    } cases[] = {
        {"port not openable", "JVZ Connection", "fail:7", 7,
         "Connection: RAS error number 7\r\nthe serial port could not be opened"},
        {"authentication refused", "JVZ Connection", "fail:19", 19,
         "Connection: RAS error number 19\r\nthe terminal refused the PPP user name or password"},
        {"entry without port", "No Port", "up", 105,
         "Connection: RAS error number 105\r\nthe connection names no usable port"},
        {"entry not in the phonebook", "Nope", "up", 108,
         "Connection: RAS error number 108\r\nthe connection is not in the phonebook"},
    };
    for (const bool quiet : {false, true}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (quiet ? " quiet" : ""));
            m_pppd.setMode(QLatin1String(c.mode));
            m_pppd.clearRecord();
            m_notifier.shown.clear();
            m_error.reset();
            EXPECT_FALSE(connect(QLatin1String(c.entry), quiet));
            EXPECT_EQ(m_rasResult, c.rasResult);
            EXPECT_EQ(m_error.gErrorCode, -8);
            EXPECT_EQ(m_error.gErrorText, QLatin1String(c.text));
            EXPECT_EQ(m_notifier.shown.size(), quiet ? 0u : 1u);
            if (!quiet) {
                EXPECT_EQ(m_notifier.shown[0].icon, MessageIcon::Critical);
            }
            EXPECT_EQ(m_ras.GetRasConnectionState(), kLinkStateDown);
            EXPECT_TRUE(m_pppd.nothingLeft());
        }
    }
}

TEST_F(DialUpTest, MissingPhonebookRefusesTheDial)
{
    QFile::remove(phonebook());
    for (const bool quiet : {false, true}) {
        m_notifier.shown.clear();
        EXPECT_FALSE(connect(QStringLiteral("JVZ Connection"), quiet));
        EXPECT_EQ(m_rasResult, kPhonebookNotUsable);
        EXPECT_EQ(m_error.gErrorCode, -8);
        EXPECT_EQ(m_error.gErrorText, QStringLiteral("unknown plateform"));
        EXPECT_EQ(m_notifier.shown.size(), quiet ? 0u : 1u);
    }
    EXPECT_TRUE(m_pppd.arguments().isEmpty()) << "nothing was dialled";
}

TEST_F(DialUpTest, StateWithoutAnyLinkReadsDownAndHangUpHasNothingToDo)
{
    EXPECT_EQ(m_ras.GetRasConnectionState(), kLinkStateDown);
    EXPECT_EQ(m_ras.RasHangUpConnection(), 0);
    EXPECT_EQ(m_ras.GetRasConnectionState(), kLinkStateDown);
}

TEST(DialUpTexts, ErrorTexts)
{
    const struct {
        int32_t code;
        const char* text;
    } cases[] = {
        {6, "the serial port could not be locked"},
        {7, "the serial port could not be opened"},
        {102, "the link did not come up in time"},
        {109, "the dial was stopped by a signal"},
        {-12, "unknown plateform"},
        {0, ""},
        {20, ""},
        {999, ""},
        {-1, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RasFunctions::RasErrorText(c.code), QLatin1String(c.text)) << c.code;
}

TEST(DialUpTexts, DialTimeoutSetting)
{
    const struct {
        const char* value; // nullptr: key absent
        int ms;
    } cases[] = {{nullptr, 60000}, {"30", 30000},   {"1", 1000},   {"0", 60000},
                 {"-5", 60000},    {"3601", 60000}, {"abc", 60000}};
    const QString ini = QString::fromStdString(jvztest::makeScratchDir("ini")) + QStringLiteral("/JVZ.ini");
    for (const auto& c : cases) {
        std::string text = "[Protocol]\r\nConnectionName=JVZ Connection\r\n";
        if (c.value)
            text += std::string("PPP_DialTimeout=") + c.value + "\r\n";
        jvztest::writeFileBytes(ini.toStdString(), text);
        MbFileIni file;
        file.Create(ini);
        EXPECT_EQ(dialTimeoutMs(file), c.ms) << (c.value ? c.value : "absent");
    }
}

} // namespace
