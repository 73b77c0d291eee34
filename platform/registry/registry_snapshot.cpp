#include "platform/registry/registry_snapshot.h"

#include "platform/registry/registry_store.h"

namespace zorplat {

RegistrySnapshot::RegistrySnapshot(HKEY root)
{
    const std::string file = RegistryFilePath(root);
    if (file.empty())
        return;
    m_store = &RegistryStore::forFile(file);
    m_store->beginSnapshot();
}

RegistrySnapshot::~RegistrySnapshot()
{
    if (m_store)
        m_store->endSnapshot();
}

} // namespace zorplat
