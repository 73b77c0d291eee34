// The main window's Import, Export, Print and Print Setup commands with their prompts and
// dialogs, and the Error Information list an import leaves.
#include "tests/configfiles/ConfigFilesFixture.h"
#include "tests/shell/ShellFixture.h"

#include "manager/dialogs/CErrorInfoDlg.h"
#include "manager/dialogs/ManagerIcons.h"

#include <QHeaderView>
#include <QPageSetupDialog>
#include <QPrintDialog>

using namespace shelltest;

namespace {

const std::string kQuestion = "Do you want to export the complete document?";

class Commands : public ShellTest {
protected:
    Commands() { std::filesystem::create_directories(files()); }

    std::string files() const { return root.path() + "/files"; }

    // Answers the file dialog with `name` in the files folder and checks what it asked.
    void expectExportFile(const std::string &name, bool save = true)
    {
        prompts.expectFile(name.empty() ? "" : files() + "/" + name, [save](const sendaro::FileDialogRequest &request) {
            EXPECT_EQ(request.save, save);
            EXPECT_EQ(request.caption, save ? "Export" : "Import");
            EXPECT_EQ(request.fileName, "*.ZOR");
            EXPECT_EQ(request.filter, "Config Files (*.ZOR *.zor)");
        });
    }

    // The class of the modal dialog `command` opens (closed at once), "" when none opens.
    std::string modalOpenedBy(const char *command)
    {
        auto opened = std::make_shared<std::string>();
        QTimer::singleShot(0, [opened] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                *opened = modal->metaObject()->className();
                modal->close();
            }
        });
        frame->Command(command)->trigger();
        QApplication::processEvents();
        return *opened;
    }

    std::string exported(const std::string &name) const { return zortest::TempRoot::readFile(files() + "/" + name); }
};

TEST_F(Commands, ExportSaysSoWhenThereIsNothingToExport)
{
    openFrame();
    prompts.expectBox("Export is not possible, because the tree does not contain any data");
    frame->Command("Export")->trigger();
}

TEST_F(Commands, ExportOfTheSelectedPrinterOrTheWholeDatabase)
{
    openFrame();
    addPrinter("North Laser");
    addPrinter("South Colour");
    addGroup("Office", {}, {"South Colour"});
    rebuild();
    select(printerItem("North Laser"));
    prompts.expectBox(kQuestion, IDNO);
    expectExportFile("one.ZOR");
    frame->Command("Export")->trigger();
    const std::string one = exported("one.ZOR");
    EXPECT_NE(one.find("[North Laser]"), std::string::npos);
    EXPECT_EQ(one.find("South Colour"), std::string::npos);

    prompts.expectBox(kQuestion, IDYES);
    expectExportFile("all.ZOR");
    frame->Command("Export")->trigger();
    EXPECT_NE(exported("all.ZOR").find("[Office]"), std::string::npos);

    // With a root selected nothing is asked; a name without an extension gets ".ZOR".
    select(tree->PrintersRoot());
    expectExportFile("plain");
    frame->Command("Export")->trigger();
    EXPECT_EQ(exported("plain.ZOR"), exported("all.ZOR"));

    // Cancel in the file dialog writes nothing.
    select(tree->GroupsRoot());
    expectExportFile("");
    frame->Command("Export")->trigger();
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(files()), {}), 3);
}

TEST_F(Commands, ExportToAFolderThatIsNotThereFails)
{
    openFrame();
    addPrinter("North Laser");
    rebuild();
    select(tree->PrintersRoot());
    expectExportFile("missing/x.ZOR");
    prompts.expectBox("File writing  error!");
    frame->Command("Export")->trigger();
}

