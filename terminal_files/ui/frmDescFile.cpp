#include "terminal_files/ui/frmDescFile.h"

#include "core/CaseLookup.h"
#include "core/MbWorkFile.h"
#include "core/PathMapper.h"
#include "core/VbNumber.h"
#include "core/ui/GetAllFormLabel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace jvz {

namespace {

constexpr int kColumnMargin = 10; // pixels kept free beside each half-width column

const char* kindKey(const QString& code)
{
    if (code == QLatin1String("1"))
        return "SoftDescriptor";
    if (code == QLatin1String("2"))
        return "LibDescriptor";
    if (code == QLatin1String("3"))
        return "DriverDescriptor";
    if (code == QLatin1String("4"))
        return "ParamDescriptor";
    return nullptr;
}

// An entry written on Windows: absolute with a drive ("C:\pkg\y.pdf") or relative to the list's folder.
QString entryPath(const QString& folder, const QString& entry)
{
    if (entry.mid(1, 2) == QLatin1String(":\\"))
        return resolvePathAnyCase(mapWindowsPath(entry));
    return resolvePathAnyCase(folder + mapWindowsPath(entry));
}

} // namespace

frmDescFile::frmDescFile(Notifier& notifier, QWidget* parent) : QDialog(parent), m_notifier(notifier)
{
    setObjectName(QStringLiteral("frmDescFile"));
    auto* layout = new QVBoxLayout(this);
    m_lblFileList = new QLabel(this);
    m_lblFileList->setObjectName(QStringLiteral("LBL_FileList"));
    m_list1 = new QListWidget(this);
    m_list1->setObjectName(QStringLiteral("List1"));
    m_lblFileView = new QLabel(this);
    m_lblFileView->setObjectName(QStringLiteral("LBL_FileView"));
    m_listView1 = new QTreeWidget(this);
    m_listView1->setObjectName(QStringLiteral("ListView1"));
    m_listView1->setColumnCount(2);
    m_listView1->setRootIsDecorated(false);
    m_listView1->setSelectionMode(QAbstractItemView::SingleSelection);
    m_btnQuit = new QPushButton(this);
    m_btnQuit->setObjectName(QStringLiteral("BTN_Quit"));
    layout->addWidget(m_lblFileList);
    layout->addWidget(m_list1);
    layout->addWidget(m_lblFileView);
    layout->addWidget(m_listView1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_btnQuit);
    layout->addLayout(buttons);
    resize(480, 420);
    connect(m_btnQuit, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list1, &QListWidget::itemClicked, this, &frmDescFile::List1_Click);
    connect(m_list1, &QListWidget::itemActivated, this, &frmDescFile::List1_Click);
}

void frmDescFile::InitLanguage(const MBLanguages& language)
{
    m_language.Copy(language);
    GetAllFormLabel(m_language, *this, KindAll, true);
}

int16_t frmDescFile::init(const QString& folder, const QString& fileName, const MBLanguages& language, bool isFileList)
{
    InitLanguage(language);
    setWindowTitle(fileName);
    m_folder = folder;
    m_listView1->clear();
    m_list1->clear();
    MbWorkFile reader(&m_notifier);
    if (const int16_t error = reader.OpenFile(folder + fileName))
        return error;
    if (isFileList) {
        if (const int16_t error = reader.ReadEveryLine([this](const QString& line) {
                if (!line.isEmpty())
                    m_list1->addItem(line);
            }))
            return error;
    }
    m_list1->setVisible(isFileList);
    m_lblFileList->setVisible(isFileList);
    reader.CloseFile();
    return 0;
}

void frmDescFile::MajInfoFile(const QString& path)
{
    MbWorkFile reader(&m_notifier);
    if (reader.OpenFile(path) != 0)
        return;
    QString line;
    const int16_t error = reader.ReadNextLine(line);
    reader.CloseFile();
    if (error != 0)
        return;
    const int32_t titled = std::clamp<int32_t>(readVbInteger(label(QStringLiteral("NbField"))).value, 0, INT16_MAX);
    for (int k = 1; k <= titled; ++k)
        new QTreeWidgetItem(m_listView1, {label(QStringLiteral("DescField") + QString::number(k)), QString()});
    if (line.isEmpty())
        return;
    const int first = m_listView1->topLevelItemCount() - titled;
    const QStringList fields = line.split(QLatin1Char(','));
    for (int k = 1; k <= fields.size(); ++k) {
        QString value = fields.at(k - 1);
        if (k == 1) {
            if (const char* key = kindKey(value))
                value += QStringLiteral(" (") + label(QLatin1String(key)) + QLatin1Char(')');
        }
        // A line with more fields than titled rows keeps them all, in untitled rows.
        const int row = first + k - 1;
        QTreeWidgetItem* item =
            row < m_listView1->topLevelItemCount() ? m_listView1->topLevelItem(row) : new QTreeWidgetItem(m_listView1);
        item->setText(1, value);
    }
}

void frmDescFile::List1_Click(QListWidgetItem* item)
{
    m_listView1->clear();
    if (!item)
        return;
    const QString entry = item->text();
    if (entry.startsWith(QLatin1Char(';')))
        return;
    const QString path = entryPath(m_folder, entry);
    const QString ext = upperLast(entry, 3);
    if (ext == QLatin1String("ADF") || ext == QLatin1String("PDF") || ext == QLatin1String("LDF") ||
        ext == QLatin1String("DDF")) {
        MajInfoFile(path);
        return;
    }
    // The list's signed extensions leave out MOT, which the file lists send to the dumper.
    if (ext != QLatin1String("MOT") && isSignedFileExtension(ext, m_settings) && m_settings.certifSgn && m_dump)
        m_dump(path);
}

void frmDescFile::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Form_Activate();
}

void frmDescFile::Form_Activate()
{
    const int half = m_listView1->width() / 2 - kColumnMargin;
    m_listView1->setColumnWidth(0, std::max(half, 40));
    m_listView1->setColumnWidth(1, std::max(half, 40));
}

} // namespace jvz
