#include "terminal_files/ui/FrmReadTextFile.h"

#include "core/Cp1252.h"
#include "core/MbFilename.h"
#include "core/MbWorkFile.h"
#include "core/ui/GetAllFormLabel.h"
#include "platform/FileWriter.h"
#include "platform/Notifier.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QVBoxLayout>

namespace jvz {

namespace {

constexpr int kTwipsPerPixel = 15;
constexpr QChar kParagraphSeparator(0x2029);

} // namespace

FrmReadTextFile::FrmReadTextFile(Notifier& notifier, QWidget* parent) : QDialog(parent), m_notifier(notifier)
{
    setObjectName(QStringLiteral("FrmReadTextFile"));
    setSizeGripEnabled(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_text1 = new QPlainTextEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSizeF(8.25);
    m_text1->setFont(font);
    layout->addWidget(m_text1);
    connect(m_text1, &QPlainTextEdit::textChanged, this, &FrmReadTextFile::Text1_Change);
    m_ask = [this](const QString& text, const QString& title) {
        return QMessageBox::question(this, title, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    };
}

void FrmReadTextFile::InitLanguage(const MBLanguages& language)
{
    m_language.Copy(language);
    GetAllFormLabel(m_language, *this, KindAll, true);
}

int16_t FrmReadTextFile::init(const QString& folder, const QString& fileName, const MBLanguages& language,
                              int heightTwips, int widthTwips, const QString& displayPath, bool writable)
{
    InitLanguage(language);
    if (!displayPath.isEmpty()) {
        const MbFilename shown(displayPath);
        m_baseCaption = shown.Name() + QLatin1Char('.') + shown.Extension();
    } else {
        m_baseCaption = fileName;
    }
    setWindowTitle(m_baseCaption);
    m_folder = folder;
    m_fileName = fileName;
    m_loaded = false;
    m_loadedText.clear();
    m_fileSaved = false;
    m_text1->clear();

    MbWorkFile reader(&m_notifier);
    if (const int16_t error = reader.OpenFile(fullPath()))
        return error;
    QString loaded;
    // Every line, the last included, ends with a line break; NUL bytes stay in the text.
    if (const int16_t error = reader.ReadEveryLine([&loaded](const QString& line) {
            loaded += line;
            loaded += QLatin1Char('\n');
        }))
        return error;
    reader.CloseFile();
    m_loadedText = loaded;
    m_text1->setPlainText(loaded);
    m_loaded = true;
    resize(widthTwips / kTwipsPerPixel, heightTwips / kTwipsPerPixel);
    m_text1->setReadOnly(!writable);
    return 0;
}

QString FrmReadTextFile::text() const
{
    // The raw text keeps non-breaking spaces, which the plain-text view would turn into blanks.
    QString raw = m_text1->document()->toRawText();
    raw.replace(kParagraphSeparator, QLatin1Char('\n'));
    return raw;
}

void FrmReadTextFile::Text1_Change()
{
    if (!m_loaded)
        return;
    setWindowTitle(text() == m_loadedText ? m_baseCaption : QStringLiteral("* ") + m_baseCaption);
}

void FrmReadTextFile::reject()
{
    if (Form_QueryUnload())
        QDialog::reject();
}

bool FrmReadTextFile::Form_QueryUnload()
{
    m_fileSaved = false;
    if (!windowTitle().startsWith(QLatin1Char('*')))
        return true;
    const QString question = m_language.GetFormLabel(QStringLiteral("MSG_SaveChanges")) + QLatin1Char('"') +
                             fullPath() + QStringLiteral(" ?\"");
    switch (m_ask(question, m_language.GetGeneralLabel(QStringLiteral("ToolTitle")))) {
    case QMessageBox::Yes:
        return save();
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

// A save that cannot be made keeps the window open with the edits, so nothing typed is lost.
bool FrmReadTextFile::save()
{
    const QString path = fullPath();
    const QFileInfo info(path);
    // Root may write anything, so the owner's write bit is read, not tried.
    if (info.exists() && !(info.permissions() & QFileDevice::WriteOwner)) {
        m_notifier.message(QLatin1Char('"') + path + QStringLiteral("\" ") +
                               m_language.GetFormLabel(QStringLiteral("MSG_FileReadOnly")),
                           QString(), MessageIcon::Exclamation, MessageButtons::Ok, this);
        return false;
    }
    QString content = text();
    content.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    FileWriter& writer = m_writer ? *m_writer : AtomicFileWriter::standard();
    FileWriteError error;
    if (!writer.writeAll(path, Cp1252::encode(content), &error)) {
        m_notifier.message(path + QStringLiteral(" : ") + m_language.GetFormLabel(QStringLiteral("MSG_FileNotSaved")) +
                               QStringLiteral("\r\n") + error.text,
                           QString(), MessageIcon::Exclamation, MessageButtons::Ok, this);
        return false;
    }
    m_fileSaved = true;
    m_loadedText = text();
    return true;
}

} // namespace jvz
