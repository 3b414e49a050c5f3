#pragma once

#include "platform/Notifier.h"

namespace jvz {

// The unattended answer to a message: the text goes to standard error and the box answers at once (Ok, or No
// to a question and Cancel to a confirmation, so nothing is done that nobody agreed to).
class ConsoleNotifier : public Notifier {
public:
    MessageAnswer message(const QString& text, const QString& title, MessageIcon icon, MessageButtons buttons,
                          QObject* owner = nullptr) override;
};

} // namespace jvz
