#include "terminal_files/CatalogBatchActions.h"

#include "terminal_files/BatchTransfers.h"

namespace jvz {

void CatalogBatchActions::DownloadCatalogFile(const QString& catalogueFile)
{
    jvz::DownloadCatalogFile(m_context, catalogueFile);
}

void CatalogBatchActions::DeleteCatalogFile(const QString& catalogueFile)
{
    jvz::DeleteCatalogFile(m_context, catalogueFile);
}

void CatalogBatchActions::UploadCatalogFile(const QString& catalogueFile)
{
    jvz::UploadCatalogFile(m_context, catalogueFile);
}

} // namespace jvz
