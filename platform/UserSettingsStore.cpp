#include "platform/UserSettingsStore.h"

#include <QSettings>

namespace jvz {

namespace {
const QString kOrganisation = QStringLiteral("JVZ");

QString settingsKey(const QString& section, const QString& key)
{
    return section + QLatin1Char('/') + key;
}
} // namespace

QString QSettingsUserStore::value(const QString& application, const QString& section, const QString& key,
                                  const QString& fallback) const
{
    const QSettings settings(kOrganisation, application);
    const QVariant v = settings.value(settingsKey(section, key));
    return v.isValid() ? v.toString() : fallback;
}

bool QSettingsUserStore::setValue(const QString& application, const QString& section, const QString& key,
                                  const QString& text)
{
    QSettings settings(kOrganisation, application);
    settings.setValue(settingsKey(section, key), text);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace jvz
