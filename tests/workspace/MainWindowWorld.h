#pragma once

// The main window built by the program's own assembly (WindowAssembly) over a scratch program folder with the
// shipped settings, language, phonebook and product-code files. Only what sits behind platform/ is replaced: boxes, the
// per-user store, the FTP client, the session socket, the clock, the dial-up link, the port list and the
// process runner.
#include "../session/RuntimeDoubles.h"
#include "FakeNotifier.h"
#include "FakeUserSettingsStore.h"
#include "Paths.h"
#include "TestEnv.h"
#include "app/WindowAssembly.h"
#include "core/AppSettings.h"
#include "core/AppState.h"
#include "core/BatchRun.h"
#include "core/MBLanguages.h"
#include "core/MbFileIni.h"
#include "core/TerminalSession.h"
#include "platform/ProcessRunner.h"
#include "platform/SerialPortInventory.h"
#include "platform/StopSignals.h"
#include "session/PortCheck.h"
#include "session/RasFunctions.h"
#include "session/SessionRuntime.h"
#include "workspace/ui/frmMainJVZ.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace jvztest {

// Starts no program: a window test never runs a companion for real.
class RefusingProcessRunner : public jvz::ProcessRunner {
public:
    std::unique_ptr<jvz::ChildProcess> start(const jvz::ProcessSpec&, QString* error = nullptr) override
    {
        ++starts;
        if (error)
            *error = QStringLiteral("no program is started in this test");
        return nullptr;
    }
    int starts = 0;
};

class MainWindowWorld {
public:
    explicit MainWindowWorld(const std::string& productCodes = "M?? All terminals\r\nM23 Terminal M23\r\n"
                                                               "M40 Terminal M40\r\n")
    {
        folder = QString::fromStdString(makeScratchDir("program"));
        for (const char* name : {"JVZ.ini", "JVZ.lng"})
            QFile::copy(binDir() + QLatin1Char('/') + QLatin1String(name),
                        folder + QLatin1Char('/') + QLatin1String(name));
        writeFileBytes((folder + QStringLiteral("/JVZ.prm")).toStdString(), productCodes);
        // The program's private phonebook with its one entry, as shipped beside the program.
        QDir(folder).mkpath(QStringLiteral("ras"));
        QFile::copy(binDir() + QStringLiteral("/ras/rasphone2000.pbk"),
                    folder + QStringLiteral("/ras/rasphone2000.pbk"));
        settings.gProgramFolder = folder;
        settings.gIniPath = folder + QStringLiteral("/JVZ.ini");
        settings.gIniFile->Create(settings.gIniPath);
        settings.gLanguageFile = QStringLiteral("JVZ.lng");
        settings.gCataExtFile = QStringLiteral("JVZ.prm");
        settings.gBookmarkFile = QStringLiteral("JVZ.bmk");
    }

    ~MainWindowWorld()
    {
        if (assembly)
            assembly->window().hide();
        assembly.reset(); // before the doubles its session uses
    }

    jvz::MBLanguages language(int16_t number) const
    {
        jvz::MBLanguages table;
        table.init(folder + QStringLiteral("/JVZ.lng"), number);
        return table;
    }

    // The session's doubles; the dial-up link's state is what the window's quit and the session read.
    struct SessionDoubles {
        FakeFtpClient ftp;
        ShiftableClock clock;
        FakeDialUpLink dialUp{clock};
        ScriptedTransport transport;
    };

    // Builds the window as start-up does: the assembly once the settings are read, then init in the language
    // given. A window with dialUpLink set runs its session over the fake dial-up link.
    jvz::frmMainJVZ& build(int16_t languageNumber = 1)
    {
        assemble();
        window->init(language(languageNumber));
        return *window;
    }

