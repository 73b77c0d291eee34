// Selvra, the destination chooser: the monitor starts it at the end of every job, with no
// arguments, and reads its answer from VTemp.ini and VComDef.ini.
#include "chooser/HeadlessChooser.h"

#include <cstdio>
#include <cstring>

namespace {

void printHelp()
{
    std::printf(
        "usage: Selvra.exe          (started by the Zorvaline port monitor for each job)\n"
        "       selvra --help\n\n"
        "Chooses where a print job is mailed. It reads the job's printer and document name\n"
        "from [PrintJob] of VComDef.ini and the destination database named by [DefaultSetup]\n"
        "Database (both files in the install directory of C:\\WINDOWS\\SYSTEM\\Varnel.ini),\n"
        "and takes the printer or group whose name is the job's printer name (without regard\n"
        "to case), else the database's default item. A group stands for the printers of its\n"
        "sub-groups too, each once.\n\n"
        "It answers in the install directory: VTemp.ini [Destination] Address (the\n"
        "addresses, each once, comma-joined); per address a section of VComDef.ini with\n"
        "Split, Header, Trailer, Password, Subject (the document name when [HeaderFooter]\n"
        "Subject is empty), Recipient and RcptLocation; and VComDef.ini [Selvra] App =\n"
        "TRUE. A printer whose e-mail address fails the e-mail check of the manager\n"
        "(letters, digits, @ - _ . only, 1 to 80 characters) or does not hold exactly one @\n"
        "is left out with a warning. When no destination can be taken, App = FALSE and a\n"
        "message box with the caption \"Selvra\" says why.\n\n"
        "There is no dialog yet: whatever ZORVALINE_UI and the display, it chooses as above\n"
        "without asking. Message boxes are written to standard error, and to the file\n"
        "ZORVALINE_UI_LOG names, if any. The root is $ZORVALINE_ROOT.\n\n"
        "exit status: 0 job confirmed, 1 job declined (App = FALSE), 2 the answer could\n"
        "not be written or bad usage\n");
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 2 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h"))) {
        printHelp();
        return 0;
    }
    if (argc > 1) {
        std::fprintf(stderr, "selvra: takes no arguments (try 'selvra --help')\n");
        return selvra::kAnswerNotWritten;
    }
    return selvra::RunHeadlessChooser();
}
