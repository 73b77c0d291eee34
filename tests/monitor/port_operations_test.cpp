// Opening, adding, configuring and deleting ports through the monitor's table, each call
// checked for its last error: set when it fails, left alone when it succeeds.
#include "tests/monitor/PortFixture.h"

#include "platform/kernel/comm.h"
#include "platform/ui/ui.h"

#include <filesystem>
#include <memory>

namespace zortest {
namespace {

using PortOperations = PortFixture;
using Boxes = std::vector<std::pair<std::string, std::string>>;

LPSTR text(const char *value)
{
    return const_cast<LPSTR>(value);
}

std::string winIniPort(const char *name)
{
    char value[64] = {};
    GetProfileString("ports", name, "<absent>", value, sizeof value);
    return value;
}

std::string storedCommSettings(const char *portName)
{
    char value[64] = {};
    DWORD size = sizeof value, type = 0;
    HKEY key = nullptr;
    if (RegOpenKey(HKEY_LOCAL_MACHINE, (std::string("Enum\\SERENUM\\") + portName).c_str(), &key) != ERROR_SUCCESS)
        return "<no device>";
    LONG result = RegQueryValueEx(key, "Settings", nullptr, &type, reinterpret_cast<BYTE *>(value), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? value : "<absent>";
}

// Answers the communication settings dialog as a user would; everything else as headless.
class CommDialogUser : public zorplat::UiBackend {
public:
    CommDialogUser(int answer, DWORD baudRate) : m_answer(answer), m_baudRate(baudRate) {}
    int showMessageBox(const zorplat::MessageBoxRequest &request) override { return m_headless->showMessageBox(request); }
    void bringMessageBoxToForeground(const zorplat::MessageBoxRequest &) override {}
    void progressWindowCreated(HWND, const zorplat::ProgressState &) override {}
    void progressWindowChanged(HWND, const zorplat::ProgressState &) override {}
    void progressWindowToForeground(HWND) override {}
    void progressWindowDestroyed(HWND) override {}
    int showCommConfigDialog(HWND, const std::string &, COMMCONFIG &config) override
    {
        config.dcb.BaudRate = m_baudRate;
        config.dcb.Parity = EVENPARITY;
        return m_answer;
    }

private:
    std::unique_ptr<zorplat::UiBackend> m_headless = zorplat::CreateHeadlessUiBackend();
    int m_answer;
    DWORD m_baudRate;
};

TEST_F(PortOperations, OpenPortLooksNamesUpWithAndWithoutTheColon)
{
    addDevice("C29A0201", "LPT1", "Printer Port");
    start();
    HANDLE internet = nullptr, lpt = nullptr, again = nullptr;
    SetLastError(kSentinel);
    ASSERT_TRUE(monitor.pfnOpenPort(text("ZORVALINE_INTERNET"), &internet));
    ASSERT_TRUE(monitor.pfnOpenPort(text("lpt1"), &lpt));
    ASSERT_TRUE(monitor.pfnOpenPort(text("zorvaline_internet:"), &again));
    EXPECT_EQ(GetLastError(), kSentinel);
    EXPECT_EQ(internet, again);
    EXPECT_NE(internet, lpt);
    EXPECT_TRUE(monitor.pfnClosePort(lpt));

    HANDLE none = nullptr;
    EXPECT_FALSE(monitor.pfnOpenPort(text("LPT9:"), &none));
    EXPECT_EQ(GetLastError(), ERROR_UNKNOWN_PORT);
    EXPECT_FALSE(monitor.pfnOpenPort(text(""), &none));
    EXPECT_EQ(debugLog(), "zormon!OpenPort LPT9: : Failed\r\nzormon!OpenPort  : Failed\r\n");
}

TEST_F(PortOperations, DeletePortRefusesPermanentAndUnknownPorts)
{
    addDevice("C29A0201", "LPT1", "Printer Port");
    addWinIniPort("Fax:");
    start();
    SetLastError(kSentinel);
    EXPECT_FALSE(monitor.pfnDeletePort(nullptr, nullptr, text("FILE:")));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PRINTER_COMMAND);
    SetLastError(kSentinel);
    EXPECT_FALSE(monitor.pfnDeletePort(nullptr, nullptr, text("LPT1:")));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PRINTER_COMMAND);
    SetLastError(kSentinel);
    EXPECT_FALSE(monitor.pfnDeletePort(nullptr, nullptr, text("Fax")));
    EXPECT_EQ(GetLastError(), ERROR_UNKNOWN_PORT) << "deleting takes the exact name";

