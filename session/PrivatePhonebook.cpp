#include "PrivatePhonebook.h"

#include "SessionLog.h"
#include "core/BatchErrorCode.h"
#include "core/Cp1252.h"
#include "core/MbFileIni.h"
#include "core/PlatformHelpers.h"
#include "platform/SerialPortInventory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <sys/stat.h>

namespace jvz {

namespace {

constexpr int kMinSpeed = 300;
constexpr int kMaxSpeed = 4000000;

QString phonebookWriteFailure(const QString& path, const QString& why)
{
    QString text = QStringLiteral("can not write the RAS phonebook %1").arg(path);
    if (!why.isEmpty())
        text += QStringLiteral(": ") + why;
    return text;
}

using KeyValues = std::initializer_list<std::pair<const char*, QString>>;

// Writes the keys in order, each read back; the reason lands in error at the first that did not take.
bool setKeys(MbFileIni& ini, const QString& section, KeyValues keys, QString* error)
{
    for (const auto& [key, value] : keys) {
        if (ini.StringSet(section, QLatin1String(key), value))
            continue;
        if (error)
            *error = ini.lastWriteError().text.isEmpty() ? QStringLiteral("the value did not read back")
                                                         : ini.lastWriteError().text;
        return false;
    }
    return true;
}

} // namespace

QString phonebookFileName(int16_t versionCode)
{
    if (versionCode == 5)
        return QStringLiteral("rasphoneNT.pbk");
    if (versionCode >= 6 && versionCode <= 11)
        return QStringLiteral("rasphone2000.pbk");
    return {};
}

QString portDeviceName(const QString& port)
{
    // A pseudo-terminal (pts/N) carries PPP as well as a serial port does.
    static const QRegularExpression re(QStringLiteral("^(?:/dev/)?(tty[A-Za-z0-9_]{1,32}|pts/[0-9]{1,9})$"));
    const QRegularExpressionMatch m = re.match(port.trimmed());
    return m.hasMatch() ? m.captured(1) : QString();
}

std::optional<PhonebookEntry> readPhonebookEntry(const QString& phonebookPath, const QString& name)
{
    if (name.isEmpty() || !QFileInfo(phonebookPath).isFile())
        return std::nullopt;
    MbFileIni ini;
    ini.Create(phonebookPath);
    ini.KeyIteratorCreate(name);
    bool any = false;
    while (!ini.KeyIterator().isEmpty())
        any = true;
    bool found = any;
    if (!found) {
        // An entry may be a bare section: look for its header.
        ini.SectionIteratorCreate();
        for (QString s = ini.SectionIterator(); !s.isEmpty(); s = ini.SectionIterator())
            found = found || s.compare(name, Qt::CaseInsensitive) == 0;
    }
    if (!found)
        return std::nullopt;
    PhonebookEntry e;
    e.name = name;
    e.port = ini.StringGet(name, QStringLiteral("Port"));
    const int32_t speed = ini.IntegerGet(name, QStringLiteral("ConnectBPS"), 115200);
    e.speed = speed >= kMinSpeed && speed <= kMaxSpeed ? speed : 115200;
    e.hardwareFlowControl = ini.IntegerGet(name, QStringLiteral("HwFlowControl"), 0) != 0;
    e.peerName = ini.StringGet(name, QStringLiteral("PppPeerName"));
    e.extraOptions = ini.StringGet(name, QStringLiteral("PppOptions"));
    return e;
}

bool writePhonebookEntry(const QString& phonebookPath, const PhonebookEntry& entry, FileWriter* writer, QString* error)
{
    QDir().mkpath(QFileInfo(phonebookPath).absolutePath());
    MbFileIni ini(writer);
    ini.Create(phonebookPath);
    const QString speed = QString::number(entry.speed);
    const QString flow = entry.hardwareFlowControl ? QStringLiteral("1") : QStringLiteral("0");
    return setKeys(ini, entry.name,
                   {
                       {"Port", entry.port},
                       {"ConnectBPS", speed},
                       {"HwFlowControl", flow},
                       {"PreferredPort", entry.port},
                       {"PreferredBps", speed},
                       {"PreferredHwFlow", flow},
                       {"PppPeerName", entry.peerName},
                       {"PppOptions", entry.extraOptions},
                   },
                   error);
}

PrivatePhonebook::PrivatePhonebook(QString programFolder, SerialPortInventory& inventory, FileWriter* writer,
                                   int16_t versionCode)
    : m_programFolder(std::move(programFolder)), m_inventory(inventory), m_writer(writer),
      m_versionCode(versionCode < 0 ? GetWindowsVersion() : versionCode)
{
}

QString PrivatePhonebook::path() const
{
    const QString name = phonebookFileName(m_versionCode);
    return name.isEmpty() ? QString() : folder() + QLatin1Char('/') + name;
}

bool PrivatePhonebook::PhonebookFileExists(const QString& fileName) const
{
    return !fileName.isEmpty() && QFileInfo(folder() + QLatin1Char('/') + fileName).isFile();
}

void PrivatePhonebook::FindModemPorts()
{
    gModemPorts.clear();
    const std::optional<std::vector<SerialPort>> ports = m_inventory.ports();
    if (!ports) {
        qCWarning(lcSession) << "serial ports cannot be listed:" << m_inventory.lastError().c_str();
        return;
    }
    for (const SerialPort& p : *ports) {
        if (p.canOpen)
            gModemPorts += QString::fromStdString(p.deviceName) + QLatin1Char(',');
    }
}

QString PrivatePhonebook::GetPhonebookPort() const
{
    const QString name = phonebookFileName(m_versionCode);
    if (!PhonebookFileExists(name))
        return {};
    MbFileIni ini;
    ini.Create(path());
    return ini.StringGet(QLatin1String(kProgramEntryName), QStringLiteral("Port"));
}

void PrivatePhonebook::SetPhonebookPort(const QString& port, bool batchMode, BatchErrorCode& error)
{
    const QString name = phonebookFileName(m_versionCode);
    if (!PhonebookFileExists(name)) {
        error.set(BatchCode::PhonebookNotFound, QLatin1String(BatchText::PhonebookNotFound));
        return;
    }
    // The file's permission bits are the same afterwards: a read-only phonebook stays read-only.
    struct stat before {};
    const QByteArray file = QFile::encodeName(resolveWriteTarget(path()));
    const bool known = ::stat(file.constData(), &before) == 0;
    WritePhonebookEntry(name, port, batchMode, error);
    struct stat after {};
    if (known && ::stat(file.constData(), &after) == 0 && (after.st_mode & 07777) != (before.st_mode & 07777))
        ::chmod(file.constData(), before.st_mode & 07777);
}

void PrivatePhonebook::WritePhonebookEntry(const QString& fileName, const QString& port, bool batchMode,
                                           BatchErrorCode& error)
{
    Q_UNUSED(batchMode) // a port without a usable device fails in every run, never dials the previous port
    const QString device = portDeviceName(port);
    std::optional<SerialPort> found;
    if (const std::optional<std::vector<SerialPort>> ports = m_inventory.ports(); ports && !device.isEmpty())
        found = findSerialPort(*ports, device.toStdString());
    if (!found || !found->canOpen) {
        error.set(BatchCode::PortUnknown, QLatin1String(BatchText::PortUnknown));
        return;
    }
    const QString target = folder() + QLatin1Char('/') + fileName;
    // The device's own name is UTF-8 already; decoded byte for byte so the INI engine writes those bytes.
    const QString deviceName = Cp1252::decode(QByteArray::fromStdString(found->friendlyName));
    const QString entry = QLatin1String(kProgramEntryName);
    MbFileIni ini(m_writer);
    ini.Create(target);
    QString why;
    const bool written = setKeys(ini, entry,
                                 {
                                     {"Port", device},
                                     {"Device", deviceName},
                                     {"ConnectBPS", QStringLiteral("115200")},
                                     {"HwFlowControl", QStringLiteral("0")},
                                     {"PreferredPort", device},
                                     {"PreferredDevice", deviceName},
                                     {"PreferredBps", QStringLiteral("115200")},
                                     {"PreferredHwFlow", QStringLiteral("0")},
                                 },
                                 &why);
    if (!written) {
        error.set(BatchCode::PhonebookNotFound, phonebookWriteFailure(target, why));
        qCWarning(lcSession) << error.gErrorText;
    }
}

QByteArray PrivatePhonebook::ToUtf8(const QString& text)
{
    return text.toUtf8();
}

} // namespace jvz
