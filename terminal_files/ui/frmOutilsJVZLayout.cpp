// The controls of the configuration window, built from the record's member table.
#include "terminal_files/ui/frmOutilsJVZ.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace jvz {

namespace {

QLabel* namedLabel(const char* name, int index, const QString& caption, QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    if (index >= 0)
        label->setProperty("index", index);
    return label;
}

// Longest text each box takes when typed.
int maxLengthOf(int textBox)
{
    switch (textBox) {
    case 0:
    case 1:
    case 3:
    case 4:
    case 5:
    case 6:
        return 8;
    case 2:
        return 3;
    case 15:
        return 12;
    default:
        return 4;
    }
}

// A caption above its check box.
QWidget* bitCell(const ConfigBit& bit, QWidget* parent, std::array<QCheckBox*, kCheckBoxCount>& checks)
{
    auto* cell = new QWidget(parent);
    auto* layout = new QVBoxLayout(cell);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(1);
    QLabel* caption = namedLabel("Label1", bit.label, QString::fromLatin1(bit.caption), cell);
    caption->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    auto* check = new QCheckBox(cell);
    check->setObjectName(QStringLiteral("Check1"));
    check->setProperty("index", bit.check);
    layout->addWidget(caption);
    layout->addWidget(check, 0, Qt::AlignHCenter);
    checks[size_t(bit.check)] = check;
    return cell;
}

// A framed sub-group of bits with a title label (the product-type and radio-type codes).
QFrame* codeFrame(const char* name, int index, const char* titleName, const char* title, QWidget* parent)
{
    auto* frame = new QFrame(parent);
    frame->setObjectName(QLatin1String(name));
    if (index >= 0)
        frame->setProperty("index", index);
    frame->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QGridLayout(frame);
    layout->setContentsMargins(3, 2, 3, 2);
    layout->addWidget(namedLabel(titleName, -1, QString::fromLatin1(title), frame), 0, 0, 1, -1, Qt::AlignHCenter);
    return frame;
}

QTableWidget* legendGrid(int index, int columns, int rows, const QList<int>& widthsPx, QWidget* parent)
{
    auto* grid = new QTableWidget(rows, columns, parent);
    grid->setObjectName(QStringLiteral("MSHFlexGrid1"));
    grid->setProperty("index", index);
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::NoSelection);
    grid->setFocusPolicy(Qt::NoFocus);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    constexpr int kRowPx = 18;
    int width = 2;
    for (int c = 0; c < columns; ++c) {
        grid->setColumnWidth(c, widthsPx.value(c, widthsPx.last()));
        width += grid->columnWidth(c);
    }
    for (int r = 0; r < rows; ++r)
        grid->setRowHeight(r, kRowPx);
    grid->setFixedSize(width, rows * kRowPx + 2);
    return grid;
}

} // namespace

