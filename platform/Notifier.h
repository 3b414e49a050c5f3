#pragma once

#include <QString>

class QObject;

namespace jvz {

// Icon of a message box, with the style numbers the program's texts were written for.
enum class MessageIcon : int {
    Critical = 16,
    Question = 32,
    Exclamation = 48,
    Information = 64,
};

enum class MessageButtons : int {
    Ok = 0,
    OkCancel = 1,
    YesNo = 4,
};

enum class MessageAnswer : int {
    Ok = 1,
    Cancel = 2,
    Yes = 6,
    No = 7,
};

// The one way the program shows a message box. The real one blocks on a dialog, except in a batch run,
// where it writes the message to standard error and answers at once; tests use a double.
class Notifier {
public:
    virtual ~Notifier() = default;
    // owner: the window the box belongs to, or null.
    virtual MessageAnswer message(const QString& text, const QString& title, MessageIcon icon, MessageButtons buttons,
                                  QObject* owner = nullptr) = 0;
};

} // namespace jvz
