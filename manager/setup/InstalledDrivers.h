// The printer drivers of the maker's family that the spooler has installed, as the Add
// Printer wizard offers them: upper case, and only the six models this software serves.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sendaro {

// ASCII letters to upper case; other bytes of the ANSI code page stay as they are.
std::string UpperCase(std::string_view text);

// The installed drivers (level 1, current environment) whose upper-case name contains
// "ZOR", in upper case and in the spooler's order. Empty when the enumeration fails.
std::vector<std::string> InstalledFamilyDrivers();

// Whether an upper-case driver name is one of the six models offered: it contains
// "ORLAN H3", "ORLAN H7", "ORLAN J7", "ORLAN J8", "ORLAN K7" or "ORLAN K8".
bool IsOfferedModel(std::string_view upperCaseName);

} // namespace sendaro
