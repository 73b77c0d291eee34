#include "manager/dialogs/ControlExchange.h"

#include "manager/database/ManagerStrings.h"
#include "manager/dialogs/Prompts.h"
#include "manager/dialogs/PropertyStrings.h"

#include <QLineEdit>

#include <algorithm>

namespace sendaro {

namespace {

bool refuse(QLineEdit *control, const QString &text)
{
    Prompt(text.toStdString(), MB_OK | MB_ICONEXCLAMATION);
    control->setFocus();
    control->selectAll();
    return false;
}

QString message(UINT id)
{
    return QString::fromStdString(zordb::ManagerString(id));
}

} // namespace

bool TakeText(QLineEdit *control, int maxChars, std::string &value)
{
    if (control->text().size() > maxChars)
        return refuse(control, message(IDS_ENTER_NO_MORE_THAN).arg(maxChars));
    value = control->text().toStdString();
    return true;
}

bool TakeInteger(QLineEdit *control, int low, int high, int &value)
{
    bool isNumber = false;
    const int number = control->text().trimmed().toInt(&isNumber);
    if (!isNumber)
        return refuse(control, message(IDS_ENTER_INTEGER));
    if (number < low || number > high)
        return refuse(control, message(IDS_ENTER_INTEGER_BETWEEN).arg(low).arg(high));
    value = number;
    return true;
}

void LimitText(QLineEdit *control, int maxChars)
{
    control->setMaxLength(std::max(maxChars, static_cast<int>(control->text().size())));
}

} // namespace sendaro
