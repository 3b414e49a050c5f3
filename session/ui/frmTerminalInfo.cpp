#include "session/ui/frmTerminalInfo.h"

#include "core/TerminalSession.h"
#include "core/ui/GetAllFormLabel.h"

#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <cmath>

namespace jvz {

namespace {

// The layout is designed in twips; the screen has 15 twips to a pixel.
int px(int twips)
{
    return static_cast<int>(std::lround(twips / 15.0));
}

constexpr int kClientWidth = 4965;
constexpr int kClientHeight = 4680;
constexpr int kTabTop = 150;
constexpr int kTabMargin = 130; // the tab control is this much narrower than the window
constexpr int kRowTop = 960;
constexpr int kRowHeight = 285;
constexpr int kRowGap = 200;
constexpr int kLabelLeft = 240;
constexpr int kLabelWidth = 1935;
constexpr int kTextLeft = 2280;
constexpr int kTextWidth = 1335;
constexpr int kTabBottomMargin = 300;
constexpr int kWindowBottomMargin = 550;

const char* const kTabDesignCaptions[frmTerminalInfo::kTabCount] = {"Information", "General", "Readers",
                                                                    "Modem",       "Display", "Extensions"};

int rowTop(int row)
{
    return kRowTop + (row - 1) * (kRowHeight + kRowGap);
}

} // namespace

frmTerminalInfo::frmTerminalInfo(TerminalInfoFields& fields, QWidget* parent) : QDialog(parent), m_fields(fields)
{
    setObjectName(QStringLiteral("frmTerminalInfo"));
    setWindowTitle(QStringLiteral("Terminal Information"));
    resize(px(kClientWidth), px(kClientHeight));

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("SSTab1"));
    for (const char* caption : kTabDesignCaptions) {
        auto* page = new QWidget(m_tabs);
        m_tabs->addTab(page, QString::fromLatin1(caption));
    }

    QWidget* info = m_tabs->widget(0);
    auto* label = new QLabel(QStringLiteral("Label1"), info);
    label->setObjectName(QStringLiteral("Label1"));
    label->setProperty("index", 1);
    label->setGeometry(px(kLabelLeft), px(rowTop(1)), px(kLabelWidth), px(kRowHeight));
    auto* text = new QLineEdit(info);
    text->setObjectName(QStringLiteral("Text1"));
    text->setProperty("index", 1);
    text->setReadOnly(true);
    text->setGeometry(px(kTextLeft), px(rowTop(1)), px(kTextWidth), px(kRowHeight));
    m_labels = {label};
    m_texts = {text};
    m_tabs->setGeometry(0, px(kTabTop), px(kClientWidth - kTabMargin), px(kClientHeight - kTabTop));
}

void frmTerminalInfo::init(const MBLanguages& language)
{
    InitLanguage(language);
    InitTabs();
    ShowInformationTab();
    m_tabs->setCurrentIndex(0);
}

void frmTerminalInfo::InitLanguage(const MBLanguages& language)
{
    m_language.Copy(language);
    GetAllFormLabel(m_language, *this, KindAll, true);
}

void frmTerminalInfo::InitTabs()
{
    for (int n = 0; n < kTabCount; ++n) {
        m_tabs->setTabText(n, m_language.GetFormLabel(QStringLiteral("SSTab") + QString::number(n)));
        // Only the information tab has anything to show.
        if (n > 0)
            m_tabs->setTabEnabled(n, false);
    }
}

void frmTerminalInfo::ShowInformationTab()
{
    m_tabs->setCurrentIndex(0);
    QWidget* info = m_tabs->widget(0);

    // A second init rebuilds the rows instead of adding more.
    while (m_labels.size() > 1)
        delete m_labels.takeLast();
    while (m_texts.size() > 1)
        delete m_texts.takeLast();

    for (int i = 2; i <= kRowCount; ++i) {
        auto* label = new QLabel(QStringLiteral("Label%1").arg(i), info);
        label->setObjectName(QStringLiteral("Label1"));
        label->setProperty("index", i);
        label->setGeometry(px(kLabelLeft), px(rowTop(i)), px(kLabelWidth), px(kRowHeight));
        label->setVisible(true);
        m_labels.append(label);

        auto* text = new QLineEdit(QStringLiteral("Text%1").arg(i), info);
        text->setObjectName(QStringLiteral("Text1"));
        text->setProperty("index", i);
        text->setReadOnly(true);
        text->setGeometry(px(kTextLeft), px(rowTop(i)), px(kTextWidth), px(kRowHeight));
        text->setVisible(true);
        m_texts.append(text);
    }

    const int tabHeight = rowTop(kRowCount) + kRowHeight + kTabBottomMargin;
    const int windowHeight = tabHeight + kWindowBottomMargin;
    // The tab control lies wholly inside the window, a little below its top.
    m_tabs->setGeometry(0, px(kTabTop), px(width() * 15 - kTabMargin), px(tabHeight));
    resize(width(), px(windowHeight));

    for (int i = 2; i <= kRowCount; ++i)
        m_labels[i - 1]->setText(m_language.GetFormLabel(QStringLiteral("Label1") + QString::number(i)));

    const QString values[kRowCount] = {m_fields.constructorCode(), m_fields.ProductCodeTerminal(),
                                       m_fields.bootVersion(),     m_fields.protocolVersion(),
                                       m_fields.contractNumber(),  m_fields.terminalNumber()};
    for (int i = 0; i < kRowCount; ++i)
        m_texts[i]->setText(values[i]);
}

void frmTerminalInfo::SetConstructorCode(const QString& value)
{
    m_fields.SetConstructorCode(value);
}

QString frmTerminalInfo::ProductCodeTerminal() const
{
    return m_fields.ProductCodeTerminal();
}

void frmTerminalInfo::SetProductCode(const QString& value)
{
    m_fields.SetProductCode(value);
}

void frmTerminalInfo::SetBootVersion(const QString& value)
{
    m_fields.SetBootVersion(value);
}

void frmTerminalInfo::SetProtocolVersion(const QString& value)
{
    m_fields.SetProtocolVersion(value);
}

void frmTerminalInfo::SetContractNumber(const QString& value)
{
    m_fields.SetContractNumber(value);
}

void frmTerminalInfo::SetTerminalNumber(const QString& value)
{
    m_fields.SetTerminalNumber(value);
}

void frmTerminalInfo::SetRamSize(const QString& value)
{
    m_fields.SetRamSize(value);
}

void frmTerminalInfo::SetFlashSize(const QString& value)
{
    m_fields.SetFlashSize(value);
}

} // namespace jvz
