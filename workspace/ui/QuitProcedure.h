#pragma once

#include "core/RuntimeTimings.h"

#include <QString>
#include <cstdint>
#include <functional>

class QWidget;

namespace jvz {

class MBApplications;
class MBLanguages;
class Notifier;

// The user's close of the main window: refused while a nested wait runs or while an earlier close is under
// way; asked; then the environment is saved, the link is taken down (waiting a bounded time) and the child
// program is ended.
class QuitProcedure {
public:
    struct Services {
        Notifier& notifier;
        const MBLanguages& language; // the window's own
        QWidget* owner = nullptr;
        std::function<bool()> busy;
        std::function<void()> saveEnvironment;
        std::function<int32_t()> linkState; // kLinkStateUp or kLinkStateDown; empty: the link counts as down
        std::function<void()> takeLinkDown;
        std::function<void(const QString&)> trace;
        std::function<MBApplications*()> childProgram;
        int linkDownWaitMs = RuntimeTimings{}.quitLinkDownWaitMs; // how long the close waits for the link to go down
    };

    explicit QuitProcedure(Services parts) : m_parts(std::move(parts)) {}

    // Asked: the user's close, which asks first. Skipped: a stop signal, which does what the Yes does.
    enum class Question { Asked, Skipped };
    // True when the window may close.
    bool run(Question question = Question::Asked);

private:
    bool linkDown() const;
    void waitForLinkDown();
    QString label(const char* key) const;

    Services m_parts;
    bool m_quitting = false;
};

} // namespace jvz
