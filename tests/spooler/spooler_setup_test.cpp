// `zorvaline setup` installs the monitor module and registers it with the spooler, once.
#include "tests/spooler/SpoolerRoot.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>

using spoolertest::ScopedEnv;

namespace {

struct Output {
    int code = -1;
    std::string text;
};

Output run(const zortest::TempRoot &root, const std::string &binary, const std::string &args)
{
    const std::string out = root.path() + "/output";
    const int status = std::system(("'" + binary + "' " + args + " >'" + out + "' 2>&1").c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, zortest::TempRoot::readFile(out)};
}

TEST(SpoolerSetup, RegistersTheInstalledMonitorOnce)
{
    zortest::TempRoot root;
    ScopedEnv platform("ZORVALINE_PLATFORM", nullptr);
    const std::string zorvaline = spoolertest::BinDirectory() + "/zorvaline";
    Output output = run(root, zorvaline, "setup");
    ASSERT_EQ(output.code, 0) << output.text;
    EXPECT_NE(output.text.find("created C:\\WINDOWS\\SYSTEM\\ZORMON.DLL"), std::string::npos) << output.text;
    EXPECT_NE(output.text.find("created spooler monitor \"Zorvaline Internet Port\""), std::string::npos)
        << output.text;
    EXPECT_EQ(zortest::TempRoot::readFile(root.driveC("WINDOWS/SYSTEM/ZORMON.DLL")),
              zortest::TempRoot::readFile(spoolertest::BinDirectory() + "/libzormon.so"));
    EXPECT_EQ(run(root, zorvaline, "monitors").text, "Zorvaline Internet Port\tWindows 4.0\tZORMON.DLL\n");

    output = run(root, zorvaline, "setup");
    ASSERT_EQ(output.code, 0) << output.text;
    EXPECT_NE(output.text.find("up to date C:\\WINDOWS\\SYSTEM\\ZORMON.DLL"), std::string::npos) << output.text;
    EXPECT_NE(output.text.find("up to date spooler monitor"), std::string::npos) << output.text;
    EXPECT_EQ(run(root, zorvaline, "monitors").text, "Zorvaline Internet Port\tWindows 4.0\tZORMON.DLL\n");
}

TEST(SpoolerSetup, SaysSoWhenTheMonitorCannotBeRegisteredYet)
{
    zortest::TempRoot root;
    // A zorvaline with no monitor built beside it.
    const std::string alone = root.path() + "/alone/zorvaline";
    std::filesystem::create_directories(root.path() + "/alone");
    std::filesystem::copy_file(spoolertest::BinDirectory() + "/zorvaline", alone);
    Output output = run(root, alone, "setup");
    ASSERT_EQ(output.code, 0) << output.text;
    EXPECT_NE(output.text.find("skipped spooler monitor \"Zorvaline Internet Port\": C:\\WINDOWS\\SYSTEM\\ZORMON.DLL "
                               "is not installed yet"),
              std::string::npos)
        << output.text;
    EXPECT_EQ(run(root, alone, "monitors").text, "");

    ScopedEnv other("ZORVALINE_PLATFORM", "other");
    output = run(root, spoolertest::BinDirectory() + "/zorvaline", "setup");
    ASSERT_EQ(output.code, 0) << output.text;
    EXPECT_NE(output.text.find("has no print environment"), std::string::npos) << output.text;
    EXPECT_EQ(run(root, alone, "monitors").text, "");
}

} // namespace
