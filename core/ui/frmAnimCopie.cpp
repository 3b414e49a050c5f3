#include "frmAnimCopie.h"

#include "core/ui/CopyAnimation.h"
#include "core/ui/GetAllFormLabel.h"
#include "platform/FileReader.h"
#include "platform/Notifier.h"

#include <QBuffer>
#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QMovie>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

namespace jvz {

frmAnimCopie::frmAnimCopie(Notifier& notifier, const QString& programFolder, QWidget* parent)
    : QWidget(parent, Qt::Window), m_notifier(notifier), m_programFolder(programFolder)
{
    setObjectName(QStringLiteral("frmAnimCopie"));
    setWindowTitle(QStringLiteral("Copie ..."));
    auto make = [this](QLabel*& label, const char* name, const QString& text) {
        label = new QLabel(text, this);
        label->setObjectName(QLatin1String(name));
    };
    m_anmAVI = new CopyAnimation(this);
    m_anmAVI->setObjectName(QStringLiteral("anmAVI"));
    make(m_file, "LBL_file", QString());
    make(m_fromTo, "LBL_FromTo", QString());
    make(m_totalLabel, "LBL_TotalFile", QStringLiteral("total fichier"));
    m_anim = new QProgressBar(this);
    m_anim->setObjectName(QStringLiteral("PGB_Anim"));
    m_anim->setRange(0, kFileBarMaximum);
    m_anim->setTextVisible(false);
    m_total = new QProgressBar(this);
    m_total->setObjectName(QStringLiteral("PGB_TotalFile"));
    m_total->setTextVisible(false);
    m_cancel = new QPushButton(QStringLiteral("Annuler"), this);
    m_cancel->setObjectName(QStringLiteral("BTN_Cancel"));
    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(kTickMs);

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_anmAVI, 0, 0, 1, 2);
    grid->addWidget(m_file, 1, 0, 1, 2);
    grid->addWidget(m_fromTo, 2, 0, 1, 2);
    grid->addWidget(m_anim, 3, 0, 1, 2);
    grid->addWidget(m_totalLabel, 4, 0, 1, 2);
    grid->addWidget(m_total, 5, 0, 1, 2);
    grid->addWidget(m_cancel, 6, 1);

    connect(m_timer1, &QTimer::timeout, this, &frmAnimCopie::Timer1_Timer);
    connect(m_cancel, &QPushButton::clicked, this, &frmAnimCopie::BTN_Cancel_Click);
}

frmAnimCopie::~frmAnimCopie() = default;

void frmAnimCopie::init(const QString& fileName, const MBLanguages& curLang, const QString& from, const QString& to,
                        int totalFile)
{
    m_language.Copy(curLang);
    GetAllFormLabel(m_language, *this);
    Canceled = false;
    m_from = from;
    m_to = to;

    // The animation is optional: a missing or unreadable file leaves the place empty, silently.
    if (m_movie) {
        m_movie->stop();
        delete m_movie;
        m_movie = nullptr;
    }
    m_anmAVI->setMovie(nullptr);
    // Read whole through the plain-file reader: a FIFO or a device under the clip's name is no clip.
    constexpr qint64 kClipLimit = 16 * 1024 * 1024;
    FileReadResult clip =
        PlainFileReader::standard().read(m_programFolder + QStringLiteral("/Filecopy.avi"), kClipLimit);
    auto* movie = new QMovie(this);
    auto* clipBytes = new QBuffer(movie);
    clipBytes->setData(clip.status == FileReadStatus::Read ? std::move(clip.bytes) : QByteArray());
    movie->setDevice(clipBytes);
    if (clip.status == FileReadStatus::Read && movie->isValid()) {
        m_movie = movie;
        m_anmAVI->setMovie(m_movie);
    } else {
        delete movie;
    }

    m_file->setText(fileName);
    m_fromTo->setText(m_language.GetFormLabel(QStringLiteral("LBL_From")) + QLatin1Char('\'') + from +
                      QLatin1Char('\'') + m_language.GetFormLabel(QStringLiteral("LBL_To")) + QLatin1Char('\'') + to +
                      QLatin1Char('\''));
    m_anim->setValue(m_anim->minimum() + 1);
    // A total below 1 would give an empty range; the bar then still reads one file of one.
    m_total->setRange(0, std::max(totalFile, 1));
    m_total->setValue(m_total->minimum() + 1);
    showTotal();
    m_timer1->stop();
    if (m_movie) {
        // A clip whose frames turn out unreadable gives way to the drawn animation.
        connect(m_movie, &QMovie::error, this, &frmAnimCopie::dropClip);
        m_anmAVI->stopDrawn();
        m_movie->start();
    } else {
        m_anmAVI->startDrawn();
    }
}

void frmAnimCopie::dropClip()
{
    if (!m_movie)
        return;
    m_movie->stop();
    m_anmAVI->setMovie(nullptr);
    m_movie->deleteLater(); // it is the sender
    m_movie = nullptr;
    m_anmAVI->startDrawn();
}

void frmAnimCopie::NewFile(const QString& fileName)
{
    // The caller announces at most TotalFile - 1 further files; the bar never passes its maximum.
    m_total->setValue(std::min(m_total->value() + 1, m_total->maximum()));
    showTotal();
    m_file->setText(fileName);
    m_anim->setValue(m_anim->minimum() + 1);
}

void frmAnimCopie::LaunchTimer()
{
    m_timer1->start();
    Running = true;
}

void frmAnimCopie::essai()
{
    m_file->setText(QStringLiteral("coucou"));
}

void frmAnimCopie::showTotal()
{
    m_totalLabel->setText(m_language.GetFormLabel(QStringLiteral("LBL_TotalFile")) + QString::number(m_total->value()) +
                          QLatin1Char('/') + QString::number(m_total->maximum()));
}

void frmAnimCopie::Timer1_Timer()
{
    const int next = std::min(m_anim->value() + 1, m_anim->maximum());
    m_anim->setValue(next);
    // At or past the end, so the caller's wait always finishes.
    if (next >= m_anim->maximum()) {
        m_timer1->stop();
        Running = false;
    }
}

void frmAnimCopie::BTN_Cancel_Click()
{
    if (!m_confirmCancel) {
        Canceled = true;
        return;
    }
    const MessageAnswer answer = m_notifier.message(m_language.GetFormLabel(QStringLiteral("MSG_CancelConfirm")),
                                                    windowTitle(), MessageIcon::Question, MessageButtons::YesNo, this);
    if (answer == MessageAnswer::Yes)
        Canceled = true;
}

void frmAnimCopie::closeEvent(QCloseEvent* event)
{
    if (m_movie)
        m_movie->stop();
    m_anmAVI->stopDrawn();
    QWidget::closeEvent(event);
}

} // namespace jvz
