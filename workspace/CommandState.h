#pragma once

#include "session/SessionStates.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace jvz {

struct LocalSelectionFlags;
enum class LocalListingChange : uint8_t;

// The list the shared context menu (MNU_Contextuel) was last raised on.
enum class MenuList : uint8_t { Local, Terminal };

// Every command of the main window: menu items, context-menu items, icon-bar and explorer toolbar buttons.
// A command that both a menu item and a button run is one entry (the icon bar's connect and disconnect
// buttons are switched apart from their menu items by the session, so they have entries of their own).
enum class Command : uint8_t {
    // Terminal menu and the icon bar
    Connect,         // MNU_Terminal_Connect
    Disconnect,      // MNU_Terminal_Disconnect
    IconConnect,     // TLB_Icon button 1
    IconDisconnect,  // TLB_Icon button 2
    Download,        // MNU_Terminal_Download, TLB_Icon button 4
    Upload,          // MNU_Terminal_Upload, TLB_Icon button 5
    ApplicationList, // MNU_Terminal_Application_List
    TerminalConfig,  // MNU_Terminal_Config (the terminal's identification)
    TerminalInfo,    // MNU_Terminal_Info, TLB_Icon button 7 (the terminal's configuration file)
    Quit,            // MNU_Terminal_Quit
    // Activity and View menus
    ActivityDownload,
    ActivityDiagnostic,
    ActivityMaintenance,
    ViewConnectBar,
    ViewIconBar,
    ViewTrace,
    // Connection menu
    ConnectionConfig,
    ConnectionModem,
    ConnectionDevice,
    ConnectionNetwork,
    ConnectionHangUp,
    ConnectionDefaultL1,
    ConnectionDefaultL2,
    ReadRasPhone,
    // Help and Language menus
    HelpAbout,
    HelpGuide,
    HelpJungoTerminals,
    LanguageEnglish,
    LanguageFrench,
    // Context menus
    ContextAddPath,
    ContextDelPath,
    ContextCopy,
    ContextDelete,
    ContextRefresh,
    CatalogDescription,
    CatalogCreate,
    CatalogFamily,
    CatalogList, // MNU_Catalog_list: the catalogue list file of the current folder
    PackAdd,
    PackCreate,
    PackReset,
    // Explorer toolbars
    LocalRefresh,       // Toolbar1 "Refresh"
    LocalBackFolder,    // Toolbar1 "BackFolder"
    LocalDelFile,       // Toolbar1 "DelFile"
    LocalBack,          // Toolbar2 "back"
    TerminalBackFolder, // Toolbar3 "BackFolder"
    TerminalDelFile,    // Toolbar3 "DelFile"
    TerminalRefresh,    // Toolbar3 "Refresh"
    Count
};

inline constexpr int kCommandCount = static_cast<int>(Command::Count);

// The name of the control that runs the command, UTF-8 (the menu item's name; toolbar buttons as "Toolbar1/Refresh",
// icon-bar buttons as "TLB_Icon/1").
std::string_view commandName(Command command);

// Which command is enabled when, and which icon-bar button shows pressed. No widgets: the window feeds the
// inputs and the session's states, runs the switching operations the panes call, and applies enabled() and
// pressed() to its actions in one place.
//
// A command is enabled when it is wired (its handler exists in this build), switched on (its own state, as
// built and then changed by the operations below) and the window is not busy. The download also needs a
// selection that allows it.
class CommandState {
public:
    CommandState();

    bool enabled(Command command) const;
    bool switchedOn(Command command) const { return m_switched[index(command)]; }
    bool wired(Command command) const { return m_wired[index(command)]; }

    // A handler exists for the command; until then it stays disabled whatever the session asks.
    void setWired(Command command, bool wired = true) { m_wired[index(command)] = wired; }
    // The command's own state, switched by the session or a pane.
    void setSwitched(Command command, bool on) { m_switched[index(command)] = on; }

    // The icon bar's connect and disconnect buttons show pressed or released (their own command's entry); a click
    // that toggles one is fed back here.
    bool pressed(Command command) const { return m_pressed[index(command)]; }
    void setPressed(Command command, bool pressed) { m_pressed[index(command)] = pressed; }

    // The session's phases. Each switches what its phase begins and leaves the rest as it was: the connect
    // sequence may start again from any phase. ActivityRunning reads the activity (the window's menu).
    void follow(ConnectionState state);
    void follow(FtpSessionState state);

    // Inputs.
    void setBusy(bool busy) { m_busy = busy; }
    bool busy() const { return m_busy; }
    void setFtpSessionOpen(bool open) { m_ftpSessionOpen = open; }
    bool ftpSessionOpen() const { return m_ftpSessionOpen; }
    void setActivity(uint8_t activity) { m_activity = activity; }
    uint8_t activity() const { return m_activity; }
    // The local selection holds what the download can send (catalogue lists); set by the local list.
    void setDownloadSelection(bool allows) { m_downloadSelection = allows; }
    bool downloadSelection() const { return m_downloadSelection; }

    // The local list's selection and listing. The selection switches the commands it offers (the download's
    // refresh is the window's: it needs the session); a listing change takes some of them away.
    void setLocalSelection(const LocalSelectionFlags& flags);
    void localListingChanged(LocalListingChange change);
    // The catalogue menu (MNU_Catalog) serves the local list only: the terminal list's menu takes it off, and
    // the local selection's next report gives it back.
    void setMenuList(MenuList list) { m_menuList = list; }
    MenuList menuList() const { return m_menuList; }
    // MNU_Catalog: on as built; then while the local selection holds a marked catalogue list, the filters have
    // not changed since and the menu serves the local list. Busy leaves it (its entries go off).
    bool catalogueMenuEnabled() const { return m_menuList == MenuList::Local && m_catalogueOffered; }

    // The window's transfer and information switches.
    void RefreshTransferCommands(bool enable);
    void DisableDownloadCommand();
    void DisableUploadCommand();
    void RefreshUploadCommand();
    void EnableTerminalInfoCommand() { setSwitched(Command::TerminalInfo, true); }
    void DisableTerminalInfoCommand() { setSwitched(Command::TerminalInfo, false); }

    // The download is allowed now (the drop on the terminal list asks this).
    bool DownloadEnabled() const { return enabled(Command::Download); }
    // The lists and the tree accept drops.
    bool dropsAccepted() const { return m_drops; }

private:
    static int index(Command c) { return static_cast<int>(c); }
    void switchOff(std::initializer_list<Command> commands);

    std::array<bool, kCommandCount> m_switched{};
    std::array<bool, kCommandCount> m_wired{};
    std::array<bool, kCommandCount> m_pressed{};
    bool m_busy = false;
    bool m_ftpSessionOpen = false;
    uint8_t m_activity = 1;
    bool m_downloadSelection = false;
    bool m_drops = false;
    MenuList m_menuList = MenuList::Local;
    bool m_catalogueOffered = true;
};

} // namespace jvz
