#include "manager/dialogs/DatabaseSection.h"

#include "manager/database/DatabaseLayout.h"
#include "platform/profile/profile.h"

namespace sendaro {

bool RemoveRecordSection(const std::string &databasePath, const std::string &name)
{
    zorplat::ProfileBatch batch(databasePath);
    batch.WriteString(name.c_str(), nullptr, nullptr);
    batch.WriteString(zordb::kIndexSection, name.c_str(), nullptr);
    return batch.Commit();
}

} // namespace sendaro
