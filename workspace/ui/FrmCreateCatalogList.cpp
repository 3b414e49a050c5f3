#include "workspace/ui/FrmCreateCatalogList.h"

#include "core/ui/DialogParts.h"
#include "core/ui/GetAllFormLabel.h"
#include "platform/Notifier.h"
#include "workspace/CatalogListFile.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace jvz {

FrmCreateCatalogList::FrmCreateCatalogList(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmCreateCatalogList"));
    setWindowTitle(QStringLiteral("Create Catalog List"));
    setModal(true);
    m_option1 = new QRadioButton(QStringLiteral("Selected catalogues"), this);
    m_option1->setObjectName(QStringLiteral("Option1"));
    m_option1->setChecked(true);
    m_option2 = new QRadioButton(QStringLiteral("All catalogues"), this);
    m_option2->setObjectName(QStringLiteral("Option2"));
    const OkCancelRow buttons = okCancelRow(this, "BTN_ok", "BTN_annuler", QStringLiteral("Annuler"));
    m_btnOk = buttons.ok;
    m_btnAnnuler = buttons.cancel;

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_option1);
    layout->addWidget(m_option2);
    layout->addLayout(buttons.layout);

    connect(m_btnOk, &QPushButton::clicked, this, &FrmCreateCatalogList::BTN_ok_Click);
    connect(m_btnAnnuler, &QPushButton::clicked, this, &QDialog::reject);
}

void FrmCreateCatalogList::init(const MBLanguages& language, const QStringList& productCodes, Context context)
{
    m_language.Copy(language);
    GetAllFormLabel(m_language, *this);
    m_productCodes = productCodes;
    m_context = std::move(context);
}

bool FrmCreateCatalogList::IsProductCatalogue(const QString& name) const
{
    return jvz::IsProductCatalogue(name, m_productCodes);
}

void FrmCreateCatalogList::BTN_ok_Click()
{
    auto text = [this](const char* key) { return m_language.GetFormLabel(QLatin1String(key)); };
    const QString folder = m_context.currentFolder;
    const QStringList names = m_option1->isChecked() ? m_context.selectedNames : catalogueNamesInFolder(folder);
    const QStringList lines = catalogListLines(folder, names, m_productCodes);
    if (lines.isEmpty()) {
        m_context.notifier->message(text("MSG_Nothing"), text("TIT_Error"), MessageIcon::Critical, MessageButtons::Ok,
                                    this);
        accept();
        return;
    }
    const QString path = QDir(folder).filePath(QLatin1String(kCatalogListFileName));
    if (QFileInfo::exists(path) &&
        m_context.notifier->message(text("MSG_AlreadyExisting"), text("TIT_AlreadyExisting"), MessageIcon::Question,
                                    MessageButtons::YesNo, this) != MessageAnswer::Yes) {
        accept();
        return;
    }
    QString error;
    if (writeCatalogListFile(folder, lines, *m_context.writer, &error))
        m_context.notifier->message(text("MSG_Make_file"), text("TIT_Information"), MessageIcon::Information,
                                    MessageButtons::Ok, this);
    else
        m_context.notifier->message(path + QStringLiteral(" : ") + text("MSG_WriteFileError") + QStringLiteral("\r\n") +
                                        error,
                                    text("TIT_Error"), MessageIcon::Critical, MessageButtons::Ok, this);
    accept();
}

} // namespace jvz
