#include "BatchHost.h"
#include "core/AppState.h"
#include "core/CommandLine.h"
#include "platform/FileWriter.h"
#include "platform/UserSettingsStore.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>
#include <dlfcn.h>
#include <filesystem>

// The program file is small on purpose: an unattended run without progress window runs here with Qt's core and
// network libraries only, and every other run loads the windowed program (the window libraries, fonts and
// display) from the library beside it.

namespace {

constexpr const char* kWindowLibrary = "libJVZWindows.so";

using WindowMain = int (*)(int, char**);

// The windowed program beside this file, or null with the reason on standard error.
WindowMain loadWindowProgram()
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    const std::string path = (error ? std::filesystem::path(".") : self.parent_path()) / kWindowLibrary;
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        std::fprintf(stderr, "JVZ: cannot load the windows (%s)\n", dlerror());
        return nullptr;
    }
    auto entry = reinterpret_cast<WindowMain>(dlsym(library, "jvzWindowMain"));
    if (!entry)
        std::fprintf(stderr, "JVZ: %s has no entry\n", path.c_str());
    return entry;
}

int runUnattended(int argc, char* argv[], const QStringList& arguments)
{
    return jvz::endOfRun(jvz::appState().batch, [&] {
        QCoreApplication app(argc, argv);
        jvz::QSettingsUserStore userStore;
        jvz::BatchHost host(jvz::appState(), userStore, jvz::UserOutputWriter::standard(),
                            QCoreApplication::applicationFilePath());
        return host.run(arguments);
    }());
}

} // namespace

int main(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    jvz::BatchRun batch;
    jvz::AppSettings settings;
    jvz::ParseCommandLine(arguments, batch, settings);
    const bool unattended = batch.gBatchMode && !batch.gShowProgress;
    if (unattended)
        return runUnattended(argc, argv, arguments);
    if (WindowMain windowMain = loadWindowProgram())
        return windowMain(argc, argv);
    // A batch run still ends with its result file, without the progress window.
    if (batch.gBatchMode)
        return runUnattended(argc, argv, arguments);
    return 2;
}
