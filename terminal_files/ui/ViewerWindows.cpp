#include "terminal_files/ui/ViewerWindows.h"

#include "terminal_files/ui/FrmReadTextFile.h"
#include "terminal_files/ui/frmDescFile.h"

#include <QApplication>
#include <QCursor>

namespace jvz {

ViewerWindows::ViewerWindows(QWidget* owner, const MBLanguages& language, Notifier& notifier)
    : m_owner(owner), m_language(language), m_notifier(notifier)
{
}

ViewerWindows::~ViewerWindows()
{
    // Windows without an owner are ours to delete.
    if (!m_owner) {
        delete m_text.data();
        delete m_desc.data();
    }
}

FrmReadTextFile& ViewerWindows::textViewer()
{
    if (!m_text) {
        m_text = new FrmReadTextFile(m_notifier, m_owner);
        m_text->setWindowFlag(Qt::Window);
    }
    return *m_text;
}

frmDescFile& ViewerWindows::descriptorViewer()
{
    if (!m_desc) {
        m_desc = new frmDescFile(m_notifier, m_owner);
        m_desc->setWindowFlag(Qt::Window);
    }
    return *m_desc;
}

void ViewerWindows::setSignedFileDump(std::function<void(const QString&)> dump,
                                      std::function<DispatchSettings()> settings)
{
    m_dump = std::move(dump);
    m_settings = std::move(settings);
}

TextViewResult ViewerWindows::showTextFile(const TextViewRequest& request)
{
    FrmReadTextFile& viewer = textViewer();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    TextViewResult result;
    result.status = viewer.init(request.folder, request.fileName, m_language, request.heightTwips, request.widthTwips,
                                request.displayPath, request.writable);
    QApplication::restoreOverrideCursor();
    if (result.status != 0)
        return result;
    viewer.setModal(true);
    viewer.exec();
    result.fileSaved = viewer.FileSaved();
    return result;
}

void ViewerWindows::showDescriptorFile(const QString& folder, const QString& fileName)
{
    frmDescFile& viewer = descriptorViewer();
    if (viewer.init(folder, fileName, m_language, false) != 0)
        return;
    viewer.MajInfoFile(folder + fileName);
    viewer.exec();
}

int16_t ViewerWindows::showDescriptorList(const QString& folder, const QString& fileName)
{
    frmDescFile& viewer = descriptorViewer();
    viewer.setSignedFileDump(m_dump);
    if (m_settings)
        viewer.setDispatchSettings(m_settings());
    const int16_t status = viewer.init(folder, fileName, m_language, true);
    if (status == 0)
        viewer.exec();
    return status;
}

} // namespace jvz
