#include "tests/e2e/ProgramRun.h"

#include <csignal>
#include <cstdio>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace zortest {

namespace {

// Starts the program with its standard output (and error, when `withErrors`) on a pipe whose
// reading end is returned in `readEnd`.
pid_t spawnWithPipe(const std::vector<std::string> &arguments, bool withErrors, int &readEnd)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    if (withErrors)
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    std::vector<char *> argv;
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    readEnd = pipeEnds[0];
    return pid;
}

} // namespace

ProgramResult RunProgram(const std::vector<std::string> &arguments)
{
    ProgramResult result;
    int readEnd = -1;
    pid_t pid = spawnWithPipe(arguments, true, readEnd);
    char buffer[4096];
    for (ssize_t got; (got = read(readEnd, buffer, sizeof buffer)) > 0;)
        result.output.append(buffer, static_cast<size_t>(got));
    close(readEnd);
    if (pid < 0)
        return result;
    int status = 0;
    if (waitpid(pid, &status, 0) == pid && WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    return result;
}

ServerProcess::ServerProcess(const std::vector<std::string> &arguments)
{
    int readEnd = -1;
    m_pid = spawnWithPipe(arguments, false, readEnd);
    std::string line;
    char c;
    while (read(readEnd, &c, 1) == 1 && c != '\n')
        line += c;
    close(readEnd);
    try {
        m_port = std::stoi(line);
    } catch (const std::exception &) {
        m_port = 0;
    }
}

ServerProcess::~ServerProcess()
{
    if (m_pid <= 0)
        return;
    kill(m_pid, SIGTERM);
    int status = 0;
    waitpid(m_pid, &status, 0);
}

} // namespace zortest
