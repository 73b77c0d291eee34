// Which chooser the program runs: the dialog when there is a display and the user interface
// is not headless, else the choice without asking; and the dialog's time-out setting.
#include "tests/chooser/ChooserFixture.h"

#include <chrono>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>

namespace choosertest {
namespace {

// Sets environment variables for the life of the object, and puts the old values back.
class Environment {
public:
    void set(const char *name, const char *value)
    {
        if (!m_saved.count(name)) {
            const char *old = std::getenv(name);
            m_saved[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~Environment()
    {
        for (const auto &[name, value] : m_saved)
            value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
    }

private:
    std::map<std::string, std::optional<std::string>> m_saved;
};

class ChooserProgram : public ChooserTest {
protected:
    ChooserProgram()
    {
        addPrinter({"Front Desk", "front@print.test"});
        saveDatabase();
        // Qt's own leaks at exit are none of this test's business.
        environment.set("ASAN_OPTIONS", "detect_leaks=0");
    }

    Environment environment;
};

TEST_F(ChooserProgram, DialogNobodyAnswersDeclinesTheJobAfterTheTimeOut)
{
    environment.set("ZORVALINE_UI", "qt");
    environment.set("QT_QPA_PLATFORM", "offscreen");
    environment.set("ZORVALINE_CHOOSER_TIMEOUT_S", "1");
    const auto start = std::chrono::steady_clock::now();
    ChooserRun result = run("Front Desk");
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(result.exitCode, 1) << result.output;
    EXPECT_NE(result.output.find("Selvra: No answer came within 1 second. The job is not sent."), std::string::npos)
        << result.output;
    EXPECT_EQ(app(), "FALSE");
    EXPECT_EQ(addresses(), "<absent>");
    EXPECT_GE(seconds, 1.0);
    EXPECT_LT(seconds, 20.0);
}

TEST_F(ChooserProgram, WithoutADisplayItChoosesWithoutAsking)
{
    environment.set("QT_QPA_PLATFORM", nullptr);
    environment.set("DISPLAY", nullptr);
    environment.set("WAYLAND_DISPLAY", nullptr);
    for (const char *mode : {"auto", "qt"}) {
        SCOPED_TRACE(mode);
        environment.set("ZORVALINE_UI", mode);
        ChooserRun result = run("front desk");
        EXPECT_EQ(result.exitCode, 0) << result.output;
        EXPECT_EQ(app(), "TRUE");
        EXPECT_EQ(addresses(), "front@print.test");
        const bool noted = result.output.find("ZORVALINE_UI=qt, but there is no display") != std::string::npos;
        EXPECT_EQ(noted, std::string(mode) == "qt") << result.output;
    }
}

TEST_F(ChooserProgram, DisplayThatCannotBeReachedMeansChoosingWithoutAsking)
{
    environment.set("ZORVALINE_UI", "auto");
    environment.set("QT_QPA_PLATFORM", nullptr);
    environment.set("WAYLAND_DISPLAY", nullptr);
    environment.set("DISPLAY", ":87"); // no X server of that number here
    ChooserRun result = run("Front Desk");
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_NE(result.output.find("selvra: the display cannot be reached; choosing without a dialog"),
              std::string::npos)
        << result.output;
    EXPECT_EQ(app(), "TRUE");
    EXPECT_EQ(addresses(), "front@print.test");
}

} // namespace
} // namespace choosertest
