#pragma once

#include "platform/Notifier.h"

#include <QString>
#include <deque>
#include <vector>

namespace jvztest {

// Records every box the code under test shows and answers from a queue (Ok, or Yes for a yes/no box,
// when the queue is empty).
class FakeNotifier : public jvz::Notifier {
public:
    struct Shown {
        QString text;
        QString title;
        jvz::MessageIcon icon;
        jvz::MessageButtons buttons;
    };

    jvz::MessageAnswer message(const QString& text, const QString& title, jvz::MessageIcon icon,
                               jvz::MessageButtons buttons, QObject* = nullptr) override
    {
        shown.push_back({text, title, icon, buttons});
        if (!answers.empty()) {
            const jvz::MessageAnswer a = answers.front();
            answers.pop_front();
            return a;
        }
        return buttons == jvz::MessageButtons::YesNo ? jvz::MessageAnswer::Yes : jvz::MessageAnswer::Ok;
    }

    std::vector<Shown> shown;
    std::deque<jvz::MessageAnswer> answers;
};

} // namespace jvztest
