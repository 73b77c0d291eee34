// The printer property sheet run by the Properties command and by a double click: what OK
// and Cancel leave in the document, in Sendaro.Cfg and among the spooler's printers.
#include "manager/dialogs/PrinterProperty.h"
#include "manager/shell/PendingPrinter.h"
#include "tests/shell/ShellFixture.h"

#include <QLineEdit>
#include <QTest>

#include <functional>

namespace {

using namespace shelltest;

class PrinterProperties : public ShellTest {
protected:
    PrinterProperties()
    {
        openFrame();
        tree->pendingPrinter = PendingPrinter{};
        tree->pendingPrinter.PrinterName = "P1";
        tree->pendingPrinter.PrinterDriver = kDriverH7;
        tree->pendingPrinter.PrinterEmail = "p1@print.example";
        tree->pendingPrinter.MaxPacketSizeInKb = 10;
        EXPECT_EQ(tree->AddNewDestination("P1", true), 1);
        addGroup("Sales", {}, {"P1"});
        EXPECT_EQ(tree->AddWindowsPrinter(kDriverH7, "Sales"), 1);
        doc.LinkContainingGroups();
        rebuild();
        EXPECT_TRUE(doc.OnSaveDocument(doc.DatabasePath()));
    }

    // Runs the sheet that `open` brings up: `edit` changes it, then OK or Cancel.
    void answerSheet(const std::function<void()> &open, bool ok, const std::function<void(PrinterProperty &)> &edit)
    {
        bool shown = false;
        QTimer::singleShot(0, [&] {
            auto *sheet = qobject_cast<PrinterProperty *>(QApplication::activeModalWidget());
            ASSERT_NE(sheet, nullptr);
            shown = true;
            edit(*sheet);
            ok ? sheet->accept() : sheet->reject();
        });
        open();
        EXPECT_TRUE(shown);
    }

    static void setEmail(PrinterProperty &sheet, const char *email)
    {
        sheet.findChild<QLineEdit *>("1009")->setText(email);
    }

    QTreeWidgetItem *memberItem() { return child(groupItem("Sales"), "P1"); }
};

TEST_F(PrinterProperties, OkAppliesSavesAndKeepsTheWindowsPrinter)
{
    select(printerItem("P1"));
    answerSheet([&] { frame->Command("Properties")->trigger(); }, true,
                [](PrinterProperty &sheet) { setEmail(sheet, "new@print.example"); });
    EXPECT_EQ(doc.Printers()[0]->PrinterEmail, "new@print.example");
    EXPECT_NE(databaseText().find("PrinterEmail=new@print.example"), std::string::npos) << databaseText();
    EXPECT_EQ(windowsPrinters(), (std::vector<std::string>{"P1", "Sales"}));
    EXPECT_EQ(windowsPrinter("P1").driver, kDriverH7);
    EXPECT_EQ(windowsPrinter("P1").port, "ZORVALINE_INTERNET:");
    EXPECT_NE(printerItem("P1"), nullptr) << "the rebuilt tree shows the printer";
    EXPECT_NE(memberItem(), nullptr);
}

TEST_F(PrinterProperties, CancelChangesNothing)
{
    const std::string before = databaseText();
    select(printerItem("P1"));
    answerSheet([&] { frame->Command("Properties")->trigger(); }, false,
                [](PrinterProperty &sheet) { setEmail(sheet, "new@print.example"); });
    EXPECT_EQ(doc.Printers()[0]->PrinterEmail, "p1@print.example");
    EXPECT_EQ(databaseText(), before);
}

TEST_F(PrinterProperties, MemberItemKeepsItsValuesWithoutTouchingTheWindowsPrinter)
{
    select(memberItem());
    QTreeWidgetItem *before = memberItem();
    answerSheet([&] { frame->Command("Properties")->trigger(); }, true,
                [](PrinterProperty &sheet) { setEmail(sheet, "member@print.example"); });
    EXPECT_EQ(doc.Printers()[0]->PrinterEmail, "member@print.example") << "OK keeps what the user typed";
    EXPECT_NE(databaseText().find("PrinterEmail=member@print.example"), std::string::npos);
    EXPECT_EQ(memberItem(), before) << "the tree is not rebuilt";
    EXPECT_EQ(windowsPrinters(), (std::vector<std::string>{"P1", "Sales"}));
}

TEST_F(PrinterProperties, DoubleClickOkSavesAndRebuildsShortlyAfter)
{
    select(printerItem("P1"));
    QTreeWidgetItem *item = printerItem("P1");
    const QPoint at = tree->visualItemRect(item).center();
    answerSheet([&] { QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at); }, true,
                [](PrinterProperty &sheet) { sheet.findChild<QLineEdit *>("1007")->setText("Front desk"); });
    EXPECT_EQ(doc.Printers()[0]->PrinterDescription, "Front desk");
    EXPECT_NE(databaseText().find("PrinterDescription=Front desk"), std::string::npos);
    EXPECT_TRUE(QTest::qWaitFor([&] { return printerItem("P1") != item; }, 2000)) << "the deferred rebuild";
}

} // namespace
