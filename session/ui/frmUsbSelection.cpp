#include "session/ui/frmUsbSelection.h"

#include "core/MbStringTokenizer.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace jvz {

namespace {

// The main window's title, by which it is found again once the choice is made.
const QString mainWindowTitle = QStringLiteral("Pendraxa");

// A port list entry is a kernel tty name.
bool isPortToken(const QString& token)
{
    return token.startsWith(QLatin1String("tty"));
}

} // namespace

frmUsbSelection::frmUsbSelection(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmUsbSelection"));
    setWindowTitle(QStringLiteral("USB port selection"));
    setModal(true);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("List1"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);

    m_okButton = new QPushButton(QStringLiteral("OK"), this);
    m_okButton->setObjectName(QStringLiteral("OKButton"));
    m_okButton->setDefault(true);
    m_cancelButton = new QPushButton(QStringLiteral("Annuler"), this);
    m_cancelButton->setObjectName(QStringLiteral("CancelButton"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_okButton);
    buttons->addWidget(m_cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(buttons);
    resize(260, 220);

    connect(m_okButton, &QPushButton::clicked, this, &frmUsbSelection::OKButton_Click);
    connect(m_cancelButton, &QPushButton::clicked, this, &frmUsbSelection::CancelButton_Click);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &frmUsbSelection::List1_DblClick);
}

void frmUsbSelection::init(int count, const QString& portList, const QString& currentPort)
{
    Q_UNUSED(count);
    m_list->clear();
    SelectedPort.clear();

    int selected = -1;
    int index = 0;
    MbStringTokenizer tokens(portList, QStringLiteral(","));
    for (QString token = tokens.Iterator(); !token.isEmpty(); token = tokens.Iterator()) {
        if (!isPortToken(token))
            break;
        m_list->addItem(token);
        if (token == currentPort)
            selected = index; // the last equal entry wins
        ++index;
    }
    m_list->setCurrentRow(selected);
    if (selected < 0)
        m_list->clearSelection();
}

void frmUsbSelection::OKButton_Click()
{
    const QList<QListWidgetItem*> chosen = m_list->selectedItems();
    SelectedPort = chosen.isEmpty() ? QString() : chosen.first()->text();
    endChoice(Accepted);
}

void frmUsbSelection::List1_DblClick(QListWidgetItem* item)
{
    if (item)
        m_list->setCurrentItem(item);
    OKButton_Click();
}

void frmUsbSelection::CancelButton_Click()
{
    SelectedPort.clear();
    endChoice(Rejected);
}

void frmUsbSelection::reject()
{
    CancelButton_Click();
}

void frmUsbSelection::endChoice(DialogCode code)
{
    // done() hides the window, which also ends the caller's modal display.
    QDialog::done(code);
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != this && window->windowTitle() == mainWindowTitle) {
            window->show();
            break;
        }
    }
}

} // namespace jvz
