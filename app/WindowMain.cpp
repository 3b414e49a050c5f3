#include "ProgramHost.h"
#include "ProgramServices.h"
#include "core/AppState.h"
#include "core/CommandLine.h"
#include "platform/FileWriter.h"
#include "platform/UserSettingsStore.h"

#include <QApplication>
#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

namespace {

constexpr const char* kOffscreen = "offscreen";

// Which display platform Qt is asked for (a user's own QT_QPA_PLATFORM is kept as it is, not through here).
// A batch run started from a script, over ssh or by cron still needs its result file: with a display it falls
// back to offscreen when that display cannot be reached (a stale DISPLAY), without one it is offscreen at once.
// An interactive start gets the same fallback so that an unusable display is noticed here rather than aborting
// inside Qt. Returns false when the start is interactive and no display is named at all.
bool chooseDisplayPlatform(bool batchRun)
{
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    const bool x11 = !qEnvironmentVariableIsEmpty("DISPLAY");
    if (!wayland && !x11) {
        if (!batchRun)
            return false;
        qputenv("QT_QPA_PLATFORM", kOffscreen);
        return true;
    }
    QByteArray list;
    if (wayland)
        list += "wayland;";
    if (x11)
        list += "xcb;";
    qputenv("QT_QPA_PLATFORM", list + kOffscreen);
    return true;
}

void reportNoDisplay()
{
    const QByteArray display = qgetenv("DISPLAY");
    const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
    std::fprintf(stderr,
                 "JVZ: no usable display (DISPLAY=\"%s\", WAYLAND_DISPLAY=\"%s\"): the window cannot be shown. "
                 "Start it from a desktop session, or give a batch action (-c, -d or -u).\n",
                 display.constData(), wayland.constData());
}

} // namespace

// The windowed program, loaded by the program's entry for every run that may show a window.
extern "C" __attribute__((visibility("default"))) int jvzWindowMain(int argc, char* argv[])
{
    // Taken before Qt removes the options it knows from argv.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const bool batchRun = [&arguments] {
        jvz::BatchRun batch;
        jvz::AppSettings settings;
        jvz::ParseCommandLine(arguments, batch, settings);
        return batch.gBatchMode;
    }();
    // An empty value names no platform: it is treated as unset rather than handed to Qt, which would abort.
    const bool userChoice = !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    if (!userChoice && !chooseDisplayPlatform(batchRun)) {
        reportNoDisplay();
        return 2;
    }

    return jvz::endOfRun(jvz::appState().batch, [&] {
        QApplication app(argc, argv);
        if (!userChoice && !batchRun && QGuiApplication::platformName() == QLatin1String(kOffscreen)) {
            reportNoDisplay();
            return 2;
        }
        jvz::QSettingsUserStore userStore;
        jvz::ProgramHost host(jvz::appState(), userStore, jvz::UserOutputWriter::standard(),
                              QCoreApplication::applicationFilePath());
        return host.run(arguments);
    }());
}
