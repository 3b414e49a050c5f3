#include "workspace/ui/frmCreateCatalog.h"

#include "core/ui/DialogParts.h"
#include "core/ui/GetAllFormLabel.h"
#include "platform/Notifier.h"
#include "workspace/CatalogueCopy.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace jvz {

frmCreateCatalog::frmCreateCatalog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmCreateCatalog"));
    setWindowTitle(QStringLiteral("Catalogue"));
    setModal(true);

    m_list1 = namedControl<QListWidget>(this, "List1");
    m_combo1 = namedControl<QComboBox>(this, "Combo1");
    m_list2 = namedControl<QListWidget>(this, "List2");
    const OkCancelRow buttons = okCancelRow(this, "BTN_OK", "BTN_Cancel", QStringLiteral("Cancel"));
    m_btnOk = buttons.ok;
    m_btnCancel = buttons.cancel;

    auto* grid = new QGridLayout(this);
    grid->addWidget(namedControl<QLabel>(this, "Label1", QStringLiteral("Catalogues")), 0, 0);
    grid->addWidget(namedControl<QLabel>(this, "Label2", QStringLiteral("Product")), 0, 1);
    grid->addWidget(m_list1, 1, 0, 3, 1);
    grid->addWidget(m_combo1, 1, 1);
    grid->addWidget(namedControl<QLabel>(this, "Label3", QStringLiteral("New catalogues")), 2, 1);
    grid->addWidget(m_list2, 3, 1);
    grid->addLayout(buttons.layout, 4, 0, 1, 2);
    resize(460, 300);

    connect(m_combo1, &QComboBox::activated, this, &frmCreateCatalog::Combo1_Click);
    connect(m_btnOk, &QPushButton::clicked, this, &frmCreateCatalog::BTN_ok_Click);
    connect(m_btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void frmCreateCatalog::init(const QStringList& sources, const MBLanguages& language,
                            const QStringList& productCodeLines, const QString& filterText, Notifier& notifier,
                            FileWriter& writer)
{
    m_language.Copy(language);
    GetAllFormLabel(m_language, *this);
    m_sources = sources;
    m_notifier = &notifier;
    m_writer = &writer;
    m_list1->clear();
    for (const QString& source : sources) {
        const QFileInfo info(source);
        m_list1->addItem(info.exists() ? info.fileName() : QString());
    }
    LoadExtensionList(productCodeLines, filterText);
}

void frmCreateCatalog::LoadExtensionList(const QStringList& productCodeLines, const QString& filterText)
{
    m_combo1->clear();
    m_combo1->addItems(copyTargetLines(productCodeLines, filterText));
    m_combo1->setCurrentIndex(m_combo1->count() > 0 ? 0 : -1);
    Combo1_Click();
}

void frmCreateCatalog::Combo1_Click()
{
    m_list2->clear();
    m_list2->addItems(copyTargetNames(m_sources, productCodeOfLine(m_combo1->currentText())));
    m_btnOk->setEnabled(m_list2->count() > 0);
}

void frmCreateCatalog::BTN_ok_Click()
{
    const QString title = m_language.GetFormLabel(QStringLiteral("Caption"));
    const auto outcomes = copyCatalogues(m_sources, productCodeOfLine(m_combo1->currentText()), *m_writer);
    for (const CatalogueCopyOutcome& outcome : outcomes) {
        switch (outcome.kind) {
        case CatalogueCopyOutcome::Kind::Copied:
            break;
        case CatalogueCopyOutcome::Kind::AlreadyExisting:
            m_notifier->message(m_language.GetFormLabel(QStringLiteral("MSG_AlreadyExisting")) + QStringLiteral(" : ") +
                                    QFileInfo(outcome.target).fileName(),
                                title, MessageIcon::Exclamation, MessageButtons::Ok, this);
            break;
        case CatalogueCopyOutcome::Kind::Failed:
            m_notifier->message(m_language.GetFormLabel(QStringLiteral("Error")) + QStringLiteral(": ") +
                                    outcome.target + QStringLiteral("\r\n") + outcome.detail,
                                title, MessageIcon::Critical, MessageButtons::Ok, this);
            break;
        }
    }
    accept();
}

} // namespace jvz
