// sendaro_icons FOLDER: writes the program's icon, as the program draws it, into an icon
// theme folder: FOLDER/hicolor/<size>x<size>/apps/sendaro.png for the sizes desktops ask
// for. The build runs it; the installation copies the folder into share/icons.
#include "manager/dialogs/ManagerIcons.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: sendaro_icons FOLDER\n");
        return 2;
    }
    QGuiApplication application(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString apps = QString("%1/hicolor/%2x%2/apps").arg(folder).arg(size);
        const QString file = apps + "/sendaro.png";
        if (!QDir().mkpath(apps) || !sendaro::ProgramPicture(size).save(file)) {
            std::fprintf(stderr, "sendaro_icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
