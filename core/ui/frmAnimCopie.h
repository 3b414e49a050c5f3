#pragma once

#include "core/MBLanguages.h"

#include <QString>
#include <QWidget>

class QLabel;
class QMovie;
class QProgressBar;
class QPushButton;
class QTimer;

namespace jvz {

class CopyAnimation;
class Notifier;

// Progress of a multi-file transfer. It copies nothing: the transfer drives it and polls Running and Canceled.
class frmAnimCopie : public QWidget {
    Q_OBJECT
public:
    // programFolder holds the optional animation "Filecopy.avi" (any animated image format Qt reads); without
    // a clip Qt can play, the window draws an animation of its own.
    frmAnimCopie(Notifier& notifier, const QString& programFolder, QWidget* parent = nullptr);
    ~frmAnimCopie() override;

    void init(const QString& fileName, const MBLanguages& curLang, const QString& from, const QString& to,
              int totalFile);
    void NewFile(const QString& fileName);
    // After each file: the per-file bar runs to its end, Running staying true until then.
    void LaunchTimer();
    void essai();

    bool Running = false;
    bool Canceled = false;
    // Cancel asks for a confirmation first; an unattended run takes the click as the answer (false).
    void setCancelConfirmed(bool confirm) { m_confirmCancel = confirm; }

    // The per-file bar's steps: with one step per 10 ms tick, the wait after each file stays under 100 ms.
    static constexpr int kFileBarMaximum = 10;
    static constexpr int kTickMs = 10;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Timer1_Timer();
    void BTN_Cancel_Click();
    void showTotal();
    void dropClip();

    Notifier& m_notifier;
    bool m_confirmCancel = true;
    QString m_programFolder;
    MBLanguages m_language;
    QString m_from;
    QString m_to;
    QPushButton* m_cancel;
    QTimer* m_timer1;
    QProgressBar* m_anim;
    CopyAnimation* m_anmAVI; // plays the clip, or draws its own animation without one
    QMovie* m_movie = nullptr;
    QProgressBar* m_total;
    QLabel* m_totalLabel;
    QLabel* m_fromTo;
    QLabel* m_file;
};

} // namespace jvz
