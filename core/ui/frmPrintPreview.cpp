#include "core/ui/frmPrintPreview.h"

#include "core/ui/GetAllFormLabel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>

namespace jvz {

frmPrintPreview::frmPrintPreview(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPrintPreview"));
    setWindowTitle(QStringLiteral("Print preview"));
    auto* layout = new QVBoxLayout(this);
    m_scroll = new QScrollArea(this);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_picture = new QLabel(m_scroll);
    m_picture->setObjectName(QStringLiteral("Picture1"));
    m_picture->setProperty("index", 0);
    m_scroll->setWidget(m_picture);
    layout->addWidget(m_scroll, 1);

    auto* bar = new QHBoxLayout;
    m_previous = new QPushButton(QStringLiteral("Previous"), this);
    m_previous->setObjectName(QStringLiteral("CmdPrevious"));
    m_next = new QPushButton(QStringLiteral("Next"), this);
    m_next->setObjectName(QStringLiteral("CmdNext"));
    m_lblPage = new QLabel(this);
    m_lblPage->setObjectName(QStringLiteral("LblPageNumber"));
    m_close = new QPushButton(QStringLiteral("Close"), this);
    m_close->setObjectName(QStringLiteral("CmdClose"));
    bar->addWidget(m_previous);
    bar->addWidget(m_lblPage);
    bar->addWidget(m_next);
    bar->addStretch(1);
    bar->addWidget(m_close);
    layout->addLayout(bar);

    connect(m_previous, &QPushButton::clicked, this, [this] { showPage(m_page - 1); });
    connect(m_next, &QPushButton::clicked, this, [this] { showPage(m_page + 1); });
    connect(m_close, &QPushButton::clicked, this, &QDialog::close);
    m_surface.finished = [this] { showPage(0); };
    resize(720, 900);
    showPage(0);
}

void frmPrintPreview::InitLanguage(const MBLanguages& language)
{
    m_language.Copy(language);
    GetAllFormLabel(m_language, *this, KindAll, true);
    showPage(m_page);
}

void frmPrintPreview::showPage(int index)
{
    const int count = pageCount();
    m_page = count == 0 ? 0 : std::clamp(index, 0, count - 1);
    if (count > 0) {
        m_picture->setPixmap(QPixmap::fromImage(m_surface.pages().at(m_page)));
        m_picture->adjustSize();
    } else {
        m_picture->clear();
    }
    QString format = m_language.GetFormLabel(QStringLiteral("LBL_PageOf"));
    if (format.isEmpty())
        format = QStringLiteral("%1 / %2");
    m_lblPage->setText(format.arg(count == 0 ? 0 : m_page + 1).arg(count));
    m_previous->setEnabled(m_page > 0);
    m_next->setEnabled(m_page + 1 < count);
}

} // namespace jvz
