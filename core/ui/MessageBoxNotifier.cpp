#include "MessageBoxNotifier.h"

#include "platform/ConsoleNotifier.h"

#include <QMessageBox>
#include <QWidget>

namespace jvz {

MessageBoxNotifier::MessageBoxNotifier(std::function<bool()> isBatch) : m_isBatch(std::move(isBatch)) {}

MessageAnswer MessageBoxNotifier::message(const QString& text, const QString& title, MessageIcon icon,
                                          MessageButtons buttons, QObject* owner)
{
    if (m_isBatch && m_isBatch())
        return ConsoleNotifier().message(text, title, icon, buttons, owner);
    QMessageBox box(qobject_cast<QWidget*>(owner));
    box.setText(text);
    box.setWindowTitle(title);
    switch (icon) {
    case MessageIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MessageIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MessageIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MessageIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    }
    switch (buttons) {
    case MessageButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return MessageAnswer::Ok;
    case MessageButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        return box.exec() == QMessageBox::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
    case MessageButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
    }
    return MessageAnswer::Ok;
}

} // namespace jvz
