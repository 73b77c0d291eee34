#include "platform/registry/registry_batch.h"

#include "platform/base/lasterror.h"
#include "platform/registry/registry_store.h"

namespace zorplat {

RegistryBatch::RegistryBatch(HKEY root)
{
    const std::string file = RegistryFilePath(root);
    if (file.empty())
        return;
    m_store = &RegistryStore::forFile(file);
    m_store->beginBatch();
}

RegistryBatch::~RegistryBatch()
{
    if (!m_store)
        return;
    const DWORD savedError = GetLastError();
    m_store->endBatch();
    SetLastError(savedError);
}

LONG RegistryBatch::commit()
{
    if (!m_store)
        return ERROR_SUCCESS;
    const LONG result = m_store->endBatch();
    m_store = nullptr;
    if (result != ERROR_SUCCESS)
        SetLastError(static_cast<DWORD>(result));
    return result;
}

} // namespace zorplat
