#include "workspace/CommandState.h"

#include "workspace/LocalSelection.h"

namespace jvz {

namespace {

struct CommandRow {
    Command command;
    std::string_view name;
    bool enabledAsBuilt;
};

// Names and the state each command has when the window is built.
constexpr CommandRow kRows[] = {
    {Command::Connect, "MNU_Terminal_Connect", true},
    {Command::Disconnect, "MNU_Terminal_Disconnect", false},
    {Command::IconConnect, "TLB_Icon/1", true},
    {Command::IconDisconnect, "TLB_Icon/2", true},
    {Command::Download, "MNU_Terminal_Download", false},
    {Command::Upload, "MNU_Terminal_Upload", false},
    {Command::ApplicationList, "MNU_Terminal_Application_List", false},
    {Command::TerminalConfig, "MNU_Terminal_Config", false},
    {Command::TerminalInfo, "MNU_Terminal_Info", false},
    {Command::Quit, "MNU_Terminal_Quit", true},
    {Command::ActivityDownload, "MNU_Activity_Download", true},
    {Command::ActivityDiagnostic, "MNU_Activity_Diagnostic", true},
    {Command::ActivityMaintenance, "MNU_Activity_Maintenance", true},
    {Command::ViewConnectBar, "MNU_View_ConnectBar", true},
    {Command::ViewIconBar, "MNU_View_IconBar", true},
    {Command::ViewTrace, "MNU_View_Trace", true},
    {Command::ConnectionConfig, "MNU_Connection_Config", true},
    {Command::ConnectionModem, "MNU_Connection_Modem", true},
    {Command::ConnectionDevice, "MNU_Connection_Device", true},
    {Command::ConnectionNetwork, "MNU_Connection_Network", true},
    {Command::ConnectionHangUp, "MNU_Connection_HangUp", true},
    {Command::ConnectionDefaultL1, "MNU_Connection_Default_L1", true},
    {Command::ConnectionDefaultL2, "MNU_Connection_Default_L2", true},
    {Command::ReadRasPhone, "MNU_ReadRasPhone", true},
    {Command::HelpAbout, "MNU_Help_About", true},
    {Command::HelpGuide, "MNU_Help_Guide", true},
    {Command::HelpJungoTerminals, "MNU_Help_JungoTerminals", true},
    {Command::LanguageEnglish, "MNU_Language_Country1", false},
    {Command::LanguageFrench, "MNU_Language_Country2", false},
    {Command::ContextAddPath, "MNU_ContextuelAddPath", true},
    {Command::ContextDelPath, "MNU_ContextuelDelPath", true},
    {Command::ContextCopy, "MNU_ContextuelCopy", true},
    {Command::ContextDelete, "MNU_ContextuelDelete", true},
    {Command::ContextRefresh,
     "MNU_Contextuelrafra\xC3\xAE"
     "chir",
     true},
    {Command::CatalogDescription, "MNU_Catalog_description", false},
    {Command::CatalogCreate, "MNU_Catalog_create", false},
    {Command::CatalogFamily, "MNU_Catalog_family", false},
    {Command::CatalogList, "MNU_Catalog_list", true},
    {Command::PackAdd, "MNU_CatalogPack_Add", false},
    {Command::PackCreate, "MNU_CatalogPack_Create", true},
    {Command::PackReset, "MNU_CatalogPack_Reset", false},
    {Command::LocalRefresh, "Toolbar1/Refresh", true},
    {Command::LocalBackFolder, "Toolbar1/BackFolder", true},
    {Command::LocalDelFile, "Toolbar1/DelFile", false},
    {Command::LocalBack, "Toolbar2/back", true},
    {Command::TerminalBackFolder, "Toolbar3/BackFolder", false},
    {Command::TerminalDelFile, "Toolbar3/DelFile", false},
    {Command::TerminalRefresh, "Toolbar3/Refresh", false},
};
static_assert(std::size(kRows) == kCommandCount, "one row per command");

constexpr bool rowsInOrder()
{
    for (int i = 0; i < kCommandCount; ++i)
        if (static_cast<int>(kRows[i].command) != i)
            return false;
    return true;
}
static_assert(rowsInOrder(), "rows follow the enumeration");

} // namespace

std::string_view commandName(Command command)
{
    const int i = static_cast<int>(command);
    return i >= 0 && i < kCommandCount ? kRows[i].name : std::string_view();
}

CommandState::CommandState()
{
    for (const CommandRow& row : kRows)
        m_switched[index(row.command)] = row.enabledAsBuilt;
}

bool CommandState::enabled(Command command) const
{
    const int i = index(command);
    if (i < 0 || i >= kCommandCount || m_busy || !m_wired[i] || !m_switched[i])
        return false;
    if (command == Command::Download)
        return m_downloadSelection;
    // The catalogue list file is offered whenever the description is: it takes no switch of its own.
    if (command == Command::CatalogList)
        return m_switched[index(Command::CatalogDescription)];
    return true;
}

void CommandState::follow(ConnectionState state)
{
    const auto buttons = [this](bool connectPressed, bool disconnectPressed) {
        setPressed(Command::IconConnect, connectPressed);
        setPressed(Command::IconDisconnect, disconnectPressed);
    };
    const auto menus = [this](bool connect, bool disconnect) {
        setSwitched(Command::Connect, connect);
        setSwitched(Command::Disconnect, disconnect);
    };
    switch (state) {
    case ConnectionState::Closed:
        buttons(false, true);
        menus(true, false);
        setSwitched(Command::IconDisconnect, true);
        setSwitched(Command::IconConnect, true);
        return;
    case ConnectionState::ConnectAbandoned:
        buttons(false, true);
        return;
    case ConnectionState::ConnectFailed:
        buttons(false, true);
        setSwitched(Command::IconDisconnect, true);
        return;
    case ConnectionState::Connecting:
        setPressed(Command::IconConnect, true);
        setSwitched(Command::IconDisconnect, false);
        return;
    case ConnectionState::Authorised:
        setSwitched(Command::IconDisconnect, true);
        return;
    case ConnectionState::Connected:
        menus(false, true);
        setSwitched(Command::ApplicationList, true);
        return;
    case ConnectionState::ActivityRunning:
        menus(false, true);
        buttons(true, false);
        // The configuration file is offered in a maintenance only; a diagnostic leaves the application list as it
        // was.
        setSwitched(Command::TerminalInfo, m_activity == 3);
        if (m_activity == 1 || m_activity == 3)
            setSwitched(Command::ApplicationList, true);
        return;
    case ConnectionState::Disconnecting:
        setSwitched(Command::IconDisconnect, false);
        setSwitched(Command::IconConnect, false);
        return;
    }
}

void CommandState::follow(FtpSessionState state)
{
    switch (state) {
    case FtpSessionState::Opening:
        setSwitched(Command::TerminalBackFolder, true);
        return;
    case FtpSessionState::Open:
        setSwitched(Command::TerminalConfig, true);
        setSwitched(Command::IconDisconnect, true);
        return;
    case FtpSessionState::Closed:
        setSwitched(Command::ApplicationList, false);
        DisableTerminalInfoCommand();
        RefreshTransferCommands(false);
        DisableUploadCommand();
        return;
    }
}

void CommandState::RefreshTransferCommands(bool enable)
{
    if (!enable || !m_ftpSessionOpen) {
        setSwitched(Command::Download, false);
        m_drops = false;
        return;
    }
    // A diagnostic sends nothing to the terminal: the download keeps whatever state it had.
    if (m_activity == 2)
        return;
    setSwitched(Command::Download, true);
    m_drops = true;
}

void CommandState::switchOff(std::initializer_list<Command> commands)
{
    for (Command c : commands)
        setSwitched(c, false);
}

void CommandState::setLocalSelection(const LocalSelectionFlags& flags)
{
    setSwitched(Command::LocalDelFile, flags.delFile);
    setSwitched(Command::ContextDelete, flags.delFile);
    setSwitched(Command::ContextCopy, flags.contextCopy);
    setSwitched(Command::PackAdd, flags.packAdd);
    if (flags.packReset)
        setSwitched(Command::PackReset, *flags.packReset);
    setSwitched(Command::CatalogDescription, flags.catalogDescription);
    setSwitched(Command::CatalogCreate, flags.catalogCreate);
    setSwitched(Command::CatalogFamily, flags.catalogFamily);
    m_catalogueOffered = flags.catalog;
    m_menuList = MenuList::Local;
    m_downloadSelection = flags.download;
}

void CommandState::localListingChanged(LocalListingChange change)
{
    const auto catalogueOff = [this] {
        switchOff({Command::CatalogDescription, Command::CatalogCreate, Command::CatalogFamily});
    };
    switch (change) {
    case LocalListingChange::Opening:
        catalogueOff();
        return;
    case LocalListingChange::Back:
        catalogueOff();
        switchOff({Command::LocalDelFile, Command::ContextDelete});
        return;
    case LocalListingChange::FiltersEdited:
        catalogueOff();
        m_catalogueOffered = false;
        return;
    case LocalListingChange::FilterPicked:
        catalogueOff();
        RefreshTransferCommands(false); // a pick withdraws the download offer
        return;
    case LocalListingChange::Shown:
        switchOff({Command::LocalDelFile, Command::ContextDelete, Command::ContextCopy});
        return;
    }
}

void CommandState::DisableDownloadCommand()
{
    setSwitched(Command::Download, false);
}

void CommandState::DisableUploadCommand()
{
    setSwitched(Command::Upload, false);
}

void CommandState::RefreshUploadCommand()
{
    if (!m_ftpSessionOpen)
        return;
    setSwitched(Command::Upload, true);
    m_drops = true;
}

} // namespace jvz
