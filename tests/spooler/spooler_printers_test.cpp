// Printers: creation rules and error codes, level-2 queries, rename in place, deletion,
// the default printer, and one spooler seen by every process of a root.
#include "platform/profile/profile.h"
#include "tests/spooler/SpoolerRoot.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <functional>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

using spoolertest::SpoolerRoot;

namespace {

// GetPrinter level 2 with the two-call pattern; the buffer owns the strings.
struct Level2 {
    std::vector<BYTE> buffer;
    const PRINTER_INFO_2A &info() const { return *reinterpret_cast<const PRINTER_INFO_2A *>(buffer.data()); }
};

Level2 queryLevel2(HANDLE printer)
{
    Level2 result;
    DWORD needed = 0;
    EXPECT_FALSE(GetPrinter(printer, 2, nullptr, 0, &needed));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    result.buffer.assign(needed, 0);
    EXPECT_FALSE(GetPrinter(printer, 2, result.buffer.data(), needed - 1, &needed));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_TRUE(GetPrinter(printer, 2, result.buffer.data(), needed, &needed));
    return result;
}

HANDLE open(const char *name)
{
    HANDLE printer = nullptr;
    if (!OpenPrinter(const_cast<char *>(name), &printer, nullptr))
        return nullptr;
    return printer;
}

std::vector<std::string> printerNames()
{
    DWORD needed = 0, returned = 0;
    EnumPrinters(PRINTER_ENUM_LOCAL, nullptr, 4, nullptr, 0, &needed, &returned);
    std::vector<BYTE> buffer(needed + 1);
    if (!EnumPrinters(PRINTER_ENUM_LOCAL, nullptr, 4, buffer.data(), needed, &needed, &returned))
        return {"enumeration failed"};
    std::vector<std::string> names;
    for (DWORD i = 0; i < returned; ++i)
        names.emplace_back(reinterpret_cast<PRINTER_INFO_4A *>(buffer.data())[i].pPrinterName);
    return names;
}

std::string defaultPrinter()
{
    char name[256];
    DWORD size = sizeof name;
    return GetDefaultPrinter(name, &size) ? name : "";
}

DWORD addPrinterError(const SpoolerRoot &root, const char *name, const char *driver = "Test Driver",
                      const char *port = spoolertest::kPort)
{
    SetLastError(0xdeadbeef);
    return root.addPrinter(name, driver, port) ? ERROR_SUCCESS : GetLastError();
}

class SpoolerPrinters : public ::testing::Test {
protected:
    void SetUp() override { root.prepare(); }
    SpoolerRoot root;
};

TEST_F(SpoolerPrinters, ANewPrinterKeepsEveryMemberItWasGiven)
{
    PRINTER_INFO_2A info = SpoolerRoot::destinationInfo("Sales");
    HANDLE added = AddPrinter(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
    ASSERT_NE(added, nullptr) << GetLastError();
    const Level2 level2 = queryLevel2(added);
    const PRINTER_INFO_2A &got = level2.info();
    EXPECT_EQ(got.pServerName, nullptr);
    EXPECT_STREQ(got.pPrinterName, "Sales");
    EXPECT_EQ(got.pShareName, nullptr);
    EXPECT_STREQ(got.pPortName, "RECORD:");
    EXPECT_STREQ(got.pDriverName, "Test Driver");
    EXPECT_STREQ(got.pComment, "Zorvaline Remote Internet Printing Port");
    EXPECT_EQ(got.pLocation, nullptr);
    EXPECT_EQ(got.pDevMode, nullptr);
    EXPECT_EQ(got.pSepFile, nullptr);
    EXPECT_STREQ(got.pPrintProcessor, "WinPrint");
    EXPECT_STREQ(got.pDatatype, "RAW");
    EXPECT_EQ(got.pParameters, nullptr);
    EXPECT_EQ(got.Attributes, PRINTER_ATTRIBUTE_DIRECT);
    EXPECT_EQ(got.Priority, 1u);
    EXPECT_EQ(got.DefaultPriority + got.StartTime + got.UntilTime + got.Status + got.cJobs + got.AveragePPM, 0u);
    // The strings lie after the structure, inside the buffer.
    const char *bufferEnd = reinterpret_cast<const char *>(level2.buffer.data() + level2.buffer.size());
    EXPECT_GE(got.pPrinterName, reinterpret_cast<const char *>(level2.buffer.data() + sizeof(PRINTER_INFO_2A)));
    EXPECT_LT(got.pDatatype + std::strlen(got.pDatatype), bufferEnd);
    EXPECT_TRUE(ClosePrinter(added));
}

TEST_F(SpoolerPrinters, CreationIsRefusedWithTheWindowsCodes)
{
    ASSERT_EQ(addPrinterError(root, "Sales"), ERROR_SUCCESS);
    EXPECT_EQ(addPrinterError(root, "SALES"), ERROR_PRINTER_ALREADY_EXISTS);
    EXPECT_EQ(addPrinterError(root, "Other", "No Such Driver"), ERROR_UNKNOWN_PRINTER_DRIVER);
    EXPECT_EQ(addPrinterError(root, "Other", "Test Driver", "NOWHERE:"), ERROR_UNKNOWN_PORT);
    for (const char *name : {"", "Back\\slash", "Com,ma"})
        EXPECT_EQ(addPrinterError(root, name), ERROR_INVALID_PRINTER_NAME) << name;
    EXPECT_EQ(addPrinterError(root, std::string(221, 'n').c_str()), ERROR_INVALID_PRINTER_NAME);
    // Ports compare without regard to case; a name in use is told before anything else.
    EXPECT_EQ(addPrinterError(root, "Lower Port", "Test Driver", "record:"), ERROR_SUCCESS);
    EXPECT_EQ(addPrinterError(root, "sales", "No Such Driver", "NOWHERE:"), ERROR_PRINTER_ALREADY_EXISTS);
    EXPECT_EQ(printerNames(), (std::vector<std::string>{"Lower Port", "Sales"}));
}

TEST_F(SpoolerPrinters, DriversOfAnotherEnvironmentAndUnregisteredMonitorsDoNotCount)
{
    ASSERT_TRUE(root.installDriver("NT Only", "Windows NT x86"));
    EXPECT_EQ(addPrinterError(root, "P", "NT Only"), ERROR_UNKNOWN_PRINTER_DRIVER);
    // A port only an unregistered module would list is unknown.
    spoolertest::ScopedEnv ports("ZORTEST_MONITOR_PORTS", "RECORD:,EXTRA:");
    EXPECT_EQ(addPrinterError(root, "P", "Test Driver", "EXTRA:"), ERROR_SUCCESS);
    EXPECT_EQ(addPrinterError(root, "Q", "Test Driver", "LPT1:"), ERROR_UNKNOWN_PORT);
}

TEST_F(SpoolerPrinters, EnumerationLevelsAndSizeRules)
{
    ASSERT_TRUE(root.addPrinter("Beta"));
    ASSERT_TRUE(root.addPrinter("alpha"));
    for (DWORD level : {2u, 4u, 5u}) {
        DWORD needed = 0, returned = 9;
        EXPECT_FALSE(EnumPrinters(PRINTER_ENUM_LOCAL, nullptr, level, nullptr, 0, &needed, &returned));
        EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
        EXPECT_EQ(returned, 0u);
        std::vector<BYTE> buffer(needed);
        EXPECT_FALSE(EnumPrinters(PRINTER_ENUM_LOCAL, nullptr, level, buffer.data(), needed - 1, &needed, &returned));
        EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
        ASSERT_TRUE(EnumPrinters(PRINTER_ENUM_LOCAL, nullptr, level, buffer.data(), needed, &needed, &returned));
        ASSERT_EQ(returned, 2u);
        if (level == 5) {
            const auto *entries = reinterpret_cast<PRINTER_INFO_5A *>(buffer.data());
            EXPECT_STREQ(entries[0].pPrinterName, "alpha");
            EXPECT_STREQ(entries[1].pPortName, "RECORD:");
            EXPECT_EQ(entries[1].Attributes, PRINTER_ATTRIBUTE_DIRECT);
        } else if (level == 2) {
            const auto *entries = reinterpret_cast<PRINTER_INFO_2A *>(buffer.data());
            EXPECT_STREQ(entries[1].pPrinterName, "Beta");
            EXPECT_STREQ(entries[1].pDriverName, "Test Driver");
        }
    }
    DWORD needed = 0, returned = 0;
    EXPECT_FALSE(EnumPrinters(PRINTER_ENUM_LOCAL, nullptr, 3, nullptr, 0, &needed, &returned));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_LEVEL);
    // The default printer alone.
    std::vector<BYTE> buffer(512);
    ASSERT_TRUE(EnumPrinters(PRINTER_ENUM_DEFAULT, nullptr, 4, buffer.data(), 512, &needed, &returned));
    ASSERT_EQ(returned, 1u);
    EXPECT_STREQ(reinterpret_cast<PRINTER_INFO_4A *>(buffer.data())->pPrinterName, "Beta");
}

TEST_F(SpoolerPrinters, RenameInPlaceKeepsEveryOtherMember)
{
    ASSERT_TRUE(root.installDriver("Second Driver"));
    PRINTER_INFO_2A info = SpoolerRoot::destinationInfo("Old Name");
    DEVMODEA mode{};
    std::strcpy(reinterpret_cast<char *>(mode.dmDeviceName), "Old Name");
    mode.dmSize = sizeof mode;
    mode.dmCopies = 3;
    info.pDevMode = &mode;
    info.pLocation = const_cast<char *>("Floor 2");
    info.pShareName = const_cast<char *>("");
    info.DefaultPriority = 4;
    HANDLE added = AddPrinter(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
    ASSERT_NE(added, nullptr);
    ClosePrinter(added);

    // As the manager does it: snapshot, change name and driver, set the copy back.
    HANDLE printer = open("Old Name");
    ASSERT_NE(printer, nullptr);
    const Level2 snapshot = queryLevel2(printer);
    PRINTER_INFO_2A changed = snapshot.info();
    changed.pPrinterName = const_cast<char *>("New Name");
    changed.pDriverName = const_cast<char *>("Second Driver");
    ASSERT_TRUE(SetPrinter(printer, 2, reinterpret_cast<LPBYTE>(&changed), 0)) << GetLastError();

    EXPECT_EQ(open("Old Name"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PRINTER_NAME);
    const Level2 after = queryLevel2(printer); // the handle follows the rename
    const PRINTER_INFO_2A &got = after.info();
    EXPECT_STREQ(got.pPrinterName, "New Name");
    EXPECT_STREQ(got.pDriverName, "Second Driver");
    EXPECT_STREQ(got.pPortName, "RECORD:");
    EXPECT_STREQ(got.pComment, "Zorvaline Remote Internet Printing Port");
    EXPECT_STREQ(got.pLocation, "Floor 2");
    EXPECT_STREQ(got.pShareName, "");
    EXPECT_EQ(got.pParameters, nullptr);
    EXPECT_STREQ(got.pPrintProcessor, "WinPrint");
    EXPECT_EQ(got.Attributes, PRINTER_ATTRIBUTE_DIRECT);
    EXPECT_EQ(got.Priority, 1u);
    EXPECT_EQ(got.DefaultPriority, 4u);
    ASSERT_NE(got.pDevMode, nullptr);
    EXPECT_EQ(std::memcmp(got.pDevMode, &mode, sizeof mode), 0);
    EXPECT_EQ(printerNames(), std::vector<std::string>{"New Name"});
    EXPECT_EQ(defaultPrinter(), "New Name"); // the default follows the rename
    ClosePrinter(printer);
}

// Renames the printer behind the handle, as the manager does.
bool rename(HANDLE printer, const char *newName)
{
    DWORD needed = 0;
    GetPrinter(printer, 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    if (!GetPrinter(printer, 2, buffer.data(), needed, &needed))
        return false;
    PRINTER_INFO_2A changed = *reinterpret_cast<PRINTER_INFO_2A *>(buffer.data());
    changed.pPrinterName = const_cast<char *>(newName);
    return SetPrinter(printer, 2, reinterpret_cast<LPBYTE>(&changed), 0);
}

// How often the call replaced the registry file of the root.
int registryReplacements(const SpoolerRoot &root, const std::function<void()> &call)
{
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    EXPECT_GE(watch, 0);
    inotify_add_watch(watch, root.path().c_str(), IN_MOVED_TO);
    call();
    int replacements = 0;
    alignas(inotify_event) char events[64 * 1024];
    ssize_t got = 0;
    while ((got = ::read(watch, events, sizeof events)) > 0)
        for (char *at = events; at < events + got;) {
            const auto *event = reinterpret_cast<const inotify_event *>(at);
            if (event->len && std::string(event->name) == "system.reg")
                ++replacements;
            at += sizeof(inotify_event) + event->len;
        }
    ::close(watch);
    return replacements;
}

TEST_F(SpoolerPrinters, EachChangeIsOneReplacementOfTheRegistryFile)
{
    // The first printer on the port also has the port's owner remembered.
    ASSERT_TRUE(root.addPrinter("First"));
    EXPECT_EQ(registryReplacements(root, [&] { EXPECT_TRUE(root.addPrinter("Before")); }), 1);
    HANDLE printer = open("Before");
    ASSERT_NE(printer, nullptr);
    EXPECT_EQ(registryReplacements(root, [&] { EXPECT_TRUE(rename(printer, "After")); }), 1);
    EXPECT_EQ(printerNames(), (std::vector<std::string>{"After", "First"}));
    EXPECT_EQ(registryReplacements(root, [&] { EXPECT_TRUE(DeletePrinter(printer)); }), 1);
    EXPECT_EQ(printerNames(), std::vector<std::string>{"First"});
    ClosePrinter(printer);
}

// A rename is one write: killed at any moment, the printer has one of its two names.
TEST_F(SpoolerPrinters, AKilledRenameLeavesThePrinterUnderOneName)
{
    ASSERT_TRUE(root.addPrinter("Ping"));
    for (int round = 0; round < 4; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (;;) {
                for (const auto &[from, to] : {std::pair{"Ping", "Pong"}, std::pair{"Pong", "Ping"}}) {
                    HANDLE printer = open(from);
                    if (printer) {
                        rename(printer, to);
                        ClosePrinter(printer);
                    }
                }
            }
        }
        ::usleep(30000 + round * 11000);
        ::kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        const std::vector<std::string> names = printerNames();
        ASSERT_EQ(names.size(), 1u) << (names.empty() ? "none" : names.front() + ", " + names.back());
        HANDLE printer = open(names.front().c_str());
        ASSERT_NE(printer, nullptr);
        EXPECT_STREQ(queryLevel2(printer).info().pPortName, spoolertest::kPort);
        ClosePrinter(printer);
    }
}

TEST_F(SpoolerPrinters, RenameIsCheckedLikeCreation)
{
    ASSERT_TRUE(root.addPrinter("First"));
    ASSERT_TRUE(root.addPrinter("Second"));
    HANDLE printer = open("first");
    ASSERT_NE(printer, nullptr);
    const Level2 snapshot = queryLevel2(printer);
    PRINTER_INFO_2A changed = snapshot.info();

    changed.pPrinterName = const_cast<char *>("SECOND");
    EXPECT_FALSE(SetPrinter(printer, 2, reinterpret_cast<LPBYTE>(&changed), 0));
    EXPECT_EQ(GetLastError(), ERROR_PRINTER_ALREADY_EXISTS);
    changed.pPrinterName = const_cast<char *>("Bad,Name");
    EXPECT_FALSE(SetPrinter(printer, 2, reinterpret_cast<LPBYTE>(&changed), 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PRINTER_NAME);
    changed.pPrinterName = const_cast<char *>("Third");
    changed.pDriverName = const_cast<char *>("Missing Driver");
    EXPECT_FALSE(SetPrinter(printer, 2, reinterpret_cast<LPBYTE>(&changed), 0));
    EXPECT_EQ(GetLastError(), ERROR_UNKNOWN_PRINTER_DRIVER);
    EXPECT_EQ(printerNames(), (std::vector<std::string>{"First", "Second"}));

    // A change of case only is a rename of the same printer.
    changed.pPrinterName = const_cast<char *>("FIRST");
    changed.pDriverName = const_cast<char *>("Test Driver");
    ASSERT_TRUE(SetPrinter(printer, 2, reinterpret_cast<LPBYTE>(&changed), 0));
    EXPECT_EQ(printerNames(), (std::vector<std::string>{"FIRST", "Second"}));
    ClosePrinter(printer);
}

TEST_F(SpoolerPrinters, DeletedPrintersAreGoneAndTheirHandlesOnlyClose)
{
    ASSERT_TRUE(root.addPrinter("Doomed"));
    ASSERT_TRUE(root.addPrinter("Kept"));
    EXPECT_EQ(defaultPrinter(), "Doomed");
    HANDLE printer = open("DOOMED");
    HANDLE second = open("Doomed");
    ASSERT_NE(printer, nullptr);
    ASSERT_TRUE(DeletePrinter(printer));
    EXPECT_EQ(printerNames(), std::vector<std::string>{"Kept"});
    EXPECT_EQ(defaultPrinter(), ""); // the default went with it
    DWORD needed = 0;
    for (HANDLE handle : {printer, second}) {
        EXPECT_FALSE(GetPrinter(handle, 2, nullptr, 0, &needed));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PRINTER_NAME);
        EXPECT_FALSE(DeletePrinter(handle));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PRINTER_NAME);
        EXPECT_TRUE(ClosePrinter(handle));
    }
    EXPECT_FALSE(ClosePrinter(printer));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    // The name is free again.
    EXPECT_TRUE(root.addPrinter("Doomed"));
}

TEST_F(SpoolerPrinters, TheDefaultPrinter)
{
    char name[64];
    DWORD size = sizeof name;
    EXPECT_FALSE(GetDefaultPrinter(name, &size));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    ASSERT_TRUE(root.addPrinter("First"));
    ASSERT_TRUE(root.addPrinter("Second"));

    size = 0;
    EXPECT_FALSE(GetDefaultPrinter(nullptr, &size));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(size, sizeof "First");
    ASSERT_TRUE(GetDefaultPrinter(name, &size));
    EXPECT_STREQ(name, "First");

    EXPECT_TRUE(SetDefaultPrinter("second"));
    EXPECT_EQ(defaultPrinter(), "Second");
    EXPECT_FALSE(SetDefaultPrinter("Nobody"));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PRINTER_NAME);
    EXPECT_TRUE(SetDefaultPrinter(nullptr)); // keeps an existing default
    EXPECT_EQ(defaultPrinter(), "Second");
    // Kept where programs of the Windows 95 family look for it.
    char device[128];
    GetProfileString("windows", "device", "", device, sizeof device);
    EXPECT_STREQ(device, "Second,winspool,RECORD:");
}

TEST_F(SpoolerPrinters, EveryProcessOfTheRootSeesTheSameSpooler)
{
    ASSERT_TRUE(root.addPrinter("From Parent"));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Sees the parent's printer, renames it and adds one of its own.
        HANDLE printer = open("from parent");
        bool ok = printer != nullptr;
        if (ok) {
            DWORD needed = 0;
            GetPrinter(printer, 2, nullptr, 0, &needed);
            std::vector<BYTE> buffer(needed);
            ok = GetPrinter(printer, 2, buffer.data(), needed, &needed);
            PRINTER_INFO_2A changed = *reinterpret_cast<PRINTER_INFO_2A *>(buffer.data());
            changed.pPrinterName = const_cast<char *>("Renamed By Child");
            ok = ok && SetPrinter(printer, 2, reinterpret_cast<LPBYTE>(&changed), 0);
            ClosePrinter(printer);
        }
        ok = ok && root.addPrinter("From Child");
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(printerNames(), (std::vector<std::string>{"From Child", "Renamed By Child"}));
    HANDLE printer = open("Renamed By Child");
    ASSERT_NE(printer, nullptr);
    EXPECT_STREQ(queryLevel2(printer).info().pComment, "Zorvaline Remote Internet Printing Port");
    ClosePrinter(printer);
}

TEST_F(SpoolerPrinters, HandlesAndLevelsAreChecked)
{
    ASSERT_TRUE(root.addPrinter("P"));
    HANDLE printer = open("P");
    DWORD needed = 0;
    EXPECT_FALSE(GetPrinter(printer, 1, nullptr, 0, &needed));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_LEVEL);
    std::vector<BYTE> buffer(256);
    ASSERT_TRUE(GetPrinter(printer, 5, buffer.data(), 256, &needed));
    EXPECT_STREQ(reinterpret_cast<PRINTER_INFO_5A *>(buffer.data())->pPortName, "RECORD:");
    PRINTER_INFO_2A info = SpoolerRoot::destinationInfo("P");
    EXPECT_FALSE(SetPrinter(printer, 2, reinterpret_cast<LPBYTE>(&info), 1));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    int notAHandle = 0;
    EXPECT_FALSE(GetPrinter(&notAHandle, 2, nullptr, 0, &needed));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_TRUE(ClosePrinter(printer));
    EXPECT_FALSE(OpenPrinter(nullptr, &printer, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PRINTER_NAME);
}

} // namespace
