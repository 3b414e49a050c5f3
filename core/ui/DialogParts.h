#pragma once

// Small pieces the program's dialogs are built from: controls created under their object names, and the row of
// OK and Cancel buttons at the bottom right.

#include <QString>
#include <QWidget>

class QHBoxLayout;
class QPushButton;

namespace jvz {

// A control of the given kind, a child of parent, under the object name the language file knows it by.
template <typename Control, typename... Args> Control* namedControl(QWidget* parent, const char* name, Args&&... args)
{
    auto* control = new Control(std::forward<Args>(args)..., parent);
    control->setObjectName(QLatin1String(name));
    return control;
}

struct OkCancelRow {
    QPushButton* ok;
    QPushButton* cancel;
    QHBoxLayout* layout; // to be added to the dialog's layout
};

// OK (the default button) and Cancel with their design captions, pushed to the right.
OkCancelRow okCancelRow(QWidget* parent, const char* okName, const char* cancelName, const QString& cancelCaption);

} // namespace jvz
