#pragma once

#include <QString>

namespace jvz {

// Texts kept per user, addressed by application, section and key (the language choice, the window state).
class UserSettingsStore {
public:
    virtual ~UserSettingsStore() = default;
    // The stored text, or fallback when the key was never written.
    virtual QString value(const QString& application, const QString& section, const QString& key,
                          const QString& fallback) const = 0;
    // Returns false when the store could not be written.
    virtual bool setValue(const QString& application, const QString& section, const QString& key,
                          const QString& text) = 0;
};

// QSettings in its native format under the organisation "JVZ": ~/.config/JVZ/<application>.conf.
class QSettingsUserStore : public UserSettingsStore {
public:
    QString value(const QString& application, const QString& section, const QString& key,
                  const QString& fallback) const override;
    bool setValue(const QString& application, const QString& section, const QString& key, const QString& text) override;
};

} // namespace jvz
