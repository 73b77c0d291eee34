// Selvra, the destination chooser: the monitor starts it at the end of every job, with no
// arguments, and reads its answer from VTemp.ini and VComDef.ini.
#include "chooser/ChooserTimeOut.h"
#include "chooser/DialogChooser.h"
#include "chooser/HeadlessChooser.h"
#include "platform/ui/ui.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void printHelp()
{
    std::printf(
        "usage: Selvra.exe          (started by the Zorvaline port monitor for each job)\n"
        "       selvra --help | --version\n\n"
        "Chooses where a print job is mailed. It reads the job's printer and document name\n"
        "from [PrintJob] of VComDef.ini and the destination database named by [DefaultSetup]\n"
        "Database (both files in the install directory of C:\\WINDOWS\\SYSTEM\\Varnel.ini).\n\n"
        "With a display it shows a dialog: the printers and groups of the database as\n"
        "Sendaro's tree shows them, the destination named like the job's printer (else the\n"
        "database's default item) chosen already, and the addresses the chosen destinations\n"
        "stand for. Several destinations can be chosen at once (Ctrl, Shift). OK sends the\n"
        "job to each address once; Cancel drops the job. Without an answer within the\n"
        "time-out (shown in the dialog, started again whenever the choice changes) the job\n"
        "is dropped as with Cancel.\n\n"
        "Without a display it asks nobody: it takes the printer or group whose name is the\n"
        "job's printer name (without regard to case), else the database's default item.\n\n"
        "A group stands for the printers of its sub-groups too, each once. It answers in\n"
        "the install directory: VTemp.ini [Destination] Address (the addresses, each once,\n"
        "comma-joined); per address a section of VComDef.ini with Split, Header, Trailer,\n"
        "Password, Subject (the document name when [HeaderFooter] Subject is empty),\n"
        "Recipient and RcptLocation; and VComDef.ini [Selvra] App = TRUE. A printer whose\n"
        "e-mail address fails the e-mail check of the manager (letters, digits, @ - _ .\n"
        "only, 1 to 80 characters) or does not hold exactly one @ is left out with a\n"
        "warning (in the dialog: in the address list). When no destination can be taken,\n"
        "App = FALSE and a message box with the caption \"Selvra\" says why; a cancelled\n"
        "or timed-out dialog says so on standard error.\n\n"
        "environment:\n"
        "  ZORVALINE_UI                 auto (default): the dialog when there is a display\n"
        "                               (DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM set; one\n"
        "                               that cannot be reached counts as none); qt: the\n"
        "                               same; headless: never a dialog\n"
        "  ZORVALINE_CHOOSER_TIMEOUT_S  the dialog's time-out in seconds, 1 to %d\n"
        "                               (default %d)\n"
        "  ZORVALINE_UI_LOG             a file that gets one JSON line per message box\n"
        "  ZORVALINE_ROOT               the Windows root\n"
        "Without the dialog, message boxes are written to standard error.\n\n"
        "exit status: 0 job confirmed, 1 job declined (App = FALSE), 2 the answer could\n"
        "not be written or bad usage\n",
        selvra::ChooserTimeOut::kMaximumSeconds, selvra::ChooserTimeOut::kDefaultSeconds);
}

bool isSet(const char *name)
{
    const char *value = std::getenv(name);
    return value && *value;
}

// Where a Qt window can be shown: an X or Wayland display, or a Qt platform named outright
// (offscreen, vnc ...).
bool displayAvailable()
{
    return isSet("DISPLAY") || isSet("WAYLAND_DISPLAY") || isSet("QT_QPA_PLATFORM");
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 2 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h"))) {
        printHelp();
        return 0;
    }
    if (argc == 2 && !std::strcmp(argv[1], "--version")) {
        std::printf("selvra %s\n", ZORVALINE_VERSION);
        return 0;
    }
    if (argc > 1) {
        std::fprintf(stderr, "selvra: takes no arguments (try 'selvra --help')\n");
        return selvra::kAnswerNotWritten;
    }
    const zorplat::UiMode mode = zorplat::UiModeFromEnvironment();
    if (mode == zorplat::UiMode::Headless)
        return selvra::RunHeadlessChooser();
    if (!displayAvailable()) {
        if (mode == zorplat::UiMode::Qt)
            std::fprintf(stderr, "selvra: ZORVALINE_UI=qt, but there is no display (DISPLAY, WAYLAND_DISPLAY and "
                                 "QT_QPA_PLATFORM are unset); choosing without a dialog\n");
        return selvra::RunHeadlessChooser();
    }
    std::string warning;
    const int timeOut = selvra::ChooserTimeOut::SecondsFromEnvironment(warning);
    if (!warning.empty())
        std::fprintf(stderr, "selvra: %s\n", warning.c_str());
    return selvra::RunDialogChooser(argc, argv, timeOut);
}
