// Selvra's dialog on a root as the monitor leaves it: what it offers, what it preselects,
// what OK writes for several destinations at once, and how Cancel and the time-out decline.
#include "chooser/ChooserDialog.h"
#include "chooser/DialogChooser.h"
#include "manager/qtui/QtUiBackend.h"
#include "tests/chooser/ChooserFixture.h"
#include "tests/support/gui/PromptQueue.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace choosertest {
namespace {

using selvra::ChooserDialog;
using selvra::ChooserTimeOut;

QStringList childTexts(const QTreeWidgetItem *item)
{
    QStringList texts;
    for (int i = 0; i < item->childCount(); ++i)
        texts << item->child(i)->text(0);
    return texts;
}

QStringList listTexts(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

QTreeWidgetItem *findItem(QTreeWidget *tree, const QString &text)
{
    const QList<QTreeWidgetItem *> found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

class DialogChoice : public ChooserTest {
protected:
    DialogChoice()
    {
        addPrinter({"P1", "p1@print.test", true, 4, true, true, "", "Ann", "Room 1"});
        addPrinter({"P2", "p2@print.test", false, 50, false, true, "Sesame", "Bob", ""});
        addPrinter({"P3", "p3@print.test", false, 0, true, false, "", "", "Hall"});
        addPrinter({"Broken", "no-at-sign.print.test"});
        addGroup("Everyone", {"Upstairs"}, {"P1", "P2"});
        addGroup("Upstairs", {}, {"P3", "Broken"});
        saveDatabase("Everyone", "FALSE");
        setValue("PrintJob", "PrinterName", "p2");
    }

    // Runs the chooser with its dialog; `drive` runs once the dialog is up.
    selvra::ChooserResult choose(int seconds, std::function<void(ChooserDialog &)> drive)
    {
        ChooserTimeOut timeOut(seconds);
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<ChooserDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr) << "the dialog is not up";
            if (drive)
                drive(*dialog);
        });
        return selvra::ChooseInDialog(timeOut);
    }

    static QTreeWidget *tree(ChooserDialog &dialog)
    {
        return dialog.findChild<QTreeWidget *>(ChooserDialog::kTreeName);
    }
    static QListWidget *addressList(ChooserDialog &dialog)
    {
        return dialog.findChild<QListWidget *>(ChooserDialog::kAddressListName);
    }
    static QPushButton *okButton(ChooserDialog &dialog)
    {
        return dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
    }

    zortest::PromptQueue prompts;
};

TEST_F(DialogChoice, OffersTheDestinationsAsTheManagerShowsThemWithTheJobPrinterChosen)
{
    ASSERT_TRUE(WritePrivateProfileString("Selvra", "App", "TRUE", kVComDef));
    const selvra::ChooserResult result = choose(60, [&](ChooserDialog &dialog) {
        QTreeWidget *destinations = tree(dialog);
        ASSERT_NE(destinations, nullptr);
        ASSERT_EQ(destinations->topLevelItemCount(), 2);
        QTreeWidgetItem *printers = destinations->topLevelItem(0);
        QTreeWidgetItem *groups = destinations->topLevelItem(1);
        EXPECT_EQ(printers->text(0), "Printers");
        EXPECT_EQ(groups->text(0), "Groups");
        EXPECT_EQ(childTexts(printers), QStringList({"Broken", "P3", "P2", "P1"})) << "reverse of the database order";
        EXPECT_EQ(childTexts(groups), QStringList({"Everyone{DEFAULT}", "Upstairs"}));
        EXPECT_EQ(childTexts(groups->child(0)), QStringList({"Upstairs", "P1", "P2"})) << "sub-groups, then printers";
        EXPECT_FALSE(printers->flags() & Qt::ItemIsSelectable) << "a root is no destination";

        // The job's printer, named in another case, is chosen; the default group is not.
        const QList<QTreeWidgetItem *> selected = destinations->selectedItems();
        ASSERT_EQ(selected.size(), 1);
        EXPECT_EQ(selected[0]->text(0), "P2");
        EXPECT_EQ(listTexts(addressList(dialog)), QStringList({"p2@print.test  (P2)"}));
        EXPECT_TRUE(okButton(dialog)->isEnabled());
        EXPECT_EQ(dialog.findChild<QLabel *>(ChooserDialog::kTimeLeftName)->text(),
                  "Without an answer the job is cancelled in 1:00.");
        dialog.reject();
    });
    EXPECT_EQ(result, selvra::kJobDeclined);
    EXPECT_EQ(app(), "FALSE") << "Cancel leaves the job declined";
    EXPECT_EQ(addresses(), "<absent>");
}

