#pragma once

#include "terminal_files/FileDispatch.h"
#include "terminal_files/FileViewers.h"

#include <QPointer>
#include <functional>

class QWidget;

namespace jvz {

class FrmReadTextFile;
class MBLanguages;
class Notifier;
class frmDescFile;

// The text and descriptor viewers of the main window: single instances, created on first use, shown modal.
class ViewerWindows : public FileViewers {
public:
    // owner: the main window (the viewers are its children); language: its language table.
    ViewerWindows(QWidget* owner, const MBLanguages& language, Notifier& notifier);
    ~ViewerWindows() override;

    TextViewResult showTextFile(const TextViewRequest& request) override;
    void showDescriptorFile(const QString& folder, const QString& fileName) override;
    int16_t showDescriptorList(const QString& folder, const QString& fileName) override;

    // The descriptor viewer's list hands signed files to the dumper.
    void setSignedFileDump(std::function<void(const QString&)> dump, std::function<DispatchSettings()> settings);

    FrmReadTextFile& textViewer();
    frmDescFile& descriptorViewer();

private:
    QWidget* m_owner;
    const MBLanguages& m_language;
    Notifier& m_notifier;
    QPointer<FrmReadTextFile> m_text;
    QPointer<frmDescFile> m_desc;
    std::function<void(const QString&)> m_dump;
    std::function<DispatchSettings()> m_settings;
};

} // namespace jvz
