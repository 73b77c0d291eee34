// Commands that change the root check first that it can be written, so a read-only or
// misplaced root fails with one line naming the folder rather than halfway through, or
// with a spooler error that blames something else.
#pragma once

#include <string>

// Writes and removes a probe file in the root. When that fails, prints
// "zorvaline COMMAND: cannot write to the root ROOT: REASON" and returns false.
bool CheckRootWritable(const char *command, const std::string &root);
