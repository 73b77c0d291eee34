#include "manager/dialogs/DialogIcons.h"

namespace sendaro {

QIcon GroupIcon()
{
    return QIcon(":/icons/group.xpm");
}

QIcon ProgramIcon()
{
    return QIcon(":/icons/sendaro.xpm");
}

} // namespace sendaro