    SetLastError(kSentinel);
    EXPECT_TRUE(monitor.pfnDeletePort(nullptr, nullptr, text("FAX:")));
    EXPECT_EQ(GetLastError(), kSentinel);
    EXPECT_EQ(winIniPort("Fax:"), "<absent>");
    EXPECT_EQ(portNames(), (std::vector<std::string>{"LPT1:", "ZORVALINE_INTERNET:", "FILE:"}));
}

TEST_F(PortOperations, AddPortAddsTheInternetPortOnlyWhenItIsMissing)
{
    start();
    SetLastError(kSentinel);
    EXPECT_FALSE(monitor.pfnAddPort(nullptr, nullptr, text("Some Other Monitor")));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(messageBoxes(), (Boxes{{"Print Manager", "Port ZORVALINE_INTERNET: already exists.\n"}}));
    auto boxes = journal.events("messagebox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]["icon"], "stop");

    // Deleted, it can be added again, behind the ports already listed, and is kept in win.ini.
    SetLastError(kSentinel);
    ASSERT_TRUE(monitor.pfnDeletePort(nullptr, nullptr, text("ZORVALINE_INTERNET:")));
    ASSERT_TRUE(monitor.pfnAddPort(nullptr, nullptr, text("Zorvaline Internet Port")));
    EXPECT_EQ(GetLastError(), kSentinel);
    EXPECT_EQ(winIniPort("ZORVALINE_INTERNET:"), "");
    EXPECT_EQ(portNames(), (std::vector<std::string>{"FILE:", "ZORVALINE_INTERNET:"}));
}

TEST_F(PortOperations, AddPortTakesThePortOutAgainWhenWinIniCannotBeWritten)
{
    start();
    ASSERT_TRUE(monitor.pfnDeletePort(nullptr, nullptr, text("ZORVALINE_INTERNET:")));
    // A folder where win.ini should be: the write fails.
    std::filesystem::remove(root.driveC("WINDOWS/win.ini"));
    std::filesystem::create_directories(root.driveC("WINDOWS/win.ini"));
    SetLastError(kSentinel);
    EXPECT_FALSE(monitor.pfnAddPort(nullptr, nullptr, text("Zorvaline Internet Port")));
    EXPECT_NE(GetLastError(), kSentinel);
    HANDLE port = nullptr;
    EXPECT_FALSE(monitor.pfnOpenPort(text("ZORVALINE_INTERNET:"), &port));
}

TEST_F(PortOperations, ConfigurePortOnANonSerialPortOnlyTellsSo)
{
    start();
    for (const char *name : {"ZORVALINE_INTERNET:", "LPT1:", "COM10"}) {
        SetLastError(kSentinel);
        EXPECT_TRUE(monitor.pfnConfigurePort(nullptr, nullptr, text(name))) << name;
        EXPECT_EQ(GetLastError(), kSentinel);
    }
    auto boxes = journal.events("messagebox");
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0]["caption"], "Print Manager");
    EXPECT_EQ(boxes[0]["text"], "There is nothing to configure for this port.\n");
    EXPECT_EQ(boxes[0]["icon"], "information");
    EXPECT_EQ(std::stoul(boxes[0]["type"]) & MB_SETFOREGROUND, MB_SETFOREGROUND);
}

TEST_F(PortOperations, ConfigurePortOnASerialPortKeepsTheDialogsChoice)
{
    addDevice("C29A0101", "COM1", "Communications Port");
    start();
    // The headless dialog answers OK on the default settings, which become the stored ones.
    SetLastError(kSentinel);
    ASSERT_TRUE(monitor.pfnConfigurePort(nullptr, nullptr, text("COM1:")));
    EXPECT_EQ(GetLastError(), kSentinel);
    EXPECT_EQ(storedCommSettings("COM1"), "9600,n,8,1");
    auto dialogs = journal.events("commconfig");
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0]["port"], "COM1");

    zorplat::SetUiBackend(std::make_unique<CommDialogUser>(IDOK, 19200));
    EXPECT_TRUE(monitor.pfnConfigurePort(nullptr, nullptr, text("com1")));
    EXPECT_EQ(storedCommSettings("COM1"), "19200,e,8,1");

    zorplat::SetUiBackend(std::make_unique<CommDialogUser>(IDCANCEL, 300));
    SetLastError(kSentinel);
    EXPECT_FALSE(monitor.pfnConfigurePort(nullptr, nullptr, text("COM1")));
    EXPECT_EQ(GetLastError(), ERROR_CANCELLED);
    EXPECT_EQ(storedCommSettings("COM1"), "19200,e,8,1");
    zorplat::SetUiBackend(nullptr);

    // A serial port the machine does not have.
    SetLastError(kSentinel);
    EXPECT_FALSE(monitor.pfnConfigurePort(nullptr, nullptr, text("COM2:")));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(debugLog(), "Zormon: GetDefaultCommConfig failed.\r\n");
}

TEST_F(PortOperations, DeviceControlAndTimeOutsWithoutAJobFailCleanly)
{
    start();
    HANDLE port = nullptr;
    ASSERT_TRUE(monitor.pfnOpenPort(text("FILE:"), &port));
    DWORD returned = 0;
    SetLastError(kSentinel);
    EXPECT_FALSE(monitor.pfnGetPrinterDataFromPort(port, 1, nullptr, nullptr, 0, nullptr, 0, &returned));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    COMMTIMEOUTS timeouts{};
    SetLastError(kSentinel);
    EXPECT_FALSE(monitor.pfnSetPortTimeOuts(port, &timeouts, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    BYTE byte = 0;
    DWORD read = 0;
    SetLastError(kSentinel);
    EXPECT_FALSE(monitor.pfnReadPort(port, &byte, 1, &read));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

} // namespace
} // namespace zortest
