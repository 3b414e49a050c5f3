#pragma once

#include "core/TerminalSession.h"
#include "session/SessionHost.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace jvztest {

// Records what the session protocol asks of its window.
class RecordingSessionHost : public jvz::SessionHost {
public:
    struct TimerCall {
        bool active;
        int intervalMs;
        bool operator==(const TimerCall&) const = default;
    };

    void ActivTempoRespSocket(bool active, int intervalMs) override { timerCalls.push_back({active, intervalMs}); }
    void trace(const QString& line) override { traces << line; }
    void activityAuthorised() override { ++authorisations; }
    void SeeProductCode(const QString& productCode) override { productCodesSeen << productCode; }
    jvz::TerminalInfoFields& terminalInfo() override { return info; }
    uint8_t activityAsked() const override { return activity; }
    bool batchMode() const override { return batch; }

    // The timer state the calls leave behind: armed with an interval, or stopped (0).
    int answerTimerMs() const
    {
        return timerCalls.empty() || !timerCalls.back().active ? 0 : timerCalls.back().intervalMs;
    }

    std::vector<TimerCall> timerCalls;
    QStringList traces;
    int authorisations = 0;
    QStringList productCodesSeen;
    jvz::TerminalInfoFields info;
    uint8_t activity = 1;
    bool batch = false;
};

} // namespace jvztest
