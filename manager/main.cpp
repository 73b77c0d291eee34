// sendaro: the manager of the destination database and of the Windows printers that stand
// for its destinations.
#include "manager/qtui/QtUiBackend.h"
#include "manager/shell/CManagerApp.h"
#include "manager/shell/CommandLine.h"
#include "manager/dialogs/ManagerIcons.h"
#include "platform/ui/ui.h"

#include <QApplication>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("sendaro %s\n", ZORVALINE_VERSION);
            return 0;
        }
    const sendaro::CommandLine command = sendaro::CommandLine::Parse(std::vector<std::string>(argv + 1, argv + argc));
    if (command.mode == sendaro::CommandLine::Mode::Help) {
        std::fputs(sendaro::kCommandLineUsage, stdout);
        return 0;
    }
    if (command.mode == sendaro::CommandLine::Mode::Invalid) {
        std::fprintf(stderr, "sendaro: %s\n%s", command.error.c_str(), sendaro::kCommandLineUsage);
        return sendaro::kCommandFailed;
    }
    if (command.Headless()) {
        // No display needed: the offscreen platform gives the fonts the listing uses, and
        // message boxes go to standard error through the headless UI backend.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication application(argc, argv);
        return sendaro::RunHeadless(command, std::cerr);
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
        const QStringList database = command.database.empty() ? QStringList() : QStringList{QString::fromStdString(command.database)};
        if (manager.InitInstance(database))
            result = application.exec();
    }
    // The backend's windows go before the application object does.
    zorplat::SetUiBackend(nullptr);
    return result;
}
