// Port enumeration keeps the table in step with the machine, at most every 10 s, with one
// network enumeration at a time.
#include "tests/monitor/PortFixture.h"

#include <thread>

namespace zortest {
namespace {

using PortRefresh = PortFixture;

TEST_F(PortRefresh, ARemovedConnectionGoesAtTheNextRefreshNotBefore)
{
    addDevice("C29A0201", "LPT1", "Printer Port");
    addConnection("LPT1", "\\\\server\\desk");
    addConnection("LPT2", "\\\\server\\mailroom");
    start();
    ASSERT_EQ(portNames(), (std::vector<std::string>{"LPT1:", "ZORVALINE_INTERNET:", "FILE:", "LPT2:"}));

    removeConnection("LPT1");
    removeConnection("LPT2");
    advanceClock(9000);
    EXPECT_EQ(portNames().size(), 4u) << "within 10 s the table is not refreshed";

    advanceClock(kPastRefreshInterval - 9000);
    // The device port survives, back to its own description and type; the network-only
    // port is gone.
    EXPECT_EQ(listPorts(), (std::vector<ListedPort>{
                               {"LPT1:", "Zorvaline Internet Port", "Printer Port", PORT_TYPE_WRITE | PORT_TYPE_READ},
                               {"ZORVALINE_INTERNET:", "Zorvaline Internet Port", "Zorvaline Internet Port",
                                PORT_TYPE_WRITE | PORT_TYPE_READ},
                               {"FILE:", "Zorvaline Internet Port", "Creates a File on Disk", PORT_TYPE_WRITE},
                           }));
}

TEST_F(PortRefresh, NewWinIniPortsAndConnectionsArriveAtTheNextRefresh)
{
    start();
    portNames();
    addWinIniPort("Fax:");
    addConnection("LPT4", "\\\\server\\plotter");
    advanceClock(kPastRefreshInterval);
    EXPECT_EQ(portNames(), (std::vector<std::string>{"ZORVALINE_INTERNET:", "FILE:", "Fax:", "LPT4:"}));
}

// Many connections come in several batches; all of them arrive.
TEST_F(PortRefresh, ConnectionsBeyondOneBatchAllArrive)
{
    const std::string longQueue = "\\\\server\\" + std::string(200, 'q');
    for (int i = 0; i < 40; ++i)
        addConnection("NET" + std::to_string(i), longQueue + std::to_string(i));
    start();
    const std::vector<std::string> names = portNames();
    ASSERT_EQ(names.size(), 42u);
    EXPECT_EQ(names.back(), "NET39:");
}

TEST_F(PortRefresh, TwoCallersAtOnceStartOneEnumeration)
{
    start();
    portNames();
    const DWORD before = zormon::NetworkEnumerationsStarted();
    advanceClock(5000);
    portNames();
    EXPECT_EQ(zormon::NetworkEnumerationsStarted(), before) << "within 10 s";

    advanceClock(kPastRefreshInterval);
    auto call = [this] {
        DWORD needed = 0, returned = 0;
        EXPECT_TRUE(monitor.pfnEnumPorts(nullptr, 0, nullptr, 0, &needed, &returned));
        EXPECT_EQ(returned, 2u);
    };
    std::thread first(call), second(call);
    first.join();
    second.join();
    EXPECT_EQ(zormon::NetworkEnumerationsStarted(), before + 1);
}

} // namespace
} // namespace zortest
