// The port table as the spooler sees it through EnumPorts: what start-up puts in it and in
// which order, the buffer contract, and the Internet port on a machine without devices.
#include "tests/monitor/PortFixture.h"

#include <cstring>

namespace zortest {
namespace {

using PortTable = PortFixture;

constexpr const char *kMonitor = "Zorvaline Internet Port";
constexpr DWORD kWrite = PORT_TYPE_WRITE;
constexpr DWORD kWriteRead = PORT_TYPE_WRITE | PORT_TYPE_READ;
constexpr DWORD kRedirected = PORT_TYPE_WRITE | PORT_TYPE_REDIRECTED;

TEST_F(PortTable, ListsDevicesFileWinIniAndNetworkPortsInTableOrder)
{
    addDevice("C29A0101", "COM1", "Communications Port");
    addDevice("C29A0201", "LPT1", "Printer Port");
    addDevice("C29A0301", "DISPLAY", "Not a port", "Display");
    addWinIniPort("\\\\server\\laser");
    addWinIniPort("Fax:");
    addWinIniPort("LPT0:");
    // Kept out: already in the table, or the monitor's own ports.
    for (const char *name : {"COM2:", "LPT1:", "FILE:", "ZORVALINE_INTERNET:"})
        addWinIniPort(name);
    addConnection("LPT3", "\\\\server\\mailroom");
    addConnection("LPT1", "\\\\server\\desk");
    addConnection("F", "\\\\server\\files"); // a disk, not a print resource
    start();

    const std::vector<ListedPort> expected = {
        {"COM1:", kMonitor, "Communications Port", kWrite},
        {"ZORVALINE_INTERNET:", kMonitor, "Zorvaline Internet Port", kWriteRead},
        // A device port that is also connected to a network queue reports the queue.
        {"LPT1:", kMonitor, "\\\\server\\desk", kRedirected},
        {"FILE:", kMonitor, "Creates a File on Disk", kWrite},
        {"Fax:", kMonitor, "Unknown Port", kWrite},
        {"LPT0:", kMonitor, "Unknown Port", kWrite},
        {"LPT3:", kMonitor, "\\\\server\\mailroom", kRedirected},
    };
    EXPECT_EQ(listPorts(), expected);

    // Level 0 counts them and needs no space.
    DWORD needed = 99, returned = 0;
    SetLastError(kSentinel);
    ASSERT_TRUE(monitor.pfnEnumPorts(nullptr, 0, nullptr, 0, &needed, &returned));
    EXPECT_EQ(GetLastError(), kSentinel);
    EXPECT_EQ(needed, 0u);
    EXPECT_EQ(returned, expected.size());
}

TEST_F(PortTable, WithoutDevicesTheInternetPortIsListedAllTheSame)
{
    addWinIniPort("Fax:");
    start();
    EXPECT_EQ(portNames(), (std::vector<std::string>{"ZORVALINE_INTERNET:", "FILE:", "Fax:"}));
    // It is there from start-up on, so the spooler cannot add it once more.
    SetLastError(kSentinel);
    EXPECT_FALSE(monitor.pfnAddPort(nullptr, nullptr, const_cast<LPSTR>(kMonitor)));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(messageBoxes(), (std::vector<std::pair<std::string, std::string>>{
                                  {"Print Manager", "Port ZORVALINE_INTERNET: already exists.\n"}}));
}

TEST_F(PortTable, ModemsCountAndASecondStartAddsNothing)
{
    addDevice("C29A0102", "COM2", "Standard Modem", "modem");
    start();
    start();
    EXPECT_EQ(portNames(), (std::vector<std::string>{"COM2:", "ZORVALINE_INTERNET:", "FILE:"}));
}

// The size of every level is the entries plus each string with its NUL; one byte less fails
// with the exact size, and the entries come first with the strings packed from the end.
TEST_F(PortTable, BufferContractAtLevelsOneAndTwo)
{
    addDevice("C29A0201", "LPT1", "Printer Port");
    addWinIniPort("Fax:");
    start();
    const std::vector<ListedPort> ports = listPorts();
    size_t level1 = 0, level2 = 0;
    for (const ListedPort &port : ports) {
        level1 += sizeof(PORT_INFO_1A) + port.name.size() + 1;
        level2 += sizeof(PORT_INFO_2A) + port.name.size() + 1 + port.monitorName.size() + 1 +
                  port.description.size() + 1;
    }
    for (auto [level, size] : {std::pair<DWORD, size_t>{1, level1}, {2, level2}}) {
        SCOPED_TRACE(level);
        std::vector<BYTE> buffer(size + 16, 0xCC);
        DWORD needed = 0, returned = 77;
        SetLastError(kSentinel);
        EXPECT_FALSE(monitor.pfnEnumPorts(nullptr, level, buffer.data(), DWORD(size - 1), &needed, &returned));
        EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
        EXPECT_EQ(needed, size);
        EXPECT_EQ(returned, 0u);
        EXPECT_EQ(buffer[0], 0xCC) << "nothing is written into a buffer that is too small";

        SetLastError(kSentinel);
        ASSERT_TRUE(monitor.pfnEnumPorts(nullptr, level, buffer.data(), DWORD(size), &needed, &returned));
        EXPECT_EQ(GetLastError(), kSentinel);
        EXPECT_EQ(returned, ports.size());
        EXPECT_EQ(buffer[size], 0xCC) << "nothing is written past the size given";
        const char *firstString = level == 1 ? reinterpret_cast<PORT_INFO_1A *>(buffer.data())[0].pName
                                             : reinterpret_cast<PORT_INFO_2A *>(buffer.data())[0].pPortName;
        EXPECT_EQ(firstString + std::strlen(firstString) + 1, reinterpret_cast<char *>(buffer.data() + size));
    }

    DWORD needed = 0, returned = 0;
    SetLastError(kSentinel);
    EXPECT_FALSE(monitor.pfnEnumPorts(nullptr, 3, nullptr, 0, &needed, &returned));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_LEVEL);
}

} // namespace
} // namespace zortest
