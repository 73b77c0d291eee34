// Where the files that `zorvaline setup` places into a root come from: the programs built
// or installed together with this one. In the build tree every program and module lies in
// one folder and the resources in the source tree; an installed zorvaline finds them under
// its prefix (the chooser beside it in bin, the monitor in lib/zorvaline, the resources in
// share/zorvaline).
#pragma once

#include <string>

struct ProgramFiles {
    bool installed = false;    // from an installed prefix rather than the build tree
    std::string programFolder; // the chooser `selvra`
    std::string moduleFolder;  // the monitor `libzormon.so`
    std::string resourceFolder; // banner01.ps and the other resources

    // The files of this zorvaline: installed when the prefix's resource folder is there.
    static ProgramFiles Locate();
};
