#include "cups/JobCancel.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <pthread.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

std::atomic<bool> g_requested{false};

// How often connections opened after the cancel are looked for.
constexpr auto kSweepInterval = std::chrono::milliseconds(2);

void shutDownSockets()
{
    DIR *fds = opendir("/proc/self/fd");
    if (!fds)
        return;
    while (dirent *entry = readdir(fds)) {
        const int fd = std::atoi(entry->d_name);
        struct stat info {};
        if (fd > STDERR_FILENO && fd != dirfd(fds) && fstat(fd, &info) == 0 && S_ISSOCK(info.st_mode))
            shutdown(fd, SHUT_RDWR);
    }
    closedir(fds);
}

void waitForTerm(sigset_t signals)
{
    int signal = 0;
    while (sigwait(&signals, &signal) != 0) {
    }
    g_requested = true;
    std::fputs("INFO: Job cancelled: stopping, nothing more is sent\n", stderr);
    std::fflush(stderr);
    for (;;) {
        shutDownSockets();
        std::this_thread::sleep_for(kSweepInterval);
    }
}

} // namespace

namespace JobCancel {

void Watch()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::thread(waitForTerm, signals).detach();
}

bool Requested()
{
    return g_requested;
}

} // namespace JobCancel
