#include "workspace/ui/frmAbout.h"

#include "core/ui/GetAllFormLabel.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace jvz {

namespace {

QLabel* namedLabel(QWidget* parent, const char* name, const QString& text = QString())
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

frmAbout::frmAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setModal(true);
    m_picIcon = namedLabel(this, "picIcon");
    m_picIcon->setFixedSize(48, 48);
    m_picIcon->setAlignment(Qt::AlignCenter);
    m_picture1 = namedLabel(this, "Picture1");
    m_picture1->setFrameShape(QFrame::HLine);
    m_picture1->setFrameShadow(QFrame::Sunken);
    m_lblTitle = namedLabel(this, "lblTitle");
    QFont bold = m_lblTitle->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    m_lblTitle->setFont(bold);
    m_lblVersion = namedLabel(this, "lblVersion", QStringLiteral("Version "));
    m_lblDescription = namedLabel(this, "LblDescription");
    m_lblDescription->setWordWrap(true);
    m_lblOrganisation = namedLabel(this, "LblOrganisation");
    m_lblCopyright = namedLabel(this, "lblCopyright");
    m_cmdOK = new QPushButton(QStringLiteral("OK"), this);
    m_cmdOK->setObjectName(QStringLiteral("CmdOK"));
    m_cmdOK->setDefault(true);
    connect(m_cmdOK, &QPushButton::clicked, this, &frmAbout::CmdOK_Click);

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_picIcon, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(m_lblTitle, 0, 1);
    grid->addWidget(m_lblVersion, 1, 1);
    grid->addWidget(m_lblDescription, 2, 1);
    grid->addWidget(m_picture1, 3, 0, 1, 2);
    grid->addWidget(m_lblOrganisation, 4, 1);
    grid->addWidget(m_lblCopyright, 5, 1);
    grid->addWidget(m_cmdOK, 6, 1, Qt::AlignRight);
    grid->setColumnMinimumWidth(1, 280);
    setSizeGripEnabled(false);
}

void frmAbout::init(const MBLanguages& language, const QIcon& icon, const VersionInfo& info)
{
    m_language.Copy(language);
    m_info = info;
    m_lblVersion->setText(QStringLiteral("Version "));
    GetAllFormLabel(m_language, *this);
    m_versionCaption = m_lblVersion->text();
    FillAboutCaptions(icon);
}

void frmAbout::Init2(const QIcon& icon)
{
    FillAboutCaptions(icon);
}

// The version label starts from its caption each time, so filling again never repeats the numbers.
void frmAbout::FillAboutCaptions(const QIcon& icon)
{
    setWindowTitle(m_info.legalTrademarks + QStringLiteral(" V") + QString::number(m_info.major) + QLatin1Char('.') +
                   QString::number(m_info.minor));
    m_lblVersion->setText(m_versionCaption + QString::number(m_info.major) + QLatin1Char('.') +
                          QString::number(m_info.minor) + QLatin1Char('.') + QString::number(m_info.revision));
    m_lblTitle->setText(m_info.productName + QStringLiteral(" (") + m_info.title + QLatin1Char(')'));
    m_lblDescription->setText(m_info.fileDescription);
    m_lblOrganisation->setText(m_info.companyName);
    m_lblCopyright->setText(m_info.legalCopyright);
    if (!icon.isNull()) {
        m_picIcon->setPixmap(icon.pixmap(48, 48));
        setWindowIcon(icon);
    }
    m_picIcon->setAccessibleName(m_language.GetFormLabel(QStringLiteral("ToolTipTextpicIcon")));
}

void frmAbout::CmdOK_Click()
{
    accept();
}

} // namespace jvz
