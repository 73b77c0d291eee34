// A port monitor for tests, installed into a temporary root's system directory under any
// DLL name. It records every call it receives and can be told to misbehave:
//
//   ZORTEST_MONITOR_LOG     file that gets one line per call, appended in one write:
//                             InitializeMonitorEx <registry root>
//                             OpenPort <port>
//                             StartDocPort <printer>|<job id>|<level>|<document>|<output file>|<data type>
//                             WritePort <bytes offered> <bytes taken>
//                             EndDocPort / ClosePort
//                           (a null string is written as "(null)")
//   ZORTEST_MONITOR_DATA    file that every byte taken by WritePort is appended to
//   ZORTEST_MONITOR_PORTS   the ports it lists, joined by ','; default "RECORD:"
//   ZORTEST_MONITOR_PORTS_<file name>  the same for the copy installed under that file name
//                           ("ZORTEST_MONITOR_PORTS_OTHER.DLL"), before the general one
//   ZORTEST_MONITOR_LOADS   file that gets the module's file name each time it is initialised
//   ZORTEST_MONITOR_FAIL    "<call>:<error>": that call fails with that last error
//   ZORTEST_MONITOR_TAKE    WritePort takes at most this many bytes per call
//   ZORTEST_MONITOR_STOPBOX "1": EndDocPort shows a message box with the stop icon and still
//                           succeeds, as a monitor does that reports a failed delivery
//   ZORTEST_MONITOR_DELAY_MS StartDocPort sleeps this long, so that jobs that were not kept
//                           apart would overlap
// Variables are read at each call, so one loaded module serves many test cases.
#include "platform/base/lasterror.h"
#include "platform/spooler/monitor_interface.h"
#include "platform/ui/ui.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

std::string env(const char *name)
{
    const char *value = std::getenv(name);
    return value ? value : "";
}

void appendToFile(const std::string &path, const void *data, size_t size)
{
    if (path.empty())
        return;
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (fd < 0)
        return;
    const char *bytes = static_cast<const char *>(data);
    while (size > 0) {
        const ssize_t written = write(fd, bytes, size);
        if (written <= 0)
            break;
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    close(fd);
}

void record(const std::string &line)
{
    const std::string withNewline = line + "\n";
    appendToFile(env("ZORTEST_MONITOR_LOG"), withNewline.data(), withNewline.size());
}

std::string text(const char *value)
{
    return value ? value : "(null)";
}

// True when ZORTEST_MONITOR_FAIL names this call; the last error is then set.
bool told(const char *call)
{
    const std::string fail = env("ZORTEST_MONITOR_FAIL");
    const size_t colon = fail.find(':');
    if (fail.substr(0, colon) != call)
        return false;
    SetLastError(colon == std::string::npos ? ERROR_GEN_FAILURE : static_cast<DWORD>(std::stoul(fail.substr(colon + 1))));
    return true;
}

// The file name this copy of the module was loaded from ("RECMON.DLL").
std::string moduleFileName()
{
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void *>(&moduleFileName), &info) || !info.dli_fname)
        return "";
    const std::string path = info.dli_fname;
    return path.substr(path.rfind('/') + 1);
}

std::vector<std::string> ports()
{
    std::string list = env(("ZORTEST_MONITOR_PORTS_" + moduleFileName()).c_str());
    if (list.empty())
        list = env("ZORTEST_MONITOR_PORTS");
    if (list.empty())
        list = "RECORD:";
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= list.size()) {
        const size_t end = std::min(list.find(',', start), list.size());
        if (end > start)
            names.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

struct Port {
    std::string name;
};

BOOL enumPorts(LPSTR, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed, LPDWORD returned)
{
    if (told("EnumPorts"))
        return FALSE;
    if (level != 1) {
        SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    }
    const std::vector<std::string> names = ports();
    DWORD total = static_cast<DWORD>(names.size() * sizeof(PORT_INFO_1A));
    for (const std::string &name : names)
        total += static_cast<DWORD>(name.size() + 1);
    *needed = total;
    *returned = 0;
    if (!buffer || size < total) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    auto *entries = reinterpret_cast<PORT_INFO_1A *>(buffer);
    char *strings = reinterpret_cast<char *>(buffer + names.size() * sizeof(PORT_INFO_1A));
    for (size_t i = 0; i < names.size(); ++i) {
        std::memcpy(strings, names[i].c_str(), names[i].size() + 1);
        entries[i].pName = strings;
        strings += names[i].size() + 1;
    }
    *returned = static_cast<DWORD>(names.size());
    return TRUE;
}

BOOL openPort(LPSTR name, HANDLE *handle)
{
    record("OpenPort " + text(name));
    if (told("OpenPort"))
        return FALSE;
    *handle = new Port{name};
    return TRUE;
}

BOOL startDocPort(HANDLE, LPSTR printer, DWORD jobId, DWORD level, LPBYTE info)
{
    const auto *doc = reinterpret_cast<const DOC_INFO_1A *>(info);
    record("StartDocPort " + text(printer) + "|" + std::to_string(jobId) + "|" + std::to_string(level) + "|"
           + text(doc->pDocName) + "|" + text(doc->pOutputFile) + "|" + text(doc->pDatatype));
    if (const std::string delay = env("ZORTEST_MONITOR_DELAY_MS"); !delay.empty())
        std::this_thread::sleep_for(std::chrono::milliseconds(std::stoul(delay)));
    return told("StartDocPort") ? FALSE : TRUE;
}

BOOL writePort(HANDLE, LPBYTE buffer, DWORD size, LPDWORD written)
{
    DWORD take = size;
    if (const std::string limit = env("ZORTEST_MONITOR_TAKE"); !limit.empty())
        take = std::min<DWORD>(size, static_cast<DWORD>(std::stoul(limit)));
    if (told("WritePort")) {
        *written = 0;
        record("WritePort " + std::to_string(size) + " 0");
        return FALSE;
    }
    appendToFile(env("ZORTEST_MONITOR_DATA"), buffer, take);
    // Scribbles over what it was given, as a monitor may do with the spooler's buffer.
    std::memset(buffer, 'x', take);
    *written = take;
    record("WritePort " + std::to_string(size) + " " + std::to_string(take));
    return TRUE;
}

BOOL endDocPort(HANDLE)
{
    record("EndDocPort");
    if (env("ZORTEST_MONITOR_STOPBOX") == "1")
        MessageBox(nullptr, "The Print Job not sent", "Print Success", MB_OK | MB_ICONSTOP);
    return told("EndDocPort") ? FALSE : TRUE;
}

BOOL closePort(HANDLE handle)
{
    record("ClosePort");
    delete static_cast<Port *>(handle);
    return TRUE;
}

} // namespace

extern "C" __attribute__((visibility("default"))) BOOL InitializeMonitorEx(LPSTR registryRoot, MONITOR *table)
{
    record("InitializeMonitorEx " + text(registryRoot));
    const std::string loaded = moduleFileName() + "\n";
    appendToFile(env("ZORTEST_MONITOR_LOADS"), loaded.data(), loaded.size());
    if (told("InitializeMonitorEx"))
        return FALSE;
    *table = MONITOR{
        enumPorts,
        openPort,
        nullptr, // OpenPortEx
        startDocPort,
        writePort,
        nullptr, // ReadPort
        endDocPort,
        closePort,
        nullptr, // AddPort
        nullptr, // ConfigurePort
        nullptr, // DeletePort
        nullptr, // GetPrinterDataFromPort
        nullptr, // SetPortTimeOuts
    };
    return TRUE;
}
