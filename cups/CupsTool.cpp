#include "cups/CupsTool.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

std::string findProgram(const std::string &name)
{
    if (name.find('/') != std::string::npos)
        return name;
    std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    path += ":/usr/sbin:/usr/bin:/sbin:/bin";
    size_t start = 0;
    while (start <= path.size()) {
        size_t colon = path.find(':', start);
        if (colon == std::string::npos)
            colon = path.size();
        const std::string candidate = path.substr(start, colon - start) + "/" + name;
        if (colon > start && access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = colon + 1;
    }
    return name;
}

} // namespace

ToolRun RunCupsTool(const std::vector<std::string> &arguments)
{
    ToolRun run;
    int pipeFds[2];
    if (arguments.empty() || pipe2(pipeFds, O_CLOEXEC) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
    std::vector<std::string> copy = arguments;
    std::vector<char *> argv;
    for (std::string &argument : copy)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    const std::string program = findProgram(arguments[0]);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        run.output.append(buffer, static_cast<size_t>(n));
    }
    close(pipeFds[0]);
    if (spawned != 0) {
        run.output = program + ": cannot be started: " + std::strerror(spawned);
        return run;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status))
        run.exitCode = WEXITSTATUS(status);
    return run;
}
