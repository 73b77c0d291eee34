// A temporary root with an install directory, for tests of the monitor's settings: Varnel.ini
// points at C:\ZORVALINE, and VComDef.ini / VTemp.ini there are written from plain text.
#pragma once

#include "tests/support/TempRoot.h"

#include <string>

namespace zortest {

class SettingsRoot : public TempRoot {
public:
    SettingsRoot() { writeVarnel("[Install]\r\nDirectory=C:\\ZORVALINE\r\n"); }

    void writeVarnel(const std::string &text) const { writeFile(driveC("WINDOWS/SYSTEM/Varnel.ini"), text); }
    void writeVComDef(const std::string &text) const { writeFile(install("VComDef.ini"), text); }
    void writeVTemp(const std::string &text) const { writeFile(install("VTemp.ini"), text); }
    // Linux path of a file in the install directory.
    std::string install(const std::string &name) const { return driveC("ZORVALINE/" + name); }
};

} // namespace zortest
