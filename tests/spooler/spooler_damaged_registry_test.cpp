// A damaged registry file: every spooler call that has to read it fails with ERROR_BADDB
// instead of answering as if the spooler were empty, and the file is left as it was.
#include "tests/spooler/SpoolerRoot.h"

#include "platform/registry/registry.h"

#include <gtest/gtest.h>

using spoolertest::SpoolerRoot;

namespace {

constexpr DWORD kSentinel = 0xdeadbeef;

class SpoolerDamagedRegistry : public ::testing::Test {
protected:
    void SetUp() override
    {
        root.prepare();
        ASSERT_TRUE(root.addPrinter("Sales"));
        ASSERT_TRUE(OpenPrinter(const_cast<char *>("Sales"), &sales, nullptr));
        // A value whose text never ends, after everything the spooler wrote.
        damaged = SpoolerRoot::readFile(file) + "\"Broken\"=sz:\"no end\n";
        root.writeFile(file, damaged);
    }
    void TearDown() override
    {
        if (sales)
            ClosePrinter(sales);
    }

    // The call failed with ERROR_BADDB, and the registry can tell which file is at fault.
    void expectBadDb(const char *call, bool succeeded)
    {
        EXPECT_FALSE(succeeded) << call;
        EXPECT_EQ(GetLastError(), ERROR_BADDB) << call;
        EXPECT_EQ(zorplat::RegistryProblem().rfind(file + ": line ", 0), 0u) << call << ": " << zorplat::RegistryProblem();
        SetLastError(kSentinel);
    }

    SpoolerRoot root;
    const std::string file = root.path() + "/system.reg";
    std::string damaged;
    HANDLE sales = nullptr;
};

TEST_F(SpoolerDamagedRegistry, EnumerationsFailRatherThanListNothing)
{
    DWORD needed = 0, returned = 0;
    SetLastError(kSentinel);
    expectBadDb("EnumPrinters", EnumPrinters(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &returned));
    expectBadDb("EnumPrinters default", EnumPrinters(PRINTER_ENUM_DEFAULT, nullptr, 2, nullptr, 0, &needed, &returned));
    expectBadDb("EnumPrinterDrivers", EnumPrinterDrivers(nullptr, nullptr, 2, nullptr, 0, &needed, &returned));
    expectBadDb("EnumMonitors", EnumMonitors(nullptr, 2, nullptr, 0, &needed, &returned));
    EXPECT_EQ(returned, 0u);
    EXPECT_EQ(SpoolerRoot::readFile(file), damaged);
}

TEST_F(SpoolerDamagedRegistry, PrinterCallsFailRatherThanTellAnUnknownDriverOrPrinter)
{
    SetLastError(kSentinel);
    PRINTER_INFO_2A info = SpoolerRoot::destinationInfo("North");
    expectBadDb("AddPrinter", AddPrinter(nullptr, 2, reinterpret_cast<LPBYTE>(&info)) != nullptr);
    HANDLE other = nullptr;
    expectBadDb("OpenPrinter", OpenPrinter(const_cast<char *>("Sales"), &other, nullptr));
    EXPECT_EQ(other, nullptr);

    std::vector<BYTE> buffer(1024);
    DWORD needed = 0;
    expectBadDb("GetPrinter", GetPrinter(sales, 2, buffer.data(), static_cast<DWORD>(buffer.size()), &needed));
    PRINTER_INFO_2A renamed = SpoolerRoot::destinationInfo("Sales 2");
    expectBadDb("SetPrinter", SetPrinter(sales, 2, reinterpret_cast<LPBYTE>(&renamed), 0));
    expectBadDb("DeletePrinter", DeletePrinter(sales));

    char name[64];
    DWORD size = sizeof name;
    expectBadDb("GetDefaultPrinter", GetDefaultPrinter(name, &size));
    expectBadDb("SetDefaultPrinter", SetDefaultPrinter("Sales"));
    expectBadDb("SetDefaultPrinter without a name", SetDefaultPrinter(nullptr));
    EXPECT_EQ(SpoolerRoot::readFile(file), damaged);
}

TEST_F(SpoolerDamagedRegistry, InstallationsAndJobsFail)
{
    SetLastError(kSentinel);
    expectBadDb("AddMonitor", root.registerMonitor("Another Monitor"));
    expectBadDb("AddPrinterDriver", root.installDriver("Another Driver"));
    DOC_INFO_1A document{const_cast<char *>("report"), nullptr, nullptr};
    expectBadDb("StartDocPrinter", StartDocPrinter(sales, 1, reinterpret_cast<LPBYTE>(&document)) != 0);
    for (const std::string &call : root.monitorLog())
        EXPECT_EQ(call.rfind("InitializeMonitorEx", 0), 0u) << "no port may be opened: " << call;
    EXPECT_EQ(SpoolerRoot::readFile(file), damaged);
}

} // namespace
