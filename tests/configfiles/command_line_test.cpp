// sendaro's forms without a window, run as the real program with no display: import with
// its exit statuses and refusals, export of everything, one printer or one group, the
// listing as PDF, usage errors, and the root's lock held by a window.
#include "tests/configfiles/ConfigFilesFixture.h"
#include "tests/e2e/ProgramRun.h"
#include "tests/shell/ShellFixture.h"

#include "manager/shell/SingleInstance.h"

#include <QLockFile>

#include <cstdlib>

using namespace shelltest;

namespace {

const std::string kSendaro = std::string(ZORVALINE_BIN_DIR) + "/sendaro";

class CommandLineForms : public ShellTest {
protected:
    CommandLineForms()
    {
        // Nothing to show a window on: the forms must not need one.
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("QT_QPA_PLATFORM");
        std::filesystem::create_directories(files());
        root.writeFile(files() + "/complete.ZOR", configtest::Fixture("complete.ZOR"));
    }

    std::string files() const { return root.path() + "/files"; }

    static std::vector<std::string> sortedLines(const std::string &text)
    {
        std::vector<std::string> lines;
        for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
            if (end > start)
                lines.push_back(text.substr(start, end - start));
        std::sort(lines.begin(), lines.end());
        return lines;
    }

    zortest::ProgramResult sendaro(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), kSendaro);
        return zortest::RunProgram(arguments);
    }
};

TEST_F(CommandLineForms, ImportTellsByItsExitStatus)
{
    const zortest::ProgramResult first = sendaro({"--import", files() + "/complete.ZOR"});
    EXPECT_EQ(first.exitCode, 0) << first.output;
    const std::string database = databaseText();
    for (const char *line : {"Head Office=Head Office\r\n", "Lone Printer=Lone Printer\r\n", "PrinterPassword=Sesame\r\n"})
        EXPECT_NE(database.find(line), std::string::npos) << line;
    EXPECT_EQ(windowsPrinter("Floor 1").driver, kDriverJ8);
    EXPECT_EQ(windowsPrinter("North Laser").port, "ZORVALINE_INTERNET:");

    const zortest::ProgramResult second = sendaro({"--import", files() + "/complete.ZOR"});
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_NE(second.output.find("North Laser:  The printer u are trying to import already exists\n"), std::string::npos)
        << second.output;
    EXPECT_NE(second.output.find("Empty Group: The group u are trying to import already exists\n"), std::string::npos);
    // Every start rewrites the database (the title and the index go last), the records stay.
    EXPECT_EQ(sortedLines(databaseText()), sortedLines(database));
}

TEST_F(CommandLineForms, ADamagedFileOrAWindowOnTheRootLeavesTheDatabaseAlone)
{
    ASSERT_EQ(sendaro({"--import", files() + "/complete.ZOR"}).exitCode, 0);
    const std::string database = databaseText();
    root.writeFile(files() + "/cut.ZOR", configtest::Fixture("complete.ZOR").substr(0, 700));
    const zortest::ProgramResult cut = sendaro({"--import", files() + "/cut.ZOR"});
    EXPECT_EQ(cut.exitCode, 2);
    EXPECT_NE(cut.output.find("The file to be imported is corrupted."), std::string::npos) << cut.output;
    EXPECT_NE(cut.output.find(files() + "/cut.ZOR: "), std::string::npos) << cut.output;
    EXPECT_EQ(databaseText(), database);

    // A window holds the root: its next save would undo an import, so none is made; the
    // forms that only read go on.
    QLockFile window(SingleInstance::LockFilePath(QString::fromStdString(root.path())));
    ASSERT_TRUE(window.tryLock(0));
    root.writeFile(files() + "/other.ZOR", configtest::Fixture("one_printer.ZOR"));
    const zortest::ProgramResult locked = sendaro({"--import", files() + "/other.ZOR"});
    EXPECT_EQ(locked.exitCode, 2);
    EXPECT_NE(locked.output.find("a Sendaro window is open"), std::string::npos) << locked.output;
    EXPECT_EQ(sendaro({"--export", files() + "/while-open.ZOR"}).exitCode, 0);
    EXPECT_EQ(databaseText(), database);
}

TEST_F(CommandLineForms, ExportWritesWhatTheExportCommandWould)
{
    ASSERT_EQ(sendaro({"--import", files() + "/complete.ZOR"}).exitCode, 0);
    EXPECT_EQ(sendaro({"--export", files() + "/all.ZOR"}).exitCode, 0);
    EXPECT_EQ(zortest::TempRoot::readFile(files() + "/all.ZOR"), configtest::Fixture("complete.ZOR"));
    EXPECT_EQ(sendaro({"--export", files() + "/printer.ZOR", "--printer", "South Colour"}).exitCode, 0);
    EXPECT_EQ(zortest::TempRoot::readFile(files() + "/printer.ZOR"), configtest::Fixture("one_printer.ZOR"));
    EXPECT_EQ(sendaro({"--export", files() + "/group.ZOR", "--group", "head office"}).exitCode, 0);
    EXPECT_EQ(zortest::TempRoot::readFile(files() + "/group.ZOR"), configtest::Fixture("one_group.ZOR"));

    const zortest::ProgramResult unknown = sendaro({"--export", files() + "/x.ZOR", "--printer", "Nobody"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(unknown.output.find("no printer named \"Nobody\""), std::string::npos) << unknown.output;
    EXPECT_EQ(sendaro({"--export", files() + "/missing/x.ZOR"}).exitCode, 2);
}

TEST_F(CommandLineForms, TheListingBecomesAPdf)
{
    ASSERT_EQ(sendaro({"--import", files() + "/complete.ZOR"}).exitCode, 0);
    const zortest::ProgramResult printed = sendaro({"--print-listing", files() + "/listing.pdf"});
    ASSERT_EQ(printed.exitCode, 0) << printed.output;
    const zortest::ProgramResult text = zortest::RunProgram({"/usr/bin/pdftotext", files() + "/listing.pdf", "-"});
    ASSERT_EQ(text.exitCode, 0);
    // Four groups on page 1, three printers on page 2.
    EXPECT_EQ(std::count(text.output.begin(), text.output.end(), '\f'), 2);
    for (const char *line : {"Page 1", "[Empty Group]", "GroupDescription=Both floors", "Page 2", "PrinterPassword=Sesame"})
        EXPECT_NE(text.output.find(line), std::string::npos) << line;
    EXPECT_EQ(sendaro({"--print-listing", files() + "/missing/listing.pdf"}).exitCode, 2);
}

TEST_F(CommandLineForms, UsageIsToldAndChecked)
{
    const zortest::ProgramResult help = sendaro({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char *text : {"--import FILE.ZOR", "--export FILE.ZOR", "--printer NAME", "--group NAME",
                             "--print-listing FILE.pdf", "Exit status"})
        EXPECT_NE(help.output.find(text), std::string::npos) << text;
    for (const std::vector<std::string> &bad :
         {std::vector<std::string>{"--import"}, {"--printer", "X"}, {"--export", "a.ZOR", "--group", "G", "--printer", "P"},
          {"--import", "a.ZOR", "--export", "b.ZOR"}, {"--import", "a.ZOR", "db.cfg"}, {"--frobnicate"}}) {
        const zortest::ProgramResult result = sendaro(bad);
        EXPECT_EQ(result.exitCode, 2) << bad[0];
        EXPECT_NE(result.output.find("Usage: sendaro"), std::string::npos);
    }
}

} // namespace
