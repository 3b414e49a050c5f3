#pragma once

// The companion programs that turn a binary terminal file into a text report: one run at a time, started
// with an argument list, waited for while the window keeps handling its events, its exit code turned into
// a message, its report shown in the text viewer and then removed.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <span>

namespace jvz {

class FileViewers;
class MBLanguages;
class Notifier;
class ProcessRunner;
struct AppSettings;

enum class CompanionKind {
    LifeCounter,        // the outside life-counter converter, beside the program when installed
    AppCounter,         // Tulmane
    AppDefault,         // Vitrane
    SecurityDiagnostic, // Orbeck
    SignedFile,         // Kelmdor
};

// One run's fixed traits.
struct CompanionTraits {
    CompanionKind kind;
    const char* program;    // file name in the program folder
    const char* section;    // language-file section of its messages, also the title of its boxes
    const char* outputName; // its own report name in the temp folder
    std::span<const int8_t> examinedCodes;
    int heightTwips;
    int widthTwips;
    bool editable;
};

const CompanionTraits& companionTraits(CompanionKind kind);

struct CompanionCommand {
    QString program;
    QStringList arguments;
    QString outputPath;
};

// What a run needs to know besides the input.
struct CompanionOptions {
    QString programFolder; // without a trailing "/"
    QString tempFolder;    // ends with "/"
    bool certifSgnPlus = false;
    QString vorbaneCode;
    int16_t languageNumber = 1;
};

CompanionCommand companionCommand(CompanionKind kind, const QString& input, const CompanionOptions& options);

enum class CompanionOutcome {
    Shown,         // exit code 0 and the report shown
    Refused,       // another run is under way
    LaunchProblem, // the program could not be started or its end not read
    ReportedError, // an examined exit code, its message shown
    SilentError,   // any other non-zero exit code
    NoReport,      // exit code 0 but the report could not be read
};

class CompanionRunner {
public:
    CompanionRunner(ProcessRunner& runner, Notifier& notifier, const MBLanguages& language, FileViewers& viewers,
                    CompanionOptions options);

    CompanionOutcome run(CompanionKind kind, const QString& input);

    CompanionOutcome ShowLifeCounterRecords(const QString& input) { return run(CompanionKind::LifeCounter, input); }
    CompanionOutcome ShowAppCounterRecords(const QString& input) { return run(CompanionKind::AppCounter, input); }
    CompanionOutcome ShowAppDefaultRecords(const QString& input) { return run(CompanionKind::AppDefault, input); }
    CompanionOutcome AnalyzeSecurityDiagnostic(const QString& input)
    {
        return run(CompanionKind::SecurityDiagnostic, input);
    }
    // The dump of a signed file; status 0 when it was shown (the descriptor viewer ignores it).
    void AnalyzeSgn(const QString& input, int16_t& status);

    bool isRunning() const { return m_running; }
    CompanionOptions& options() { return m_options; }
    // Told when a run starts and ends, so the window can hold its busy flag meanwhile.
    void setRunningChanged(std::function<void(bool)> changed) { m_runningChanged = std::move(changed); }

private:
    CompanionOutcome runOnce(const CompanionTraits& traits, const QString& input);
    QString label(const char* section, const char* key) const;
    void reportExitCode(const CompanionTraits& traits, int8_t code);

    ProcessRunner& m_runner;
    Notifier& m_notifier;
    const MBLanguages& m_language;
    FileViewers& m_viewers;
    CompanionOptions m_options;
    std::function<void(bool)> m_runningChanged;
    bool m_running = false;
};

// The settings and folders of the running program, for a runner of the main window.
CompanionOptions companionOptionsFrom(const AppSettings& settings, const MBLanguages& language,
                                      const QString& tempFolder = QString());

} // namespace jvz
