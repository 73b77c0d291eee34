#include "monitor/JobSpooling.h"

#include "monitor/DebugLine.h"
#include "monitor/Delivery.h"
#include "monitor/JobSettings.h"
#include "monitor/MessageBoxRoutine.h"
#include "monitor/MonitorLock.h"
#include "monitor/MonitorStrings.h"
#include "monitor/PortRecord.h"
#include "monitor/ProgressWindow.h"
#include "monitor/ScopedHandle.h"
#include "platform/files/files.h"
#include "platform/base/lasterror.h"
#include "platform/kernel/process.h"
#include "platform/registry/registry.h"
#include "platform/kernel/system_info.h"
#include "platform/ui/ui.h"

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>

namespace zormon {

namespace {

// The open job's facts, guarded by the monitor lock that the job holds.
DeliveryJob g_job;
// The spool counter: the first job gets 1, the counter runs to 100 and starts over.
int g_spoolCounter = 0;

constexpr int kMaxSpoolCounter = 100;
// User and computer names are read through 256-byte buffers.
constexpr DWORD kNameBufferSize = 256;

// Nothing in this process holds the input focus: boxes "owned by the focus window" have no
// owner.
constexpr HWND kFocusWindow = nullptr;

const char *const kComputerNameKey = "System\\CurrentControlSet\\control\\ComputerName\\ComputerName";
// "Varnel.tmp" is no longer made; one left by an earlier version still goes with the job.
const char *const kWorkFiles[] = {"banner.ps", "trailer.ps", "Varnel.tmp", "Varnel.cod"};

// 0x04 and 0x14 are the only bytes that OR 0x10 turns into 0x14.
constexpr bool isBlankedControl(uint8_t byte)
{
    return (byte | 0x10) == 0x14;
}

// End-of-transmission bytes (0x04) would end the job early on a PostScript printer; 0x04
// and 0x14 become spaces. Blocks of a fixed length let the compiler test many bytes at once;
// only a block that holds one of them is written to.
void blankControlBytes(uint8_t *buffer, std::size_t size)
{
    constexpr std::size_t kBlock = 64;
    std::size_t at = 0;
    for (; at + kBlock <= size; at += kBlock) {
        uint8_t *block = buffer + at;
        uint8_t found = 0;
        for (std::size_t i = 0; i < kBlock; ++i)
            found |= isBlankedControl(block[i]);
        if (found)
            for (std::size_t i = 0; i < kBlock; ++i)
                block[i] = isBlankedControl(block[i]) ? ' ' : block[i];
    }
    for (; at < size; ++at)
        buffer[at] = isBlankedControl(buffer[at]) ? ' ' : buffer[at];
}

std::string userName()
{
    char buffer[kNameBufferSize] = {};
    DWORD size = sizeof buffer;
    if (!GetUserName(buffer, &size))
        return "";
    return buffer;
}

// The value setup stored for this machine; empty when absent.
std::string computerName()
{
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, kComputerNameKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return "";
    char buffer[kNameBufferSize] = {};
    DWORD size = sizeof buffer - 1;
    LONG result = RegQueryValueEx(key, "ComputerName", nullptr, nullptr,
                                  reinterpret_cast<LPBYTE>(buffer), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? buffer : "";
}

// A value taken from the job goes into VComDef.ini, where a line break cannot be written
// and other control characters would reach the chooser, the subject and the cover page:
// each becomes a blank.
std::string blanked(std::string value)
{
    for (char &c : value)
        if (static_cast<unsigned char>(c) < ' ' || c == '\x7f')
            c = ' ';
    return value;
}

void takeJobClock(std::string &date, std::string &time)
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[40]; // room for any int the compiler cannot rule out; the fields take two digits
    std::snprintf(text, sizeof text, "%02d/%02d/%02d", local.tm_mon + 1, local.tm_mday, local.tm_year % 100);
    date = text;
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
    time = text;
}

int advanceSpoolCounter()
{
    if (g_spoolCounter >= kMaxSpoolCounter || g_spoolCounter < 1)
        g_spoolCounter = 1;
    else
        ++g_spoolCounter;
    return g_spoolCounter;
}

bool databaseCanBeOpened()
{
    ScopedHandle database(CreateFile(DatabasePath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return database.valid();
}

// Starts the chooser from the install directory, with no arguments, and waits until it exits.
bool runChooser()
{
    STARTUPINFO startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string program = ChooserPath();
    if (!CreateProcess(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &process)) {
        DebugLine("EndDocPort: cannot start %s, error %u", program.c_str(), GetLastError());
        return false;
    }
    ScopedHandle processHandle(process.hProcess);
    ScopedHandle threadHandle(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    return true;
}

void deleteWorkFiles(const std::string &spoolPath)
{
    for (const char *name : kWorkFiles)
        DeleteFile(InstallPath(name).c_str());
    DeleteFile(spoolPath.c_str());
}

} // namespace

BOOL StartDocPort(HANDLE port, LPSTR printerName, DWORD jobId, DWORD, LPBYTE docInfo)
{
    const DWORD callerError = GetLastError();
    PortRecord *record = PortFromHandle(port);
    if (!record) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const auto *info = reinterpret_cast<const DOC_INFO_1A *>(docInfo);
    if (!info || !info->pDocName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }

    MonitorLock::Enter();
    // Refused before anything is taken or written, so the open job's facts stay its own.
    if (record->has(PortFlagJobOpen)) {
        MonitorLock::Leave();
        SetLastError(ERROR_BUSY);
        return FALSE;
    }

    g_job.printerName = blanked(std::string(printerName ? printerName : "").substr(0, kMaxPrinterNameLength));
    takeJobClock(g_job.date, g_job.time);
    PrintJobFacts facts{g_job.printerName, blanked(info->pDocName), blanked(userName()), blanked(computerName()),
                        g_job.date, g_job.time};
    // The chooser and the cover page would take the previous job's facts for this one's.
    if (!WritePrintJob(facts)) {
        const DWORD error = GetLastError();
        DebugLine("StartDocPort: cannot write [PrintJob] of %s, error %u", VComDefPath().c_str(), error);
        MonitorLock::Leave();
        SetLastError(error);
        return FALSE;
    }

    record->jobId = jobId;
    g_job.spoolPath = InstallPath("Varnel." + std::to_string(advanceSpoolCounter()));
    // Created afresh and owner-only: a file of that name left by an earlier process must not
    // lend its tail to this job, a link planted there must not carry the job elsewhere, and
    // no other user may read it.
    HANDLE spool = zorplat::CreateFreshFile(g_job.spoolPath.c_str(), GENERIC_READ | GENERIC_WRITE,
                                            FILE_ATTRIBUTE_NORMAL);
    if (spool == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        ShowMonitorMessage(kFocusWindow, MB_ICONSTOP, MonitorString::MonitorCaption,
                           MonitorString::CannotOpenSpool);
        DebugLine("StartDocPort FAILED %u", error);
        MonitorLock::Leave();
        SetLastError(error);
        return FALSE;
    }
    record->file = spool;
    record->set(PortFlagJobOpen);
    SetLastError(callerError);
    return TRUE;
}

BOOL WritePort(HANDLE port, LPBYTE buffer, DWORD size, LPDWORD written)
{
    PortRecord *record = PortFromHandle(port);
    if (!record || !record->has(PortFlagJobOpen)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!buffer && size > 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    blankControlBytes(buffer, size);

    DWORD done = 0;
    BOOL ok = WriteFile(record->file, buffer, size, &done, nullptr);
    if (written)
        *written = done;
    if (ok || done > 0)
        return TRUE;
    DWORD error = GetLastError();
    DebugLine("WritePort: WriteFile FAILED %u", error);
    SetLastError(error);
    return FALSE;
}

BOOL EndDocPort(HANDLE port)
{
    const DWORD callerError = GetLastError();
    PortRecord *record = PortFromHandle(port);
    if (!record) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!record->has(PortFlagJobOpen))
        return TRUE;

    CloseHandle(record->file);
    record->file = nullptr;

    if (!databaseCanBeOpened()) {
        ShowMonitorMessage(kFocusWindow, MB_ICONSTOP, MonitorString::MonitorCaption,
                           MonitorString::CannotOpenDatabase);
        ClearDestinationAddresses();
    } else {
        WriteSpoolFilePath(g_job.spoolPath);
        if (!runChooser()) {
            ShowMonitorMessage(kFocusWindow, MB_ICONSTOP, MonitorString::MonitorCaption,
                               MonitorString::CannotLaunch);
            ClearDestinationAddresses();
        } else if (ChooserConfirmed()) {
            ProgressWindow::Open(g_job.printerName);
            bool sent = DeliverJob(g_job);
            ProgressWindow::Close();
            ShowMonitorMessage(GetDesktopWindow(), sent ? MB_ICONINFORMATION : MB_ICONSTOP,
                               MonitorString::PrintSuccess,
                               sent ? MonitorString::JobSent : MonitorString::JobNotSent);
        }
    }

    deleteWorkFiles(g_job.spoolPath);
    record->clear(PortFlagJobOpen);
    MonitorLock::Leave();
    SetLastError(callerError);
    return TRUE;
}

} // namespace zormon
