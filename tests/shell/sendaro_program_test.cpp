// The real program, end to end: sendaro started as a process (offscreen) on a fresh root set
// up by zorvaline, a change made, and the change still there after sendaro starts again.
#include "manager/shell/CManagerApp.h"
#include "tests/e2e/ProgramRun.h"
#include "tests/shell/ShellFixture.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QAbstractButton>
#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <map>

#include <csignal>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

extern char **environ;

using namespace shelltest;

namespace {

const std::string kBin = ZORVALINE_BIN_DIR;

// sendaro running for as long as the object lives; stopped with SIGTERM (every change is
// saved when it is made, so nothing waits for an orderly exit).
class RunningSendaro {
public:
    RunningSendaro()
    {
        char *argv[] = {const_cast<char *>("sendaro"), nullptr};
        const std::string path = kBin + "/sendaro";
        if (posix_spawn(&m_pid, path.c_str(), nullptr, nullptr, argv, environ) != 0)
            m_pid = -1;
    }
    ~RunningSendaro() { stop(); }
    bool started() const { return m_pid > 0; }
    bool running() const { return m_pid > 0 && waitpid(m_pid, nullptr, WNOHANG) == 0; }
    void stop()
    {
        if (m_pid <= 0)
            return;
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

private:
    pid_t m_pid = -1;
};

ino_t inodeOf(const std::string &path)
{
    struct stat status {};
    return stat(path.c_str(), &status) == 0 ? status.st_ino : 0;
}

class Program : public ShellTest {
protected:
    Program() : ShellTest(false)
    {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("ZORVALINE_UI", "headless", 1);
    }

    std::string database() const { return root.driveC("ZORVALINE/Sendaro.Cfg"); }

