// Connection > Port check... on the window as the program assembles it (offscreen), one row per state of the
// terminal's port: the window lists each check with its result and what it found, and the failed check's remedy,
// until the technician closes it; the connect sequence's box then names the same cause. A pty the test opens is
// the port, the stand-in pppd is on PATH, the lock folder is the test's own; only a refused access is injected
// behind the port-check seam (the tests run as root).

#include "../workspace/MainWindowWorld.h"
#include "../workspace/UserInput.h"
#include "FakeNotifier.h"
#include "Paths.h"
#include "RowName.h"
#include "ScopedPath.h"
#include "StandInPppd.h"
#include "TestEnv.h"
#include "TestPty.h"
#include "session/PortCheck.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <ostream>
#include <unistd.h>

using namespace jvz;

namespace {

constexpr int kBoundMs = 10000;

// The machine's own checks in a test's lock folder, the pty standing for the kernel's PPP node (which a
// container may lack); a refused access is the one answer a root test cannot get from the machine.
class TestPortCheck : public LinuxPortCheckSystem {
public:
    TestPortCheck(const QString& lockFolder, const QString& pppNode) : LinuxPortCheckSystem(lockFolder, pppNode) {}
    bool canReadWrite(const QString& node) override
    {
        return !refuseAccess && LinuxPortCheckSystem::canReadWrite(node);
    }
    bool refuseAccess = false;
};

enum class PortState { Ready, DeviceMissing, NoAccess, NoPppd, Locked };
enum class CloseBy { Button, Escape, TitleBar };

struct WindowRow {
    const char* what;
    PortState state;
    int16_t language;
    CloseBy close;
    // Texts with %pty (pts/N), %node (/dev/pts/N), %pppd (the stand-in's path) and %pid filled in.
    const char* message;
    std::vector<std::vector<const char*>> checks; // check, result, found
    const char* remedy;                           // empty: none shown
    std::vector<const char*> trace;               // oldest first, the closing line included
    const char* box;                              // the connect sequence's box
};

const char* const kPppdTrace = "pppd found: OK (%pppd)";

const WindowRow kRows[] = {
    {"every check passing",
     PortState::Ready,
     1,
     CloseBy::Button,
     "Checking the port %pty\nEvery check passed: the port can carry the link.",
     {{"Port device present", "Passed", "%node"},
      {"Port readable and writable", "Passed", "%node can be read and written"},
      {"pppd found", "Passed", "%pppd"},
      {"Kernel PPP support", "Passed", "%node"},
      {"Port free", "Passed", "%pty is not locked"}},
     "",
     {"Port device present: OK (%node)", "Port readable and writable: OK (%node)", kPppdTrace,
      "Kernel PPP support: OK (%node)", "Port free: OK (%pty)", "", "Closing..."},
     "'%pty' is not a port that can reach the terminal"},
    {"every check passing in French",
     PortState::Ready,
     2,
     CloseBy::Escape,
     "Vérification du port %pty\nToutes les vérifications ont réussi : le port peut porter la liaison.",
     {{"Périphérique du port présent", "Réussie", "%node"},
      {"Port accessible en lecture et en écriture", "Réussie", "%node peut être lu et écrit"},
      {"pppd trouvé", "Réussie", "%pppd"},
      {"Prise en charge de PPP par le noyau", "Réussie", "%node"},
      {"Port libre", "Réussie", "%pty n'est pas verrouillé"}},
     "",
     {"Périphérique du port présent: OK (%node)", "Port accessible en lecture et en écriture: OK (%node)",
      "pppd trouvé: OK (%pppd)", "Prise en charge de PPP par le noyau: OK (%node)", "Port libre: OK (%pty)", "",
      "Fermeture..."},
     "'%pty' n'est pas un port qui permet de joindre le terminal"},
    {"device missing",
     PortState::DeviceMissing,
     1,
     CloseBy::TitleBar,
     "Checking the port ttyJVZNOSUCH7\nThe port could not be set up for the link.",
     {{"Port device present", "Failed", "/dev/ttyJVZNOSUCH7 is missing or is not a device"}},
     "What to do: Plug the terminal in and check its cable or choose its port again.",
     {"Port device present: /dev/ttyJVZNOSUCH7", "Plug the terminal in and check its cable or choose its port again.",
      "The port could not be set up for the link.", "Closing..."},
     "'ttyJVZNOSUCH7' is not a port that can reach the terminal\n"
     "Failed check: Port device present\n"
     "Found: /dev/ttyJVZNOSUCH7 is missing or is not a device\n"
     "What to do: Plug the terminal in and check its cable or choose its port again."},
    {"device not readable and writable",
     PortState::NoAccess,
     1,
     CloseBy::Escape,
     "Checking the port %pty\nThe port could not be set up for the link.",
     {{"Port device present", "Passed", "%node"},
      {"Port readable and writable", "Failed", "%node cannot be read and written by this user"}},
     "What to do: Add this user to the group that owns the port (usually dialout) then log in again.",
     {"Port device present: OK (%node)", "Port readable and writable: %node",
      "Add this user to the group that owns the port (usually dialout) then log in again.",
      "The port could not be set up for the link.", "Closing..."},
     "'%pty' is not a port that can reach the terminal\n"
     "Failed check: Port readable and writable\n"
     "Found: %node cannot be read and written by this user\n"
     "What to do: Add this user to the group that owns the port (usually dialout) then log in again."},
    {"pppd missing from PATH",
     PortState::NoPppd,
     1,
     CloseBy::Button,
     "Checking the port %pty\nThe port could not be set up for the link.",
     {{"Port device present", "Passed", "%node"},
      {"Port readable and writable", "Passed", "%node can be read and written"},
      {"pppd found", "Failed", "pppd is not on the search path"}},
     "What to do: Install the ppp package: pppd must be on the search path and executable.",
     {"Port device present: OK (%node)", "Port readable and writable: OK (%node)",
      "pppd found: pppd is not on the search path",
      "Install the ppp package: pppd must be on the search path and executable.",
      "The port could not be set up for the link.", "Closing..."},
     "'%pty' is not a port that can reach the terminal\n"
     "Failed check: pppd found\n"
     "Found: pppd is not on the search path\n"
     "What to do: Install the ppp package: pppd must be on the search path and executable."},
    {"pppd missing from PATH in French",
     PortState::NoPppd,
     2,
     CloseBy::TitleBar,
     "Vérification du port %pty\nLe port n'a pas pu être préparé pour la liaison.",
     {{"Périphérique du port présent", "Réussie", "%node"},
      {"Port accessible en lecture et en écriture", "Réussie", "%node peut être lu et écrit"},
      {"pppd trouvé", "Échouée", "pppd n'est pas dans le chemin de recherche"}},
     "À faire : Installez le paquet ppp : pppd doit être dans le chemin de recherche et exécutable.",
     {"Périphérique du port présent: OK (%node)", "Port accessible en lecture et en écriture: OK (%node)",
      "pppd trouvé: pppd is not on the search path",
      "Installez le paquet ppp : pppd doit être dans le chemin de recherche et exécutable.",
      "Le port n'a pas pu être préparé pour la liaison.", "Fermeture..."},
     "'%pty' n'est pas un port qui permet de joindre le terminal\n"
     "Vérification en échec : pppd trouvé\n"
     "Constaté : pppd n'est pas dans le chemin de recherche\n"
     "À faire : Installez le paquet ppp : pppd doit être dans le chemin de recherche et exécutable."},
    {"port locked by a live process",
     PortState::Locked,
     1,
     CloseBy::Button,
     "Checking the port %pty\nThe port could not be set up for the link.",
     {{"Port device present", "Passed", "%node"},
      {"Port readable and writable", "Passed", "%node can be read and written"},
      {"pppd found", "Passed", "%pppd"},
      {"Kernel PPP support", "Passed", "%node"},
      {"Port free", "Failed", "%pty is locked by process %pid"}},
     "What to do: Close the program that holds the port then connect again.",
     {"Port device present: OK (%node)", "Port readable and writable: OK (%node)", kPppdTrace,
      "Kernel PPP support: OK (%node)", "Port free: %pty is locked by process %pid",
      "Close the program that holds the port then connect again.", "The port could not be set up for the link.",
      "Closing..."},
     "'%pty' is not a port that can reach the terminal\n"
     "Failed check: Port free\n"
     "Found: %pty is locked by process %pid\n"
     "What to do: Close the program that holds the port then connect again."},
};

void PrintTo(const WindowRow& row, std::ostream* out)
{
    *out << row.what;
}

class PortCheckWindow : public ::testing::TestWithParam<WindowRow> {
protected:
    void SetUp() override { ASSERT_FALSE(m_node.isEmpty()); }

