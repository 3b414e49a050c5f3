#include "core/Settings.h"

#include "core/AppSettings.h"
#include "core/BatchRun.h"
#include "core/CoreLog.h"
#include "core/MbFileIni.h"
#include "core/MbStringTokenizer.h"

#include <QFile>
#include <QFileInfo>

namespace jvz {

namespace {

bool inSection(const SettingKey& k, std::initializer_list<const char*> sections)
{
    for (const char* s : sections) {
        if (qstrcmp(k.section, s) == 0)
            return true;
    }
    return false;
}

void readKey(AppSettings& settings, const MbFileIni& ini, const SettingKey& k)
{
    const QString section = QString::fromLatin1(k.section);
    const QString key = QString::fromLatin1(k.key);
    const QString fallback = QString::fromLatin1(k.defaultText);
    if (auto flag = std::get_if<bool AppSettings::*>(&k.field))
        settings.*(*flag) = ini.BooleanGet(section, key, fallback);
    else if (auto number = std::get_if<int32_t AppSettings::*>(&k.field))
        settings.*(*number) = ini.IntegerGet(section, key, fallback.toInt());
    else if (auto text = std::get_if<QString AppSettings::*>(&k.field))
        settings.*(*text) = ini.StringGet(section, key, fallback);
}

} // namespace

QString BuildUsbVidList(const QString& extraEntries)
{
    const QString list = QString::fromLatin1(kBuiltInUsbPrefixes) + extraEntries;
    QString result;
    MbStringTokenizer tokens(list, QStringLiteral(","));
    qsizetype cursor = 0;
    for (QString token = tokens.Iterator(); token.contains(QLatin1String("VID")); token = tokens.Iterator()) {
        // Only commas lie between the previous entry and this one, so this is the entry's own place.
        const qsizetype at = list.indexOf(token, cursor);
        cursor = at + token.size();
        if (list.indexOf(token, at + 1) >= 0)
            continue; // a later entry repeats it or holds it as part of a longer prefix
        result += token + QLatin1Char(',');
    }
    return result;
}

void LoadOptions(AppSettings& settings, const MbFileIni& ini)
{
    for (const SettingKey& k : settingKeys()) {
        if (inSection(k, {"Options", "users", "WarningMsg", "Environnement"}))
            readKey(settings, ini, k);
    }
    if (settings.gCertifSgnPlus)
        settings.gCertifSgn = true;
    if (settings.gCptWaitEndOfActivity < 1)
        settings.gCptWaitEndOfActivity = 1;
    // Depends on where the program runs, so the table cannot hold it.
    settings.gCatalogFamilyDir =
        ini.StringGet(QStringLiteral("Environnement"), QStringLiteral("CatalogFamilyDir"), settings.gProgramFolder);
    settings.gUsbVidList = BuildUsbVidList(ini.StringGet(QStringLiteral("Options"), QStringLiteral("USB_VID")));
}

void LoadProtocolSettings(AppSettings& settings, const BatchRun& batch, const MbFileIni& ini)
{
    const QString protocol = QStringLiteral("Protocol");
    settings.gPppUserName.clear();
    settings.gPppPassword.clear();
    settings.gIpPort.clear();
    settings.gIpLocalAddress.clear();
    if (!batch.gBatchMode) {
        settings.gFtpUserName.clear();
        settings.gFtpPassword.clear();
    }

    settings.gConnectionName = ini.StringGet(protocol, QStringLiteral("ConnectionName"));
    settings.gPppUserName = ini.StringGet(protocol, QStringLiteral("PPP_UserName"));
    settings.gPppPassword = ini.StringGet(protocol, QStringLiteral("PPP_Password"));
    if (!batch.gBatchMode) {
        settings.gFtpUserName = ini.StringGet(protocol, QStringLiteral("FTP_UserName"));
        settings.gFtpPassword = ini.StringGet(protocol, QStringLiteral("FTP_Password"));
    }
    if (settings.gFtpUserName.toLower() == QLatin1String("system")) {
        settings.gFtpUserName.clear();
        settings.gFtpPassword.clear();
    }
    settings.gIpPort = ini.StringGet(protocol, QStringLiteral("IP_Port"));
    settings.gIpLocalAddress = ini.StringGet(protocol, QStringLiteral("IP_LocalAddress"));

    auto orDefault = [](QString& field, const char* fallback) {
        if (field.isEmpty())
            field = QString::fromLatin1(fallback);
    };
    orDefault(settings.gPppUserName, "pppuser");
    orDefault(settings.gPppPassword, "905173");
    orDefault(settings.gFtpUserName, "ftpuser");
    orDefault(settings.gFtpPassword, "905173");
    orDefault(settings.gIpPort, "6000");
    orDefault(settings.gIpLocalAddress, batch.gSerialLink ? "0.0.0.0" : "127.0.0.1");
    settings.gWaitingDcxTime = ini.IntegerGet(protocol, QStringLiteral("WaitingDcxTime"), 2000);
}

bool SaveConnectionName(MbFileIni& ini, const QString& name)
{
    const QString path = ini.FileName();
    QFile file(path);
    if (file.exists()) {
        const QFile::Permissions perms = file.permissions();
        if (!(perms & QFile::WriteOwner) && !file.setPermissions(perms | QFile::WriteOwner | QFile::WriteUser))
            qCWarning(jvzCore) << "cannot make" << path << "writable";
    }
    return ini.StringSet(QStringLiteral("Protocol"), QStringLiteral("ConnectionName"), name);
}

} // namespace jvz
