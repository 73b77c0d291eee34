// Starting programs (posix_spawn: safe in a multithreaded process) and waiting for them.
#include "platform/kernel/process.h"

#include "platform/files/filesupport.h"
#include "platform/base/handles.h"
#include "platform/base/kernelobject.h"
#include "platform/base/paths.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <poll.h>
#include <spawn.h>
#include <string_view>
#include <system_error>
#include <sys/syscall.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace zorplat {

namespace {

class ProcessObject : public KernelObject {
public:
    explicit ProcessObject(pid_t pid)
        : m_pid(pid), m_pidfd(static_cast<int>(syscall(SYS_pidfd_open, pid, 0)))
    {
    }

    ~ProcessObject() override
    {
        if (m_pidfd >= 0)
            close(m_pidfd);
        // A child whose handles are closed while it runs is still collected when it ends,
        // so it never lingers as a zombie.
        std::lock_guard lock(m_mutex);
        if (!m_reaped && waitpid(m_pid, nullptr, WNOHANG) == 0) {
            try {
                std::thread([pid = m_pid] { waitpid(pid, nullptr, 0); }).detach();
            } catch (const std::system_error &) {
                // No thread to spare: the child stays a zombie until this process ends.
            }
        }
    }

    DWORD wait(DWORD milliseconds) override
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        for (;;) {
            if (reap())
                return WAIT_OBJECT_0;
            int timeout = -1;
            if (milliseconds != INFINITE) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now());
                if (left.count() <= 0)
                    return WAIT_TIMEOUT;
                timeout = static_cast<int>(left.count());
            }
            if (m_pidfd >= 0) {
                pollfd exited {m_pidfd, POLLIN, 0};
                poll(&exited, 1, timeout);
            } else {
                // Without process descriptors, look again every few milliseconds.
                std::this_thread::sleep_for(std::chrono::milliseconds(
                    timeout < 0 ? 5 : std::min(timeout, 5)));
            }
        }
    }

    DWORD exitCode()
    {
        reap();
        std::lock_guard lock(m_mutex);
        return m_reaped ? m_exitCode : STILL_ACTIVE;
    }

private:
    // Collects the child's status once it has ended; true when it has.
    bool reap()
    {
        std::lock_guard lock(m_mutex);
        if (m_reaped)
            return true;
        int status = 0;
        pid_t done;
        do
            done = waitpid(m_pid, &status, WNOHANG);
        while (done < 0 && errno == EINTR);
        if (done == 0)
            return false;
        m_reaped = true;
        if (done < 0)
            m_exitCode = 0; // collected elsewhere: its status is lost
        else if (WIFEXITED(status))
            m_exitCode = static_cast<DWORD>(WEXITSTATUS(status));
        else if (WIFSIGNALED(status))
            m_exitCode = 128 + static_cast<DWORD>(WTERMSIG(status));
        return true;
    }

    const pid_t m_pid;
    const int m_pidfd;
    std::mutex m_mutex;
    bool m_reaped = false;
    DWORD m_exitCode = STILL_ACTIVE;
};

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The run-time's rules: the program name ends at the first blank outside quotes and takes
// backslashes literally; in the arguments 2n backslashes before a quote give n and the
// quote delimits, 2n+1 give n and a literal quote, and "" inside quotes is one quote.
std::vector<std::string> splitCommandLine(std::string_view line)
{
    std::vector<std::string> arguments;
    size_t i = 0;
    while (i < line.size() && isBlank(line[i]))
        ++i;
    if (i == line.size())
        return arguments;
    std::string program;
    bool quoted = false;
    for (; i < line.size() && (quoted || !isBlank(line[i])); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else
            program += line[i];
    }
    arguments.push_back(std::move(program));

    for (;;) {
        while (i < line.size() && isBlank(line[i]))
            ++i;
        if (i == line.size())
            return arguments;
        std::string argument;
        quoted = false;
        while (i < line.size() && (quoted || !isBlank(line[i]))) {
            if (line[i] == '\\') {
                size_t backslashes = 0;
                while (i < line.size() && line[i] == '\\') {
                    ++backslashes;
                    ++i;
                }
                if (i < line.size() && line[i] == '"') {
                    argument.append(backslashes / 2, '\\');
                    if (backslashes % 2 == 1) {
                        argument += '"';
                        ++i;
                    }
                } else {
                    argument.append(backslashes, '\\');
                }
            } else if (line[i] == '"') {
                if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                    argument += '"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                argument += line[i++];
            }
        }
        arguments.push_back(std::move(argument));
    }
}

BOOL fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

DWORD spawnError(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return ERROR_FILE_NOT_FOUND;
    case EACCES:
    case EPERM:
        return ERROR_ACCESS_DENIED;
    case ENOEXEC:
    case EINVAL:
        return ERROR_BAD_EXE_FORMAT;
    case E2BIG:
        return ERROR_INVALID_PARAMETER;
    default:
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

} // namespace

} // namespace zorplat

BOOL CreateProcess(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES,
                   LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID environment,
                   LPCSTR currentDirectory, LPSTARTUPINFO, LPPROCESS_INFORMATION processInformation)
{
    if (environment || !processInformation || (!applicationName && !commandLine))
        return zorplat::fail(ERROR_INVALID_PARAMETER);
    std::vector<std::string> arguments = zorplat::splitCommandLine(commandLine ? commandLine : "");
    const std::string program = applicationName ? applicationName : arguments.empty() ? "" : arguments[0];
    if (program.empty())
        return zorplat::fail(ERROR_FILE_NOT_FOUND);
    if (arguments.empty())
        arguments.push_back(program);

    const std::string path = zorplat::ToLinuxPath(program);
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return zorplat::FailWithErrno(errno, path);
    if (!S_ISREG(info.st_mode) || access(path.c_str(), X_OK) != 0)
        return zorplat::fail(ERROR_ACCESS_DENIED);
    std::string folder;
    if (currentDirectory && *currentDirectory) {
        folder = zorplat::ToLinuxPath(currentDirectory);
        if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
            return zorplat::fail(ERROR_DIRECTORY);
    }

    std::vector<char *> argv;
    for (std::string &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!folder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    // The child starts with default signal handling and nothing blocked, whatever this
    // process (a spooler, a GUI) has set up for itself.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t signals;
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&attributes, &signals);
    sigfillset(&signals);
    posix_spawnattr_setsigdefault(&attributes, &signals);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    const int error = posix_spawn(&pid, path.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        return zorplat::fail(zorplat::spawnError(error));

    auto process = std::make_shared<zorplat::ProcessObject>(pid);
    processInformation->hProcess = zorplat::AddHandle(process);
    processInformation->hThread = zorplat::AddHandle(process);
    processInformation->dwProcessId = static_cast<DWORD>(pid);
    processInformation->dwThreadId = static_cast<DWORD>(pid);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode)
{
    auto object = zorplat::HandleObject<zorplat::ProcessObject>(process);
    if (!object)
        return FALSE;
    if (!exitCode)
        return zorplat::fail(ERROR_INVALID_PARAMETER);
    *exitCode = object->exitCode();
    return TRUE;
}

DWORD GetCurrentProcessId()
{
    return static_cast<DWORD>(getpid());
}
