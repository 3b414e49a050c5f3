#include "ConsoleNotifier.h"

#include <cstdio>

namespace jvz {

MessageAnswer ConsoleNotifier::message(const QString& text, const QString& title, MessageIcon, MessageButtons buttons,
                                       QObject*)
{
    const QByteArray line = (title.isEmpty() ? text : title + QStringLiteral(": ") + text).toLocal8Bit();
    std::fprintf(stderr, "%s\n", line.constData());
    std::fflush(stderr);
    switch (buttons) {
    case MessageButtons::Ok:
        return MessageAnswer::Ok;
    case MessageButtons::OkCancel:
        return MessageAnswer::Cancel;
    case MessageButtons::YesNo:
        return MessageAnswer::No;
    }
    return MessageAnswer::Ok;
}

} // namespace jvz
