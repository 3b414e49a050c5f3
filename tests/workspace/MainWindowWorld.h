#pragma once

// A main window built as start-up builds it, over a scratch program folder with the shipped settings,
// language and product-code files, with fakes for the boxes and the per-user store.
#include "../session/RuntimeDoubles.h"
#include "FakeNotifier.h"
#include "FakeUserSettingsStore.h"
#include "Paths.h"
#include "TestEnv.h"
#include "core/AppSettings.h"
#include "core/AppState.h"
#include "core/BatchRun.h"
#include "core/MBLanguages.h"
#include "core/MbFileIni.h"
#include "core/TerminalSession.h"
#include "session/SessionRuntime.h"
#include "workspace/ui/MainSessionWindow.h"
#include "workspace/ui/frmMainJVZ.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <memory>

namespace jvztest {

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
        settings.gProgramFolder = folder;
        settings.gIniPath = folder + QStringLiteral("/JVZ.ini");
        settings.gIniFile->Create(settings.gIniPath);
        settings.gLanguageFile = QStringLiteral("JVZ.lng");
        settings.gCataExtFile = QStringLiteral("JVZ.prm");
        settings.gBookmarkFile = QStringLiteral("JVZ.bmk");
    }

    jvz::MBLanguages language(int16_t number) const
    {
        jvz::MBLanguages table;
        table.init(folder + QStringLiteral("/JVZ.lng"), number);
        return table;
    }

    // Builds and initialises the window (load, then init) in the language given.
    jvz::frmMainJVZ& build(int16_t languageNumber = 1)
    {
        window = std::make_unique<jvz::frmMainJVZ>(settings, batch, notifier);
        window->setUserStore(&store);
        window->init(language(languageNumber));
        return *window;
    }

    // The session's state and doubles, for a window that runs its session.
    struct SessionDoubles {
        jvz::TerminalSession session;
        jvz::TerminalIdentity identity;
        jvz::TerminalInfoFields info;
        jvz::LinkState link;
        FakeFtpClient ftp;
        ShiftableClock clock;
        FakeDialUpLink dialUp{clock};
        ScriptedTransport transport;
    };

    // Builds the window's session over the doubles (with a dial-up link when asked).
    SessionDoubles& attachSession(bool dialUpLink = false)
    {
        doubles = std::make_unique<SessionDoubles>();
        SessionDoubles& d = *doubles;
        window->createSession({settings, batch, d.session, d.identity, d.info, d.link},
                              {notifier, d.ftp, d.clock, d.transport, dialUpLink ? &d.dialUp : nullptr, nullptr, [] {}},
                              jvz::MainSessionWindowParts{}, jvz::RuntimeTimings{});
        return d;
    }

    QAction* action(const char* name) const { return window->findChild<QAction*>(QString::fromUtf8(name)); }

    QString iniText() const { return QString::fromStdString(readFileBytes(settings.gIniPath.toStdString())); }

    QString folder;
    jvz::AppSettings settings;
    jvz::BatchRun batch;
    FakeNotifier notifier;
    FakeUserSettingsStore store;
    std::unique_ptr<SessionDoubles> doubles; // before the window, whose session uses them
    std::unique_ptr<jvz::frmMainJVZ> window;
};

} // namespace jvztest
