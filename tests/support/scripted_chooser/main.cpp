// A stand-in for the destination chooser, installed by tests as C:\ZORVALINE\Selvra.exe.
// It answers a job as the real chooser would, from a script instead of a dialog:
//
//   ZORVALINE_TEST_CHOOSER_SCRIPT  names a script of INI-like lines:
//       [VComDef.ini:Selvra]         the file (in the install directory) and section to write
//       App=TRUE                     a key and its value
//       # comment
//   ZORVALINE_TEST_CHOOSER_LOG     names a file that gets one line per run:
//       ran file=<[Destination] File> size=<its size, -1 when missing> printer=<[PrintJob] PrinterName>
//
// Without a script it writes nothing, so the job is dropped as an unconfirmed one.
#include "platform/files/files.h"
#include "platform/base/handles.h"
#include "platform/base/paths.h"
#include "platform/profile/profile.h"

#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

std::string installPath(const std::string &name)
{
    char system[MAX_PATH] = {};
    GetSystemDirectory(system, sizeof system);
    char directory[100] = {};
    GetPrivateProfileString("Install", "Directory", "", directory, sizeof directory,
                            (std::string(system) + "\\Varnel.ini").c_str());
    return std::string(directory) + "\\" + name;
}

std::string readValue(const char *file, const char *section, const char *key)
{
    char value[1024] = {};
    GetPrivateProfileString(section, key, "", value, sizeof value, installPath(file).c_str());
    return value;
}

long long fileSize(const std::string &windowsPath)
{
    HANDLE file = CreateFile(windowsPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    DWORD high = 0;
    DWORD low = GetFileSize(file, &high);
    CloseHandle(file);
    return static_cast<long long>((uint64_t{high} << 32) | low);
}

void recordRun()
{
    const char *logPath = std::getenv("ZORVALINE_TEST_CHOOSER_LOG");
    if (!logPath)
        return;
    std::string spool = readValue("VTemp.ini", "Destination", "File");
    std::ofstream log(logPath, std::ios::app);
    log << "ran file=" << spool << " size=" << fileSize(spool)
        << " printer=" << readValue("VComDef.ini", "PrintJob", "PrinterName") << "\n";
}

// Returns false on a malformed line, after saying which.
bool runScript(const char *scriptPath)
{
    std::ifstream script(scriptPath);
    if (!script) {
        std::fprintf(stderr, "scripted chooser: cannot read %s\n", scriptPath);
        return false;
    }
    std::string line, file, section;
    for (int number = 1; std::getline(script, line); ++number) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        size_t colon = line.find(':');
        if (line[0] == '[' && line.back() == ']' && colon != std::string::npos) {
            file = line.substr(1, colon - 1);
            section = line.substr(colon + 1, line.size() - colon - 2);
            continue;
        }
        size_t equals = line.find('=');
        if (equals == std::string::npos || file.empty()) {
            std::fprintf(stderr, "scripted chooser: %s line %d: not [File:Section] or Key=Value\n",
                         scriptPath, number);
            return false;
        }
        WritePrivateProfileString(section.c_str(), line.substr(0, equals).c_str(),
                                  line.substr(equals + 1).c_str(), installPath(file).c_str());
    }
    return true;
}

} // namespace

int main()
{
    recordRun();
    const char *scriptPath = std::getenv("ZORVALINE_TEST_CHOOSER_SCRIPT");
    if (scriptPath && !runScript(scriptPath))
        return 1;
    return 0;
}
