// Shared set-up of the wizard tests: the shell's temporary root and main frame, drivers of
// the printer family installed, and helpers that run a wizard command and drive the wizard's
// real widgets by their ids while it is up.
#pragma once

#include "manager/dialogs/HelpWindow.h"
#include "manager/setup/CMyWizard.h"
#include "tests/shell/ShellFixture.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QEnterEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

#include <functional>

namespace wizardtest {

inline const char *const kFamilyH7 = "Zorlan H7 Laser";
inline const char *const kFamilyJ8 = "Zorlan J8 Inkjet";

class WizardTest : public shelltest::ShellTest {
protected:
    using ShellTest::ShellTest;

    // Triggers `command`; `steps` drive the wizard it opens (a wizard still open afterwards
    // is cancelled). False when no wizard opened.
    bool runWizard(const char *command, const std::function<void(CMyWizard &)> &steps)
    {
        bool opened = false;
        QTimer::singleShot(0, [&] {
            auto *wizard = qobject_cast<CMyWizard *>(QApplication::activeModalWidget());
            if (!wizard)
                return;
            opened = true;
            steps(*wizard);
            if (wizard->isVisible())
                wizard->reject();
        });
        frame->Command(command)->trigger();
        return opened;
    }

    template <typename Widget = QWidget>
    static Widget *control(CMyWizard &wizard, const char *id)
    {
        auto *found = wizard.currentPage()->findChild<Widget *>(id);
        EXPECT_NE(found, nullptr) << "control " << id;
        return found;
    }
    static void type(CMyWizard &wizard, const char *id, const QString &text)
    {
        if (auto *edit = control<QLineEdit>(wizard, id))
            edit->setText(text);
    }
    static void tick(CMyWizard &wizard, const char *id, bool on = true)
    {
        if (auto *box = control<QCheckBox>(wizard, id); box && box->isChecked() != on)
            box->click();
    }
    // Next, and whether the wizard moved on.
    static bool next(CMyWizard &wizard)
    {
        const int before = wizard.currentId();
        wizard.next();
        return wizard.currentId() != before;
    }
    static void finish(CMyWizard &wizard) { wizard.button(QWizard::FinishButton)->click(); }
    // The page the help window shows after the wizard's Help button ("" when none opened).
    static QString helpPageOf(CMyWizard &wizard)
    {
        wizard.button(QWizard::HelpButton)->click();
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (auto *help = qobject_cast<sendaro::HelpWindow *>(widget); help && help->isVisible()) {
                const QString page = help->currentPage();
                help->close();
                return page;
            }
        return {};
    }
    // What the hint line of the current page says while the mouse is over control `id`.
    static QString hintOver(CMyWizard &wizard, const char *id)
    {
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QApplication::sendEvent(control(wizard, id), &enter);
        auto *line = control<QLabel>(wizard, "1032");
        return line ? line->text() : QString();
    }
};

} // namespace wizardtest
