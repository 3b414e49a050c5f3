#include "ProgramHost.h"
#include "core/AppState.h"
#include "core/CommandLine.h"
#include "platform/FileWriter.h"
#include "platform/UserSettingsStore.h"

#include <QApplication>
#include <QCoreApplication>
#include <QStringList>

namespace {

// A batch run started from a script, over ssh or by cron has no display: it still needs its result file.
void chooseOffscreenForBatchWithoutDisplay(const QStringList& arguments)
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return;
    jvz::BatchRun batch;
    jvz::AppSettings settings;
    jvz::ParseCommandLine(arguments, batch, settings);
    if (batch.gBatchMode)
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

} // namespace

int main(int argc, char* argv[])
{
    // Taken before Qt removes the options it knows from argv.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    chooseOffscreenForBatchWithoutDisplay(arguments);

    QApplication app(argc, argv);
    jvz::QSettingsUserStore userStore;
    jvz::ProgramHost host(jvz::appState(), userStore, jvz::AtomicFileWriter::standard(),
                          QCoreApplication::applicationFilePath());
    return host.run(arguments);
}