    QString filled(const char* text) const
    {
        return QString::fromUtf8(text)
            .replace(QStringLiteral("%node"), m_node)
            .replace(QStringLiteral("%pty"), m_pty)
            .replace(QStringLiteral("%pppd"), m_pppdPath)
            .replace(QStringLiteral("%pid"), QString::number(::getpid()))
            .replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    }

    // The newest lines of the trace box as a user reads them, oldest first.
    static QStringList traceLines(QWidget& window, qsizetype count)
    {
        QStringList lines = window.findChild<QPlainTextEdit*>(QStringLiteral("TXT_Trace"))
                                ->toPlainText()
                                .split(QLatin1Char('\n'))
                                .mid(0, count);
        std::reverse(lines.begin(), lines.end());
        return lines;
    }

    jvztest::TestPty m_port;
    QString m_node = m_port.node();
    QString m_pty = m_port.name();
    QString m_pppdPath;
    QString m_locks = QString::fromStdString(jvztest::makeScratchDir("locks"));
};

TEST_P(PortCheckWindow, ShowsEachCheckUntilClosedAndTheConnectBoxNamesTheCause)
{
    const WindowRow& row = GetParam();
    jvztest::StandInPppd pppd;
    m_pppdPath = jvztest::sourceDir() + QStringLiteral("/tests/support/standin/pppd");
    std::optional<jvztest::ScopedPath> path;
    if (row.state == PortState::NoPppd)
        path.emplace(QStringLiteral("/usr/bin:/bin"));
    TestPortCheck system(m_locks, m_node);
    system.refuseAccess = row.state == PortState::NoAccess;
    if (row.state == PortState::Locked) {
        // An ASCII lock as pppd writes it, named after the device's last part.
        const QString lock = m_locks + QStringLiteral("/LCK..") + m_pty.section(u'/', -1);
        ASSERT_TRUE(jvztest::writeFileBytes(
            lock.toStdString(), QByteArray::number(::getpid()).rightJustified(10, ' ').toStdString() + "\n"));
    }

    jvztest::MainWindowWorld world;
    const QString port = row.state == PortState::DeviceMissing ? QStringLiteral("ttyJVZNOSUCH7") : m_pty;
    ASSERT_TRUE(jvztest::writeFileBytes((world.folder + QStringLiteral("/ras/rasphone2000.pbk")).toStdString(),
                                        "[JVZ Connection]\r\nPort=" + port.toStdString() +
                                            "\r\nConnectBPS=115200\r\nHwFlowControl=0\r\n"));
    // The USB terminals are looked for before every connection, by the library beside the program.
    ASSERT_TRUE(QFile::copy(jvztest::binDir() + QStringLiteral("/libYeldrin.so"),
                            world.folder + QStringLiteral("/libYeldrin.so")));
    world.settings.gEnumUsb = false;
    world.settings.gDisplayMsg = true;
    world.portCheck = &system;
    frmMainJVZ& window = world.buildShown(row.language);

    world.action("MNU_Connection_Modem")->trigger();
    auto* dialog = window.findChild<QDialog*>(QStringLiteral("FrmConfigComModem"));
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->isVisible(); }, kBoundMs));
    EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
    EXPECT_TRUE(window.isVisible()) << "the main window lives on under the check";
    QTest::qWait(50); // what stays: nothing closes the window by itself
    ASSERT_TRUE(dialog->isVisible());

    const auto* message = dialog->findChild<QLabel*>(QStringLiteral("Message"));
    const auto* checks = dialog->findChild<QTreeWidget*>(QStringLiteral("LST_Checks"));
    const auto* remedy = dialog->findChild<QLabel*>(QStringLiteral("LBL_Remedy"));
    auto* close = dialog->findChild<QPushButton*>(QStringLiteral("CMD_Close"));
    ASSERT_TRUE(message && checks && remedy && close);
    EXPECT_EQ(message->text(), filled(row.message));
    ASSERT_EQ(checks->topLevelItemCount(), static_cast<int>(row.checks.size()));
    for (int i = 0; i < checks->topLevelItemCount(); ++i)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(checks->topLevelItem(i)->text(c), filled(row.checks[i][c])) << i << ' ' << c;
    EXPECT_EQ(remedy->isVisible(), *row.remedy != '\0');
    if (*row.remedy) {
        EXPECT_EQ(remedy->text(), filled(row.remedy));
    }
    // Every control is named for screen readers, in the window's language.
    for (const QWidget* w : {static_cast<const QWidget*>(message), static_cast<const QWidget*>(checks),
                             static_cast<const QWidget*>(remedy), static_cast<const QWidget*>(close)})
        EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
    EXPECT_EQ(close->text(), row.language == 1 ? QStringLiteral("Close") : QStringLiteral("Fermer"));
    EXPECT_EQ(checks->headerItem()->text(0),
              row.language == 1 ? QStringLiteral("Check") : QStringLiteral("Vérification"));

    EXPECT_TRUE(dialog->grab().save(jvztest::screenshotFolder() + QStringLiteral("/port_check_") +
                                    QString::fromLatin1(row.what).replace(u' ', u'_') + QStringLiteral(".png")));

    // The keyboard reaches every control; the Close button has the focus.
    EXPECT_TRUE(close->hasFocus());
    switch (row.close) {
    case CloseBy::Button:
        jvztest::press(Qt::Key_Space);
        break;
    case CloseBy::Escape:
        jvztest::press(Qt::Key_Tab); // off the button first: Escape closes from any control
        jvztest::press(Qt::Key_Escape);
        break;
    case CloseBy::TitleBar:
        dialog->close();
        break;
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog->isVisible(); }, kBoundMs));

    QStringList trace;
    for (const char* line : row.trace)
        trace << filled(line);
    EXPECT_EQ(traceLines(window, trace.size()), trace);

    // The connect sequence on the same port: the box names the failed check, what it found and its remedy.
    world.action("MNU_Terminal_Connect")->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !world.notifier.shown.empty(); }, kBoundMs))
        << traceLines(window, 40).join(u'|').toStdString();
    EXPECT_EQ(world.notifier.shown.back().text, filled(row.box));
    EXPECT_EQ(world.notifier.shown.back().icon, MessageIcon::Critical);
    EXPECT_FALSE(dialog->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Ports, PortCheckWindow, ::testing::ValuesIn(kRows), jvztest::RowName{});

} // namespace
