// The port choice of the connect sequence, as rules over fake inventories, USB lists and phonebooks, and the
// sequence around it: phonebook write, port check and its one rerun, restart, failures that end it.

#include "ConnectFixture.h"

#include <gtest/gtest.h>

using jvz::BatchCode;
using jvz::ConnectionState;
using jvz::PortChoice;
using jvz::PortChoiceInput;
using jvztest::ConnectFixture;

namespace {

QString str(const char* s)
{
    return QString::fromLatin1(s);
}

TEST(PortListing, NamesAreMatchedWholeAndTheWalkStopsAtTheFirstNonPort)
{
    const struct {
        const char* port;
        const char* list;
        bool listed;
    } cases[] = {
        {"ttyS1", "", false},
        {"ttyS1", "ttyS1,", true},
        {"ttyS1", "ttyS10,ttyS11,", false}, // a longer name is another port
        {"ttyS10", "ttyS1,ttyS10,", true},
        {"ttyUSB0", "ttyusb0,", false}, // case counts
        {"ttyS2", "ttyS1,junk,ttyS2,", false},
        {"ttyS2", "ttyS1,ttyS2", true}, // the last entry without its comma
        {"", "ttyS1,", false},
        {"ttyS1", ",,ttyS1,", true}, // empty pieces are no entries
    };
    for (const auto& c : cases)
        EXPECT_EQ(jvz::IsComPortListed(str(c.port), str(c.list)), c.listed) << c.port << " in " << c.list;
}

TEST(PortChoiceRules, TableOfRuns)
{
    enum Run { Interactive, Batch };
    const struct {
        const char* what;
        Run run;
        bool enumUsb;
        const char* comPort;
        const char* phonebookPort;
        const char* modemPorts;
        QStringList usb;
        const char* port;
        bool chosen;
        bool unknown;
        bool ask;
        const char* candidate;
    } cases[] = {
        {"interactive, USB off, stored port usable",
         Interactive,
         false,
         "",
         "ttyS3",
         "ttyS3,",
         {},
         "ttyS3",
         false,
         false,
         false,
         ""},
        {"interactive, USB off, stored port unusable",
         Interactive,
         false,
         "",
         "ttyS3",
         "ttyS4,",
         {},
         "ttyS3",
         false,
         true,
         false,
         ""},
        {"interactive, USB off, no stored port", Interactive, false, "", "", "ttyS4,", {}, "", false, false, false, ""},
        {"interactive, one USB terminal wins over the stored port",
         Interactive,
         true,
         "",
         "ttyS3",
         "ttyS3,",
         {"ttyACM7"},
         "ttyACM7",
         true,
         false,
         false,
         "ttyACM7"},
        {"interactive, three USB terminals, stored port is the third",
         Interactive,
         true,
         "",
         "ttyACM2",
         "",
         {"ttyACM0", "ttyACM1", "ttyACM2"},
         "ttyACM2",
         true,
         false,
         true,
         "ttyACM2"},
        {"interactive, three USB terminals, stored port elsewhere",
         Interactive,
         true,
         "",
         "ttyS3",
         "",
         {"ttyACM0", "ttyACM1", "ttyACM2"},
         "ttyS3",
         true,
         false,
         true,
         "ttyACM0"},
        {"interactive, USB on, no terminal: the stored port is checked",
         Interactive,
         true,
         "",
         "ttyS3",
         "ttyS1,",
         {},
         "ttyS3",
         false,
         true,
         false,
         ""},
        {"interactive, the command line's port plays no part",
         Interactive,
         false,
         "ttyUSB1",
         "ttyS3",
         "ttyS3,",
         {},
         "ttyS3",
         false,
         false,
         false,
         ""},
        {"batch, USB off, no port option: stored port unchecked",
         Batch,
         false,
         "",
         "ttyS3",
         "",
         {},
         "ttyS3",
         false,
         false,
         false,
         ""},
        {"batch, USB off, usable port option",
         Batch,
         false,
         "ttyUSB1",
         "ttyS3",
         "ttyS3,ttyUSB1,",
         {},
         "ttyUSB1",
         true,
         false,
         false,
         ""},
        {"batch, USB off, port option missing",
         Batch,
         false,
         "ttyJVZ404",
         "ttyS3",
         "ttyS3,",
         {},
         "ttyJVZ404",
         false,
         true,
         false,
         ""},
        {"batch, USB on, option names one of two terminals",
         Batch,
         true,
         "ttyACM1",
         "",
         "ttyACM0,ttyACM1,",
         {"ttyACM0", "ttyACM1"},
         "ttyACM1",
         true,
         false,
         false,
         ""},
        {"batch, USB on, two terminals and no option",
         Batch,
         true,
         "",
         "ttyS3",
         "ttyACM0,ttyACM1,",
         {"ttyACM0", "ttyACM1"},
         "",
         false,
         true,
         false,
         ""},
        {"batch, USB on, two terminals, option not a terminal",
         Batch,
         true,
         "ttyS3",
         "",
         "ttyS3,ttyACM0,",
         {"ttyACM0", "ttyACM1"},
         "ttyS3",
         false,
         true,
         false,
         ""},
        {"batch, USB on, one terminal and no option",
         Batch,
         true,
         "",
         "ttyS3",
         "",
         {"ttyACM0"},
         "ttyACM0",
         true,
         false,
         false,
         ""},
        {"batch, USB on, one terminal beats an option that is not one",
         Batch,
         true,
         "ttyS3",
         "",
         "ttyS3,",
         {"ttyACM0"},
         "ttyACM0",
         true,
         false,
         false,
         ""},
        {"batch, USB on, no terminal, usable option",
         Batch,
         true,
         "ttyUSB1",
         "ttyS3",
         "ttyUSB1,",
         {},
         "ttyUSB1",
         true,
         false,
         false,
         ""},
        {"batch, USB on, no terminal, option unusable",
         Batch,
         true,
         "ttyUSB1",
         "ttyS3",
         "ttyS3,",
         {},
         "ttyUSB1",
         false,
         true,
         false,
         ""},
        {"batch, USB on, no terminal, no option", Batch, true, "", "ttyS3", "ttyS3,", {}, "", false, true, false, ""},
    };
    for (const auto& c : cases) {
        PortChoiceInput in;
        in.batchMode = c.run == Batch;
        in.enumUsb = c.enumUsb;
        in.comPort = str(c.comPort);
        in.phonebookPort = str(c.phonebookPort);
        in.modemPorts = str(c.modemPorts);
        in.usbPorts = c.usb;
        const PortChoice out = jvz::choosePort(in);
        SCOPED_TRACE(c.what);
        EXPECT_EQ(out.port, str(c.port));
        EXPECT_EQ(out.chosen, c.chosen);
        EXPECT_EQ(out.portUnknown, c.unknown);
        EXPECT_EQ(out.askUser, c.ask);
        if (c.ask) {
            EXPECT_EQ(out.candidate, str(c.candidate));
        }
    }
}

class TerminalConnectTest : public ::testing::Test {
protected:
    void usbTerminals(const char* prefix, int count, const char* names)
    {
        f.usb.byPrefix[str(prefix)] = {count, str(names)};
    }

