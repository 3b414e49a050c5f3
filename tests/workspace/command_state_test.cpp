// Which command is enabled when: the table without any window.
#include "workspace/CommandState.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>

using namespace jvz;

namespace {

CommandState wiredState()
{
    CommandState s;
    for (int i = 0; i < kCommandCount; ++i)
        s.setWired(static_cast<Command>(i));
    return s;
}

TEST(CommandState, TransferAndInformationSwitches)
{
    const struct {
        const char* name;
        bool ftpOpen;
        uint8_t activity;
        bool selection;
        std::function<void(CommandState&)> run;
        bool download;
        bool upload;
        bool info;
        bool drops;
    } cases[] = {
        {"as built", false, 1, true, [](CommandState&) {}, false, false, false, false},
        {"refresh without a session", false, 1, true, [](CommandState& s) { s.RefreshTransferCommands(true); }, false,
         false, false, false},
        {"refresh with a session", true, 1, true, [](CommandState& s) { s.RefreshTransferCommands(true); }, true, false,
         false, true},
        {"refresh with a session but no selection", true, 1, false,
         [](CommandState& s) { s.RefreshTransferCommands(true); }, false, false, false, true},
        {"refresh false switches off", true, 1, true,
         [](CommandState& s) {
             s.RefreshTransferCommands(true);
             s.RefreshTransferCommands(false);
         },
         false, false, false, false},
        {"diagnostic leaves the download off", true, 2, true, [](CommandState& s) { s.RefreshTransferCommands(true); },
         false, false, false, false},
        {"diagnostic leaves the download on", true, 1, true,
         [](CommandState& s) {
             s.RefreshTransferCommands(true);
             s.setActivity(2);
             s.RefreshTransferCommands(true);
         },
         true, false, false, true},
        {"diagnostic still switches off with false", true, 1, true,
         [](CommandState& s) {
             s.RefreshTransferCommands(true);
             s.setActivity(2);
             s.RefreshTransferCommands(false);
         },
         false, false, false, false},
        {"terminal list focus", true, 1, true,
         [](CommandState& s) {
             s.RefreshTransferCommands(true);
             s.DisableDownloadCommand();
             s.RefreshUploadCommand();
         },
         false, true, false, true},
        {"upload refresh without a session changes nothing", false, 1, true,
         [](CommandState& s) { s.RefreshUploadCommand(); }, false, false, false, false},
        {"upload switched off only by its own switch", true, 1, true,
         [](CommandState& s) {
             s.RefreshUploadCommand();
             s.RefreshTransferCommands(false);
         },
         false, true, false, false},
        {"upload off", true, 1, true,
         [](CommandState& s) {
             s.RefreshUploadCommand();
             s.DisableUploadCommand();
         },
         false, false, false, true},
        {"information on and off", true, 1, true,
         [](CommandState& s) {
             s.EnableTerminalInfoCommand();
             s.DisableTerminalInfoCommand();
             s.EnableTerminalInfoCommand();
         },
         false, false, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CommandState s = wiredState();
        s.setFtpSessionOpen(c.ftpOpen);
        s.setActivity(c.activity);
        s.setDownloadSelection(c.selection);
        c.run(s);
        EXPECT_EQ(s.enabled(Command::Download), c.download);
        EXPECT_EQ(s.DownloadEnabled(), c.download);
        EXPECT_EQ(s.enabled(Command::Upload), c.upload);
        EXPECT_EQ(s.enabled(Command::TerminalInfo), c.info);
        EXPECT_EQ(s.dropsAccepted(), c.drops);
    }
}

TEST(CommandState, UnwiredCommandStaysOffWhateverItsSwitch)
{
    CommandState s;
    s.setFtpSessionOpen(true);
    s.setDownloadSelection(true);
    s.RefreshTransferCommands(true);
    s.EnableTerminalInfoCommand();
    for (Command c : {Command::Download, Command::TerminalInfo, Command::Connect, Command::HelpAbout}) {
        SCOPED_TRACE(std::string(commandName(c)));
        EXPECT_FALSE(s.enabled(c));
        s.setWired(c);
        EXPECT_TRUE(s.enabled(c));
    }
}

TEST(CommandState, BusyTurnsEveryCommandOffAndBack)
{
    CommandState s = wiredState();
    s.setBusy(true);
    for (int i = 0; i < kCommandCount; ++i)
        EXPECT_FALSE(s.enabled(static_cast<Command>(i))) << commandName(static_cast<Command>(i));
    s.setBusy(false);
    EXPECT_TRUE(s.enabled(Command::Connect));
    EXPECT_TRUE(s.enabled(Command::Quit));
}

TEST(CommandState, StateAsBuilt)
{
    const CommandState s = wiredState();
    const struct {
        Command command;
        bool on;
    } rows[] = {
        {Command::Connect, true},
        {Command::Disconnect, false},
        {Command::Download, false},
        {Command::Upload, false},
        {Command::ApplicationList, false},
        {Command::TerminalConfig, false},
        {Command::TerminalInfo, false},
        {Command::Quit, true},
        {Command::ActivityDownload, true},
        {Command::ViewIconBar, true},
        {Command::HelpAbout, true},
        {Command::HelpGuide, true},
        {Command::CatalogDescription, false},
        {Command::CatalogCreate, false},
        {Command::CatalogFamily, false},
        {Command::PackAdd, false},
        {Command::PackCreate, true},
        {Command::PackReset, false},
        {Command::ContextCopy, true},
        {Command::ContextDelete, true},
        {Command::ContextRefresh, true},
        {Command::LocalDelFile, false},
        {Command::LanguageEnglish, false},
    };
    for (const auto& r : rows)
        EXPECT_EQ(s.enabled(r.command), r.on) << commandName(r.command);
}

TEST(CommandState, EveryCommandHasAName)
{
    for (int i = 0; i < kCommandCount; ++i)
        EXPECT_FALSE(commandName(static_cast<Command>(i)).empty()) << i;
    EXPECT_TRUE(commandName(Command::Count).empty());
}

} // namespace
