// Zorvaline as a user installs it: `cmake --install` into a temporary prefix puts the
// programs, libraries, resources, desktop entry, icons and man pages where a Linux desktop
// looks for them, and the installed programs alone set up a root and deliver a job.
#include "tests/e2e/ProgramRun.h"

#include "manager/database/DatabaseWriter.h"
#include "platform/profile/profile.h"
#include "tests/support/ScriptedSmtpServer.h"
#include "tests/support/TempRoot.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <set>
#include <string>
#include <vector>

namespace zortest {
namespace {

namespace fs = std::filesystem;

const std::string kBuild = ZORVALINE_BUILD_DIR;
const std::string kVersion = ZORVALINE_VERSION;

// The width and height a PNG file's header gives, or {0, 0}.
std::pair<int, int> pngSize(const std::string &file)
{
    const std::string data = TempRoot::readFile(file);
    if (data.size() < 24 || data.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 || data.compare(12, 4, "IHDR") != 0)
        return {0, 0};
    const auto number = [&](size_t at) {
        return (static_cast<unsigned char>(data[at]) << 24) | (static_cast<unsigned char>(data[at + 1]) << 16) |
               (static_cast<unsigned char>(data[at + 2]) << 8) | static_cast<unsigned char>(data[at + 3]);
    };
    return {number(16), number(20)};
}

// The command names of a usage text: the first word of each line indented by two blanks.
std::vector<std::string> listedCommands(const std::string &usage)
{
    std::vector<std::string> names;
    std::istringstream lines(usage);
    for (std::string line; std::getline(lines, line);) {
        if (line.size() < 3 || line.compare(0, 2, "  ") != 0 || !std::islower(static_cast<unsigned char>(line[2])))
            continue;
        names.push_back(line.substr(2, line.find(' ', 2) - 2));
    }
    return names;
}

// The long options a help text names: "--" and the lower-case letters and dashes after it.
std::set<std::string> longOptions(const std::string &help)
{
    std::set<std::string> names;
    for (size_t at = help.find("--"); at != std::string::npos; at = help.find("--", at + 2)) {
        size_t end = at + 2;
        while (end < help.size() && (std::islower(static_cast<unsigned char>(help[end])) || help[end] == '-'))
            ++end;
        if (end > at + 2 && std::islower(static_cast<unsigned char>(help[at + 2])))
            names.insert(help.substr(at + 2, end - at - 2));
    }
    return names;
}

class Installation : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_prefix = new std::string(fs::temp_directory_path() / ("zorvaline-install-" + std::to_string(getpid())));
        fs::remove_all(*s_prefix);
        s_install = new ProgramResult(RunProgram({CMAKE_COMMAND, "--install", kBuild, "--prefix", *s_prefix}));
    }
    static void TearDownTestSuite()
    {
        fs::remove_all(*s_prefix);
        delete s_prefix;
        delete s_install;
    }
    void SetUp() override { ASSERT_EQ(s_install->exitCode, 0) << s_install->output; }

    static std::string installed(const std::string &relative) { return *s_prefix + "/" + relative; }

    static std::string *s_prefix;
    static ProgramResult *s_install;
};

std::string *Installation::s_prefix = nullptr;
ProgramResult *Installation::s_install = nullptr;

TEST_F(Installation, EveryPartLandsWhereADesktopLooksForIt)
{
    for (const char *file : {"bin/zorvaline", "bin/sendaro", "bin/selvra", "lib/zorvaline/libzorplat.so",
                             "lib/zorvaline/libzormon.so", "share/zorvaline/banner01.ps",
                             "share/zorvaline/help/index.html", "share/zorvaline/sendaro.strings",
                             "share/applications/sendaro.desktop", "share/man/man1/zorvaline.1",
                             "share/man/man1/sendaro.1", "share/man/man1/selvra.1"})
        EXPECT_TRUE(fs::is_regular_file(installed(file))) << file;
    EXPECT_FALSE(fs::exists(installed("share/zorvaline/man"))) << "the man page sources stay out";

    const std::string entryFile = installed("share/applications/sendaro.desktop");
    ProgramResult validate = RunProgram({"/usr/bin/desktop-file-validate", entryFile});
    EXPECT_EQ(validate.exitCode, 0) << validate.output;
    EXPECT_EQ(validate.output, "");
    const std::string entry = TempRoot::readFile(entryFile);
    EXPECT_NE(entry.find("\nExec=sendaro\n"), std::string::npos);
    EXPECT_NE(entry.find("\nIcon=sendaro\n"), std::string::npos);

    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const std::string icon = installed("share/icons/hicolor/" + std::to_string(size) + "x" + std::to_string(size) +
                                           "/apps/sendaro.png");
        EXPECT_EQ(pngSize(icon), std::make_pair(size, size)) << icon;
    }
}

