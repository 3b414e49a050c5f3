#pragma once

#include "core/MBLanguages.h"

#include <QColor>
#include <QWidget>
#include <cstdint>
#include <functional>

class QLabel;
class QTimer;

namespace jvz {

// The warning shown while a connection is opened, restarted or closed; it may blink and close itself.
class FrmWarningMsg : public QWidget {
    Q_OBJECT
public:
    // isBatch tells whether the run is unattended; then closing never brings the main window forward.
    explicit FrmWarningMsg(std::function<bool()> isBatch, QWidget* parent = nullptr);

    void InitLanguage(const MBLanguages& curLang);
    // Fills the window without showing it; times in milliseconds, below 1 meaning never.
    void init(const MBLanguages& curLang, const QString& msg, int32_t flashingTime, int32_t displayingTime);
    // Closes the window and, in an interactive run, brings the main window back to the front.
    void frmUnload();

    // A colour value as the settings and callers give it (blue in the high byte, red in the low byte).
    static QColor fromWindowsColor(uint32_t value);
    static constexpr uint32_t kBlinkYellow = 65535;
    static constexpr uint32_t kBlinkOrange = 49407;
    // Title by which the main window is found.
    static constexpr const char* kMainWindowTitle = "Pendraxa";

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Timer1_Timer();
    void Timer2_Timer();

    std::function<bool()> m_isBatch;
    MBLanguages m_language;
    bool m_blink = false;
    QLabel* m_label1;
    QTimer* m_timer1;
    QTimer* m_timer2;
};

} // namespace jvz