TEST_F(DialogChoice, SeveralDestinationsSendToEachAddressOnceWithThePrintersSettings)
{
    const selvra::ChooserResult result = choose(60, [&](ChooserDialog &dialog) {
        QTreeWidget *destinations = tree(dialog);
        // The default group, and its sub-group chosen again as a member of it: Upstairs
        // counts once, P2 (preselected, and in Everyone) too.
        findItem(destinations, "Everyone{DEFAULT}")->setSelected(true);
        destinations->topLevelItem(1)->child(0)->child(0)->setSelected(true);
        EXPECT_EQ(listTexts(addressList(dialog)),
                  QStringList({"p2@print.test  (P2)", "p1@print.test  (P1)", "p3@print.test  (P3)",
                               "left out: Broken, address \"no-at-sign.print.test\" cannot be used"}));
        EXPECT_EQ(dialog.SelectionText(), "Printer \"P2\", Group \"Everyone\", Group \"Upstairs\"");
        QTest::mouseClick(okButton(dialog), Qt::LeftButton);
    });
    ASSERT_EQ(result, selvra::kJobConfirmed);
    EXPECT_EQ(app(), "TRUE");
    EXPECT_EQ(addresses(), "p2@print.test,p1@print.test,p3@print.test");
    EXPECT_EQ(value("p1@print.test", "Split"), "4");
    EXPECT_EQ(value("p1@print.test", "Header"), "TRUE");
    EXPECT_EQ(value("p2@print.test", "Split"), "0");
    EXPECT_EQ(value("p2@print.test", "Password"), "Sesame");
    EXPECT_EQ(value("p2@print.test", "Recipient"), "Bob");
    EXPECT_EQ(value("p3@print.test", "RcptLocation"), "Hall");
    EXPECT_EQ(value("p3@print.test", "Subject"), "report.ps") << "no default subject: the document name";
    EXPECT_TRUE(prompts.boxes().empty()) << "the left-out printer is shown in the list, not in a box";
}

TEST_F(DialogChoice, OkNeedsAnAddressAndAnUnknownJobPrinterPreselectsTheDefaultItem)
{
    setValue("PrintJob", "PrinterName", "Somebody else's laser");
    choose(60, [&](ChooserDialog &dialog) {
        QTreeWidget *destinations = tree(dialog);
        const QList<QTreeWidgetItem *> selected = destinations->selectedItems();
        ASSERT_EQ(selected.size(), 1);
        EXPECT_EQ(selected[0]->text(0), "Everyone{DEFAULT}");
        EXPECT_TRUE(okButton(dialog)->isEnabled());

        destinations->clearSelection();
        EXPECT_FALSE(okButton(dialog)->isEnabled()) << "nothing chosen";
        findItem(destinations, "Broken")->setSelected(true);
        EXPECT_FALSE(okButton(dialog)->isEnabled()) << "only a printer without a usable address";
        dialog.reject();
    });
    EXPECT_EQ(app(), "FALSE");
}

TEST_F(DialogChoice, ChoiceOfMoreAddressesThanTheMonitorReadsCannotBeConfirmed)
{
    // 125 printers with 79-character addresses: 9999 characters joined, just what the
    // monitor reads; one address more is too many.
    for (int i = 0; i < 125; ++i) {
        std::string number = std::to_string(1000 + i);
        addPrinter({"Many " + number, std::string(64, 'm') + number + "@print.test"});
    }
    saveDatabase("Everyone", "FALSE");
    choose(60, [&](ChooserDialog &dialog) {
        QTreeWidget *destinations = tree(dialog);
        QTreeWidgetItem *printers = destinations->topLevelItem(0);
        for (int i = 0; i < printers->childCount(); ++i)
            printers->child(i)->setSelected(printers->child(i)->text(0).startsWith("Many"));
        EXPECT_TRUE(okButton(dialog)->isEnabled()) << "9999 characters";
        findItem(destinations, "P1")->setSelected(true);
        EXPECT_FALSE(okButton(dialog)->isEnabled()) << "10013 characters";
        const QListWidget *list = addressList(dialog);
        EXPECT_EQ(list->item(list->count() - 1)->text(),
                  "too many addresses for one job: 10013 characters, at most 9999");
        dialog.reject();
    });
    EXPECT_EQ(app(), "FALSE");
}

