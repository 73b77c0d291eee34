// Running the real programs from a test: a program run to its end, and a server process that
// lives as long as its object and is stopped (and waited for) even when the test fails.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace zortest {

struct ProgramResult {
    int exitCode = -1; // -1 when the program could not be started or did not exit normally
    std::string output; // standard output and standard error, interleaved
};

// Runs `arguments` (the first is the program's path) with this process's environment and
// waits for it.
ProgramResult RunProgram(const std::vector<std::string> &arguments);

class ServerProcess {
public:
    // Starts the program and reads the first line it prints (its port).
    explicit ServerProcess(const std::vector<std::string> &arguments);
    ~ServerProcess();
    ServerProcess(const ServerProcess &) = delete;
    ServerProcess &operator=(const ServerProcess &) = delete;

    // The first line of output as a port number; 0 when the server did not start.
    int port() const { return m_port; }

private:
    pid_t m_pid = -1;
    int m_port = 0;
};

} // namespace zortest
