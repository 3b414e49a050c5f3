#include "terminal_files/ui/frmOutilsJVZ.h"

#include "core/AppSettings.h"
#include "core/ui/GetAllFormLabel.h"
#include "platform/FileWriter.h"
#include "platform/Notifier.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <algorithm>

namespace jvz {

namespace {

// Product-type codes (b12, b13, b14, b15) of the legend's nine rows.
constexpr int kProductTypeBits[9][4] = {{0, 1, 0, 0}, {1, 1, 0, 0}, {0, 0, 1, 0}, {1, 0, 1, 0}, {0, 1, 1, 0},
                                        {1, 1, 1, 0}, {1, 0, 0, 0}, {1, 0, 1, 1}, {1, 0, 0, 1}};
const char* const kRadioTypes[4] = {"GPRS", "Bluetooth", "WiFi", "CDMA"};
constexpr int kRadioTypeBits[4][3] = {{0, 0, 0}, {0, 0, 1}, {0, 1, 0}, {0, 1, 1}};
const char* const kTlvTags[6][2] = {{"01", "CLESS"},   {"02", "GPRS"},   {"03", "BLUETOOTH"},
                                    {"04", "DISPLAY"}, {"05", "nb USB"}, {"06", "ruf"}};

void setCell(QTableWidget* grid, int row, int column, const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(column == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
    if (row == 0 || column == 0)
        item->setBackground(grid->palette().button());
    grid->setItem(row, column, item);
}

QString key(const char* k)
{
    return QString::fromLatin1(k);
}

} // namespace

QString chooseSaveFileWithDialog(QWidget* owner, const SaveAsRequest& request)
{
    QFileDialog dialog(owner, request.title, QString(), request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

frmOutilsJVZ::frmOutilsJVZ(const AppSettings& settings, Notifier& notifier, FileWriter& writer, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_notifier(notifier), m_writer(writer)
{
    setObjectName(QStringLiteral("frmOutilsJVZ"));
    setWindowTitle(QStringLiteral("Terminal configuration"));
    buildControls();
    connect(m_cmdSave, &QPushButton::clicked, this, &frmOutilsJVZ::CmdSave_Click);
    connect(m_cmdQuit, &QPushButton::clicked, this, &frmOutilsJVZ::CmdQuit_Click);
    m_cmdSave->setAutoDefault(false);
    m_cmdQuit->setAutoDefault(false);
}

bool frmOutilsJVZ::Init_JVZ_Tool(const MBLanguages& language, const QString& path)
{
    InitLanguage(language);
    applyEditMode();
    fillLegends();
    return ReadConfigFile(path);
}

void frmOutilsJVZ::InitLanguage(const MBLanguages& language)
{
    m_language.Copy(language);
    GetAllFormLabel(m_language, *this, KindAll, true);
}

// Outside expert mode the values can be read, not changed; each opening sets this afresh.
void frmOutilsJVZ::applyEditMode()
{
    const bool expert = m_settings.gAuthUser;
    m_cmdSave->setVisible(expert);
    for (QLineEdit* box : m_text) {
        if (box)
            box->setEnabled(expert);
    }
    for (QCheckBox* box : m_check) {
        if (box)
            box->setEnabled(expert);
    }
}

void frmOutilsJVZ::fillLegends()
{
    QTableWidget* product = m_grid[0];
    product->clearContents();
    setCell(product, 0, 0, QString());
    for (int c = 1; c <= 4; ++c)
        setCell(product, 0, c, QStringLiteral("b%1").arg(11 + c));
    for (int r = 1; r <= 9; ++r) {
        setCell(product, r, 0, m_language.GetFormLabel(QStringLiteral("Model%1").arg(r)));
        for (int c = 1; c <= 4; ++c)
            setCell(product, r, c, QString::number(kProductTypeBits[r - 1][c - 1]));
    }

    QTableWidget* radio = m_grid[1];
    radio->clearContents();
    setCell(radio, 0, 0, QString());
    for (int c = 1; c <= 3; ++c)
        setCell(radio, 0, c, QStringLiteral("b%1").arg(c));
    for (int r = 1; r <= 4; ++r) {
        setCell(radio, r, 0, QString::fromLatin1(kRadioTypes[r - 1]));
        for (int c = 1; c <= 3; ++c)
            setCell(radio, r, c, QString::number(kRadioTypeBits[r - 1][c - 1]));
    }

    QTableWidget* tlv = m_grid[2];
    tlv->clearContents();
    setCell(tlv, 0, 0, QString());
    setCell(tlv, 0, 1, QStringLiteral("Tag"));
    for (int r = 1; r <= 6; ++r) {
        setCell(tlv, r, 0, QString::fromLatin1(kTlvTags[r - 1][0]));
        setCell(tlv, r, 1, QString::fromLatin1(kTlvTags[r - 1][1]));
    }
}

bool frmOutilsJVZ::ReadConfigFile(const QString& path)
{
    const ConfigReadResult read = readTerminalConfigFile(path);
    if (read.status != ConfigReadStatus::Ok) {
        // Nothing may look as if it had been read.
        clearValues();
        m_loaded.clear();
        m_cmdSave->setEnabled(false);
        report(path + QStringLiteral(" : ") +
               m_language.GetFormLabel(
                   key(read.status == ConfigReadStatus::TooShort ? "MSG_ConfigTooShort" : "MSG_ConfigUnreadable")));
        return false;
    }
    m_loaded = read.record;
    setForm(decodeTerminalConfig(read.record));
    m_cmdSave->setEnabled(true);
    return true;
}

void frmOutilsJVZ::CmdSave_Click()
{
    // Every box is checked before anything is asked or opened.
    const ConfigEncodeResult encoded = encodeTerminalConfig(form(), QLocale(), m_loaded);
    if (encoded.problem != ConfigEncodeProblem::None) {
        const char* reason = "MSG_NotHex";
        switch (encoded.problem) {
        case ConfigEncodeProblem::None:
        case ConfigEncodeProblem::NotHex:
            break;
        case ConfigEncodeProblem::NotNumber:
            reason = "MSG_NotNumber";
            break;
        case ConfigEncodeProblem::SizeOutOfRange:
            reason = "MSG_SizeOutOfRange";
            break;
        case ConfigEncodeProblem::NumberOutOfRange:
            reason = "MSG_NumberOutOfRange";
            break;
        case ConfigEncodeProblem::BadTidByte:
            reason = "MSG_BadTidByte";
            break;
        }
        report(boxCaption(encoded.box) + QStringLiteral(" : ") + m_language.GetFormLabel(key(reason)));
        if (QLineEdit* box = textBox(encoded.box))
            box->setFocus();
        return;
    }

    SaveAsRequest request;
    request.title = m_language.GetFormLabel(key("TIT_SaveAs"));
    request.fileName = QStringLiteral("TERMINAL");
    request.filter = m_language.GetFormLabel(key("LBL_ConfigFiles")) + QStringLiteral(" (*.cnf);;") +
                     m_language.GetFormLabel(key("LBL_AllFiles")) + QStringLiteral(" (*.*)");
    request.defaultSuffix = QStringLiteral("cnf");
    const QString path = m_chooseSaveAs ? m_chooseSaveAs(this, request) : QString();
    if (path.isEmpty())
        return;

    const ConfigSaveResult saved = saveTerminalConfigFile(path, encoded.record, m_writer);
    switch (saved.status) {
    case ConfigSaveStatus::Ok:
        return;
    case ConfigSaveStatus::ReadOnly:
        report(path + QStringLiteral(" : ") + m_language.GetFormLabel(key("MSG_FileReadOnly")));
        return;
    case ConfigSaveStatus::CannotReadExisting:
    case ConfigSaveStatus::WriteFailed:
        report(path + QStringLiteral(" : ") + m_language.GetFormLabel(key("MSG_FileNotSaved")) +
               (saved.errorText.isEmpty() ? QString() : QStringLiteral("\n") + saved.errorText));
        return;
    }
}

void frmOutilsJVZ::CmdQuit_Click()
{
    close();
}

TerminalConfigForm frmOutilsJVZ::form() const
{
    TerminalConfigForm f;
    for (int i = 0; i < kTextBoxCount; ++i) {
        if (m_text[size_t(i)])
            f.text[size_t(i)] = m_text[size_t(i)]->text();
    }
    for (int i = 0; i < kCheckBoxCount; ++i)
        f.check[size_t(i)] = m_check[size_t(i)] && m_check[size_t(i)]->isChecked();
    return f;
}

void frmOutilsJVZ::setForm(const TerminalConfigForm& f)
{
    for (int i = 0; i < kTextBoxCount; ++i) {
        QLineEdit* box = m_text[size_t(i)];
        if (!box)
            continue;
        // A box's limit holds for typing; a value read from the file is shown whole.
        const QString& text = f.text[size_t(i)];
        box->setMaxLength(std::max(box->property("designMaxLength").toInt(), int(text.size())));
        box->setText(text);
        box->setCursorPosition(0);
    }
    for (int i = 0; i < kCheckBoxCount; ++i) {
        if (m_check[size_t(i)])
            m_check[size_t(i)]->setChecked(CheckValueOf(f.check[size_t(i)]) == 1);
    }
}

void frmOutilsJVZ::clearValues()
{
    setForm(TerminalConfigForm{});
}

QLineEdit* frmOutilsJVZ::textBox(int index) const
{
    return index >= 0 && index < kTextBoxCount ? m_text[size_t(index)] : nullptr;
}

QCheckBox* frmOutilsJVZ::checkBox(int index) const
{
    return index >= 0 && index < kCheckBoxCount ? m_check[size_t(index)] : nullptr;
}

// The box named as the window shows it.
QString frmOutilsJVZ::boxCaption(int box) const
{
    QLabel* label = box >= 0 && box < kTextBoxCount ? m_textLabel[size_t(box)] : nullptr;
    return label ? label->text().trimmed() : QString();
}

void frmOutilsJVZ::report(const QString& text)
{
    m_notifier.message(text, windowTitle(), MessageIcon::Exclamation, MessageButtons::Ok, this);
}

} // namespace jvz
