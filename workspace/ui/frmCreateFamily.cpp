#include "workspace/ui/frmCreateFamily.h"

#include "core/AppSettings.h"
#include "core/ui/DialogParts.h"
#include "core/ui/GetAllFormLabel.h"
#include "platform/Notifier.h"
#include "terminal_files/CatalogList.h"

#include <QApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace jvz {

frmCreateFamily::frmCreateFamily(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmCreateFamily"));
    setWindowTitle(QStringLiteral("Family"));
    setModal(true);

    m_text1 = namedControl<QLineEdit>(this, "Text1");
    m_text2 = namedControl<QLineEdit>(this, "Text2");
    m_text3 = namedControl<QLineEdit>(this, "Text3");
    m_cmdFindRep = namedControl<QPushButton>(this, "CmdFindRep", QStringLiteral("..."));
    m_label6 = namedControl<QLabel>(this, "Label6", QString());
    m_list1 = namedControl<QListWidget>(this, "List1");
    m_list2 = namedControl<QListWidget>(this, "List2");
    const OkCancelRow buttons = okCancelRow(this, "BTN_OK", "BTN_Cancel", QStringLiteral("Cancel"));
    m_btnOk = buttons.ok;
    m_btnCancel = buttons.cancel;

    auto* grid = new QGridLayout(this);
    grid->addWidget(namedControl<QLabel>(this, "Label1", QStringLiteral("Name")), 0, 0);
    grid->addWidget(m_text1, 0, 1);
    grid->addWidget(namedControl<QLabel>(this, "Label4", QStringLiteral("Extension")), 0, 2);
    grid->addWidget(m_label6, 0, 3);
    grid->addWidget(namedControl<QLabel>(this, "Label2", QStringLiteral("Description")), 1, 0);
    grid->addWidget(m_text2, 1, 1, 1, 3);
    grid->addWidget(namedControl<QLabel>(this, "Label3", QStringLiteral("Folder")), 2, 0);
    grid->addWidget(m_text3, 2, 1, 1, 2);
    grid->addWidget(m_cmdFindRep, 2, 3);
    grid->addWidget(namedControl<QLabel>(this, "Label5", QStringLiteral("Catalogues")), 3, 0, 1, 4);
    grid->addWidget(m_list1, 4, 0, 1, 4);
    grid->addWidget(namedControl<QLabel>(this, "Label7", QStringLiteral("Content")), 5, 0, 1, 4);
    grid->addWidget(m_list2, 6, 0, 1, 4);
    grid->addLayout(buttons.layout, 7, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(4, 1);
    grid->setRowStretch(6, 3); // the content is the longer list
    resize(480, 460);

    connect(m_cmdFindRep, &QPushButton::clicked, this, &frmCreateFamily::CmdFindRep_Click);
    connect(m_btnOk, &QPushButton::clicked, this, &frmCreateFamily::BTN_ok_Click);
    connect(m_btnCancel, &QPushButton::clicked, this, &frmCreateFamily::BTN_Cancel_Click);
}

void frmCreateFamily::init(const MBLanguages& language, AppSettings& settings, Context context)
{
    m_language.Copy(language);
    GetAllFormLabel(m_language, *this);
    GetTextBoxToolTipText(m_language, *this);
    m_settings = &settings;
    m_context = std::move(context);
    Cancelled = true;
    m_text3->setText(settings.gCatalogFamilyDir);
    m_text1->setText(settings.gCatalogFamilyName);
    m_text2->setText(m_language.GetFormLabel(QStringLiteral("TXT_NewFamily")));
    m_label6->setText(m_context.filterText.right(4));
    LoadSelectedCatalogues();
}

void frmCreateFamily::LoadSelectedCatalogues()
{
    m_list1->clear();
    m_list2->clear();
    for (const QString& path : m_context.catalogues) {
        m_list1->addItem(QFileInfo(path).fileName());
        CatalogListReader reader;
        if (!reader.OpenTextFileForRead(path))
            continue;
        while (!reader.AtEndOfStream()) {
            QString line;
            reader.ReadTextLine(line);
            m_list2->addItem(line);
        }
    }
}

QString frmCreateFamily::chooserStart() const
{
    for (const QString& folder : {m_text3->text(), m_context.currentFolder}) {
        if (!folder.isEmpty() && QFileInfo(folder).isDir())
            return folder;
    }
    return m_context.programFolder;
}

void frmCreateFamily::CmdFindRep_Click()
{
    if (!m_context.chooseFolder)
        return;
    const QString chosen = m_context.chooseFolder(chooserStart());
    if (!chosen.isEmpty())
        m_text3->setText(chosen);
}

FamilyRequest frmCreateFamily::request() const
{
    return {m_text3->text(), m_text1->text(), m_context.filterText.right(4), m_text2->text(), m_context.catalogues};
}

void frmCreateFamily::BTN_ok_Click()
{
    if (m_text1->text().isEmpty()) {
        QApplication::beep();
        m_text1->setFocus();
        return;
    }
    Cancelled = false;
    // The family may not take the name of one of the catalogues it is made from, under any spelling.
    bool clash = familyIsOneOfItsCatalogues(request());
    if (m_list1->count() > 0) {
        const QString own = m_text1->text() + u'.' + m_list1->item(0)->text().right(3);
        for (int i = 0; i < m_list1->count(); ++i)
            clash = clash || m_list1->item(i)->text() == own;
    }
    if (clash) {
        if (m_context.notifier)
            m_context.notifier->message(m_language.GetFormLabel(QStringLiteral("MSG_FamilyName")),
                                        m_language.GetFormLabel(QStringLiteral("Caption")), MessageIcon::Exclamation,
                                        MessageButtons::Ok, this);
        m_text1->setFocus();
        Cancelled = true;
        return;
    }
    m_settings->gCatalogFamilyDir = m_text3->text();
    m_settings->gCatalogFamilyName = m_text1->text();
    accept();
}

void frmCreateFamily::BTN_Cancel_Click()
{
    reject();
}

} // namespace jvz
