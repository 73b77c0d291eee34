// What the steps of `zorvaline setup` share: the choices made so far, the machine's ports,
// and the report printed as they go.
#pragma once

#include "tools/MachinePorts.h"
#include "tools/ProgramFiles.h"

#include <string>
#include <vector>

struct SetupContext {
    std::string root;              // Linux path of the Windows root
    std::string installDirectory;  // Windows path; decided by the first step
    bool installDirectoryGiven = false;
    std::vector<MachinePort> ports;
    ProgramFiles files;            // where the programs and resources placed come from
    std::string failure;           // set by a step that returns false

    // One line each on stdout.
    void created(const std::string &what) const;
    void updated(const std::string &what) const;
    void upToDate(const std::string &what) const;
    void removed(const std::string &what) const;

    // Records why the step failed; returns false for `return ctx.fail(...)`.
    bool fail(std::string why);
};

// A readable reason for a Windows error code from the platform layer.
std::string DescribeError(unsigned long error);
