#pragma once

#include "session/BatchActions.h"
#include "terminal_files/TransferContext.h"

namespace jvz {

// The session's unattended actions, carried out by the catalogue transfers over the given context.
class CatalogBatchActions : public BatchActions {
public:
    explicit CatalogBatchActions(TransferContext context) : m_context(std::move(context)) {}

    void DownloadCatalogFile(const QString& catalogueFile) override;
    void DeleteCatalogFile(const QString& catalogueFile) override;
    void UploadCatalogFile(const QString& catalogueFile) override;

    TransferContext& context() { return m_context; }

private:
    TransferContext m_context;
};

} // namespace jvz
