#include "manager/database/InstallPaths.h"

#include "platform/base/paths.h"
#include "platform/profile/profile.h"

#include <vector>

namespace zordb {

std::string InstallDirectory(DWORD bufferSize)
{
    char systemDirectory[MAX_PATH];
    UINT length = GetSystemDirectory(systemDirectory, sizeof systemDirectory);
    if (length == 0 || length >= sizeof systemDirectory)
        return {};
    std::string varnel = std::string(systemDirectory) + "\\Varnel.ini";
    std::vector<char> buffer(bufferSize);
    GetPrivateProfileString("Install", "Directory", "", buffer.data(), bufferSize, varnel.c_str());
    return buffer.data();
}

std::string InstallFilePath(const char *fileName, DWORD bufferSize)
{
    return InstallDirectory(bufferSize) + "\\" + fileName;
}

} // namespace zordb