TEST_F(Installation, ProgramsTellTheOneVersionAndNeedNothingOfTheBuildTree)
{
    for (const char *program : {"zorvaline", "sendaro", "selvra"}) {
        ProgramResult version = RunProgram({installed(std::string("bin/") + program), "--version"});
        EXPECT_EQ(version.exitCode, 0) << version.output;
        EXPECT_EQ(version.output, std::string(program) + " " + kVersion + "\n");
        // Their libraries are found relative to where they were installed.
        ProgramResult dynamic = RunProgram({"/usr/bin/readelf", "-d", installed(std::string("bin/") + program)});
        EXPECT_NE(dynamic.output.find("[$ORIGIN/../lib/zorvaline]"), std::string::npos) << dynamic.output;
        EXPECT_EQ(dynamic.output.find(kBuild), std::string::npos) << dynamic.output;
    }
    for (const char *page : {"zorvaline", "sendaro", "selvra"}) {
        const std::string text = TempRoot::readFile(installed(std::string("share/man/man1/") + page + ".1"));
        EXPECT_NE(text.find("\"Zorvaline " + kVersion + "\""), std::string::npos) << page;
    }
}

// Setup from the installed prefix, then a job printed by the installed programs: the real
// chooser (through the link setup made) picks the printer named like the job's printer and
// the mail arrives.
TEST_F(Installation, InstalledProgramsSetUpARootAndDeliverAJob)
{
    TempRoot root;
    // A root made by the build tree's zorvaline holds copies; the installed one links.
    ProgramResult built = RunProgram({kBuild + "/bin/zorvaline", "setup"});
    ASSERT_EQ(built.exitCode, 0) << built.output;
    ASSERT_FALSE(fs::is_symlink(root.driveC("ZORVALINE/Selvra.exe")));
    const std::string zorvaline = installed("bin/zorvaline");
    ProgramResult setup = RunProgram({zorvaline, "setup"});
    ASSERT_EQ(setup.exitCode, 0) << setup.output;
    const std::string selvra = fs::canonical(installed("bin/selvra")).string();
    const std::string monitor = fs::canonical(installed("lib/zorvaline/libzormon.so")).string();
    EXPECT_NE(setup.output.find("updated C:\\ZORVALINE\\Selvra.exe -> " + selvra), std::string::npos) << setup.output;
    EXPECT_NE(setup.output.find("updated C:\\WINDOWS\\SYSTEM\\ZORMON.DLL -> " + monitor), std::string::npos)
        << setup.output;
    EXPECT_EQ(fs::read_symlink(root.driveC("ZORVALINE/Selvra.exe")), selvra);
    EXPECT_EQ(TempRoot::readFile(root.driveC("ZORVALINE/banner01.ps")),
              TempRoot::readFile(installed("share/zorvaline/banner01.ps")));

    ProgramResult again = RunProgram({zorvaline, "setup"});
    ASSERT_EQ(again.exitCode, 0) << again.output;
    EXPECT_NE(again.output.find("up to date C:\\ZORVALINE\\Selvra.exe -> " + selvra), std::string::npos)
        << again.output;

    // A destination database with one printer, the mail server, and its Windows printer.
    const std::string mailFolder = root.path() + "/mail";
    const std::string smtpServer = std::string(ZORVALINE_SOURCE_DIR) + "/tests/support/recording_smtp_server.py";
    ServerProcess server({"/usr/bin/python3", smtpServer, mailFolder});
    ASSERT_GT(server.port(), 0);
    WriteSmtpServicesFile(root, static_cast<uint16_t>(server.port()));
    const char *settings = "C:\\ZORVALINE\\VComDef.ini";
    ASSERT_TRUE(WritePrivateProfileString("IntranetSetup", "SmtpServer", "127.0.0.1", settings));
    ASSERT_TRUE(WritePrivateProfileString("IntranetSetup", "SenderEmail", "office@example.test", settings));
    GroupList groups;
    PrinterList printers;
    auto printer = std::make_unique<PrinterRecord>();
    printer->PrinterName = "Front Desk";
    printer->PrinterDriver = "Install PostScript";
    printer->PrinterEmail = "front@printers.test";
    printers.push_back(std::move(printer));
    zordb::FileProfileSink sink("C:\\ZORVALINE\\Sendaro.Cfg");
    zordb::WriteDatabase(sink, {"Groups", "Printers", "", ""}, groups, printers);

    root.writeFile(root.driveC("WINDOWS/SYSTEM/INSTPS.DRV"), "driver");
    root.writeFile(root.driveC("WINDOWS/SYSTEM/INSTPS.PPD"), "*PPD-Adobe: \"4.3\"\n");
    ProgramResult driver = RunProgram({zorvaline, "drivers", "add", "Install PostScript", "--driver", "INSTPS.DRV",
                                       "--data", "INSTPS.PPD"});
    ASSERT_EQ(driver.exitCode, 0) << driver.output;
    ProgramResult add = RunProgram({zorvaline, "printers", "add", "Front Desk", "--driver", "Install PostScript"});
    ASSERT_EQ(add.exitCode, 0) << add.output;

    const std::string job = "%!PS-Adobe-3.0\n/Helvetica findfont 12 scalefont setfont\n72 700 moveto (Installed) "
                            "show\nshowpage\n%%EOF\n";
    const std::string jobFile = root.path() + "/installed.ps";
    root.writeFile(jobFile, job);
    ProgramResult print = RunProgram({zorvaline, "print", "-P", "Front Desk", jobFile});
    ASSERT_EQ(print.exitCode, 0) << print.output;
    EXPECT_NE(print.output.find("Selvra: Printer \"Front Desk\": front@printers.test"), std::string::npos)
        << print.output;

    const std::string index = TempRoot::readFile(mailFolder + "/index");
    EXPECT_NE(index.find(" front@printers.test"), std::string::npos) << index;
    const std::string mail = TempRoot::readFile(mailFolder + "/0001.eml");
    EXPECT_NE(mail.find("Content-Type:application/postscript"), std::string::npos) << mail.substr(0, 600);
    EXPECT_NE(mail.find("Installed"), std::string::npos);
}

