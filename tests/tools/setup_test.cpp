#include "platform/files/temporaryfile.h"
#include "platform/profile/profile.h"
#include "platform/registry/registry.h"
#include "platform/spooler/spooler.h"
#include "tests/support/TempRoot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

using zortest::TempRoot;

struct CommandResult {
    int exitCode = -1;
    std::string output;  // stdout and stderr
};

std::string quoted(const std::string &arg)
{
    std::string out = "'";
    for (char c : arg)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

CommandResult runZorvaline(const std::vector<std::string> &args)
{
    std::string command = quoted(std::string(ZORVALINE_BIN_DIR) + "/zorvaline");
    for (const std::string &arg : args)
        command.append(" ").append(quoted(arg)); // not `" " + std::string`: a false -Wrestrict from GCC 12
    command += " 2>&1";
    CommandResult run;
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    size_t got = 0;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.output.append(buffer, got);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// A root and an empty stand-in device folder, so no test depends on the machine's ports.
class Setup : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_devices = m_root.path() + "/devices";
        fs::create_directories(m_devices);
        setenv("ZORVALINE_DEV_DIR", m_devices.c_str(), 1);
    }
    void TearDown() override { unsetenv("ZORVALINE_DEV_DIR"); }

    CommandResult setup(std::vector<std::string> args = {})
    {
        args.insert(args.begin(), "setup");
        return runZorvaline(args);
    }

    void addDevice(const std::string &name, const std::string &content = "16550A\n")
    {
        m_root.writeFile(m_devices + "/" + name, content);
    }

    std::string profile(const char *section, const char *key, const std::string &file)
    {
        char value[1024];
        GetPrivateProfileString(section, key, "<missing>", value, sizeof value, file.c_str());
        return value;
    }

    // Every file of the root (bar the device folder) with its content.
    std::map<std::string, std::string> snapshot()
    {
        std::map<std::string, std::string> files;
        for (const auto &entry : fs::recursive_directory_iterator(m_root.path()))
            if (entry.is_regular_file() && entry.path().string().rfind(m_devices, 0) != 0)
                files[entry.path().string()] = TempRoot::readFile(entry.path().string());
        return files;
    }

    TempRoot m_root;
    std::string m_devices;
};

