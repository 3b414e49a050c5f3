#include "RasFunctions.h"

#include "PrivatePhonebook.h"
#include "SessionLog.h"
#include "core/BatchErrorCode.h"
#include "core/Cp1252.h"
#include "core/MbFileIni.h"
#include "core/PlatformHelpers.h"
#include "platform/Notifier.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace jvz {

namespace {

constexpr int kDefaultDialTimeoutS = 60;
constexpr int kMaxDialTimeoutS = 3600;
const QString kUnknownPlatform = QStringLiteral("unknown plateform");

} // namespace

int dialTimeoutMs(const MbFileIni& mainIni)
{
    const int32_t s =
        mainIni.IntegerGet(QStringLiteral("Protocol"), QStringLiteral("PPP_DialTimeout"), kDefaultDialTimeoutS);
    return (s >= 1 && s <= kMaxDialTimeoutS ? s : kDefaultDialTimeoutS) * 1000;
}

RasFunctions::RasFunctions(DialUpLink& link, Notifier& notifier, QString programFolder, int16_t versionCode)
    : m_link(link), m_notifier(notifier), m_programFolder(std::move(programFolder)),
      m_versionCode(versionCode < 0 ? GetWindowsVersion() : versionCode)
{
}

void RasFunctions::trace(const QString& line) const
{
    if (m_trace)
        m_trace(line);
}

bool RasFunctions::GetPhonebookPath(QString& path, const QString& folder) const
{
    const QString dir = folder.isEmpty() ? m_programFolder + QStringLiteral("/ras") : folder;
    const QString name = phonebookFileName(m_versionCode);
    if (name.isEmpty()) {
        // The oldest versions used the system's phonebook; there is none here.
        path.clear();
        return false;
    }
    path = dir + QLatin1Char('/') + name;
    return QFileInfo(path).isFile();
}

int32_t RasFunctions::validateEntryName(const QString& entryName, const QString& phonebookPath) const
{
    static const QRegularExpression invalid(QStringLiteral("[\\x00-\\x1f\\[\\]]"));
    if (entryName.trimmed().isEmpty() || entryName.contains(invalid))
        return kEntryNameInvalid;
    if (!QFileInfo(phonebookPath).isFile())
        return kPhonebookUnreadable;
    return readPhonebookEntry(phonebookPath, entryName) ? kEntryExists : kEntryAbsent;
}

bool RasFunctions::RasEntryExists(const QString& entryName, const QString& phonebookPath)
{
    const int32_t answer = validateEntryName(entryName, phonebookPath);
    if (answer == kEntryExists)
        return true;
    // In a batch run the notifier writes this to standard error instead of blocking.
    m_notifier.message(
        QStringLiteral("RasValidateEntryName Error: %1for %2%3").arg(answer).arg(phonebookPath, entryName), QString(),
        MessageIcon::Exclamation, MessageButtons::Ok);
    return false;
}

int32_t RasFunctions::ListRasEntries(QList<RasEntryItem>& list, const QString& phonebookPath) const
{
    if (!QFileInfo(phonebookPath).isFile())
        return 0;
    MbFileIni ini;
    ini.Create(phonebookPath);
    QList<RasEntryItem> found;
    ini.SectionIteratorCreate();
    for (QString s = ini.SectionIterator(); !s.isEmpty(); s = ini.SectionIterator())
        found.append({s, 0, phonebookPath});
    if (found.isEmpty())
        return 0;
    list = found;
    return static_cast<int32_t>(found.size());
}

QString RasFunctions::RasErrorText(int32_t code)
{
    if (code == kPhonebookNotUsable)
        return kUnknownPlatform;
    const std::optional<DialError> e = dialErrorFromNumber(code);
    if (!e || *e == DialError::None)
        return {};
    return QString::fromLatin1(describe(*e));
}

int32_t RasFunctions::RasHangUpConnection()
{
    return m_link.hangUp();
}

int32_t RasFunctions::GetRasConnectionState()
{
    return m_link.state();
}

bool RasFunctions::RasConnect(const QString& entryName, const QString& userName, const QString& password, bool quiet,
                              BatchErrorCode& error, const QString& folder, int32_t& rasResult)
{
    m_lastDial = {};
    // A link of the same entry is ended first; others are left alone.
    if (!m_link.activeEntry().isEmpty() && m_link.activeEntry() == entryName) {
        rasResult = RasHangUpConnection();
        if (rasResult != 0 && !quiet)
            m_notifier.message(QStringLiteral("HangUp: RAS error number %1").arg(rasResult) + kCrLf +
                                   RasErrorText(rasResult),
                               QString(), MessageIcon::Critical, MessageButtons::Ok);
    }

    QString path;
    if (!GetPhonebookPath(path, folder)) {
        rasResult = kPhonebookNotUsable;
        if (!quiet)
            m_notifier.message(kUnknownPlatform, QString(), MessageIcon::Information, MessageButtons::Ok);
        error.set(BatchCode::PppLinkFailed, kUnknownPlatform);
        return false;
    }

    PppLinkRequest request;
    request.entryName = entryName;
    request.user = Cp1252::encode(userName);
    request.password = Cp1252::encode(password);
    if (const std::optional<PhonebookEntry> entry = readPhonebookEntry(path, entryName)) {
        const QString device = portDeviceName(entry->port);
        if (device.isEmpty()) {
            m_lastDial.error = static_cast<int32_t>(DialError::NoPort);
        } else {
            request.deviceNode = QStringLiteral("/dev/") + device;
            request.speed = entry->speed;
            request.hardwareFlowControl = entry->hardwareFlowControl;
            request.peerName = entry->peerName;
            request.extraOptions =
                entry->extraOptions.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
            m_lastDial = m_link.dial(request);
        }
    } else {
        m_lastDial.error = static_cast<int32_t>(DialError::EntryNotFound);
    }
    rasResult = m_lastDial.error;

    // A stop signal broke the dial off: the run ends as stopped, which is no failure of the link to report.
    if (rasResult == static_cast<int32_t>(DialError::Stopped)) {
        trace(RasErrorText(rasResult));
        return false;
    }
    if (rasResult != 0) {
        const QString text =
            QStringLiteral("Connection: RAS error number %1").arg(rasResult) + kCrLf + RasErrorText(rasResult);
        if (!m_lastDial.lastLogLine.isEmpty())
            trace(QStringLiteral("pppd: ") + m_lastDial.lastLogLine);
        qCInfo(lcSession) << "dial of" << entryName << "failed:" << text;
        if (!quiet)
            m_notifier.message(text, QString(), MessageIcon::Critical, MessageButtons::Ok);
        error.set(BatchCode::PppLinkFailed, text);
        return false;
    }
    trace(QStringLiteral("local  IP address ") + m_lastDial.localAddress);
    trace(QStringLiteral("remote IP address ") + m_lastDial.remoteAddress);
    return true;
}

} // namespace jvz
