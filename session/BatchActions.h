#pragma once

#include <QString>

namespace jvz {

// The unattended actions on the run's catalogue list, run over the open FTP session. Each records its
// outcome in the run's result; none shows a dialog.
class BatchActions {
public:
    virtual ~BatchActions() = default;
    // Callers reset the free-space bookkeeping (swapTotalSize 0, swapUnchecked true) first.
    virtual void DownloadCatalogFile(const QString& catalogueFile) = 0;
    virtual void DeleteCatalogFile(const QString& catalogueFile) = 0;
    virtual void UploadCatalogFile(const QString& catalogueFile) = 0;
};

} // namespace jvz
