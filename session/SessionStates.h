#pragma once

#include <cstdint>

namespace jvz {

// The phases of a connection the session reports to the window (SessionRuntime::connectionStateChanged). Each is
// reported where the phase begins; the window switches its connect and disconnect commands from it.
enum class ConnectionState : uint8_t {
    Closed,           // the connection ended (CloseConnexion)
    ConnectAbandoned, // the connect stopped before a link: no port chosen, the port set up for a rerun, no entry
    ConnectFailed,    // the connect sequence gave up; a link it had is closed
    Connecting,       // the connect sequence dials, or goes to the FTP session over the network
    Authorised,       // the terminal authorised the activity: the FTP session opens next
    Connected,        // the FTP session is open straight over the link (a network link, or a dial without the protocol)
    ActivityRunning,  // the FTP session is open for the activity the terminal authorised
    Disconnecting,    // the disconnect began
};

// The FTP session's phases (SessionRuntime::ftpSessionChanged).
enum class FtpSessionState : uint8_t {
    Opening, // an open is tried
    Open,    // it succeeded
    Closed,  // an open session is being closed
};

} // namespace jvz