// The man pages tell the truth about what exists: every command `zorvaline --help` lists
// and every option `sendaro --help` and `selvra --help` name have their place in the pages,
// and groff reads the pages without a warning.
TEST(ManPages, DescribeEveryCommandAndOptionTheProgramsHave)
{
    const std::string man = kBuild + "/man/";
    for (const char *page : {"zorvaline", "sendaro", "selvra"}) {
        ProgramResult groff = RunProgram({"/usr/bin/groff", "-man", "-ww", "-z", "-Tutf8", man + page + ".1"});
        EXPECT_EQ(groff.exitCode, 0) << page;
        EXPECT_EQ(groff.output, "") << page;
    }

    const std::string zorvalinePage = TempRoot::readFile(man + "zorvaline.1");
    ProgramResult usage = RunProgram({kBuild + "/bin/zorvaline", "--help"});
    ASSERT_EQ(usage.exitCode, 0);
    const std::vector<std::string> commands = listedCommands(usage.output);
    for (const std::string &name : commands)
        EXPECT_NE(zorvalinePage.find(".SS \"" + name), std::string::npos) << name;
    EXPECT_GE(commands.size(), 6u) << usage.output;

    for (const char *program : {"sendaro", "selvra"}) {
        const std::string page = TempRoot::readFile(man + program + ".1");
        ProgramResult help = RunProgram({kBuild + "/bin/" + program, "--help"});
        ASSERT_EQ(help.exitCode, 0) << program;
        const std::set<std::string> options = longOptions(help.output);
        EXPECT_FALSE(options.empty()) << program;
        for (const std::string &name : options) {
            std::string escaped;
            for (char c : name)
                escaped += c == '-' ? std::string("\\-") : std::string(1, c);
            EXPECT_NE(page.find("\\-\\-" + escaped), std::string::npos) << program << " --" << name;
        }
    }
}

} // namespace
} // namespace zortest