    // Waits until a sendaro started now has saved the database at its start.
    bool waitForStartUpSave(const RunningSendaro &program, ino_t before)
    {
        return QTest::qWaitFor([&] {
            const ino_t now = inodeOf(database());
            return !program.running() || (now != 0 && now != before && std::filesystem::exists(root.path() + "/sendaro.lock"));
        }, 20000) && program.running();
    }
};

TEST_F(Program, ChangeSurvivesARestart)
{
    ASSERT_EQ(zortest::RunProgram({kBin + "/zorvaline", "setup"}).exitCode, 0);
    ASSERT_EQ(zortest::RunProgram({kBin + "/sendaro", "--help"}).exitCode, 0);
    {
        RunningSendaro program;
        ASSERT_TRUE(program.started());
        ASSERT_TRUE(waitForStartUpSave(program, 0)) << "sendaro did not start on a fresh root";
        // The root's lock keeps a second copy out.
        CManagerApp second;
        prompts.expectBox("Already one instance is running");
        EXPECT_FALSE(second.InitInstance({}));
    }
    installDriver(kDriverH7, "LASER");
    {
        // The change, with the real widgets: a printer, a group, the printer dropped into it.
        CManagerApp app;
        ASSERT_TRUE(app.InitInstance({})) << "the lock of the stopped copy is taken over";
        TreeView *tree = app.MainFrame()->Tree();
        tree->pendingPrinter.PrinterName = "Head Office";
        tree->pendingPrinter.PrinterDriver = kDriverH7;
        tree->pendingPrinter.PrinterEmail = "office@print.example";
        ASSERT_EQ(tree->AddNewDestination("Head Office", true), 1);
        tree->SetGroupDescription("Everyone");
        ASSERT_EQ(tree->AddNewDestination("Sales", false), 1);
        ASSERT_TRUE(tree->BeginDrag(tree->FindPrinterItem("Head Office")));
        QMimeData mime;
        mime.setData("application/x-sendaro-destination", "Head Office");
        const QPoint over = tree->visualItemRect(tree->FindGroupItem("Sales")).center();
        QDragEnterEvent enter(over, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(tree->viewport(), &enter);
        QDropEvent release(QPointF(over), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(tree->viewport(), &release);
    }
    const std::string changed = zortest::TempRoot::readFile(database());
    ASSERT_NE(changed.find("Printers=Head Office"), std::string::npos) << changed;
    {
        RunningSendaro program;
        ASSERT_TRUE(waitForStartUpSave(program, inodeOf(database())));
    }
    // Everything is still there after the restart's start-up save (which may order the
    // file's sections differently).
    CChooserDoc reloaded;
    ASSERT_TRUE(reloaded.OnNewDocument());
    ASSERT_EQ(reloaded.Groups().size(), 1u);
    ASSERT_EQ(reloaded.Printers().size(), 1u);
    const GroupRecord &group = *reloaded.Groups()[0];
    EXPECT_EQ(group.MainGroupName, "Sales");
    EXPECT_EQ(group.GroupDescription, "Everyone");
    EXPECT_EQ(group.Printers, (std::vector<std::string>{"Head Office"}));
    EXPECT_EQ(group.GroupDriver, kDriverH7);
    EXPECT_EQ(reloaded.Printers()[0]->PrinterEmail, "office@print.example");
    EXPECT_EQ(windowsPrinters(), (std::vector<std::string>{"Head Office", "Sales"}));
}

// Triggers `command` and fills the modal dialog it opens: each {id, text} typed into its
// edit, then OK (control "1") clicked. False when no dialog opened or it stayed open.
bool FillDialog(CMainFrame &frame, const char *command, std::vector<std::pair<const char *, QString>> fields)
{
    bool filled = false;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        for (const auto &[id, text] : fields) {
            auto *edit = dialog->findChild<QLineEdit *>(id);
            if (!edit)
                return dialog->reject();
            edit->clear();
            QTest::keyClicks(edit, text);
        }
        auto *ok = dialog->findChild<QAbstractButton *>("1");
        if (!ok)
            return dialog->reject();
        ok->click();
        filled = !dialog->isVisible();
        if (!filled)
            dialog->reject();
    });
    frame.Command(command)->trigger();
    return filled;
}

// What a user does on a fresh root through the dialogs: two groups, one renamed, the mail
// server set; after sendaro starts again everything is still there.
TEST_F(Program, GroupsAndSettingsMadeInTheDialogsSurviveARestart)
{
    ASSERT_EQ(zortest::RunProgram({kBin + "/zorvaline", "setup"}).exitCode, 0);
    {
        CManagerApp app;
        ASSERT_TRUE(app.InitInstance({}));
        CMainFrame &frame = *app.MainFrame();
        ASSERT_TRUE(FillDialog(frame, "AddGroup", {{"1000", "Sales"}, {"1001", "The sales floor"}}));
        ASSERT_TRUE(FillDialog(frame, "AddGroup", {{"1000", "Accounts"}, {"1001", "Second floor"}}));
        TreeView *tree = frame.Tree();
        tree->setCurrentItem(tree->FindGroupItem("Accounts"));
        ASSERT_TRUE(FillDialog(frame, "Rename", {{"1036", "Finance"}}));
        ASSERT_TRUE(FillDialog(frame, "CommunicationSetup",
                               {{"1027", "smtp.print.example"}, {"1028", "me@print.example"}}));
    }
    {
        RunningSendaro program;
        ASSERT_TRUE(waitForStartUpSave(program, inodeOf(database())));
    }
    CChooserDoc reloaded;
    ASSERT_TRUE(reloaded.OnNewDocument());
    std::map<std::string, std::string> groups;
    for (const auto &group : reloaded.Groups())
        groups[group->MainGroupName] = group->GroupDescription;
    EXPECT_EQ(groups, (std::map<std::string, std::string>{{"Finance", "Second floor"}, {"Sales", "The sales floor"}}));
    const std::string settings = zortest::TempRoot::readFile(root.driveC("ZORVALINE/VComDef.ini"));
    EXPECT_NE(settings.find("SmtpServer=smtp.print.example\r\n"), std::string::npos) << settings;
    EXPECT_NE(settings.find("SenderEmail=me@print.example\r\n"), std::string::npos) << settings;
}

} // namespace
