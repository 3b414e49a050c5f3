// Fuzz target: a terminal's side of a session. The first byte picks the activity asked and the run kind; the
// rest is cut into chunks, each a length byte and that many bytes (one received chunk is one frame), fed to
// the protocol in order, each traced as the trace box shows it.
#include "core/BatchErrorCode.h"
#include "core/MBLanguages.h"
#include "core/TerminalSession.h"
#include "platform/Notifier.h"
#include "session/SessionHost.h"
#include "session/SockProcessing.h"

#include <QByteArray>

namespace {

class SilentHost : public jvz::SessionHost {
public:
    void ActivTempoRespSocket(bool, int) override {}
    void trace(const QString&) override {}
    void activityAuthorised() override {}
    void SeeProductCode(const QString&) override {}
    jvz::TerminalInfoFields& terminalInfo() override { return info; }
    uint8_t activityAsked() const override { return activity; }
    bool batchMode() const override { return batch; }

    jvz::TerminalInfoFields info;
    uint8_t activity = 1;
    bool batch = false;
};

class AnsweringNotifier : public jvz::Notifier {
public:
    jvz::MessageAnswer message(const QString&, const QString&, jvz::MessageIcon, jvz::MessageButtons buttons,
                               QObject*) override
    {
        return buttons == jvz::MessageButtons::YesNo ? jvz::MessageAnswer::No : jvz::MessageAnswer::Ok;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    SilentHost host;
    host.activity = uint8_t(data[0] % 4);
    host.batch = (data[0] & 0x80) != 0;
    AnsweringNotifier notifier;
    jvz::TerminalSession session;
    jvz::TerminalIdentity identity;
    jvz::BatchErrorCode result;
    jvz::SockProcessing protocol(host, notifier, session, identity, result);
    jvz::MBLanguages language;
    protocol.ResetSession(language);
    protocol.BeginSession();

    size_t pos = 1;
    while (pos < size) {
        const size_t length = data[pos++];
        const size_t take = length < size - pos ? length : size - pos;
        jvz::SessionFrame frame{QByteArray(reinterpret_cast<const char*>(data + pos), qsizetype(take))};
        pos += take;
        (void)protocol.FormatFrameTrace(frame);
        const jvz::FrameOutcome outcome = protocol.ProcessTerminalFrame(frame);
        if (!outcome.reply.isEmpty())
            (void)protocol.FormatFrameTrace(outcome.reply);
        if (outcome.closeRequested)
            break;
    }
    return 0;
}