TEST_F(DialogChoice, TimeOutCancelsTheJobAndCountsDownAgainWhenTheChoiceChanges)
{
    std::vector<QString> shown;
    QElapsedTimer clock;
    clock.start();
    const selvra::ChooserResult result = choose(2, [&](ChooserDialog &dialog) {
        auto *timeLeft = dialog.findChild<QLabel *>(ChooserDialog::kTimeLeftName);
        QTimer *watch = new QTimer(&dialog);
        QObject::connect(watch, &QTimer::timeout, [&shown, timeLeft] {
            if (shown.empty() || shown.back() != timeLeft->text())
                shown.push_back(timeLeft->text());
        });
        watch->start(50);
        // After a second and a half the user changes the choice: two seconds again.
        QTimer::singleShot(1500, &dialog, [&] { findItem(tree(dialog), "P1")->setSelected(true); });
    });
    const qint64 elapsed = clock.elapsed();
    EXPECT_EQ(result, selvra::kJobDeclined);
    EXPECT_EQ(app(), "FALSE");
    EXPECT_GE(elapsed, 3000) << "the change of choice started the count again";
    EXPECT_LT(elapsed, 6000);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front(), "Without an answer the job is cancelled in 0:02.");
    EXPECT_NE(std::find(shown.begin(), shown.end(), "Without an answer the job is cancelled in 0:01."), shown.end());
}

// With the real Qt message boxes: a box nobody answers (here: the database is corrupted)
// is closed by the time-out too, so the monitor is never kept waiting.
using QtMessageBoxes = ChooserTest;

TEST_F(QtMessageBoxes, TimeOutClosesABoxNobodyAnswers)
{
    root.writeFile(root.driveC("ZORVALINE/Sendaro.Cfg"), "[ChoosersDatabaseSectionNames]\r\nGone=Gone\r\n");
    zorplat::SetUiBackend(std::make_unique<zorqtui::QtUiBackend>());
    bool boxShown = false;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout,
                     [&] { boxShown |= qobject_cast<QMessageBox *>(QApplication::activeModalWidget()) != nullptr; });
    probe.start(100);
    QElapsedTimer clock;
    clock.start();
    ChooserTimeOut timeOut(1);
    const selvra::ChooserResult result = selvra::ChooseInDialog(timeOut);
    zorplat::SetUiBackend(nullptr);
    EXPECT_EQ(result, selvra::kJobDeclined);
    EXPECT_TRUE(boxShown);
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(app(), "FALSE");
}

TEST(ChooserTimeOutSetting, SecondsFromTheEnvironmentOrTheDefaultWithTheFaultyValueNamed)
{
    struct Case {
        const char *value;
        int seconds;
        bool warned;
    };
    for (const Case &c : {Case{nullptr, 120, false}, Case{"", 120, false}, Case{"1", 1, false},
                          Case{"86400", 86400, false}, Case{"0", 120, true}, Case{"86401", 120, true},
                          Case{"ten", 120, true}, Case{"5s", 120, true}, Case{"-3", 120, true},
                          Case{"99999999999999999999", 120, true}}) {
        SCOPED_TRACE(c.value ? c.value : "(unset)");
        c.value ? setenv("ZORVALINE_CHOOSER_TIMEOUT_S", c.value, 1) : unsetenv("ZORVALINE_CHOOSER_TIMEOUT_S");
        std::string warning;
        EXPECT_EQ(ChooserTimeOut::SecondsFromEnvironment(warning), c.seconds);
        if (c.warned)
            EXPECT_EQ(warning, std::string("ZORVALINE_CHOOSER_TIMEOUT_S=") + c.value +
                                   " is not a number of seconds from 1 to 86400; the time-out is 120 seconds.");
        else
            EXPECT_EQ(warning, "");
    }
    unsetenv("ZORVALINE_CHOOSER_TIMEOUT_S");
}

} // namespace
} // namespace choosertest
