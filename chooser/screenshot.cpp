// selvra_screenshot FOLDER: renders Selvra's dialog with real widgets, for the job that the
// root of ZORVALINE_ROOT was last handed ([PrintJob] of VComDef.ini), to FOLDER/chooser.png,
// with the job's printer and a second destination chosen. scripts/screenshots prepares the
// root and runs it. The root's [Selvra] App becomes FALSE, as at the start of every choice.
#include "chooser/ChooserDialog.h"

#include <QApplication>
#include <QTreeWidget>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: selvra_screenshot FOLDER\n");
        return 2;
    }
    QApplication application(argc, argv);
    selvra::ChooserSession session;
    if (!session.Open()) {
        std::fprintf(stderr, "selvra_screenshot: the root's job cannot be chosen for\n");
        return 1;
    }
    selvra::ChooserTimeOut timeOut(selvra::ChooserTimeOut::kDefaultSeconds);
    selvra::ChooserDialog dialog(session, timeOut);
    auto *tree = dialog.findChild<QTreeWidget *>(selvra::ChooserDialog::kTreeName);
    // A second destination beside the preselected one: the last printer of the list.
    QTreeWidgetItem *printers = tree->topLevelItem(0);
    if (printers->childCount() > 1)
        printers->child(0)->setSelected(true);
    dialog.adjustSize();
    dialog.show();
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    const QString file = QString::fromLocal8Bit(argv[1]) + "/chooser.png";
    if (!dialog.grab().save(file)) {
        std::fprintf(stderr, "selvra_screenshot: could not write %s\n", qPrintable(file));
        return 1;
    }
    std::printf("%s\n", qPrintable(file));
    return 0;
}
