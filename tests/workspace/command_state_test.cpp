// Which command is enabled when: the table without any window.
#include "workspace/CommandState.h"
#include "workspace/LocalSelection.h"

#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

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

// What the session's phases switch, and what they leave. Each row runs from two states, every item on and every item
// off: an item the phase sets has its value from both, an item it leaves ('-') keeps the one it had.
TEST(CommandState, SessionPhasesSwitchWhatTheyBeginAndLeaveTheRest)
{
    using Report = std::function<void(CommandState&)>;
    const auto connection = [](ConnectionState state) { return [state](CommandState& s) { s.follow(state); }; };
    const auto ftp = [](FtpSessionState state) { return [state](CommandState& s) { s.follow(state); }; };
    using S = ConnectionState;
    using F = FtpSessionState;
    // The items, in the order of the expected texts: the icon bar's Connect and Disconnect shown pressed, the same
    // buttons switched on, the Terminal menu's Connect, Disconnect, application list, identification and
    // configuration file, the terminal list's BackFolder, the download, the upload.
    struct Item {
        Command command;
        bool pressed;
    };
    const Item items[] = {
        {Command::IconConnect, true},         {Command::IconDisconnect, true},  {Command::IconConnect, false},
        {Command::IconDisconnect, false},     {Command::Connect, false},        {Command::Disconnect, false},
        {Command::ApplicationList, false},    {Command::TerminalConfig, false}, {Command::TerminalInfo, false},
        {Command::TerminalBackFolder, false}, {Command::Download, false},       {Command::Upload, false},
    };
    const struct {
        const char* name;
        uint8_t activity;
        std::vector<Report> reports;
        const char* expected; // pressed C D, buttons C D, menus C D list identification info, back, down, up
    } rows[] = {
        {"closed", 1, {connection(S::Closed)}, "011110------"},
        {"connect abandoned", 1, {connection(S::ConnectAbandoned)}, "01----------"},
        {"connect failed", 1, {connection(S::ConnectFailed)}, "01-1--------"},
        {"connecting", 1, {connection(S::Connecting)}, "1--0--------"},
        {"authorised", 1, {connection(S::Authorised)}, "---1--------"},
        {"connected straight to the FTP session", 1, {connection(S::Connected)}, "----011-----"},
        {"download running", 1, {connection(S::ActivityRunning)}, "10--011-0---"},
        {"diagnostic running", 2, {connection(S::ActivityRunning)}, "10--01--0---"},
        {"maintenance running", 3, {connection(S::ActivityRunning)}, "10--011-1---"},
        {"disconnecting", 1, {connection(S::Disconnecting)}, "--00--------"},
        {"entry missing once connecting",
         1,
         {connection(S::Connecting), connection(S::ConnectAbandoned)},
         "01-0--------"},
        {"closed after disconnecting", 1, {connection(S::Disconnecting), connection(S::Closed)}, "011110------"},
        {"FTP session opening", 1, {ftp(F::Opening)}, "---------1--"},
        {"FTP session open", 1, {ftp(F::Open)}, "---1---1----"},
        {"FTP session closed", 2, {ftp(F::Closed)}, "------0-0-00"},
    };
    for (const auto& row : rows) {
        for (bool before : {true, false}) {
            SCOPED_TRACE(std::string(row.name) + (before ? ", from all on" : ", from all off"));
            CommandState s = wiredState();
            s.setActivity(row.activity);
            s.setFtpSessionOpen(true);
            for (const Item& item : items)
                item.pressed ? s.setPressed(item.command, before) : s.setSwitched(item.command, before);
            for (const Report& report : row.reports)
                report(s);
            ASSERT_EQ(std::strlen(row.expected), std::size(items));
            for (size_t i = 0; i < std::size(items); ++i) {
                const Item& item = items[i];
                const char e = row.expected[i];
                const bool want = e == '-' ? before : e == '1';
                const bool got = item.pressed ? s.pressed(item.command) : s.switchedOn(item.command);
                EXPECT_EQ(got, want) << (item.pressed ? "pressed " : "switched ") << commandName(item.command);
            }
        }
    }
}