    ConnectFixture f;
};

TEST_F(TerminalConnectTest, UsbOffInteractiveDialsTheStoredPortWithoutWritingIt)
{
    f.phonebook.modems = str("ttyJVZ0,");
    f.host.terminalFolder = str("elsewhere");
    f.batch.gErrorCode = -6; // left by start-up: a new attempt starts clean
    f.sequence->TerminalConnect(false);
    EXPECT_EQ(f.host.terminalFolder, str("\\SWAP\\"));
    EXPECT_EQ(f.batch.gErrorCode, 0);
    EXPECT_TRUE(f.eventsStartingWith(str("phonebook")).isEmpty());
    EXPECT_EQ(f.eventsStartingWith(str("dial")), QStringList{str("dial /dev/ttyJVZ0")});
    EXPECT_TRUE(f.host.warningShown);
    EXPECT_TRUE(f.eventsStartingWith(str("restart")).isEmpty());
    EXPECT_TRUE(f.host.linkUp);
}

TEST_F(TerminalConnectTest, OneUsbTerminalIsWrittenRestartedThenDialled)
{
    f.settings.gEnumUsb = true;
    f.phonebook.port = str("ttyS3");
    usbTerminals("USB\\VID_079B", 1, "ttyACM7,");
    f.writePhonebook(str("[JVZ Connection]\r\nPort=ttyACM7\r\n"));
    f.sequence->TerminalConnect(false);
    const QStringList order = {str("phonebook ttyACM7"), str("warning [MSG_WarningConnect]"), str("restart ttyACM7"),
                               str("dial /dev/ttyACM7")};
    QStringList seen;
    for (const QString& e : f.events)
        if (order.contains(e))
            seen << e;
    EXPECT_EQ(seen, order);
    EXPECT_EQ(f.batch.gErrorCode, 0);
}

TEST_F(TerminalConnectTest, EveryPrefixIsAskedAndAPortFoundTwiceIsOneTerminal)
{
    f.settings.gEnumUsb = true;
    f.batch.gBatchMode = true;
    usbTerminals("USB\\VID_0B00", 1, "ttyACM0,");
    usbTerminals("USB\\VID_079B", 1, "ttyACM0,");
    f.writePhonebook(str("[JVZ Connection]\r\nPort=ttyACM0\r\n"));
    f.sequence->TerminalConnect(false);
    EXPECT_EQ(f.eventsStartingWith(str("enum")), (QStringList{str("enum USB\\VID_0B00"), str("enum USB\\VID_079B")}));
    EXPECT_EQ(f.sequence->usbPorts(), QStringList{str("ttyACM0")});
    EXPECT_EQ(f.batch.gErrorCode, 0) << f.batch.gErrorText.toStdString();
    EXPECT_EQ(f.eventsStartingWith(str("dial")), QStringList{str("dial /dev/ttyACM0")});
}

TEST_F(TerminalConnectTest, EnumerationTextStopsAtItsFirstNonPortEntry)
{
    f.settings.gEnumUsb = true;
    usbTerminals("USB\\VID_0B00", 3, "ttyACM0,garbage,ttyACM1,");
    f.sequence->TerminalConnect(false);
    EXPECT_EQ(f.sequence->usbPorts(), QStringList{str("ttyACM0")});
}

TEST_F(TerminalConnectTest, CancelledSelectionEndsWithoutBoxOrDial)
{
    f.settings.gEnumUsb = true;
    f.phonebook.port = str("ttyACM2");
    usbTerminals("USB\\VID_0B00", 3, "ttyACM0,ttyACM1,ttyACM2,");
    f.sequence->TerminalConnect(false);
    EXPECT_EQ(f.eventsStartingWith(str("select")), QStringList{str("select 3 ttyACM0,ttyACM1,ttyACM2, ttyACM2")});
    EXPECT_TRUE(f.notifier.shown.empty());
    EXPECT_TRUE(f.eventsStartingWith(str("dial")).isEmpty());
    EXPECT_EQ(f.batch.gErrorCode, 0);
    EXPECT_EQ(f.host.states, QList<ConnectionState>{ConnectionState::ConnectAbandoned});
}

TEST_F(TerminalConnectTest, NoPortInteractiveShowsTheNoSelectionBox)
{
    ConnectFixture g(str(""));
    g.sequence->TerminalConnect(false);
    ASSERT_EQ(g.notifier.shown.size(), 1u);
    EXPECT_EQ(g.notifier.shown[0].text, str("[MSG_NoPortSelection]"));
    EXPECT_TRUE(g.eventsStartingWith(str("dial")).isEmpty());
    EXPECT_TRUE(g.eventsStartingWith(str("install")).isEmpty());
}

TEST_F(TerminalConnectTest, MissingPortOptionInABatchRunIsPortUnknownWithItsName)
{
    f.batch.gBatchMode = true;
    f.batch.gComPort = str("ttyJVZ404");
    f.phonebook.modems = str("ttyJVZ0,");
    f.sequence->TerminalConnect(false);
    EXPECT_EQ(f.batch.code(), BatchCode::PortUnknown);
    EXPECT_EQ(f.batch.gErrorText, str("COM port unknown: ttyJVZ404"));
    EXPECT_EQ(f.eventsStartingWith(str("install")), QStringList{str("install ttyJVZ404")});
    EXPECT_TRUE(f.eventsStartingWith(str("dial")).isEmpty());
    EXPECT_EQ(f.host.states, QList<ConnectionState>{ConnectionState::ConnectFailed});
    EXPECT_FALSE(f.host.warningShown);
}

TEST_F(TerminalConnectTest, PortCheckThatPassesRerunsOnceAndNeverInstallsTwice)
{
    f.batch.gBatchMode = true;
    f.batch.gComPort = str("ttyJVZ5");
    f.host.installAnswers = {true, true};
    f.sequence->TerminalConnect(false); // the modem list never gets the port
    EXPECT_EQ(f.eventsStartingWith(str("install")).size(), 1);
    EXPECT_EQ(f.eventsStartingWith(str("find modem ports")).size(), 1);
    EXPECT_EQ(f.batch.code(), BatchCode::PortUnknown);
    EXPECT_TRUE(f.eventsStartingWith(str("dial")).isEmpty());
}

TEST_F(TerminalConnectTest, PortCheckThatFixesThePortLetsTheRerunDial)
{
    f.batch.gBatchMode = true;
    f.batch.gComPort = str("ttyJVZ5");
    f.host.installAnswers = {true};
    f.phonebook.modemPortsAfterFind = str("ttyJVZ5,");
    f.writePhonebook(str("[JVZ Connection]\r\nPort=ttyJVZ5\r\n"));
    f.sequence->TerminalConnect(false);
    EXPECT_EQ(f.batch.gErrorCode, 0) << f.batch.gErrorText.toStdString();
    EXPECT_EQ(f.eventsStartingWith(str("phonebook")), QStringList{str("phonebook ttyJVZ5")});
    EXPECT_EQ(f.eventsStartingWith(str("dial")), QStringList{str("dial /dev/ttyJVZ5")});
}

TEST_F(TerminalConnectTest, ConnectClickedWhileTheSequenceRunsIsIgnored)
{
    f.phonebook.modems = str("ttyJVZ0,");
    f.host.onShowWarning = [this] { f.sequence->TerminalConnect(false); };
    f.sequence->TerminalConnect(false);
    EXPECT_EQ(f.eventsStartingWith(str("enum")).size(), 2); // one run: each prefix once
    EXPECT_EQ(f.eventsStartingWith(str("dial")).size(), 1);
    EXPECT_EQ(f.batch.gErrorCode, 0);
    f.host.onShowWarning = nullptr;
    f.sequence->TerminalConnect(false); // once over, Connect works again
    EXPECT_EQ(f.eventsStartingWith(str("dial")).size(), 2);
}

TEST_F(TerminalConnectTest, InteractiveUnknownPortAfterAFailedCheckShowsTheBox)
{
    // What the failed check said follows the box's own text, and the run's message the same way.
    const struct {
        const char* what;
        const char* failure;
        const char* box;
    } cases[] = {
        {"the check says nothing", "", "'ttyJVZ0' [MSG_PortUnknown]"},
        {"the check names its cause", "Failed check: Port free\r\nFound: ttyJVZ0 is locked by process 77",
         "'ttyJVZ0' [MSG_PortUnknown]\r\nFailed check: Port free\r\nFound: ttyJVZ0 is locked by process 77"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ConnectFixture g;
        g.phonebook.modems = str("ttyS9,");
        g.host.installFailure = QString::fromLatin1(c.failure);
        g.sequence->TerminalConnect(false);
        ASSERT_EQ(g.notifier.shown.size(), 1u);
        EXPECT_EQ(g.notifier.shown[0].text, QString::fromLatin1(c.box));
        EXPECT_EQ(g.notifier.shown[0].icon, jvz::MessageIcon::Critical);
        EXPECT_EQ(g.host.status, str("[TerminalState][NoConnected]"));
        EXPECT_EQ(g.batch.gErrorText, str("COM port unknown: ttyJVZ0") +
                                          (*c.failure ? str("\r\n") + QString::fromLatin1(c.failure) : QString()));
    }
}

TEST_F(TerminalConnectTest, BatchRunTellsTheFailedCheckInItsMessageWithoutABox)
{
    f.batch.gBatchMode = true;
    f.batch.gComPort = str("ttyJVZ404");
    f.host.installFailure = str("Failed check: Port device present");
    f.sequence->TerminalConnect(false);
    EXPECT_EQ(f.batch.code(), BatchCode::PortUnknown);
    EXPECT_EQ(f.batch.gErrorText, str("COM port unknown: ttyJVZ404\r\nFailed check: Port device present"));
    ASSERT_EQ(f.notifier.shown.size(), 1u); // the console notifier: standard error, no box
    EXPECT_EQ(f.notifier.shown[0].text, f.batch.gErrorText);
}

TEST_F(TerminalConnectTest, PhonebookWriteRefusalInABatchRunNamesThePort)
{
    f.batch.gBatchMode = true;
    f.batch.gComPort = str("ttyJVZ5");
    f.phonebook.modems = str("ttyJVZ5,");
    f.phonebook.setFails = true;
    f.sequence->TerminalConnect(false);
    EXPECT_EQ(f.batch.code(), BatchCode::PortUnknown);
    EXPECT_EQ(f.batch.gErrorText, str("COM port unknown: ttyJVZ5"));
    EXPECT_TRUE(f.eventsStartingWith(str("dial")).isEmpty());
}

TEST_F(TerminalConnectTest, BatchRunWithoutAnyPortEndsWithPortUnknown)
{
    ConnectFixture g(str(""));
    g.batch.gBatchMode = true;
    g.sequence->TerminalConnect(false);
    EXPECT_EQ(g.batch.code(), BatchCode::PortUnknown);
    EXPECT_TRUE(g.batch.gErrorText.startsWith(str("COM port unknown")));
    EXPECT_TRUE(g.eventsStartingWith(str("dial")).isEmpty());
}

TEST_F(TerminalConnectTest, UnloadableUsbLibraryEndsTheSequenceWithAReason)
{
    const struct {
        bool batch;
        bool linkAlreadyUp;
    } cases[] = {{true, false}, {false, false}, {true, true}};
    for (const auto& c : cases) {
        ConnectFixture g;
        g.batch.gBatchMode = c.batch;
        g.usb.loadError = str("libYeldrin.so: cannot open shared object file");
        if (c.linkAlreadyUp) {
            jvz::PppLinkRequest r;
            r.entryName = str("JVZ Connection");
            g.link.dial(r);
        }
        g.host.warningShown = true;
        g.sequence->TerminalConnect(false);
        SCOPED_TRACE(c.batch ? "batch" : "interactive");
        EXPECT_EQ(g.batch.code(), BatchCode::ConnectionSetup);
        EXPECT_TRUE(g.batch.gErrorText.contains(str("cannot open shared object file")));
        EXPECT_TRUE(g.host.traceLines.first().contains(str("libYeldrin.so")));
        EXPECT_EQ(g.notifier.shown.size(), 1u); // a box, or standard error in a batch run
        EXPECT_EQ(g.eventsStartingWith(str("enum")).size(), 1);
        EXPECT_EQ(g.eventsStartingWith(str("dial")).size(), c.linkAlreadyUp ? 1 : 0);
        EXPECT_EQ(g.eventsStartingWith(str("close link")).size(), c.linkAlreadyUp ? 1 : 0);
        EXPECT_FALSE(g.host.warningShown);
        EXPECT_EQ(g.host.states, QList<ConnectionState>{ConnectionState::ConnectFailed});
    }
}

} // namespace
