#include "terminal_files/CompanionRun.h"

#include "core/AppSettings.h"
#include "core/MBApplications.h"
#include "core/MBLanguages.h"
#include "core/PerUserFolder.h"
#include "platform/Notifier.h"
#include "platform/ProcessRunner.h"
#include "platform/TransferLog.h"
#include "terminal_files/FileViewers.h"

#include <QFile>
#include <algorithm>
#include <array>

namespace jvz {

namespace {

constexpr std::array<int8_t, 6> kOneToSix = {1, 2, 3, 4, 5, 6};
constexpr std::array<int8_t, 3> kConverterCodes = {1, 2, 6};
constexpr std::array<int8_t, 3> kAnalyserCodes = {-1, -2, -3};

// Each run writes its own report name, so one kind's leftover is never taken for another's result.
const std::array<CompanionTraits, 5> kTraits = {{
    {CompanionKind::LifeCounter, "Brosquin", "convDIA", "lifecounter_report.txt", kOneToSix, 6000, 7000, true},
    {CompanionKind::AppCounter, "Tulmane", "Tulmane", "appcounter_report.txt", kConverterCodes, 5000, 7000, true},
    {CompanionKind::AppDefault, "Vitrane", "Vitrane", "appdefault_report.txt", kConverterCodes, 5000, 7000, true},
    {CompanionKind::SecurityDiagnostic, "Orbeck", "Orbeck", "vorbaneA.dia", kAnalyserCodes, 6000, 6000, false},
    {CompanionKind::SignedFile, "Kelmdor", "Kelmdor", "signedfile_report.txt", kOneToSix, 7000, 10600, false},
}};

// The key of each examined exit code.
const char* exitCodeKey(CompanionKind kind, int8_t code)
{
    if (kind == CompanionKind::SecurityDiagnostic) {
        switch (code) {
        case -1:
            return "MSG_ERR_NOT_ENOUGH_ARG";
        case -2:
            return "MSG_ERR_FILE_NOT_FOUND";
        case -3:
            return "ERR_FILE_NOT_WRITTEN";
        default:
            return nullptr;
        }
    }
    switch (code) {
    case 1:
        return "MSG_ERR_FILE_NOT_FOUND";
    case 2:
        return "MSG_ERR_FILE_NOT_OPEN";
    case 3:
        return "MSG_ERR_UNKNOW_LANGUAGE";
    case 4:
        return "MSG_ERR_TOO_MANY_PARALETERS";
    case 5:
        return "MSG_ERR_FILE_NOT_WRITTEN";
    case 6:
        return "MSG_ERR_ERROR_EXE";
    default:
        return nullptr;
    }
}

} // namespace

const CompanionTraits& companionTraits(CompanionKind kind)
{
    for (const CompanionTraits& t : kTraits)
        if (t.kind == kind)
            return t;
    return kTraits.back();
}

CompanionCommand companionCommand(CompanionKind kind, const QString& input, const CompanionOptions& options)
{
    const CompanionTraits& traits = companionTraits(kind);
    CompanionCommand command;
    command.program = options.programFolder + QLatin1Char('/') + QLatin1String(traits.program);
    command.outputPath = options.tempFolder + QLatin1String(traits.outputName);
    switch (kind) {
    case CompanionKind::LifeCounter:
        command.arguments = {input, options.programFolder + QStringLiteral("/Counter.ini"), command.outputPath};
        if (options.languageNumber == 2)
            command.arguments << QStringLiteral("fr");
        break;
    case CompanionKind::AppCounter:
    case CompanionKind::AppDefault:
        command.arguments = {input, command.outputPath};
        break;
    case CompanionKind::SecurityDiagnostic:
        command.arguments = {input, command.outputPath};
        // The code was written unquoted after the other arguments, so blanks in it part words.
        command.arguments << options.vorbaneCode.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        break;
    case CompanionKind::SignedFile:
        if (options.certifSgnPlus)
            command.arguments << QStringLiteral("-x");
        command.arguments << QStringLiteral("-m") << input << command.outputPath;
        break;
    }
    return command;
}

CompanionRunner::CompanionRunner(ProcessRunner& runner, Notifier& notifier, const MBLanguages& language,
                                 FileViewers& viewers, CompanionOptions options)
    : m_runner(runner), m_notifier(notifier), m_language(language), m_viewers(viewers), m_options(std::move(options))
{
}

CompanionOutcome CompanionRunner::run(CompanionKind kind, const QString& input)
{
    // The wait handles window events, so a second command could arrive while one runs.
    if (m_running) {
        qCInfo(lcTransfer) << "companion run refused: another one is under way";
        return CompanionOutcome::Refused;
    }
    m_running = true;
    if (m_runningChanged)
        m_runningChanged(true);
    const CompanionOutcome outcome = runOnce(companionTraits(kind), input);
    m_running = false;
    if (m_runningChanged)
        m_runningChanged(false);
    return outcome;
}

void CompanionRunner::AnalyzeSgn(const QString& input, int16_t& status)
{
    status = run(CompanionKind::SignedFile, input) == CompanionOutcome::Shown ? 0 : 1;
}

CompanionOutcome CompanionRunner::runOnce(const CompanionTraits& traits, const QString& input)
{
    CompanionOptions options = m_options;
    options.languageNumber = m_language.GetCurrentLanguage(); // the language chosen now, not at start-up
    const CompanionCommand command = companionCommand(traits.kind, input, options);
    const auto launchProblem = [&] {
        m_notifier.message(label(traits.section, "MSG_LAUNCHING_PB"), QString(), MessageIcon::Exclamation,
                           MessageButtons::Ok);
        return CompanionOutcome::LaunchProblem;
    };
    // A report left by an earlier run must never pass for this run's result.
    if (QFile::exists(command.outputPath) && !QFile::remove(command.outputPath)) {
        qCWarning(lcTransfer) << "cannot remove the earlier report" << command.outputPath;
        return launchProblem();
    }
    MBApplications app(m_runner);
    if (!app.AppLaunch(command.program, command.arguments, ShowMode::Hidden)) {
        qCInfo(lcTransfer) << "cannot start" << command.program << app.lastError();
        return launchProblem();
    }
    app.AppWaitEnd(-1);
    int8_t code = 0;
    if (!app.AppGetExitCode(code)) {
        QFile::remove(command.outputPath);
        return launchProblem();
    }
    CompanionOutcome outcome = CompanionOutcome::Shown;
    if (code != 0) {
        const auto& codes = traits.examinedCodes;
        const bool examined = std::find(codes.begin(), codes.end(), code) != codes.end();
        if (examined)
            reportExitCode(traits, code);
        outcome = examined ? CompanionOutcome::ReportedError : CompanionOutcome::SilentError;
    } else {
        TextViewRequest request;
        request.folder = m_options.tempFolder;
        request.fileName = QLatin1String(traits.outputName);
        request.heightTwips = traits.heightTwips;
        request.widthTwips = traits.widthTwips;
        request.displayPath = input; // the caption names the input, not the report
        request.writable = traits.editable;
        if (m_viewers.showTextFile(request).status != 0)
            outcome = CompanionOutcome::NoReport;
    }
    // Shown or not, the report goes: a later run must start from nothing.
    QFile::remove(command.outputPath);
    return outcome;
}

QString CompanionRunner::label(const char* section, const char* key) const
{
    const QString k = QLatin1String(key);
    const QString text = m_language.GetFormLabel(k, QLatin1String(section));
    return text.isEmpty() ? m_language.GetGeneralLabel(k) : text;
}

void CompanionRunner::reportExitCode(const CompanionTraits& traits, int8_t code)
{
    const char* key = exitCodeKey(traits.kind, code);
    if (!key)
        return;
    QString text = label(traits.section, key);
    if (traits.kind == CompanionKind::SecurityDiagnostic && code == -1)
        text += QStringLiteral("\r\n") + label(traits.section, "MSG_SYNTAX");
    else if (traits.kind != CompanionKind::SecurityDiagnostic && code == 1)
        text += QStringLiteral("\r\n");
    m_notifier.message(text, QLatin1String(traits.section), MessageIcon::Exclamation, MessageButtons::Ok);
}

CompanionOptions companionOptionsFrom(const AppSettings& settings, const MBLanguages& language,
                                      const QString& tempFolder)
{
    CompanionOptions options;
    options.programFolder = settings.gProgramFolder;
    options.tempFolder = tempFolder.isEmpty() ? GetAppTempDir() : tempFolder;
    options.certifSgnPlus = settings.gCertifSgnPlus;
    options.vorbaneCode = settings.gVorbaneCode;
    options.languageNumber = language.GetCurrentLanguage();
    return options;
}

} // namespace jvz