    // Built, then shown and active as a user finds it: keys reach the focused widget and their shortcuts.
    jvz::frmMainJVZ& buildShown(int16_t languageNumber = 1)
    {
        build(languageNumber);
        window->resize(1100, 700);
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window));
        return *window;
    }

    // The assembly alone, before start-up labels the window.
    jvz::frmMainJVZ& assemble()
    {
        // A window built before goes first: its session still uses the doubles replaced below.
        window = nullptr;
        assembly.reset();
        doubles = std::make_unique<SessionDoubles>();
        jvz::Notifier& boxes = realNotifier ? *realNotifier : static_cast<jvz::Notifier&>(notifier);
        jvz::DialUpLink& link = realDialUp ? *realDialUp : static_cast<jvz::DialUpLink&>(doubles->dialUp);
        ras = std::make_unique<jvz::RasFunctions>(link, boxes, folder);
        jvz::FtpClient& ftp = realFtp ? *realFtp : static_cast<jvz::FtpClient&>(doubles->ftp);
        jvz::SessionTransport& transport =
            realTransport ? *realTransport : static_cast<jvz::SessionTransport&>(doubles->transport);
        jvz::Clock& clock = realClock ? *realClock : static_cast<jvz::Clock&>(doubles->clock);
        jvz::ProcessRunner& processes = realRunner ? *realRunner : static_cast<jvz::ProcessRunner&>(runner);
        assembly = std::make_unique<jvz::WindowAssembly>(
            state,
            jvz::WindowServices{.notifier = boxes,
                                .userStore = store,
                                .ftp = ftp,
                                .transport = transport,
                                .clock = clock,
                                .runner = processes,
                                .ports = ports,
                                .ras = *ras,
                                .portCheck = portCheck ? *portCheck : machinePortCheck,
                                .dialUp = realDialUp || dialUpLink ? &link : nullptr,
                                .volumes = volumes,
                                .connectSequence = connectSequence,
                                .openDocument = openDocument,
                                .makeFolder = makeFolder,
                                .folderReadHook = folderReadHook,
                                .stopSignals = stopSignals},
            hooks.window.quitApplication ? hooks
                                         : jvz::WindowHooks{.window = {.quitApplication = [this] { ++quits; },
                                                                       .unloadProgressWindow = {},
                                                                       .endProgram = {}},
                                                            .progressComment = {}},
            timings);
        window = &assembly->window();
        return *window;
    }

    // The doubles of the built window's session.
    SessionDoubles& attachSession() { return *doubles; }

    QAction* action(const char* name) const { return window->findChild<QAction*>(QString::fromUtf8(name)); }

    QString iniText() const { return QString::fromStdString(readFileBytes(settings.gIniPath.toStdString())); }

    QString folder;
    jvz::AppState state;
    jvz::AppSettings& settings = state.settings;
    jvz::BatchRun& batch = state.batch;
    FakeNotifier notifier;
    FakeUserSettingsStore store;
    RefusingProcessRunner runner;
    jvz::FixedSerialPortInventory ports;
    // Set before build for the port checks' answers; null: the machine's own, read only.
    jvz::PortCheckSystem* portCheck = nullptr;
    jvz::LinuxPortCheckSystem machinePortCheck;
    jvz::RuntimeTimings timings;
    jvz::VolumeSource* volumes = nullptr; // null: the machine's own (read only)
    bool dialUpLink = false;
    std::function<void(bool)> connectSequence;        // empty: the program's own
    std::function<bool(const QString&)> openDocument; // empty: the desktop's own
    std::function<bool(const QString&)> makeFolder;   // empty: the file system's own
    jvz::FolderReadHook folderReadHook;               // empty: folder reads run straight through
    jvz::StopSignals* stopSignals = nullptr;          // null: a signal ends the test
    // Set before build for a window that talks to a real terminal (loopback FTP server and session peer).
    jvz::FtpClient* realFtp = nullptr;
    jvz::SessionTransport* realTransport = nullptr;
    jvz::Clock* realClock = nullptr;
    // Set before build for the real message boxes (a test of their texts or buttons), and for a window that dials
    // and starts programs for real (the stand-in pppd, companions).
    jvz::Notifier* realNotifier = nullptr;
    jvz::DialUpLink* realDialUp = nullptr;
    jvz::ProcessRunner* realRunner = nullptr;
    int quits = 0;
    jvz::WindowHooks hooks;                  // empty: the user's close counts in quits
    std::unique_ptr<SessionDoubles> doubles; // before the assembly, whose session uses them
    std::unique_ptr<jvz::RasFunctions> ras;
    std::unique_ptr<jvz::WindowAssembly> assembly;
    jvz::frmMainJVZ* window = nullptr;
};

} // namespace jvztest
