#include "session/ui/frmPhonebookEntry.h"

#include "core/ui/GetAllFormLabel.h"
#include "platform/SerialPortInventory.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

namespace jvz {

namespace {

const int kSpeeds[] = {9600, 19200, 38400, 57600, 115200, 230400, 460800, 921600};

template <typename W> W* named(W* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

frmPhonebookEntry::frmPhonebookEntry(SerialPortInventory& inventory, FileWriter* writer, QWidget* parent)
    : QDialog(parent), m_inventory(inventory), m_writer(writer)
{
    setObjectName(QStringLiteral("frmPhonebookEntry"));
    setWindowTitle(QStringLiteral("Dial-up connection"));
    m_name = named(new QLineEdit(this), "TXT_EntryName");
    m_port = named(new QComboBox(this), "CBO_Port");
    m_port->setEditable(true);
    m_speed = named(new QComboBox(this), "CBO_Speed");
    m_speed->setEditable(true);
    for (int s : kSpeeds)
        m_speed->addItem(QString::number(s));
    m_flow = named(new QCheckBox(QStringLiteral("Hardware flow control"), this), "CHK_HwFlowControl");
    m_peer = named(new QLineEdit(this), "TXT_PeerName");
    m_options = named(new QLineEdit(this), "TXT_PppOptions");
    m_error = named(new QLabel(this), "LBL_Error");
    m_error->setWordWrap(true);
    m_ok = named(new QPushButton(QStringLiteral("OK"), this), "CMD_OK");
    m_ok->setDefault(true);
    m_cancel = named(new QPushButton(QStringLiteral("Cancel"), this), "CMD_Cancel");

    auto* form = new QFormLayout;
    form->addRow(named(new QLabel(QStringLiteral("Name"), this), "LBL_EntryName"), m_name);
    form->addRow(named(new QLabel(QStringLiteral("Port"), this), "LBL_Port"), m_port);
    form->addRow(named(new QLabel(QStringLiteral("Speed"), this), "LBL_Speed"), m_speed);
    form->addRow(QString(), m_flow);
    form->addRow(named(new QLabel(QStringLiteral("Peer name"), this), "LBL_PeerName"), m_peer);
    form->addRow(named(new QLabel(QStringLiteral("pppd options"), this), "LBL_PppOptions"), m_options);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_error);
    layout->addLayout(buttons);

    connect(m_ok, &QPushButton::clicked, this, &frmPhonebookEntry::save);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void frmPhonebookEntry::init(const QString& phonebookPath, const QString& entryName, const MBLanguages* language)
{
    if (language) {
        m_language.Copy(*language);
        GetAllFormLabel(m_language, *this);
    }
    m_path = phonebookPath;
    m_error->clear();
    PhonebookEntry e;
    e.name = entryName.isEmpty() ? QString() : entryName;
    if (!entryName.isEmpty()) {
        if (const std::optional<PhonebookEntry> found = readPhonebookEntry(phonebookPath, entryName))
            e = *found;
    }
    m_name->setText(e.name);
    m_name->setReadOnly(!entryName.isEmpty()); // an entry is edited under its own name

    m_port->clear();
    if (const std::optional<std::vector<SerialPort>> ports = m_inventory.ports()) {
        for (const SerialPort& p : *ports)
            m_port->addItem(QString::fromStdString(p.friendlyName), QString::fromStdString(p.deviceName));
    }
    const int known = m_port->findData(e.port);
    if (known >= 0) {
        m_port->setCurrentIndex(known);
    } else if (!e.port.isEmpty()) {
        m_port->addItem(e.port, e.port); // a port that is not plugged in now
        m_port->setCurrentIndex(m_port->count() - 1);
    } else {
        m_port->setCurrentIndex(-1);
        m_port->setEditText(QString());
    }
    m_speed->setEditText(QString::number(e.speed));
    m_flow->setChecked(e.hardwareFlowControl);
    m_peer->setText(e.peerName);
    m_options->setText(e.extraOptions);
}

PhonebookEntry frmPhonebookEntry::entry() const
{
    PhonebookEntry e;
    e.name = m_name->text().trimmed();
    const int index = m_port->currentIndex();
    // A chosen list item gives its device name; a typed text is taken as the port itself.
    e.port = index >= 0 && m_port->itemText(index) == m_port->currentText() ? m_port->itemData(index).toString()
                                                                            : m_port->currentText().trimmed();
    bool ok = false;
    const int speed = m_speed->currentText().trimmed().toInt(&ok);
    e.speed = ok ? speed : 0;
    e.hardwareFlowControl = m_flow->isChecked();
    e.peerName = m_peer->text().trimmed();
    e.extraOptions = m_options->text().trimmed();
    return e;
}

QString frmPhonebookEntry::errorText() const
{
    return m_error->text();
}

QString frmPhonebookEntry::validate(const PhonebookEntry& e) const
{
    static const QRegularExpression badName(QStringLiteral("[\\x00-\\x1f\\[\\]]"));
    static const QRegularExpression peer(QStringLiteral("^[A-Za-z0-9._-]{0,64}$"));
    static const QRegularExpression control(QStringLiteral("[\\x00-\\x1f]"));
    if (e.name.isEmpty() || e.name.contains(badName))
        return QStringLiteral("The name must not be empty nor hold [ ] or control characters.");
    if (!e.port.isEmpty() && portDeviceName(e.port).isEmpty())
        return QStringLiteral("'%1' is not a serial port (ttyACM0, ttyUSB0, ...).").arg(e.port);
    if (e.speed < 300 || e.speed > 4000000)
        return QStringLiteral("The speed must be a number of bits per second from 300 to 4000000.");
    if (!peer.match(e.peerName).hasMatch() || e.peerName.startsWith(QLatin1Char('.')))
        return QStringLiteral("The peer name is a file name in /etc/ppp/peers: letters, digits, '.', '_' and '-'.");
    if (e.extraOptions.contains(control))
        return QStringLiteral("The pppd options must stay on one line.");
    return {};
}

void frmPhonebookEntry::save()
{
    PhonebookEntry e = entry();
    QString why = validate(e);
    if (why.isEmpty()) {
        e.port = portDeviceName(e.port);
        if (writePhonebookEntry(m_path, e, m_writer, &why)) {
            m_error->clear();
            accept();
            return;
        }
        why = QStringLiteral("can not write the RAS phonebook %1: %2").arg(m_path, why);
    }
    m_error->setText(why);
}

int32_t RasCreatePhonebookEntry(QWidget* owner, const QString& phonebookPath, SerialPortInventory& inventory,
                                const MBLanguages* language)
{
    if (phonebookPath.isEmpty())
        return frmPhonebookEntry::kCannotCreate;
    frmPhonebookEntry dialog(inventory, nullptr, owner);
    dialog.init(phonebookPath, QString(), language);
    return dialog.exec() == QDialog::Accepted ? 0 : frmPhonebookEntry::kCancelled;
}

bool EditRasEntry(QWidget* owner, const QString& phonebookPath, const QString& entryName,
                  SerialPortInventory& inventory, const MBLanguages* language)
{
    frmPhonebookEntry dialog(inventory, nullptr, owner);
    dialog.init(phonebookPath, entryName, language);
    dialog.exec();
    return true;
}

} // namespace jvz
