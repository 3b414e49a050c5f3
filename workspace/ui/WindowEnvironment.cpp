#include "WindowEnvironment.h"

#include "MainWindowControls.h"
#include "core/AppSettings.h"
#include "core/MbFileIni.h"
#include "core/ProgramInfo.h"
#include "core/Settings.h"
#include "platform/UserSettingsStore.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QScreen>

namespace jvz {

void WindowEnvironment::restore()
{
    bool ok = false;
    const int state = m_userStore
                          .value(QLatin1String(kProgramTitle), QStringLiteral("Parameter"),
                                 QStringLiteral("WindowState"), QStringLiteral("-1"))
                          .trimmed()
                          .toInt(&ok);
    if (ok && state == 2) {
        m_window.setWindowState(Qt::WindowMaximized);
        return;
    }
    if (ok && state == 1) {
        m_window.setWindowState(Qt::WindowMinimized);
        return;
    }
    const QScreen* s = m_window.screen() ? m_window.screen() : QApplication::primaryScreen();
    if (!s)
        return;
    const QRect area = s->availableGeometry();
    const QSize size(area.width() * 9 / 10, area.height() * 9 / 10);
    m_window.setGeometry(
        QRect(area.topLeft() + QPoint((area.width() - size.width()) / 2, (area.height() - size.height()) / 2), size));
}

void WindowEnvironment::save()
{
    const int state = m_window.isMinimized() ? 1 : m_window.isMaximized() ? 2 : 0;
    m_userStore.setValue(QLatin1String(kProgramTitle), QStringLiteral("Parameter"), QStringLiteral("WindowState"),
                         QString::number(state));
    // The file start-up read: settings written under any other name would never be read again.
    MbFileIni& ini = *m_settings.gIniFile;
    const QString env = QStringLiteral("Environnement");
    const auto yesNo = [](bool on) { return on ? QStringLiteral("yes") : QStringLiteral("no"); };
    ini.StringSet(env, QStringLiteral("Selection"), m_ui.combo2->currentText());
    ini.StringSet(env, QStringLiteral("ConnectBar"), yesNo(m_ui.action(Command::ViewConnectBar)->isChecked()));
    ini.StringSet(env, QStringLiteral("IconBar"), yesNo(m_ui.action(Command::ViewIconBar)->isChecked()));
    ini.StringSet(env, QStringLiteral("CatalogFamilyDir"), m_settings.gCatalogFamilyDir);
    ini.StringSet(env, QStringLiteral("CatalogFamilyName"), m_settings.gCatalogFamilyName);
    ini.StringSet(env, QStringLiteral("FilterField"), m_ui.filter->text());
    SaveConnectionName(ini, m_ui.comboDefaultConnection->currentText());
}

} // namespace jvz
