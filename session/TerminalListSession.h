#pragma once

#include <QString>
#include <cstdint>

namespace jvz {

// What the terminal list asks of the session: whether the FTP session is open, closing it, the end-of-activity
// message that has the terminal list again, and the catalogue filter of the terminal's product. The session
// implements it.
class TerminalListSession {
public:
    virtual bool FtpSessionOpen() const = 0;
    virtual void CloseFtpSession() = 0;
    // Ends the running activity with the code, then asks for the activity (0: the session end).
    virtual void SendTerminalMessage(uint8_t endCode, uint8_t activity) = 0;
    // The window's local catalogue filter of the product, at once.
    virtual void showProductFilter(const QString& productCode) = 0;

protected:
    ~TerminalListSession() = default;
};

} // namespace jvz
