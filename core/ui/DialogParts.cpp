#include "core/ui/DialogParts.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace jvz {

OkCancelRow okCancelRow(QWidget* parent, const char* okName, const char* cancelName, const QString& cancelCaption)
{
    OkCancelRow row;
    row.ok = namedControl<QPushButton>(parent, okName, QStringLiteral("OK"));
    row.ok->setDefault(true);
    row.cancel = namedControl<QPushButton>(parent, cancelName, cancelCaption);
    row.layout = new QHBoxLayout;
    row.layout->addStretch(1);
    row.layout->addWidget(row.ok);
    row.layout->addWidget(row.cancel);
    return row;
}

} // namespace jvz
