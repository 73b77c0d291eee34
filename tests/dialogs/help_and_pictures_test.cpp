// Every dialog's Help button opens its own page, and the pictures of all dialogs are made.
#include "manager/dialogs/CCommSetupDlg.h"
#include "manager/dialogs/CDeleteGroupDlg.h"
#include "manager/dialogs/CDeletePrinterDlg.h"
#include "manager/dialogs/CGroupPropertiesDlg.h"
#include "manager/dialogs/CJobOptionsDlg.h"
#include "manager/dialogs/CNewGroupDlg.h"
#include "manager/dialogs/CRenameDlg.h"
#include "manager/dialogs/DialogPictures.h"
#include "manager/dialogs/HelpWindow.h"
#include "tests/dialogs/DialogTestSupport.h"

#include <QImage>
#include <QTextBrowser>

#include <functional>
#include <tuple>
#include <memory>

using namespace dialogtest;
using Kind = TreeOperations::ItemKind;

namespace {

class HelpAndPictures : public DialogTest {
protected:
    HelpAndPictures()
    {
        addPrinter("Front Desk");
        addGroup("Sales", kDriver, {}, {"Front Desk"}, "Everyone on the second floor");
        addGroup("Marketing", kDriver);
        tree.select(Kind::Group, "Sales", Kind::GroupsRoot);
    }

    static sendaro::HelpWindow *helpWindow()
    {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *window = qobject_cast<sendaro::HelpWindow *>(widget); window && window->isVisible())
                return window;
        }
        return nullptr;
    }
};

TEST_F(HelpAndPictures, EveryHelpButtonOpensThePageOfItsDialog)
{
    const std::vector<std::pair<std::string, std::function<std::unique_ptr<QDialog>()>>> dialogs = {
        {"delete-group.html", [&] { return std::make_unique<CDeleteGroupDlg>(tree); }},
        {"delete-printer.html", [&] { return std::make_unique<CDeletePrinterDlg>(tree); }},
        {"group-properties.html", [&] { return std::make_unique<CGroupPropertiesDlg>(doc, "Sales", "", kDriver); }},
        {"communication-setup.html", [] { return std::make_unique<CCommSetupDlg>(); }},
        {"job-options.html", [] { return std::make_unique<CJobOptionsDlg>(); }},
        {"new-group.html", [&] { return std::make_unique<CNewGroupDlg>(tree); }},
        {"rename.html", [&] { return std::make_unique<CRenameDlg>(tree); }},
    };
    for (const auto &[page, make] : dialogs) {
        std::unique_ptr<QDialog> dialog = make();
        dialog->show();
        EXPECT_EQ(Find(*dialog, "9")->accessibleName(), "Help");
        Click(*dialog, "9");
        sendaro::HelpWindow *help = helpWindow();
        ASSERT_NE(help, nullptr) << page;
        EXPECT_EQ(help->currentPage(), QString::fromStdString("qrc:/help/" + page)) << "the page exists";
        auto *browser = help->findChild<QTextBrowser *>("HelpBrowser");
        ASSERT_NE(browser, nullptr);
        EXPECT_FALSE(browser->toPlainText().isEmpty()) << page;
        EXPECT_TRUE(dialog->isVisible()) << "help leaves the dialog open";
        help->close();
    }
    EXPECT_TRUE(tree.calls.empty());
}

TEST_F(HelpAndPictures, TheContentsPageLinksEveryDialogPage)
{
    const std::string index = zortest::TempRoot::readFile(std::string(ZORVALINE_SOURCE_DIR) + "/resources/help/index.html");
    for (const char *page : {"delete-group.html", "delete-printer.html", "group-properties.html",
                             "communication-setup.html", "job-options.html", "new-group.html", "rename.html"})
        EXPECT_NE(index.find(std::string("href=\"") + page + "\""), std::string::npos) << page;
}

TEST_F(HelpAndPictures, PicturesOfEveryDialogAreWritten)
{
    const std::string folder = root.path() + "/pictures";
    std::filesystem::create_directories(folder);
    for (const auto &[section, key, value] : {std::tuple{"IntranetSetup", "SmtpServer", "mail.example.com"},
                                              std::tuple{"IntranetSetup", "SenderEmail", "pat@example.com"},
                                              std::tuple{"HeaderFooter", "StatusRequired", "3"},
                                              std::tuple{"HeaderFooter", "Subject", "Monthly figures"}})
        WritePrivateProfileString(section, key, value, "C:\\ZORVALINE\\VComdef.ini");
    const std::string before = databaseText();
    ASSERT_TRUE(sendaro::RenderDialogs(tree, doc, QString::fromStdString(folder)));
    for (const char *name : {"delete-group", "delete-printer", "group-properties", "communication-setup",
                             "job-options", "new-group", "rename", "error-information"}) {
        QImage picture(QString::fromStdString(folder + "/" + name + ".png"));
        EXPECT_FALSE(picture.isNull()) << name;
        EXPECT_GT(picture.width(), 200) << name;
    }
    EXPECT_TRUE(tree.calls.empty()) << "making pictures changes nothing";
    EXPECT_EQ(databaseText(), before);
    // Set to a folder to look at the pictures.
    if (const char *keep = std::getenv("ZORVALINE_KEEP_PICTURES"))
        std::filesystem::copy(folder, keep, std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
}

} // namespace