TEST(CommandState, ClosingTheFtpSessionRefusesDrops)
{
    CommandState s = wiredState();
    s.setFtpSessionOpen(true);
    s.RefreshTransferCommands(true);
    ASSERT_TRUE(s.dropsAccepted());
    s.follow(FtpSessionState::Closed);
    EXPECT_FALSE(s.dropsAccepted());
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

// The local list's part: what a selection offers, what a listing change takes away, and the catalogue menu,
// which serves the local list only.
TEST(CommandState, LocalSelectionListingAndTheCatalogueMenu)
{
    LocalSelectionFlags catalogue; // a marked catalogue list under a single product's filter
    catalogue.delFile = catalogue.contextCopy = catalogue.packAdd = true;
    catalogue.packReset = true;
    catalogue.catalog = catalogue.catalogDescription = catalogue.catalogCreate = catalogue.catalogFamily = true;
    catalogue.download = true;
    LocalSelectionFlags everyProduct = catalogue; // the same under "*.*"
    everyProduct.catalogCreate = everyProduct.catalogFamily = false;
    const LocalSelectionFlags nothing;
    const auto offer = [](const LocalSelectionFlags& f) { return [f](CommandState& s) { s.setLocalSelection(f); }; };
    const auto then = [](std::function<void(CommandState&)> first, std::function<void(CommandState&)> next) {
        return [first, next](CommandState& s) {
            first(s);
            next(s);
        };
    };
    const auto listing = [](LocalListingChange change) {
        return [change](CommandState& s) { s.localListingChanged(change); };
    };
    const auto menuOn = [](MenuList list) { return [list](CommandState& s) { s.setMenuList(list); }; };

    const struct {
        const char* name;
        std::function<void(CommandState&)> run;
        bool delFile;   // Toolbar1 "DelFile"
        bool del;       // MNU_ContextuelDelete
        bool copy;      // MNU_ContextuelCopy
        bool describe;  // MNU_Catalog_description, and the catalogue list file with it
        bool create;    // MNU_Catalog_create and MNU_Catalog_family
        bool packReset; // MNU_CatalogPack_Reset
        bool menu;      // MNU_Catalog
    } cases[] = {
        {"as built", [](CommandState&) {}, false, true, true, false, false, false, true},
        {"a marked catalogue list", offer(catalogue), true, true, true, true, true, true, true},
        {"a catalogue list under every product's filter", offer(everyProduct), true, true, true, true, false, true,
         true},
        {"nothing chosen leaves the pack reset as it was", then(offer(catalogue), offer(nothing)), false, false, false,
         false, false, true, false},
        {"a folder opening", then(offer(catalogue), listing(LocalListingChange::Opening)), true, true, true, false,
         false, true, true},
        {"back a folder", then(offer(catalogue), listing(LocalListingChange::Back)), false, false, true, false, false,
         true, true},
        {"the filters edited", then(offer(catalogue), listing(LocalListingChange::FiltersEdited)), true, true, true,
         false, false, true, false},
        {"a filter picked", then(offer(catalogue), listing(LocalListingChange::FilterPicked)), true, true, true, false,
         false, true, true},
        {"a new listing", then(offer(catalogue), listing(LocalListingChange::Shown)), false, false, false, true, true,
         true, true},
        {"the terminal list's menu", then(offer(catalogue), menuOn(MenuList::Terminal)), true, true, true, true, true,
         true, false},
        {"the local selection gives the menu back",
         then(then(offer(catalogue), menuOn(MenuList::Terminal)), offer(catalogue)), true, true, true, true, true, true,
         true},
        {"the local list's menu after an edit: the selection is still to come",
         then(then(offer(catalogue), listing(LocalListingChange::FiltersEdited)), menuOn(MenuList::Local)), true, true,
         true, false, false, true, false},
        {"busy: the entries go off, the menu stays", then(offer(catalogue), [](CommandState& s) { s.setBusy(true); }),
         false, false, false, false, false, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CommandState s = wiredState();
        c.run(s);
        EXPECT_EQ(s.enabled(Command::LocalDelFile), c.delFile);
        EXPECT_EQ(s.enabled(Command::ContextDelete), c.del);
        EXPECT_EQ(s.enabled(Command::ContextCopy), c.copy);
        EXPECT_EQ(s.enabled(Command::CatalogDescription), c.describe);
        EXPECT_EQ(s.enabled(Command::CatalogList), c.describe);
        EXPECT_EQ(s.enabled(Command::CatalogCreate), c.create);
        EXPECT_EQ(s.enabled(Command::CatalogFamily), c.create);
        EXPECT_EQ(s.enabled(Command::PackReset), c.packReset);
        EXPECT_EQ(s.catalogueMenuEnabled(), c.menu);
    }
}

// The selection's download offer, and the pick that withdraws it with the drops.
TEST(CommandState, LocalSelectionDownloadOffer)
{
    LocalSelectionFlags marked;
    marked.download = true;
    CommandState s = wiredState();
    s.setFtpSessionOpen(true);
    s.setLocalSelection(marked);
    s.RefreshTransferCommands(true);
    EXPECT_TRUE(s.downloadSelection());
    EXPECT_TRUE(s.enabled(Command::Download));
    EXPECT_TRUE(s.dropsAccepted());

    s.localListingChanged(LocalListingChange::Opening);
    EXPECT_TRUE(s.enabled(Command::Download)) << "only a pick withdraws it";
    s.localListingChanged(LocalListingChange::FilterPicked);
    EXPECT_FALSE(s.enabled(Command::Download));
    EXPECT_FALSE(s.dropsAccepted());

    s.setLocalSelection(LocalSelectionFlags{});
    s.RefreshTransferCommands(false);
    EXPECT_FALSE(s.downloadSelection());
}

} // namespace
