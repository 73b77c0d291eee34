#include "manager/dialogs/DialogForm.h"

#include "manager/dialogs/HelpWindow.h"

#include <QAbstractButton>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>

namespace sendaro {

namespace {

QString WithoutMnemonic(QString text)
{
    return text.replace("&&", "\x01").remove('&').replace('\x01', '&');
}

} // namespace

void NameControl(QWidget *control, int id, const QLabel *label)
{
    control->setObjectName(QString::number(id));
    control->setAccessibleName(label->text());
}

void NameControl(QAbstractButton *button, int id)
{
    button->setObjectName(QString::number(id));
    button->setAccessibleName(WithoutMnemonic(button->text()));
}

void SetUpButtons(QDialog *dialog, QDialogButtonBox *buttons, const char *helpPage)
{
    const struct {
        QDialogButtonBox::StandardButton which;
        int id;
        const char *text;
    } standard[] = {
        {QDialogButtonBox::Ok, kOkId, "OK"},
        {QDialogButtonBox::Cancel, kCancelId, "Cancel"},
        {QDialogButtonBox::Help, kHelpId, "&Help"},
        {QDialogButtonBox::Apply, kApplyId, "&Apply"},
    };
    for (const auto &entry : standard) {
        if (QPushButton *button = buttons->button(entry.which)) {
            button->setText(entry.text);
            NameControl(button, entry.id);
        }
    }
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    QObject::connect(buttons, &QDialogButtonBox::helpRequested, dialog,
                     [dialog, helpPage] { ShowHelp(dialog, helpPage); });
}

} // namespace sendaro