void frmOutilsJVZ::buildControls()
{
    auto* outer = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    outer->addLayout(left, 1);
    outer->addLayout(right);

    // A member's label above its box.
    auto addBox = [this](QGridLayout* grid, int column, const ConfigMember& m, QWidget* parent) {
        QLabel* label = namedLabel(m.labelName, m.labelIndex, QString::fromLatin1(m.caption), parent);
        auto* box = new QLineEdit(parent);
        box->setObjectName(QStringLiteral("Text1"));
        box->setProperty("index", m.textBox);
        box->setMaxLength(maxLengthOf(m.textBox));
        box->setProperty("designMaxLength", maxLengthOf(m.textBox));
        grid->addWidget(label, 0, column);
        grid->addWidget(box, 1, column);
        m_text[size_t(m.textBox)] = box;
        m_textLabel[size_t(m.textBox)] = label;
        return box;
    };

    auto* identity = new QGridLayout;
    const char* identityRow[] = {"ProductId",       "SerialNumber",      "ProductCode",
                                 "ConstructorCode", "ManufacturingDate", "ProductReference"};
    for (int c = 0; c < 6; ++c)
        addBox(identity, c, terminalConfigMember(identityRow[c]), this);
    left->addLayout(identity);

    auto* sizes = new QGridLayout;
    const char* sizesRow[] = {"RamSize",        "FlashSize",     "GlimmoxVersion",
                              "VorbaneVersion", "PersoHardware", "PersoSoftware"};
    int column = 0;
    for (const char* name : sizesRow) {
        const ConfigMember& m = terminalConfigMember(name);
        addBox(sizes, column++, m, this);
        if (m.encoding == ConfigEncoding::Size32) {
            const char* unitName = m.textBox == 5 ? "Label2" : "Label3";
            sizes->addWidget(namedLabel(unitName, -1, QStringLiteral("Mo"), this), 1, column++);
        }
    }
    left->addLayout(sizes);

    auto bitFrame = [](const ConfigMember& m, QWidget* parent) {
        auto* frame = new QGroupBox(QString::fromLatin1(m.caption), parent);
        frame->setObjectName(QLatin1String(m.labelName));
        if (m.labelIndex >= 0)
            frame->setProperty("index", m.labelIndex);
        return frame;
    };

    // General and reader options: two rows of eight bits each; the reader's b12-b15 form the product type.
    auto* general = bitFrame(terminalConfigMember("GeneralOptions"), this);
    auto* generalGrid = new QGridLayout(general);
    const auto generalBits = terminalConfigMember("GeneralOptions").bits;
    for (int b = 0; b < 16; ++b)
        generalGrid->addWidget(bitCell(generalBits[size_t(b)], general, m_check), b / 8, b % 8);
    left->addWidget(general);

    auto* reader = bitFrame(terminalConfigMember("ReaderOptions"), this);
    auto* readerGrid = new QGridLayout(reader);
    const auto readerBits = terminalConfigMember("ReaderOptions").bits;
    for (int b = 0; b < 12; ++b)
        readerGrid->addWidget(bitCell(readerBits[size_t(b)], reader, m_check), b / 8, b % 8);
    QFrame* productType = codeFrame("Frame2", -1, "Label4", "Product Type", reader);
    auto* productGrid = static_cast<QGridLayout*>(productType->layout());
    for (int b = 12; b < 16; ++b)
        productGrid->addWidget(bitCell(readerBits[size_t(b)], productType, m_check), 1, b - 12);
    readerGrid->addWidget(productType, 1, 4, 1, 4);
    left->addWidget(reader);

    // Modem options with the country code under its last caption, beside the display options.
    auto* modemDisplay = new QHBoxLayout;
    auto* modem = bitFrame(terminalConfigMember("ModemOptions"), this);
    auto* modemGrid = new QGridLayout(modem);
    const auto modemBits = terminalConfigMember("ModemOptions").bits;
    for (int b = 0; b < 8; ++b)
        modemGrid->addWidget(bitCell(modemBits[size_t(b)], modem, m_check), 0, b);
    auto* country = new QGridLayout;
    addBox(country, 0, terminalConfigMember("CountryCode"), modem);
    modemGrid->addLayout(country, 1, 6, 1, 2);
    modemDisplay->addWidget(modem);
    auto* display = bitFrame(terminalConfigMember("DisplayOptions"), this);
    auto* displayGrid = new QGridLayout(display);
    const auto displayBits = terminalConfigMember("DisplayOptions").bits;
    for (int b = 0; b < 8; ++b)
        displayGrid->addWidget(bitCell(displayBits[size_t(b)], display, m_check), b / 4, b % 4);
    modemDisplay->addWidget(display);
    left->addLayout(modemDisplay);

    // Extension and news-type options beside the TID zone, the interface version below them.
    auto* lower = new QHBoxLayout;
    auto* extensionColumn = new QVBoxLayout;
    auto* extension = bitFrame(terminalConfigMember("ExtensionOptions"), this);
    auto* extensionGrid = new QGridLayout(extension);
    const auto extensionBits = terminalConfigMember("ExtensionOptions").bits;
    QFrame* radioType = codeFrame("Frame1", 5, "LblRadio", "Radio Type", extension);
    auto* radioGrid = static_cast<QGridLayout*>(radioType->layout());
    for (int b = 1; b <= 3; ++b)
        radioGrid->addWidget(bitCell(extensionBits[size_t(b)], radioType, m_check), 1, b - 1);
    extensionGrid->addWidget(bitCell(extensionBits[0], extension, m_check), 0, 0);
    extensionGrid->addWidget(radioType, 0, 1, 1, 3);
    for (int b = 4; b < 8; ++b)
        extensionGrid->addWidget(bitCell(extensionBits[size_t(b)], extension, m_check), 0, b);
    extensionColumn->addWidget(extension);
    auto* news = bitFrame(terminalConfigMember("NewsTypeOptions"), this);
    auto* newsGrid = new QGridLayout(news);
    const auto newsBits = terminalConfigMember("NewsTypeOptions").bits;
    for (int b = 0; b < 8; ++b)
        newsGrid->addWidget(bitCell(newsBits[size_t(b)], news, m_check), 0, b);
    extensionColumn->addWidget(news);
    lower->addLayout(extensionColumn);

    auto* tidColumn = new QVBoxLayout;
    const ConfigMember& tid = terminalConfigMember("TidZone");
    auto* tidFrame = new QGroupBox(QString::fromLatin1(tid.caption), this);
    tidFrame->setObjectName(QLatin1String(tid.labelName));
    auto* tidGrid = new QGridLayout(tidFrame);
    const auto tidBoxes = tidZoneBoxes();
    for (int k = 0; k < kTidZoneBoxCount; ++k) {
        const TidZoneBox& b = tidBoxes[size_t(k)];
        QLabel* label = namedLabel("Label1", b.label, QStringLiteral("TZ%1").arg(k + 1), tidFrame);
        label->setAlignment(Qt::AlignHCenter);
        auto* box = new QLineEdit(tidFrame);
        box->setObjectName(QStringLiteral("Text1"));
        box->setProperty("index", b.textBox);
        box->setMaxLength(maxLengthOf(b.textBox));
        box->setProperty("designMaxLength", maxLengthOf(b.textBox));
        box->setFixedWidth(34);
        const int row = (k / 10) * 2;
        tidGrid->addWidget(label, row, k % 10);
        tidGrid->addWidget(box, row + 1, k % 10);
        m_text[size_t(b.textBox)] = box;
        m_textLabel[size_t(b.textBox)] = label;
    }
    tidColumn->addWidget(tidFrame);
    auto* version = new QGridLayout;
    addBox(version, 0, terminalConfigMember("InterfaceVersion"), this);
    version->setColumnStretch(1, 1);
    tidColumn->addLayout(version);
    tidColumn->addStretch(1);
    lower->addLayout(tidColumn);
    left->addLayout(lower);
    left->addStretch(1);

    // The legends in a column on the right, the buttons at the bottom right.
    right->addWidget(namedLabel("LblProdTyp", -1, QStringLiteral("Product type"), this));
    m_grid[0] = legendGrid(0, 5, 10, {130, 34}, this);
    right->addWidget(m_grid[0]);
    right->addWidget(namedLabel("lblRadTyp", -1, QStringLiteral("Radio type"), this));
    m_grid[1] = legendGrid(1, 4, 5, {80, 34}, this);
    right->addWidget(m_grid[1]);
    right->addWidget(namedLabel("Label5", -1, QStringLiteral("TLV TAG"), this));
    m_grid[2] = legendGrid(2, 2, 7, {27, 90}, this);
    right->addWidget(m_grid[2]);
    right->addStretch(1);
    auto* buttons = new QHBoxLayout;
    m_cmdSave = new QPushButton(QStringLiteral("Sauver"), this);
    m_cmdSave->setObjectName(QStringLiteral("CmdSave"));
    m_cmdQuit = new QPushButton(QStringLiteral("Quit"), this);
    m_cmdQuit->setObjectName(QStringLiteral("CmdQuit"));
    buttons->addWidget(m_cmdSave);
    buttons->addWidget(m_cmdQuit);
    right->addLayout(buttons);
}

} // namespace jvz
