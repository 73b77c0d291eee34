// The monitor's entry and its port table as the spooler sees them: the table handed over,
// port enumeration at every level, and opening ports by name.
#include "tests/monitor/JobFixture.h"

#include "monitor/PortRecord.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace zortest {
namespace {

using JobPorts = JobFixture;

// The bytes a level needs, as the monitor reports them.
DWORD neededFor(const MONITOR &monitor, DWORD level)
{
    DWORD needed = 0, returned = 0;
    monitor.pfnEnumPorts(nullptr, level, nullptr, 0, &needed, &returned);
    return needed;
}

TEST_F(JobPorts, TableOffersThePortAndJobOperations)
{
    EXPECT_EQ(monitor.pfnOpenPortEx, nullptr);
    for (auto slot : {reinterpret_cast<void *>(monitor.pfnEnumPorts), reinterpret_cast<void *>(monitor.pfnOpenPort),
                      reinterpret_cast<void *>(monitor.pfnStartDocPort), reinterpret_cast<void *>(monitor.pfnWritePort),
                      reinterpret_cast<void *>(monitor.pfnReadPort), reinterpret_cast<void *>(monitor.pfnEndDocPort),
                      reinterpret_cast<void *>(monitor.pfnClosePort)})
        EXPECT_NE(slot, nullptr);
    // A second initialisation lists each port once.
    MONITOR again{};
    ASSERT_TRUE(InitializeMonitorEx(nullptr, &again));
    DWORD needed = 0, count = 0;
    ASSERT_TRUE(again.pfnEnumPorts(nullptr, 0, nullptr, 0, &needed, &count));
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(needed, 0u);
}

TEST_F(JobPorts, EnumPortsLevelTwoListsTheInternetPortAndFile)
{
    const DWORD needed = neededFor(monitor, 2);
    std::vector<BYTE> buffer(needed, 0xCC);
    DWORD reported = 0, returned = 0;

    SetLastError(kSentinelError);
    EXPECT_FALSE(monitor.pfnEnumPorts(nullptr, 2, buffer.data(), needed - 1, &reported, &returned));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(reported, needed);
    EXPECT_EQ(returned, 0u);

    SetLastError(kSentinelError);
    ASSERT_TRUE(monitor.pfnEnumPorts(nullptr, 2, buffer.data(), needed, &reported, &returned));
    EXPECT_EQ(GetLastError(), kSentinelError);
    ASSERT_EQ(returned, 2u);
    auto *ports = reinterpret_cast<PORT_INFO_2A *>(buffer.data());
    EXPECT_STREQ(ports[0].pPortName, "ZORVALINE_INTERNET:");
    EXPECT_STREQ(ports[0].pDescription, "Zorvaline Internet Port");
    EXPECT_EQ(ports[0].fPortType, PORT_TYPE_WRITE | PORT_TYPE_READ);
    EXPECT_STREQ(ports[1].pPortName, "FILE:");
    EXPECT_STREQ(ports[1].pDescription, "Creates a File on Disk");
    EXPECT_EQ(ports[1].fPortType, PORT_TYPE_WRITE);
    for (int i = 0; i < 2; ++i) {
        EXPECT_STREQ(ports[i].pMonitorName, "Zorvaline Internet Port");
        EXPECT_EQ(ports[i].Reserved, 0u);
    }
    // Entries at the start, strings packed from the end: the first string ends the buffer and
    // nothing overlaps the entries.
    EXPECT_EQ(ports[0].pPortName + std::strlen(ports[0].pPortName) + 1,
              reinterpret_cast<char *>(buffer.data()) + needed);
    EXPECT_EQ(ports[1].pDescription, reinterpret_cast<char *>(buffer.data() + 2 * sizeof(PORT_INFO_2A)));
}

TEST_F(JobPorts, EnumPortsLevelsZeroOneAndBeyond)
{
    DWORD needed = 99, returned = 99;
    SetLastError(kSentinelError);
    ASSERT_TRUE(monitor.pfnEnumPorts(nullptr, 0, nullptr, 0, &needed, &returned));
    EXPECT_EQ(needed, 0u);
    EXPECT_EQ(returned, 2u);

    needed = neededFor(monitor, 1);
    EXPECT_EQ(needed, 2 * sizeof(PORT_INFO_1A) + sizeof "ZORVALINE_INTERNET:" + sizeof "FILE:");
    std::vector<BYTE> buffer(needed);
    SetLastError(kSentinelError);
    ASSERT_TRUE(monitor.pfnEnumPorts(nullptr, 1, buffer.data(), needed, &needed, &returned));
    auto *ports = reinterpret_cast<PORT_INFO_1A *>(buffer.data());
    EXPECT_STREQ(ports[0].pName, "ZORVALINE_INTERNET:");
    EXPECT_STREQ(ports[1].pName, "FILE:");
    EXPECT_EQ(GetLastError(), kSentinelError);

    EXPECT_FALSE(monitor.pfnEnumPorts(nullptr, 3, buffer.data(), needed, &needed, &returned));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_LEVEL);
}

TEST_F(JobPorts, OpenPortFindsNamesWithOrWithoutTheColonInAnyCase)
{
    HANDLE found = nullptr;
    for (const char *name : {"ZORVALINE_INTERNET:", "zorvaline_internet", "Zorvaline_Internet:"}) {
        SetLastError(kSentinelError);
        ASSERT_TRUE(monitor.pfnOpenPort(const_cast<LPSTR>(name), &found)) << name;
        EXPECT_EQ(found, port) << name;
        EXPECT_EQ(GetLastError(), kSentinelError);
    }
    HANDLE file = nullptr;
    ASSERT_TRUE(monitor.pfnOpenPort(const_cast<LPSTR>("file"), &file));
    EXPECT_NE(file, port);
    EXPECT_TRUE(monitor.pfnClosePort(file));

    for (const char *name : {"LPT1:", "", ":", "FILE:x", "ZORVALINE_INTERNET::x"}) {
        SetLastError(kSentinelError);
        EXPECT_FALSE(monitor.pfnOpenPort(const_cast<LPSTR>(name), &found)) << name;
        EXPECT_EQ(GetLastError(), ERROR_UNKNOWN_PORT) << name;
    }
    EXPECT_NE(TempRoot::readFile(root.path() + "/debug.log").find("zormon!OpenPort LPT1: : Failed"), std::string::npos);
}

TEST(PortKind, DeviceNamesAreFourCharactersOrFiveWithAColon)
{
    using zormon::PortKindOf;
    EXPECT_EQ(PortKindOf("LPT1"), zormon::PortKindParallel);
    EXPECT_EQ(PortKindOf("lpt9:"), zormon::PortKindParallel);
    EXPECT_EQ(PortKindOf("COM3"), zormon::PortKindSerial);
    EXPECT_EQ(PortKindOf("com1:"), zormon::PortKindSerial);
    for (const char *other : {"LPT0", "LPT10", "LPT1x", "COM", "COM0:", "LPT1::", "PRN"})
        EXPECT_EQ(PortKindOf(other), zormon::PortKindOther) << other;
    EXPECT_EQ(PortKindOf("file:"), zormon::PortKindFile);
    EXPECT_EQ(PortKindOf("FILE"), zormon::PortKindOther);
    EXPECT_EQ(PortKindOf("ZORVALINE_INTERNET:"), zormon::PortKindInternet);
}

} // namespace
} // namespace zortest