TEST_F(Commands, ImportMergesSavesAndListsTheRefusals)
{
    openFrame();
    addPrinter("North Laser");
    rebuild();
    ASSERT_TRUE(doc.OnSaveDocument(doc.DatabasePath()));
    root.writeFile(files() + "/in.ZOR", configtest::Fixture("complete.ZOR"));
    expectExportFile("in.ZOR", false);
    std::vector<std::pair<std::string, std::string>> rows;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<CErrorInfoDlg *>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        auto *list = dialog->findChild<QTreeWidget *>("1062");
        ASSERT_TRUE(list);
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            rows.emplace_back(list->topLevelItem(i)->text(0).toStdString(), list->topLevelItem(i)->text(1).toStdString());
        dialog->accept();
    });
    frame->Command("Import")->trigger();
    // North Laser was there; everything else came in, and its Windows printers with it.
    EXPECT_EQ(rows, (std::vector<std::pair<std::string, std::string>>{
                        {"North Laser", " The printer u are trying to import already exists"}}));
    EXPECT_TRUE(printerItem("Lone Printer"));
    EXPECT_TRUE(groupItem("Head Office"));
    EXPECT_TRUE(windowsPrinter("South Colour").found);
    EXPECT_EQ(windowsPrinter("Floor 1").driver, kDriverJ8);
    EXPECT_FALSE(windowsPrinter("Empty Group").found);
    const std::string saved = databaseText();
    for (const char *name : {"Head Office=Head Office", "Empty Group=Empty Group", "Lone Printer=Lone Printer"})
        EXPECT_NE(saved.find(name), std::string::npos) << name;
}

TEST_F(Commands, ImportOfADamagedFileTellsWhyAndChangesNothing)
{
    openFrame();
    const std::string before = databaseText();
    root.writeFile(files() + "/bad.ZOR", "[ChoosersDatabaseSectionNames]\r\nGhost=Ghost\r\n");
    expectExportFile("bad.ZOR", false);
    prompts.expectBox("The file to be imported is corrupted.\n\n" + files() +
                      "/bad.ZOR: the index names the section [Ghost], which is missing or empty.");
    frame->Command("Import")->trigger();
    EXPECT_EQ(databaseText(), before);
}

TEST_F(Commands, PrintAsksFirstThenShowsThePrintDialog)
{
    openFrame();
    const std::string question = zordb::ManagerString(36203);
    ASSERT_NE(question.find("click \"OK\" to continue. \n\nIf your intention"), std::string::npos);
    prompts.expectBox(question, IDCANCEL);
    EXPECT_EQ(modalOpenedBy("Print"), "");
    prompts.expectBox(question, IDOK);
    EXPECT_EQ(modalOpenedBy("Print"), "QPrintDialog");
    EXPECT_EQ(modalOpenedBy("PrintSetup"), "QPageSetupDialog");
}

TEST(ErrorInformation, ListsTheLastRefusalFirstWithItsPicture)
{
    const std::vector<ImportErrorItem> errors = {{"P1", "Laser X The associated driver is not installed.", true},
                                                 {"G1", "The group u are trying to import already exists", false},
                                                 {"P2", " The printer u are trying to import already exists", true}};
    CErrorInfoDlg dialog(errors);
    EXPECT_EQ(dialog.windowTitle(), "Error Information");
    auto *list = dialog.findChild<QTreeWidget *>("1062");
    ASSERT_TRUE(list);
    EXPECT_EQ(list->headerItem()->text(0), "ItemName");
    EXPECT_EQ(list->headerItem()->text(1), "Error Message");
    EXPECT_EQ(list->columnWidth(0), 109);
    EXPECT_EQ(list->columnWidth(1), 176);
    ASSERT_EQ(list->topLevelItemCount(), 3);
    const QImage printer = sendaro::ListPrinterIcon().pixmap(32).toImage();
    const QImage group = sendaro::ListGroupIcon().pixmap(32).toImage();
    ASSERT_NE(printer, group);
    const struct {
        const char *name, *message;
        const QImage &picture;
    } expected[] = {{"P2", " The printer u are trying to import already exists", printer},
                    {"G1", "The group u are trying to import already exists", group},
                    {"P1", "Laser X The associated driver is not installed.", printer}};
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        const QTreeWidgetItem *item = list->topLevelItem(row);
        EXPECT_EQ(item->text(0).toStdString(), expected[row].name);
        EXPECT_EQ(item->text(1).toStdString(), expected[row].message);
        EXPECT_EQ(item->icon(0).pixmap(32).toImage(), expected[row].picture);
    }
}

} // namespace
