#pragma once

#include <QString>
#include <cstdint>

namespace jvz {

class TerminalInfoFields;

// What the session protocol needs of the window that owns the socket. Production plugs the main
// window's timer, trace box and toolbar in here; tests plug a recorder.
class SessionHost {
public:
    virtual ~SessionHost() = default;

    // Stops the answer timer, then, when active, starts it with the interval.
    virtual void ActivTempoRespSocket(bool active, int intervalMs) = 0;
    // One line for the trace box.
    virtual void trace(const QString& line) = 0;
    // The terminal authorised the activity (the disconnect can be asked from here on).
    virtual void activityAuthorised() = 0;
    // Selects the local catalogue filter of the product; called outside batch runs only.
    virtual void SeeProductCode(const QString& productCode) = 0;
    // Where each identification's fields go (the terminal-information window's store).
    virtual TerminalInfoFields& terminalInfo() = 0;

    // The activity chosen in the Activity menu (wire code 1-3).
    virtual uint8_t activityAsked() const = 0;
    virtual bool batchMode() const = 0;
};

} // namespace jvz
