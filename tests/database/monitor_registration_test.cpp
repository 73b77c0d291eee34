// Opening the database registers the port monitor with the spooler; the printer-name check
// sees the spooler's Windows printers.
#include "manager/database/CMonitorSetup.h"
#include "manager/database/ManagerStrings.h"
#include "manager/database/RecordChecks.h"
#include "platform/base/lasterror.h"
#include "platform/spooler/spooler.h"
#include "tests/database/DatabaseTestSupport.h"
#include "tests/support/UiJournal.h"

#include <cstdlib>

using namespace zordb;
using namespace dbtest;

namespace {

struct Monitor {
    std::string name;
    std::string environment;
    std::string dllName;
    bool operator==(const Monitor &) const = default;
};

std::vector<Monitor> registeredMonitors()
{
    DWORD needed = 0;
    DWORD returned = 0;
    EnumMonitors(nullptr, 2, nullptr, 0, &needed, &returned);
    std::vector<BYTE> buffer(needed + 1);
    EXPECT_TRUE(EnumMonitors(nullptr, 2, buffer.data(), needed, &needed, &returned));
    std::vector<Monitor> monitors;
    const auto *info = reinterpret_cast<const MONITOR_INFO_2A *>(buffer.data());
    for (DWORD i = 0; i < returned; ++i)
        monitors.push_back({info[i].pName, info[i].pEnvironment, info[i].pDLLName});
    return monitors;
}

class MonitorRegistration : public DatabaseTest {
protected:
    MonitorRegistration() : journal(root.path() + "/ui.jsonl") {}
    ~MonitorRegistration() override
    {
        if (m_hadPlatform)
            setenv("ZORVALINE_PLATFORM", m_oldPlatform.c_str(), 1);
        else
            unsetenv("ZORVALINE_PLATFORM");
    }

    void installModule(const std::string &dllName)
    {
        std::filesystem::copy_file(FAKE_PORT_MONITOR, root.driveC("WINDOWS/SYSTEM/" + dllName));
    }

    void addMonitor(std::string name, std::string dllName)
    {
        std::string environment = "Windows 4.0";
        MONITOR_INFO_2A info{name.data(), environment.data(), dllName.data()};
        ASSERT_TRUE(AddMonitor(nullptr, 2, reinterpret_cast<LPBYTE>(&info))) << GetLastError();
    }

    void setPlatform(const char *platform)
    {
        if (const char *old = std::getenv("ZORVALINE_PLATFORM")) {
            m_hadPlatform = true;
            m_oldPlatform = old;
        }
        setenv("ZORVALINE_PLATFORM", platform, 1);
    }

    zortest::UiJournal journal;

private:
    bool m_hadPlatform = false;
    std::string m_oldPlatform;
};

TEST_F(MonitorRegistration, EnvironmentFollowsThePlatform)
{
    setPlatform("nt");
    EXPECT_EQ(CMonitorSetup().Environment(), "Windows NT x86");
    setPlatform("win95");
    CMonitorSetup setup;
    EXPECT_EQ(setup.Environment(), "Windows 4.0");
    EXPECT_EQ(setup.DllName(), "ZORMON.DLL");
    EXPECT_EQ(setup.MonitorName(), "Zorvaline Internet Port");
    setPlatform("other");
    EXPECT_EQ(CMonitorSetup().Environment(), "NotWin32");
}

TEST_F(MonitorRegistration, OpeningTheDatabaseAddsAMissingMonitor)
{
    installModule("ZORMON.DLL");
    CChooserDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    EXPECT_EQ(registeredMonitors(), (std::vector<Monitor>{{"Zorvaline Internet Port", "Windows 4.0", "ZORMON.DLL"}}));
    EXPECT_EQ(CMonitorSetup().InstallMonitor(), 0) << "installed already";
}

TEST_F(MonitorRegistration, ExactNameRegisteredMeansNoAddCall)
{
    // Registered from another module, and no ZORMON.DLL at all: an add call would fail.
    installModule("OTHERMON.DLL");
    addMonitor("Zorvaline Internet Port", "OTHERMON.DLL");
    std::filesystem::remove(root.driveC("WINDOWS/SYSTEM/OTHERMON.DLL"));
    CChooserDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    EXPECT_EQ(registeredMonitors(), (std::vector<Monitor>{{"Zorvaline Internet Port", "Windows 4.0", "OTHERMON.DLL"}}));
    EXPECT_TRUE(journal.events("messagebox").empty());
}

TEST_F(MonitorRegistration, NameInAnotherCaseDoesNotCount)
{
    installModule("ZORMON.DLL");
    addMonitor("zorvaline internet port", "ZORMON.DLL");
    CChooserDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    EXPECT_EQ(registeredMonitors(), (std::vector<Monitor>{{"zorvaline internet port", "Windows 4.0", "ZORMON.DLL"},
                                                          {"Zorvaline Internet Port", "Windows 4.0", "ZORMON.DLL"}}));
}

TEST_F(MonitorRegistration, NotWin32PlatformFailsTheOpening)
{
    installModule("ZORMON.DLL");
    setPlatform("other");
    CChooserDoc doc;
    EXPECT_FALSE(doc.OnNewDocument());
    auto boxes = journal.events("messagebox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]["text"], "Adding the Zorvaline Port Monitor failed");
    EXPECT_EQ(boxes[0]["caption"], "Sendaro");
    EXPECT_TRUE(registeredMonitors().empty());
    EXPECT_FALSE(std::filesystem::exists(databaseFile())) << "no database file is touched";
}

TEST_F(MonitorRegistration, PrinterNameOfAnInstalledWindowsPrinterInAnotherCase)
{
    installModule("ZORMON.DLL");
    CChooserDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    for (const char *file : {"LASER.DRV", "LASERUI.DLL", "LASER.HLP"})
        root.writeFile(root.driveC(std::string("WINDOWS/SYSTEM/") + file), "driver file");
    DRIVER_INFO_2A driver{};
    driver.cVersion = 0;
    driver.pName = const_cast<LPSTR>("Laser H7");
    driver.pDriverPath = const_cast<LPSTR>("LASER.DRV");
    driver.pDataFile = const_cast<LPSTR>("LASER.DRV");
    driver.pConfigFile = const_cast<LPSTR>("LASERUI.DLL");
    ASSERT_TRUE(AddPrinterDriver(nullptr, 2, reinterpret_cast<LPBYTE>(&driver))) << GetLastError();
    PRINTER_INFO_2A printer{};
    printer.pPrinterName = const_cast<LPSTR>("Outside Queue");
    printer.pPortName = const_cast<LPSTR>("ZORVALINE_INTERNET:");
    printer.pDriverName = const_cast<LPSTR>("Laser H7");
    printer.pPrintProcessor = const_cast<LPSTR>("WinPrint");
    printer.pDatatype = const_cast<LPSTR>("RAW");
    HANDLE handle = AddPrinter(nullptr, 2, reinterpret_cast<LPBYTE>(&printer));
    ASSERT_NE(handle, nullptr) << GetLastError();
    ClosePrinter(handle);

    PrinterNameContext context{false, "", doc.GroupsTitle(), doc.PrintersTitle(), &doc};
    std::string name;
    EXPECT_EQ(ValidatePrinterName("OUTSIDE queue", context, name).messageId, IDS_NAME_EXISTS);
    EXPECT_TRUE(ValidatePrinterName("Outside Queue 2", context, name).accepted);
}

} // namespace