std::optional<std::string> registryString(HKEY root, const std::string &path, const char *name)
{
    HKEY key = nullptr;
    if (RegOpenKey(root, path.c_str(), &key) != ERROR_SUCCESS)
        return std::nullopt;
    char value[256] = {};
    DWORD size = sizeof value;
    const LONG result = RegQueryValueEx(key, name, nullptr, nullptr, reinterpret_cast<BYTE *>(value), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        return std::nullopt;
    return std::string(value);
}

// The ports as the monitor's device scan finds them: "PortName=DriverDesc" per device.
std::set<std::string> scannedPorts()
{
    std::set<std::string> ports;
    HKEY list = nullptr;
    if (RegOpenKey(HKEY_DYN_DATA, "Config Manager\\Enum", &list) != ERROR_SUCCESS)
        return ports;
    char id[64];
    for (DWORD i = 0; RegEnumKey(list, i, id, sizeof id) == ERROR_SUCCESS; ++i) {
        const auto hardware = registryString(list, id, "HardWareKey");
        const std::string device = "Enum\\" + hardware.value_or("?");
        const auto cls = registryString(HKEY_LOCAL_MACHINE, device, "Class");
        const auto name = registryString(HKEY_LOCAL_MACHINE, device, "PortName");
        const auto driver = registryString(HKEY_LOCAL_MACHINE, device, "Driver");
        const auto description = registryString(
            HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\Class\\" + driver.value_or("?"), "DriverDesc");
        if (cls == "Ports")
            ports.insert(name.value_or("?") + "=" + description.value_or("?"));
    }
    RegCloseKey(list);
    return ports;
}

TEST_F(Setup, CreatesAFreshRoot)
{
    const CommandResult run = setup();
    ASSERT_EQ(run.exitCode, 0) << run.output;

    for (const char *folder : {"WINDOWS", "WINDOWS/SYSTEM", "WINDOWS/INF", "ZORVALINE"})
        EXPECT_TRUE(fs::is_directory(m_root.driveC(folder))) << folder;
    EXPECT_EQ(profile("Install", "Directory", "C:\\WINDOWS\\SYSTEM\\VARNEL.INI"), "C:\\ZORVALINE");
    EXPECT_EQ(profile("DefaultSetup", "Database", "C:\\ZORVALINE\\VComDef.ini"), "C:\\ZORVALINE\\Sendaro.Cfg");
    EXPECT_EQ(profile("ports", "FILE:", "C:\\WINDOWS\\win.ini"), "");
    const std::string services = TempRoot::readFile(m_root.driveC("WINDOWS/SERVICES"));
    EXPECT_NE(services.find("smtp       25/tcp    mail"), std::string::npos) << services;

    char host[256] = {};
    ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
    const auto name = registryString(HKEY_LOCAL_MACHINE,
                                     "System\\CurrentControlSet\\Control\\ComputerName\\ComputerName", "ComputerName");
    ASSERT_TRUE(name.has_value());
    EXPECT_FALSE(name->empty());
    EXPECT_LE(name->size(), 15u);
    std::string upperHost = host;
    std::transform(upperHost.begin(), upperHost.end(), upperHost.begin(), [](unsigned char c) { return std::toupper(c); });
    EXPECT_EQ(upperHost.rfind(*name, 0), 0u) << *name << " should start " << upperHost;
    EXPECT_TRUE(scannedPorts().empty());

    EXPECT_NE(run.output.find("created C:\\WINDOWS\\INF"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("ready"), std::string::npos) << run.output;
}

TEST_F(Setup, SecondRunChangesNothing)
{
    addDevice("ttyS0");
    addDevice("parport0");
    ASSERT_EQ(setup().exitCode, 0);
    const auto before = snapshot();
    const CommandResult again = setup();
    ASSERT_EQ(again.exitCode, 0) << again.output;
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(again.output.find("created"), std::string::npos) << again.output;
    EXPECT_EQ(again.output.find("updated"), std::string::npos) << again.output;
}

TEST_F(Setup, KeepsWhatIsAlreadyThere)
{
    m_root.writeFile(m_root.driveC("WINDOWS/SYSTEM/varnel.ini"), "[Install]\r\nDirectory=C:\\Other\r\n");
    m_root.writeFile(m_root.driveC("Other/VCOMDEF.INI"),
                     "[DefaultSetup]\r\nDatabase=C:\\old.cfg\r\nTimeout=30\r\n[Mail]\r\nServer=mail.test\r\n");
    m_root.writeFile(m_root.driveC("WINDOWS/services"), "smtp 2525/tcp\n");
    m_root.writeFile(m_root.driveC("WINDOWS/WIN.INI"), "[ports]\r\n\\\\server\\queue=\r\nfile:=\r\n");

    const CommandResult run = setup();
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(profile("Install", "Directory", "C:\\WINDOWS\\SYSTEM\\Varnel.ini"), "C:\\Other");
    EXPECT_FALSE(fs::exists(m_root.driveC("ZORVALINE")));
    EXPECT_EQ(profile("DefaultSetup", "Database", "C:\\Other\\VComDef.ini"), "C:\\Other\\Sendaro.Cfg");
    EXPECT_EQ(profile("DefaultSetup", "Timeout", "C:\\Other\\VComDef.ini"), "30");
    EXPECT_EQ(profile("Mail", "Server", "C:\\Other\\VComDef.ini"), "mail.test");
    EXPECT_EQ(TempRoot::readFile(m_root.driveC("WINDOWS/services")), "smtp 2525/tcp\n");
    int servicesFiles = 0;
    for (const auto &entry : fs::directory_iterator(m_root.driveC("WINDOWS")))
        servicesFiles += entry.path().filename() == "services" || entry.path().filename() == "SERVICES";
    EXPECT_EQ(servicesFiles, 1);
    EXPECT_EQ(profile("ports", "\\\\server\\queue", "C:\\WINDOWS\\win.ini"), "");
    EXPECT_EQ(TempRoot::readFile(m_root.driveC("WINDOWS/WIN.INI")), "[ports]\r\n\\\\server\\queue=\r\nfile:=\r\n")
        << "FILE: was there already, in another case";
    EXPECT_NE(run.output.find("updated C:\\Other\\VComDef.ini [DefaultSetup] Database"), std::string::npos)
        << run.output;
}

TEST_F(Setup, InstallDirOptionReplacesTheRecordedDirectory)
{
    ASSERT_EQ(setup().exitCode, 0);
    const CommandResult run = setup({"--install-dir", "C:\\Apps\\Zorv\\"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(fs::is_directory(m_root.driveC("Apps/Zorv")));
    EXPECT_EQ(profile("Install", "Directory", "C:\\WINDOWS\\SYSTEM\\Varnel.ini"), "C:\\Apps\\Zorv");
    EXPECT_EQ(profile("DefaultSetup", "Database", "C:\\Apps\\Zorv\\VComDef.ini"), "C:\\Apps\\Zorv\\Sendaro.Cfg");

    // Later runs without the option keep the new choice.
    ASSERT_EQ(setup().exitCode, 0);
    EXPECT_EQ(profile("Install", "Directory", "C:\\WINDOWS\\SYSTEM\\Varnel.ini"), "C:\\Apps\\Zorv");
}

TEST_F(Setup, RegistersTheMachinesPortsAsTheMonitorScansThem)
{
    addDevice("ttyS0");
    addDevice("ttyS1", "unknown\n");  // a node with no port behind it
    addDevice("ttyS3");
    addDevice("parport0");
    addDevice("lp0");
    addDevice("lp1");
    for (const char *other : {"tty0", "ttyS", "ttySx", "lpx", "ttyUSB0"})
        addDevice(other);

    ASSERT_EQ(setup().exitCode, 0);
    EXPECT_EQ(scannedPorts(), (std::set<std::string>{"COM1=Communications Port", "COM4=Communications Port",
                                                     "LPT1=Printer Port", "LPT2=Printer Port"}));
    char keys[1024];
    const DWORD length = GetProfileString("ports", nullptr, "", keys, sizeof keys);
    std::vector<std::string> names;
    for (DWORD at = 0; at < length && keys[at]; at += static_cast<DWORD>(names.back().size()) + 1)
        names.emplace_back(keys + at);
    EXPECT_EQ(names, (std::vector<std::string>{"LPT1:", "LPT2:", "COM1:", "COM4:", "FILE:"}));

    // A port that is gone leaves the device list; win.ini keeps what it has.
    fs::remove(m_devices + "/ttyS3");
    const CommandResult run = setup();
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(scannedPorts(), (std::set<std::string>{"COM1=Communications Port", "LPT1=Printer Port",
                                                     "LPT2=Printer Port"}));
    EXPECT_NE(run.output.find("removed registry entries of SERENUM\\COM4"), std::string::npos) << run.output;
    EXPECT_EQ(profile("ports", "COM4:", "C:\\WINDOWS\\win.ini"), "9600,n,8,1");
}

TEST_F(Setup, LeavesOtherDevicesInTheDeviceListAlone)
{
    HKEY modem = nullptr;
    ASSERT_EQ(RegCreateKey(HKEY_DYN_DATA, "Config Manager\\Enum\\C0FFEE00", &modem), ERROR_SUCCESS);
    const char hardware[] = "MODEMENUM\\MODEM1";
    ASSERT_EQ(RegSetValueEx(modem, "HardWareKey", 0, REG_SZ, reinterpret_cast<const BYTE *>(hardware), sizeof hardware),
              ERROR_SUCCESS);
    RegCloseKey(modem);
    ASSERT_EQ(setup().exitCode, 0);
    EXPECT_EQ(registryString(HKEY_DYN_DATA, "Config Manager\\Enum\\C0FFEE00", "HardWareKey"), hardware);
}

TEST_F(Setup, DamagedRegistryFileStopsSetupAndIsKept)
{
    const std::string damaged = "this is not the registry\n";
    m_root.writeFile(m_root.path() + "/system.reg", damaged);
    const CommandResult run = setup();
    EXPECT_EQ(run.exitCode, 2) << run.output;
    EXPECT_NE(run.output.find("the registry file is damaged (" + m_root.path() + "/system.reg: line 1"),
              std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("mend or remove it"), std::string::npos) << run.output;
    EXPECT_EQ(TempRoot::readFile(m_root.path() + "/system.reg"), damaged);
}

mode_t modeOf(const std::string &path)
{
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

TEST_F(Setup, InstallDirectoryAndPasswordFilesAreTheOwnersAlone)
{
    ::umask(022);
    ASSERT_EQ(setup().exitCode, 0);
    EXPECT_EQ(modeOf(m_root.driveC("ZORVALINE")), 0700u);
    EXPECT_EQ(modeOf(m_root.driveC("ZORVALINE/VComDef.ini")), 0600u);

    // A root from before, open to every user: setup closes it.
    ::chmod(m_root.driveC("ZORVALINE").c_str(), 0755);
    ::chmod(m_root.driveC("ZORVALINE/VComDef.ini").c_str(), 0644);
    m_root.writeFile(m_root.driveC("ZORVALINE/Sendaro.Cfg"), "[Printers]\r\n");
    ::chmod(m_root.driveC("ZORVALINE/Sendaro.Cfg").c_str(), 0644);
    const CommandResult run = setup();
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(modeOf(m_root.driveC("ZORVALINE")), 0700u);
    EXPECT_EQ(modeOf(m_root.driveC("ZORVALINE/VComDef.ini")), 0600u);
    EXPECT_EQ(modeOf(m_root.driveC("ZORVALINE/Sendaro.Cfg")), 0600u);
    EXPECT_NE(run.output.find("updated C:\\ZORVALINE\\Sendaro.Cfg readable by its owner only"), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("updated C:\\ZORVALINE readable by its owner only"), std::string::npos) << run.output;
}

TEST_F(Setup, RemovesTemporariesOfInterruptedWritesAndKeepsALiveWritersOne)
{
    ASSERT_EQ(setup().exitCode, 0);
    const std::vector<std::string> stale = {m_root.driveC("ZORVALINE/VComDef.ini.tmp-a1B2c3"),
                                            m_root.driveC("WINDOWS/win.ini.tmp-Zz9yY8"),
                                            m_root.path() + "/system.reg.tmp-000000"};
    for (const std::string &path : stale)
        m_root.writeFile(path, "half a file");
    zorplat::TemporaryFile live(m_root.driveC("WINDOWS/SYSTEM/Varnel.ini"));
    ASSERT_TRUE(live.valid());

    const CommandResult run = setup();
    ASSERT_EQ(run.exitCode, 0) << run.output;
    for (const std::string &path : stale) {
        EXPECT_FALSE(fs::exists(path)) << path;
        EXPECT_NE(run.output.find("removed " + path + ", left by an interrupted write"), std::string::npos)
            << run.output;
    }
    EXPECT_TRUE(fs::exists(live.path()));
}

TEST_F(Setup, UsageAndUnwritableRoot)
{
    const CommandResult help = setup({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.output.find("--install-dir WINPATH"), std::string::npos) << help.output;
    EXPECT_FALSE(fs::exists(m_root.driveC("WINDOWS/INF"))) << "--help must not set anything up";

    EXPECT_EQ(setup({"--install-dir"}).exitCode, 2);
    EXPECT_EQ(setup({"--install-dir", "relative\\dir"}).exitCode, 2);
    EXPECT_EQ(setup({"--bogus"}).exitCode, 2);

    // A root below a plain file cannot be created, whoever runs the test.
    m_root.writeFile(m_root.path() + "/plain", "x");
    const std::string badRoot = m_root.path() + "/plain/root";
    const std::string saved = getenv("ZORVALINE_ROOT");
    setenv("ZORVALINE_ROOT", badRoot.c_str(), 1);
    const CommandResult run = setup();
    setenv("ZORVALINE_ROOT", saved.c_str(), 1);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 1) << run.output;
    EXPECT_NE(run.output.find(badRoot), std::string::npos) << run.output;
}

} // namespace

namespace {

std::vector<std::string> installedDriverNames()
{
    DWORD needed = 0, returned = 0;
    EnumPrinterDrivers(nullptr, nullptr, 1, nullptr, 0, &needed, &returned);
    std::vector<BYTE> buffer(needed);
    std::vector<std::string> names;
    if (!EnumPrinterDrivers(nullptr, nullptr, 1, buffer.data(), needed, &needed, &returned))
        return names;
    const auto *drivers = reinterpret_cast<const DRIVER_INFO_1A *>(buffer.data());
    for (DWORD i = 0; i < returned; ++i)
        names.emplace_back(drivers[i].pName);
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(Setup, OffersDriversAtOnce)
{
    const CommandResult run = setup();
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(installedDriverNames(), (std::vector<std::string>{"Zorlan H7 Laser", "Zorlan J8 Inkjet"}));
    for (const char *file : {"ZORPS.DRV", "ZORPSUI.DLL", "ZORPS.HLP", "ZORH7.PPD", "ZORJ8.PPD"})
        EXPECT_TRUE(fs::exists(m_root.driveC(std::string("WINDOWS/SYSTEM/") + file))) << file;
    EXPECT_EQ(profile("Zorvaline", "\"Zorlan H3 Laser\"", "C:\\WINDOWS\\INF\\msprint2.inf"), "H3.INSTALL");
    // The sample disks, for the Add Printer wizard's "New Driver...".
    EXPECT_TRUE(fs::exists(m_root.driveC("ZORVALINE/DRIVERS/FAMILY/ZORFAM.INF")));
    EXPECT_TRUE(fs::exists(m_root.driveC("ZORVALINE/DRIVERS/POSTSCRIPT/adobeps4.dr_")));
}

TEST_F(Setup, SystemInfIsTheOneThePlatformAsksFor)
{
    setenv("ZORVALINE_PLATFORM", "nt3", 1);
    const CommandResult run = setup();
    unsetenv("ZORVALINE_PLATFORM");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(fs::exists(m_root.driveC("WINDOWS/INF/printer.inf")));
    EXPECT_FALSE(fs::exists(m_root.driveC("WINDOWS/INF/msprint2.inf")));
}

} // namespace
