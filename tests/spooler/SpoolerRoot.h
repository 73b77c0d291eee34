// A temporary root with the recording test monitor installed in its system directory, and
// shortcuts for the objects spooler tests need: a registered monitor, an installed driver,
// a printer on the monitor's port.
#pragma once

#include "platform/base/lasterror.h"
#include "platform/spooler/spooler.h"
#include "tests/support/TempRoot.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace spoolertest {

inline std::string BinDirectory()
{
    const char *fromEnvironment = std::getenv("ZORVALINE_BIN_DIR");
    return fromEnvironment && *fromEnvironment ? fromEnvironment : ZORVALINE_BIN_DIR;
}

// Sets an environment variable for the object's life, then puts the old state back.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const char *value) : m_name(name)
    {
        if (const char *old = std::getenv(name)) {
            m_had = true;
            m_old = old;
        }
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (m_had)
            setenv(m_name.c_str(), m_old.c_str(), 1);
        else
            unsetenv(m_name.c_str());
    }
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    std::string m_name;
    std::string m_old;
    bool m_had = false;
};

constexpr const char *kMonitorName = "Recording Monitor";
constexpr const char *kMonitorDll = "RECMON.DLL";
constexpr const char *kPort = "RECORD:";

class SpoolerRoot : public zortest::TempRoot {
public:
    SpoolerRoot()
        : m_platform("ZORVALINE_PLATFORM", nullptr), m_log("ZORTEST_MONITOR_LOG", (path() + "/monitor.log").c_str()),
          m_data("ZORTEST_MONITOR_DATA", (path() + "/monitor.data").c_str()),
          m_ports("ZORTEST_MONITOR_PORTS", nullptr), m_fail("ZORTEST_MONITOR_FAIL", nullptr),
          m_take("ZORTEST_MONITOR_TAKE", nullptr), m_stopBox("ZORTEST_MONITOR_STOPBOX", nullptr),
          m_delay("ZORTEST_MONITOR_DELAY_MS", nullptr)
    {
        std::filesystem::copy_file(BinDirectory() + "/librecording_monitor.so", systemFile(kMonitorDll));
    }

    std::string systemFile(const std::string &name) const { return driveC("WINDOWS/SYSTEM/" + name); }

    // AddMonitor's result; the last error tells why it failed.
    bool registerMonitor(const char *name = kMonitorName, const char *dll = kMonitorDll) const
    {
        MONITOR_INFO_2A info{const_cast<char *>(name), nullptr, const_cast<char *>(dll)};
        return AddMonitor(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
    }

    // A driver whose files are created in the system directory first.
    bool installDriver(const std::string &name, const char *environment = nullptr) const
    {
        for (const char *file : {"TEST.DRV", "TEST.PPD", "TESTUI.DLL"})
            writeFile(systemFile(file), "driver file");
        DRIVER_INFO_3A info{};
        info.pName = const_cast<char *>(name.c_str());
        info.pEnvironment = const_cast<char *>(environment);
        info.pDriverPath = const_cast<char *>("TEST.DRV");
        info.pDataFile = const_cast<char *>("TEST.PPD");
        info.pConfigFile = const_cast<char *>("TESTUI.DLL");
        info.pDefaultDataType = const_cast<char *>("RAW");
        return AddPrinterDriver(nullptr, 3, reinterpret_cast<LPBYTE>(&info));
    }

    // Monitor, driver "Test Driver" and nothing else: ready for printers on kPort.
    void prepare() const
    {
        if (!registerMonitor() || !installDriver("Test Driver"))
            throw std::runtime_error("spooler set-up failed, error " + std::to_string(GetLastError()));
    }

    // The level-2 values the manager gives a destination's printer, on `port`.
    static PRINTER_INFO_2A destinationInfo(const char *name, const char *driver = "Test Driver",
                                           const char *port = kPort)
    {
        PRINTER_INFO_2A info{};
        info.pPrinterName = const_cast<char *>(name);
        info.pPortName = const_cast<char *>(port);
        info.pDriverName = const_cast<char *>(driver);
        info.pComment = const_cast<char *>("Zorvaline Remote Internet Printing Port");
        info.pPrintProcessor = const_cast<char *>("WinPrint");
        info.pDatatype = const_cast<char *>("RAW");
        info.Attributes = PRINTER_ATTRIBUTE_DIRECT;
        info.Priority = 1;
        return info;
    }

    // AddPrinter with destinationInfo; the handle is closed at once.
    bool addPrinter(const char *name, const char *driver = "Test Driver", const char *port = kPort) const
    {
        PRINTER_INFO_2A info = destinationInfo(name, driver, port);
        HANDLE printer = AddPrinter(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
        if (!printer)
            return false;
        ClosePrinter(printer);
        return true;
    }

    std::vector<std::string> monitorLog() const
    {
        std::vector<std::string> lines;
        std::istringstream in(readFile(path() + "/monitor.log"));
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
    std::string monitorData() const { return readFile(path() + "/monitor.data"); }

private:
    ScopedEnv m_platform, m_log, m_data, m_ports, m_fail, m_take, m_stopBox, m_delay;
};

} // namespace spoolertest
