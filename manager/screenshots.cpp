// sendaro_screenshots FOLDER: renders the manager's windows with real widgets, on the database
// of the root that ZORVALINE_ROOT names, to FOLDER/<name>.png. scripts/screenshots prepares
// the root and runs it. Exit 0 when every picture was written.
#include "manager/dialogs/DialogPictures.h"
#include "manager/setup/WizardPictures.h"
#include "manager/setup/DriverPictures.h"
#include "manager/shell/CAboutDlg.h"
#include "manager/shell/CMainFrame.h"
#include "manager/shell/CManagerApp.h"
#include "manager/shell/TreeView.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QThread>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

struct Shot {
    const char *name;
    std::function<QWidget *(CMainFrame &)> make; // the widget to show; the frame owns it
};

// Every picture, one line each.
std::vector<Shot> shots()
{
    return {
        {"main-window", [](CMainFrame &frame) -> QWidget * { return &frame; }},
        {"about", [](CMainFrame &frame) -> QWidget * { return new CAboutDlg(&frame); }},
    };
}

// The window as a user first sees something in it: the first group selected and open.
void selectFirstGroup(CMainFrame &frame)
{
    TreeView &tree = *frame.Tree();
    QTreeWidgetItem *groups = tree.GroupsRoot();
    if (groups->childCount() == 0)
        return;
    QTreeWidgetItem *group = groups->child(0);
    tree.expandItem(group);
    tree.setCurrentItem(group);
}

void settle()
{
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
        QThread::msleep(20);
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: sendaro_screenshots FOLDER\n");
        return 2;
    }
    setenv("ZORVALINE_UI", "headless", 1);
    QApplication application(argc, argv);
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "sendaro_screenshots: cannot create %s\n", argv[1]);
        return 1;
    }
    int status = 0;
    {
        CManagerApp app;
        if (!app.InitInstance({})) {
            std::fprintf(stderr, "sendaro_screenshots: sendaro did not start on this root\n");
            return 1;
        }
        CMainFrame &frame = *app.MainFrame();
        selectFirstGroup(frame);
        for (const Shot &shot : shots()) {
            QWidget *widget = shot.make(frame);
            widget->show();
            settle();
            const QString file = folder.filePath(QString(shot.name) + ".png");
            if (widget->grab().save(file))
                std::printf("%s\n", qPrintable(file));
            else {
                std::fprintf(stderr, "sendaro_screenshots: could not write %s\n", qPrintable(file));
                status = 1;
            }
            if (widget != &frame)
                widget->close();
        }
        // The dialogs, on the same tree and database.
        TreeView &tree = *frame.Tree();
        if (!sendaro::RenderDialogs(tree, tree.Document(), folder.path()))
            status = 1;
        if (!sendaro::RenderWizards(tree, folder.path()))
            status = 1;
        if (!sendaro::RenderDriverDialogs(folder.path()))
            status = 1;
    }
    return status;
}
