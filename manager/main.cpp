// sendaro: the manager of the destination database and of the Windows printers that stand
// for its destinations.
#include "manager/qtui/QtUiBackend.h"
#include "manager/shell/CManagerApp.h"
#include "manager/dialogs/ManagerIcons.h"
#include "platform/ui/ui.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

namespace {

const char kUsage[] =
    "Usage: sendaro [DATABASE]\n"
    "\n"
    "Sendaro keeps the destination database of Zorvaline (the Internet printers, with their\n"
    "e-mail addresses, drivers and settings, and the groups of printers) and one Windows\n"
    "printer per destination on the port ZORVALINE_INTERNET:. Every change is saved at once.\n"
    "\n"
    "Without DATABASE it opens Sendaro.Cfg of the installation directory ([Install] Directory\n"
    "of Varnel.ini), creating it when missing. Only one Sendaro runs per Windows root; a\n"
    "second start brings the first one's window to the front.\n"
    "\n"
    "Environment:\n"
    "  ZORVALINE_ROOT    the Windows root (default ${XDG_DATA_HOME:-$HOME/.local/share}/zorvaline)\n"
    "  ZORVALINE_UI      headless: message boxes answer with their default button\n"
    "  ZORVALINE_UI_LOG  a file that gets one JSON line per message box\n"
    "\n"
    "Options:\n"
    "  -h, --help        show this text\n"
    "      --version     show the version\n";

} // namespace

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("sendaro %s\n", ZORVALINE_VERSION);
            return 0;
        } else if (argv[i][0] == '-') {
            std::fprintf(stderr, "sendaro: unknown option %s\n%s", argv[i], kUsage);
            return 2;
        }
    if (argc > 2) {
        std::fprintf(stderr, "sendaro: one database at most\n%s", kUsage);
        return 2;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName("Sendaro");
    QApplication::setWindowIcon(sendaro::ProgramIcon());
    // Desktops find the window's entry and icon through it (sendaro.desktop).
    QApplication::setDesktopFileName("sendaro");
    zorqtui::InstallQtUiBackend();
    int result = 1;
    {
        CManagerApp manager;
        if (manager.InitInstance(application.arguments().mid(1)))
            result = application.exec();
    }
    // The backend's windows go before the application object does.
    zorplat::SetUiBackend(nullptr);
    return result;
}
