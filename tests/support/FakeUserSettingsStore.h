#pragma once

#include "platform/UserSettingsStore.h"

#include <QMap>

namespace jvztest {

// Per-user settings kept in memory; a test fills it with what the user is meant to have chosen.
class FakeUserSettingsStore : public jvz::UserSettingsStore {
public:
    QString value(const QString& application, const QString& section, const QString& key,
                  const QString& fallback) const override
    {
        return m_values.value(path(application, section, key), fallback);
    }
    bool setValue(const QString& application, const QString& section, const QString& key, const QString& text) override
    {
        if (failWrites)
            return false;
        m_values.insert(path(application, section, key), text);
        return true;
    }

    bool failWrites = false;

private:
    static QString path(const QString& a, const QString& s, const QString& k) { return a + '/' + s + '/' + k; }
    QMap<QString, QString> m_values;
};

} // namespace jvztest
