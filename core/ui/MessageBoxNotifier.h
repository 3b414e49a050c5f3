#pragma once

#include "platform/Notifier.h"

#include <functional>

namespace jvz {

// Shows message boxes on screen; in a batch run nothing blocks: the message goes to standard error and the
// box answers at once (Ok, or No to a question, so nothing is done on an unattended yes).
class MessageBoxNotifier : public Notifier {
public:
    // isBatch tells whether the run is unattended at the time of each message.
    explicit MessageBoxNotifier(std::function<bool()> isBatch);

    MessageAnswer message(const QString& text, const QString& title, MessageIcon icon, MessageButtons buttons,
                          QObject* owner = nullptr) override;

private:
    std::function<bool()> m_isBatch;
};

} // namespace jvz
