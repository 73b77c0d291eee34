// sendaro's command line: the window (on the installation's database, or on DATABASE), or
// one of the forms that work without a window, for scripted administration:
//     sendaro --import FILE.ZOR
//     sendaro --export FILE.ZOR [--printer NAME | --group NAME]
//     sendaro --print-listing FILE.pdf
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace sendaro {

// What --help prints.
extern const char kCommandLineUsage[];

// Exit statuses of the forms without a window.
enum CommandLineStatus : int {
    kCommandDone = 0,      // the import took every record; the export or listing is written
    kCommandRefused = 1,   // the import refused some records (each told on standard error)
    kCommandFailed = 2,    // bad usage; a corrupted file; the database cannot be opened or
                           // saved; a Sendaro window holds the root (import); nothing to
                           // export; an output file that cannot be written
};

struct CommandLine {
    enum class Mode { Window, Help, Import, Export, PrintListing, Invalid };

    Mode mode = Mode::Window;
    std::string file;     // Import, Export, PrintListing: the file read or written
    std::string database; // Window: the database to open; empty for the installation's
    std::string printer;  // Export: that printer only
    std::string group;    // Export: that group with its sub-groups and printers
    std::string error;    // Invalid: what is wrong with the arguments

    // The arguments after the program's name.
    static CommandLine Parse(const std::vector<std::string> &arguments);

    bool Headless() const { return mode == Mode::Import || mode == Mode::Export || mode == Mode::PrintListing; }
};

// Runs a form without a window on the installation's database of the Windows root, and
// returns its exit status. Messages go to `err`, each starting with "sendaro: "; an
// import's refused records as "name: message", one a line. A QApplication must exist
// (printing needs its fonts; an offscreen one will do).
int RunHeadless(const CommandLine &command, std::ostream &err);

} // namespace sendaro
