#include "manager/dialogs/VComDefFile.h"

#include "manager/database/InstallPaths.h"
#include "manager/dialogs/DialogStrings.h"
#include "manager/dialogs/MessageText.h"
#include "platform/base/lasterror.h"
#include "platform/profile/profile.h"

namespace sendaro {

VComDefFile::VComDefFile() : m_path(zordb::InstallFilePath(zordb::kCommDefaultsFileName)) {}

std::string VComDefFile::read(const char *section, const char *key) const
{
    std::string buffer(zordb::kProfileValueBufferSize, '\0');
    const DWORD length = GetPrivateProfileString(section, key, "", buffer.data(),
                                                 zordb::kProfileValueBufferSize, m_path.c_str());
    buffer.resize(length);
    return buffer;
}

unsigned VComDefFile::readNumber(const char *section, const char *key) const
{
    return GetPrivateProfileInt(section, key, 0, m_path.c_str());
}

bool VComDefFile::write(const char *section, const Values &values) const
{
    zorplat::ProfileBatch batch(m_path);
    for (const auto &[key, value] : values)
        batch.WriteString(section, key, value.c_str());
    return batch.Commit();
}

std::string VComDefFile::writeFailure() const
{
    return FormatMessageText(IDS_SETTINGS_NOT_WRITTEN, m_path, GetLastError());
}

} // namespace sendaro
