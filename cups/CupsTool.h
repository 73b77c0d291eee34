// Running one of CUPS's administration programs (lpadmin ...) and collecting what it said.
#pragma once

#include <string>
#include <vector>

struct ToolRun {
    int exitCode = -1;  // -1 when it could not be started or did not exit normally
    std::string output; // standard output and standard error
};

// Runs `arguments` (arguments[0] is looked up in PATH, then in /usr/sbin, where Debian keeps
// lpadmin) with this process's environment, so CUPS_SERVER reaches it.
ToolRun RunCupsTool(const std::vector<std::string> &arguments);
