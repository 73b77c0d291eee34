// A Windows root with a device registry, win.ini ports and network connections, and the
// monitor started afresh on it and reached through its table, as the spooler reaches it.
// The refresh rule reads a clock the test moves by hand.
#pragma once

#include "monitor/NetworkRefresh.h"
#include "monitor/PortTable.h"
#include "platform/base/lasterror.h"
#include "platform/spooler/monitor_interface.h"
#include "platform/profile/profile.h"
#include "platform/registry/registry.h"
#include "tests/support/TempRoot.h"
#include "tests/support/UiJournal.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

extern "C" BOOL InitializeMonitorEx(LPSTR registryRoot, MONITOR *monitor);

namespace zortest {

// Any value a call could not set by chance; a call that succeeds must leave it in place.
constexpr DWORD kSentinel = 0xdeadbeef;
// More than the monitor's refresh interval.
constexpr DWORD kPastRefreshInterval = 10001;

struct ListedPort {
    std::string name;
    std::string monitorName;
    std::string description;
    DWORD type;

    bool operator==(const ListedPort &) const = default;
};

inline void PrintTo(const ListedPort &port, std::ostream *out)
{
    *out << "{" << port.name << ", " << port.description << ", type " << port.type << "}";
}

class PortFixture : public ::testing::Test {
protected:
    static inline std::atomic<DWORD> s_ticks{1000000};
    static DWORD fakeTicks() { return s_ticks.load(); }
    static void advanceClock(DWORD milliseconds) { s_ticks += milliseconds; }

    void SetUp() override
    {
        setenv("ZORVALINE_DEBUG_LOG", debugLogPath().c_str(), 1);
        zormon::SetTickSource(fakeTicks);
        // Every test starts with a refresh due, on a table of its own.
        advanceClock(kPastRefreshInterval);
        zormon::ClearPortTable();
    }

    void TearDown() override
    {
        zormon::SetTickSource(nullptr);
        unsetenv("ZORVALINE_DEBUG_LOG");
    }

    void start()
    {
        ASSERT_TRUE(InitializeMonitorEx(nullptr, &monitor));
    }

    std::string debugLogPath() const { return root.path() + "/debug.log"; }
    std::string debugLog() const { return TempRoot::readFile(debugLogPath()); }

    static void setString(HKEY root, const std::string &path, const char *name, const std::string &value)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKey(root, path.c_str(), &key), LONG(ERROR_SUCCESS));
        ASSERT_EQ(RegSetValueEx(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(value.c_str()),
                                DWORD(value.size() + 1)),
                  LONG(ERROR_SUCCESS));
        RegCloseKey(key);
    }

    // One serial or parallel device as `zorvaline setup` registers it.
    static void addDevice(const std::string &id, const std::string &portName, const std::string &description,
                          const std::string &deviceClass = "Ports")
    {
        const std::string hardware = "SERENUM\\" + portName;
        const std::string driver = "Ports\\" + id;
        setString(HKEY_DYN_DATA, "Config Manager\\Enum\\" + id, "HardWareKey", hardware);
        setString(HKEY_LOCAL_MACHINE, "Enum\\" + hardware, "Class", deviceClass);
        setString(HKEY_LOCAL_MACHINE, "Enum\\" + hardware, "PortName", portName);
        setString(HKEY_LOCAL_MACHINE, "Enum\\" + hardware, "Driver", driver);
        setString(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\Class\\" + driver, "DriverDesc",
                  description);
    }

    static void addConnection(const std::string &localName, const std::string &remotePath)
    {
        setString(HKEY_CURRENT_USER, "Network\\Persistent\\" + localName, "RemotePath", remotePath);
    }

    static void removeConnection(const std::string &localName)
    {
        ASSERT_EQ(RegDeleteKey(HKEY_CURRENT_USER, ("Network\\Persistent\\" + localName).c_str()),
                  LONG(ERROR_SUCCESS));
    }

    static void addWinIniPort(const char *name)
    {
        ASSERT_TRUE(WriteProfileString("ports", name, ""));
    }

    // EnumPorts level 2 into a buffer of exactly the size reported, checked to succeed and
    // to leave the last error alone.
    std::vector<ListedPort> listPorts()
    {
        DWORD needed = 0, returned = 0;
        EXPECT_FALSE(monitor.pfnEnumPorts(nullptr, 2, nullptr, 0, &needed, &returned));
        std::vector<BYTE> buffer(needed);
        SetLastError(kSentinel);
        EXPECT_TRUE(monitor.pfnEnumPorts(nullptr, 2, buffer.data(), needed, &needed, &returned));
        EXPECT_EQ(GetLastError(), kSentinel);
        std::vector<ListedPort> ports;
        auto *entries = reinterpret_cast<PORT_INFO_2A *>(buffer.data());
        for (DWORD i = 0; i < returned; ++i)
            ports.push_back({entries[i].pPortName, entries[i].pMonitorName, entries[i].pDescription,
                             entries[i].fPortType});
        return ports;
    }

    std::vector<std::string> portNames()
    {
        std::vector<std::string> names;
        for (const ListedPort &port : listPorts())
            names.push_back(port.name);
        return names;
    }

    // (caption, text) of every message box shown.
    std::vector<std::pair<std::string, std::string>> messageBoxes() const
    {
        std::vector<std::pair<std::string, std::string>> boxes;
        for (UiEvent &event : journal.events("messagebox"))
            boxes.emplace_back(event["caption"], event["text"]);
        return boxes;
    }

    TempRoot root;
    UiJournal journal{root.path() + "/ui.log"};
    MONITOR monitor{};
};

} // namespace zortest
