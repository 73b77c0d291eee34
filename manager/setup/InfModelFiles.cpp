#include "manager/setup/InfModelFiles.h"

#include "platform/base/paths.h"
#include "platform/files/files.h"
#include "platform/profile/profile.h"

namespace sendaro {

namespace {

constexpr DWORD kValueSize = 256; // section names and CopyFiles lists, 255 characters
// The original read a file section into 1,000 bytes and a data section likewise; a longer
// section is read whole here, so no file of a model is silently left out.
constexpr DWORD kSectionSize = 64 * 1024;

std::string profileString(const std::string &section, const char *key, const std::string &file)
{
    char value[kValueSize] = {};
    GetPrivateProfileString(section.c_str(), key, "", value, kValueSize, file.c_str());
    return value;
}

std::vector<std::string> sectionLines(const std::string &section, const std::string &file)
{
    std::string buffer(kSectionSize, '\0');
    const DWORD length = GetPrivateProfileSection(section.c_str(), buffer.data(), kSectionSize, file.c_str());
    std::vector<std::string> lines;
    for (size_t at = 0; at < length && buffer[at] != '\0';) {
        lines.emplace_back(buffer.c_str() + at);
        at += lines.back().size() + 1;
    }
    return lines;
}

std::vector<std::string> splitAtCommas(const std::string &list)
{
    std::vector<std::string> items;
    size_t start = 0;
    for (size_t comma; (comma = list.find(',', start)) != std::string::npos; start = comma + 1)
        items.push_back(list.substr(start, comma - start));
    items.push_back(list.substr(start));
    return items;
}

void appendCopyList(std::vector<DriverFile> &files, const std::string &copyFiles, const std::string &infPath)
{
    for (const std::string &item : splitAtCommas(copyFiles.substr(0, copyFiles.find(';')))) {
        if (!item.empty() && item.front() == '@') {
            files.push_back({item.substr(1, item.find_last_not_of(' ')), kTypePrinterSpecific, ""});
            continue;
        }
        // A blank right after the comma leaves an empty section name, which lists nothing.
        const std::string section = item.substr(0, item.find_first_of(" ;"));
        if (section.empty())
            continue;
        for (const std::string &line : sectionLines(section, infPath))
            if (line.front() != ';')
                files.push_back({line, "", ""});
    }
}

void applyDataSection(std::vector<DriverFile> &files, const std::string &dataSection, const std::string &infPath)
{
    for (const std::string &line : sectionLines(dataSection, infPath)) {
        const size_t equals = line.find('=');
        if (line.front() == ';' || equals == std::string::npos)
            continue;
        const std::string role = line.substr(0, equals), name = line.substr(equals + 1);
        for (DriverFile &file : files)
            if (file.path == name)
                file.type = role;
    }
}

std::string systemDirectory()
{
    char buffer[MAX_PATH] = {};
    GetSystemDirectory(buffer, sizeof buffer);
    return buffer;
}

} // namespace

std::vector<DriverFile> ReadInfModelFiles(const std::string &infPath, const std::string &infDirectory,
                                          const std::string &lookupKey)
{
    std::string installSection = profileString("Zorvaline", lookupKey.c_str(), infPath);
    installSection = installSection.substr(0, installSection.find(','));
    std::vector<DriverFile> files;
    if (installSection.empty())
        return files;
    appendCopyList(files, profileString(installSection, "CopyFiles", infPath), infPath);
    const std::string dataSection = profileString(installSection, "DataSection", infPath);
    if (!dataSection.empty())
        applyDataSection(files, dataSection, infPath);

    const std::string system = systemDirectory();
    for (DriverFile &file : files) {
        const std::string installed = system + "\\" + file.path;
        if (GetFileAttributes(installed.c_str()) != INVALID_FILE_ATTRIBUTES) {
            file.path = installed;
            file.status = kStatusExists;
        } else {
            file.path = infDirectory + file.path;
            file.status = kStatusNeedCopy;
        }
    }
    return files;
}

} // namespace sendaro
