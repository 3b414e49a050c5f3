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
    Connected,        // without the session protocol: the FTP session is open over the link
    ActivityRunning,  // with the session protocol: the FTP session is open for the authorised activity
    Disconnecting,    // the disconnect began
};

// The FTP session's phases (SessionRuntime::ftpSessionChanged).
enum class FtpSessionState : uint8_t {
    Opening, // an open is tried
    Open,    // it succeeded
    Closed,  // an open session is being closed
};

} // namespace jvz
