#pragma once

#include "core/MBLanguages.h"

#include <QDialog>
#include <QMessageBox>
#include <QString>
#include <cstdint>
#include <functional>

class QPlainTextEdit;

namespace jvz {

class FileWriter;
class Notifier;

// Shows one text file and, when the caller allows it, lets the user edit it and save it back (Windows-1252,
// CR LF line ends, written through a temporary file). One instance, shown modal by its callers.
class FrmReadTextFile : public QDialog {
    Q_OBJECT
public:
    // Asked when a changed text is closed: Yes saves, No drops the changes, Cancel keeps the window open.
    using SaveQuestion = std::function<QMessageBox::StandardButton(const QString& text, const QString& title)>;

    explicit FrmReadTextFile(Notifier& notifier, QWidget* parent = nullptr);

    // Loads folder + fileName (folder ends with "/"); height and width are the outer size in twips. The caption
    // names displayPath's file when it is given. Returns 0 when the whole file was loaded, else the reader's
    // error number (the reader has reported it); the caller shows the window only on 0.
    int16_t init(const QString& folder, const QString& fileName, const MBLanguages& language, int heightTwips,
                 int widthTwips, const QString& displayPath, bool writable);
    void InitLanguage(const MBLanguages& language);

    // True when the last close saved the file.
    bool FileSaved() const { return m_fileSaved; }
    // The text as a save would write it, line ends still "\n".
    QString text() const;

    void setFileWriter(FileWriter* writer) { m_writer = writer; }
    void setSaveQuestion(SaveQuestion ask) { m_ask = std::move(ask); }

public slots:
    // The close box and Escape come here: a changed text is asked about first.
    void reject() override;

private:
    void Text1_Change();
    // False when the window must stay open.
    bool Form_QueryUnload();
    bool save();
    QString fullPath() const { return m_folder + m_fileName; }

    Notifier& m_notifier;
    FileWriter* m_writer = nullptr;
    SaveQuestion m_ask;
    MBLanguages m_language;
    QPlainTextEdit* m_text1 = nullptr;
    QString m_folder;
    QString m_fileName;
    QString m_baseCaption;
    QString m_loadedText;
    bool m_loaded = false;
    bool m_fileSaved = false;
};

} // namespace jvz
