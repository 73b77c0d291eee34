// Wildcard searches in one folder.
#include "platform/files/files.h"

#include "platform/files/filesupport.h"
#include "platform/base/handles.h"
#include "platform/base/kernelobject.h"
#include "platform/base/paths.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <string_view>
#include <vector>

namespace zorplat {

namespace {

char folded(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// '*' matches any run of characters, '?' exactly one; letters without regard to case.
// Backtracks only to the last '*', which is enough for patterns without character classes.
bool matchesPlain(std::string_view pattern, std::string_view name)
{
    size_t p = 0;
    size_t n = 0;
    size_t starAt = std::string_view::npos;
    size_t resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starAt = p++;
            resumeAt = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || folded(pattern[p]) == folded(name[n]))) {
            ++p;
            ++n;
        } else if (starAt != std::string_view::npos) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

// The original platform's extras: "x.*" also matches "x" (so "*.*" matches every name) and
// a pattern ending in "." matches names without an extension.
bool matchesWildcard(std::string_view pattern, std::string_view name)
{
    if (matchesPlain(pattern, name))
        return true;
    if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*")
        return matchesPlain(pattern.substr(0, pattern.size() - 2), name);
    if (!pattern.empty() && pattern.back() == '.')
        return name.find('.') == std::string_view::npos
            && matchesPlain(pattern.substr(0, pattern.size() - 1), name);
    return false;
}

bool lessIgnoringCase(const std::string &a, const std::string &b)
{
    const auto byFolded = [](char x, char y) { return folded(x) < folded(y); };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), byFolded))
        return true;
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), byFolded))
        return false;
    return a < b;
}

WIN32_FIND_DATA findDataOf(const std::string &folder, const std::string &name)
{
    WIN32_FIND_DATA data {};
    const std::string path = folder + "/" + name;
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        lstat(path.c_str(), &info);
    data.dwFileAttributes = FileAttributesOf(info);
    data.ftCreationTime = FileTimeOf(info.st_ctim);
    data.ftLastAccessTime = FileTimeOf(info.st_atim);
    data.ftLastWriteTime = FileTimeOf(info.st_mtim);
    const uint64_t size = S_ISDIR(info.st_mode) ? 0 : static_cast<uint64_t>(info.st_size);
    data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data.nFileSizeLow = static_cast<DWORD>(size);
    std::memcpy(data.cFileName, name.c_str(), name.size() + 1);
    return data;
}

class FindObject : public KernelObject {
public:
    explicit FindObject(std::vector<WIN32_FIND_DATA> entries) : m_entries(std::move(entries)) {}

    bool next(WIN32_FIND_DATA &data)
    {
        std::lock_guard lock(m_mutex);
        if (m_next == m_entries.size())
            return false;
        data = m_entries[m_next++];
        return true;
    }

private:
    std::mutex m_mutex;
    std::vector<WIN32_FIND_DATA> m_entries;
    size_t m_next = 0;
};

} // namespace

} // namespace zorplat

HANDLE FindFirstFile(LPCSTR fileName, LPWIN32_FIND_DATA findData)
{
    if (!fileName || !*fileName || !findData) {
        SetLastError(fileName && *fileName ? ERROR_INVALID_PARAMETER : ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    const std::string_view request(fileName);
    const size_t slash = request.find_last_of("\\/");
    const std::string_view pattern = slash == std::string_view::npos ? request : request.substr(slash + 1);
    const std::string folder =
        slash == std::string_view::npos ? "." : zorplat::ToLinuxPath(request.substr(0, slash + 1));

    DIR *dir = opendir(folder.c_str());
    if (!dir) {
        SetLastError(errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND
                                                         : zorplat::FileErrorFromErrno(errno, folder));
        return INVALID_HANDLE_VALUE;
    }
    std::vector<std::string> names;
    while (const dirent *entry = readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (name != "." && name != ".." && name.size() < MAX_PATH
            && zorplat::matchesWildcard(pattern, name))
            names.emplace_back(name);
    }
    closedir(dir);
    if (names.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    std::sort(names.begin(), names.end(), zorplat::lessIgnoringCase);
    std::vector<WIN32_FIND_DATA> entries;
    entries.reserve(names.size());
    for (const std::string &name : names)
        entries.push_back(zorplat::findDataOf(folder, name));
    auto search = std::make_shared<zorplat::FindObject>(std::move(entries));
    search->next(*findData);
    return zorplat::AddHandle(std::move(search));
}

BOOL FindNextFile(HANDLE findFile, LPWIN32_FIND_DATA findData)
{
    auto search = zorplat::HandleObject<zorplat::FindObject>(findFile);
    if (!search)
        return FALSE;
    if (!findData) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!search->next(*findData)) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    return TRUE;
}

BOOL FindClose(HANDLE findFile)
{
    if (!zorplat::HandleObject<zorplat::FindObject>(findFile))
        return FALSE;
    return CloseHandle(findFile);
}
