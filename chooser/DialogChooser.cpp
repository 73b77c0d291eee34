#include "chooser/DialogChooser.h"

#include "chooser/ChooserDialog.h"
#include "chooser/HeadlessChooser.h"
#include "manager/dialogs/ManagerIcons.h"
#include "manager/qtui/QtUiBackend.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

namespace selvra {

namespace {

std::string secondsText(int seconds)
{
    return std::to_string(seconds) + (seconds == 1 ? " second" : " seconds");
}

} // namespace

ChooserResult ChooseInDialog(ChooserTimeOut &timeOut)
{
    ChooserSession session;
    if (!session.Open())
        return session.Result();
    const DatabaseContents database = session.Database();
    if (database.printers.empty() && database.groups.empty())
        return session.Decline("The destination database " + session.Job().databasePath +
                               " holds no printer and no group.");
    if (timeOut.Expired()) // a box about the database stayed up until the time ran out
        return session.DeclineQuietly("No answer came within " + secondsText(timeOut.Seconds()) + ".");
    ChooserDialog dialog(session, timeOut);
    // A print job's dialog comes up in front of whatever the user is doing. (Shown by exec()
    // alone: a dialog shown before exec() would not be modal.)
    QTimer::singleShot(0, &dialog, [&dialog] {
        dialog.raise();
        dialog.activateWindow();
    });
    if (dialog.exec() == QDialog::Accepted)
        return session.Confirm(dialog.Addresses(), dialog.SelectionText());
    if (timeOut.Expired())
        return session.DeclineQuietly("No answer came within " + secondsText(timeOut.Seconds()) + ".");
    return session.DeclineQuietly("The job was cancelled in the chooser.");
}

ChooserResult RunDialogChooser(int &argc, char **argv, int timeOutSeconds)
{
    // Qt ends the process when no platform it tries can start; offscreen always starts, and
    // there it means the display could not be reached: a job must not die of that.
    const bool platformNamed = !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    if (!platformNamed)
        qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ? "xcb;offscreen"
                                                                                    : "wayland;xcb;offscreen");
    QApplication application(argc, argv);
    if (!platformNamed && QGuiApplication::platformName() == "offscreen") {
        std::fprintf(stderr, "selvra: the display cannot be reached; choosing without a dialog\n");
        return RunHeadlessChooser();
    }
    QApplication::setApplicationName("Selvra");
    QApplication::setWindowIcon(sendaro::ProgramIcon());
    zorqtui::InstallQtUiBackend();
    ChooserResult result;
    {
        ChooserTimeOut timeOut(timeOutSeconds);
        result = ChooseInDialog(timeOut);
    }
    // The backend's windows go before the application object does.
    zorplat::SetUiBackend(nullptr);
    return result;
}

} // namespace selvra
