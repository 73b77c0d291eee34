#include "platform/base/lasterror.h"
#include "platform/registry/registry.h"
#include "tests/support/TempRoot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using zortest::TempRoot;

// All the bytes of a literal, embedded NULs included, without the literal's own NUL.
template <size_t N>
std::string bytesOf(const char (&literal)[N])
{
    return std::string(literal, N - 1);
}

LONG setBytes(HKEY key, const char *name, DWORD type, const std::string &bytes)
{
    return RegSetValueEx(key, name, 0, type, reinterpret_cast<const BYTE *>(bytes.data()),
                         static_cast<DWORD>(bytes.size()));
}

LONG setString(HKEY key, const char *name, const std::string &text)
{
    return setBytes(key, name, REG_SZ, std::string(text.c_str(), text.size() + 1));
}

// The stored bytes and type, or the error as the type when the query fails.
std::pair<DWORD, std::string> query(HKEY key, const char *name)
{
    DWORD type = 0;
    DWORD size = 0;
    LONG result = RegQueryValueEx(key, name, nullptr, &type, nullptr, &size);
    if (result != ERROR_SUCCESS)
        return {0xE0000000u | static_cast<DWORD>(result), {}};
    std::string bytes(size, '\0');
    result = RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<BYTE *>(bytes.data()), &size);
    if (result != ERROR_SUCCESS)
        return {0xE0000000u | static_cast<DWORD>(result), {}};
    bytes.resize(size);
    return {type, bytes};
}

HKEY create(HKEY root, const char *path)
{
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKey(root, path, &key), ERROR_SUCCESS) << path;
    return key;
}

// Runs body in a child process; the child's exit status is the number of failed checks.
int inChild(const std::function<int()> &body)
{
    const pid_t child = fork();
    if (child == 0)
        _exit(body());
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 255;
}

struct StoredValue {
    const char *name;
    DWORD type;
    std::string bytes;
};

std::vector<StoredValue> awkwardValues()
{
    std::string everyByte;
    for (int b = 0; b < 256; ++b)
        everyByte += static_cast<char>(b);
    return {
        {"Plain", REG_SZ, bytesOf("COM1\0")},
        {"Path", REG_EXPAND_SZ, bytesOf("%WINDIR%\\SYSTEM\\\"q\"\0")},
        {"List", REG_MULTI_SZ, bytesOf("one\0two words\0\0")},
        {"Empty list", REG_MULTI_SZ, bytesOf("\0")},
        {"Every byte", REG_BINARY, everyByte},
        {"Unterminated", REG_SZ, "no NUL at the end"},
        {"Latin-1 \xC4\xD6", REG_SZ, bytesOf("\xE9t\xE9\n\r\t\0")},
        {"Count", REG_DWORD, bytesOf("\x2A\x00\x00\x80")},
        {"Short dword", REG_DWORD, bytesOf("\x01\x02")},
        {"Nothing", REG_NONE, ""},
        {"Odd \"type\"\\ = [x]", 0x1234, bytesOf("a\0b")},
        {"", REG_SZ, bytesOf("default\0")},
    };
}

TEST(Registry, EveryValueTypeRoundTripsThroughTheFileExactly)
{
    TempRoot writerRoot;
    HKEY key = create(HKEY_LOCAL_MACHINE, "Software\\Zorvaline\\Types");
    for (const StoredValue &v : awkwardValues())
        ASSERT_EQ(setBytes(key, v.name, v.type, v.bytes), ERROR_SUCCESS) << v.name;
    ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    const std::string file = writerRoot.path() + "/system.reg";

    // A second root holding a copy of the file is parsed afresh.
    TempRoot readerRoot;
    std::filesystem::copy_file(file, readerRoot.path() + "/system.reg");
    HKEY copy = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "software\\ZORVALINE\\types", 0, KEY_READ, &copy),
              ERROR_SUCCESS);
    for (const StoredValue &v : awkwardValues()) {
        const auto [type, bytes] = query(copy, v.name);
        EXPECT_EQ(type, v.type) << v.name;
        EXPECT_EQ(bytes, v.bytes) << v.name;
    }
    DWORD values = 0;
    ASSERT_EQ(RegQueryInfoKey(copy, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                              nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(values, awkwardValues().size());
    RegCloseKey(copy);

    // The text stays readable for a person looking at it.
    const std::string text = TempRoot::readFile(file);
    EXPECT_NE(text.find("[Software\\Zorvaline\\Types]\n\"Plain\"=sz:\"COM1\"\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\"Count\"=dword:8000002a\n"), std::string::npos) << text;
}

TEST(Registry, QuerySizeRules)
{
    TempRoot root;
    HKEY key = create(HKEY_LOCAL_MACHINE, "Enum\\SERENUM\\COM1");
    ASSERT_EQ(setString(key, "PortName", "COM1"), ERROR_SUCCESS);

    DWORD type = 0;
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueEx(key, "PortName", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 5u) << "the size of a string counts its NUL";

    char buffer[16];
    std::memset(buffer, 'x', sizeof buffer);
    size = 4;
    type = 0;
    SetLastError(0xdeadbeef);
    EXPECT_EQ(RegQueryValueEx(key, "PortName", nullptr, &type, reinterpret_cast<BYTE *>(buffer), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 5u);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(GetLastError(), ERROR_MORE_DATA);

    size = 5;
    EXPECT_EQ(RegQueryValueEx(key, "portname", nullptr, nullptr, reinterpret_cast<BYTE *>(buffer), &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(buffer, "COM1");

    EXPECT_EQ(RegQueryValueEx(key, "PortName", nullptr, nullptr, reinterpret_cast<BYTE *>(buffer), nullptr),
              ERROR_INVALID_PARAMETER);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(RegQueryValueEx(key, "Missing", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueEx(key, nullptr, nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND)
        << "an unset default value does not exist";

    // A string stored without its NUL still reaches the caller terminated when there is room.
    ASSERT_EQ(setBytes(key, "Bare", REG_SZ, "ABC"), ERROR_SUCCESS);
    std::memset(buffer, 'x', sizeof buffer);
    size = sizeof buffer;
    EXPECT_EQ(RegQueryValueEx(key, "Bare", nullptr, nullptr, reinterpret_cast<BYTE *>(buffer), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(size, 3u);
    EXPECT_STREQ(buffer, "ABC");

    EXPECT_EQ(RegSetValueEx(key, "Null data", 0, REG_BINARY, nullptr, 4), ERROR_INVALID_PARAMETER);
    RegCloseKey(key);
}

TEST(Registry, NamesIgnoreCaseAndKeysKeepTheirFirstSpelling)
{
    TempRoot root;
    DWORD disposition = 0;
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services", 0, nullptr, 0,
                             KEY_ALL_ACCESS, nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    RegCloseKey(key);
    ASSERT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, "SYSTEM\\currentcontrolset\\SERVICES", 0, nullptr, 0,
                             KEY_ALL_ACCESS, nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    ASSERT_EQ(setString(key, "Name", "first"), ERROR_SUCCESS);
    ASSERT_EQ(setString(key, "NAME", "second"), ERROR_SUCCESS);
    EXPECT_EQ(query(key, "name").second, bytesOf("second\0"));
    RegCloseKey(key);

    HKEY system = nullptr;
    ASSERT_EQ(RegOpenKey(HKEY_LOCAL_MACHINE, "system", &system), ERROR_SUCCESS);
    char name[32];
    ASSERT_EQ(RegEnumKey(system, 0, name, sizeof name), ERROR_SUCCESS);
    EXPECT_STREQ(name, "CurrentControlSet");
    RegCloseKey(system);

    HKEY services = nullptr;
    ASSERT_EQ(RegOpenKey(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services", &services), ERROR_SUCCESS);
    DWORD values = 0;
    ASSERT_EQ(RegQueryInfoKey(services, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                              nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(values, 1u);
    RegCloseKey(services);

    EXPECT_EQ(RegOpenKey(HKEY_LOCAL_MACHINE, "System\\Nowhere", &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCreateKey(HKEY_LOCAL_MACHINE, "Bad\nName", &key), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKey(HKEY_LOCAL_MACHINE, std::string(256, 'k').c_str(), &key), ERROR_INVALID_PARAMETER);
}

TEST(Registry, EnumerationAndKeyInformation)
{
    TempRoot root;
    HKEY parent = create(HKEY_DYN_DATA, "Config Manager\\Enum");
    for (const char *child : {"C29A3D40", "B1", "C29A3E00-LONGER"})
        RegCloseKey(create(parent, child));
    ASSERT_EQ(setString(parent, "Short", "x"), ERROR_SUCCESS);
    ASSERT_EQ(setBytes(parent, "A longer name", REG_BINARY, std::string(300, '\x01')), ERROR_SUCCESS);

    std::vector<std::string> names;
    char name[64];
    DWORD index = 0;
    for (;; ++index) {
        DWORD size = sizeof name;
        FILETIME written{};
        const LONG result = RegEnumKeyEx(parent, index, name, &size, nullptr, nullptr, nullptr, &written);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        ASSERT_EQ(result, ERROR_SUCCESS);
        EXPECT_EQ(size, std::strlen(name));
        EXPECT_NE(written.dwHighDateTime, 0u);
        names.push_back(name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"C29A3D40", "B1", "C29A3E00-LONGER"}));

    DWORD size = 15; // room for 14 characters and the NUL: one short
    EXPECT_EQ(RegEnumKeyEx(parent, 2, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    EXPECT_EQ(size, 15u);
    EXPECT_EQ(RegEnumKey(parent, 1, name, 2), ERROR_MORE_DATA);
    EXPECT_EQ(RegEnumKey(parent, 1, name, 3), ERROR_SUCCESS);

    DWORD nameSize = sizeof name;
    DWORD type = 0;
    BYTE data[8];
    DWORD dataSize = sizeof data;
    ASSERT_EQ(RegEnumValue(parent, 1, name, &nameSize, nullptr, &type, data, &dataSize), ERROR_MORE_DATA);
    EXPECT_STREQ(name, "A longer name");
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(dataSize, 300u);
    nameSize = sizeof name;
    dataSize = sizeof data;
    EXPECT_EQ(RegEnumValue(parent, 0, name, &nameSize, nullptr, &type, data, &dataSize), ERROR_SUCCESS);
    EXPECT_EQ(nameSize, 5u);
    EXPECT_EQ(dataSize, 2u);
    nameSize = sizeof name;
    EXPECT_EQ(RegEnumValue(parent, 2, name, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);

    DWORD subKeys = 0, longestKey = 0, values = 0, longestName = 0, longestData = 0;
    ASSERT_EQ(RegQueryInfoKey(parent, nullptr, nullptr, nullptr, &subKeys, &longestKey, nullptr, &values,
                              &longestName, &longestData, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(subKeys, 3u);
    EXPECT_EQ(longestKey, 15u);
    EXPECT_EQ(values, 2u);
    EXPECT_EQ(longestName, 13u);
    EXPECT_EQ(longestData, 300u);
    RegCloseKey(parent);
}

TEST(Registry, DeleteKeyTakesItsSubtreeAndOpenHandlesNoticeIt)
{
    TempRoot root;
    HKEY deep = create(HKEY_LOCAL_MACHINE, "Enum\\LPTENUM\\LPT1\\Child");
    ASSERT_EQ(setString(deep, "Class", "Ports"), ERROR_SUCCESS);
    HKEY sibling = create(HKEY_LOCAL_MACHINE, "Enum\\SERENUM");

    EXPECT_EQ(RegDeleteKey(HKEY_LOCAL_MACHINE, "enum\\lptenum"), ERROR_SUCCESS);
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKey(HKEY_LOCAL_MACHINE, "Enum\\LPTENUM\\LPT1", &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(query(deep, "Class").first, 0xE0000000u | ERROR_KEY_DELETED);
    EXPECT_EQ(setString(deep, "Class", "again"), ERROR_KEY_DELETED);
    EXPECT_EQ(RegOpenKey(HKEY_LOCAL_MACHINE, "Enum\\LPTENUM", &key), ERROR_FILE_NOT_FOUND)
        << "a failed write through a deleted key must not bring it back";
    EXPECT_EQ(RegDeleteKey(HKEY_LOCAL_MACHINE, "Enum\\LPTENUM"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKey(HKEY_LOCAL_MACHINE, ""), ERROR_INVALID_PARAMETER);

    ASSERT_EQ(setString(sibling, "Kept", "yes"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValue(sibling, "KEPT"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValue(sibling, "Kept"), ERROR_FILE_NOT_FOUND);

    EXPECT_EQ(RegCloseKey(deep), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(sibling), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(sibling), ERROR_INVALID_HANDLE);
}

TEST(Registry, PredefinedRoots)
{
    TempRoot root;
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKey(HKEY_LOCAL_MACHINE, nullptr, &key), ERROR_SUCCESS);
    EXPECT_EQ(key, HKEY_LOCAL_MACHINE);
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    EXPECT_EQ(RegCreateKey(HKEY_USERS, "x", &key), ERROR_INVALID_HANDLE);

    // The classes root is a view of the machine's Software\Classes.
    HKEY ps = create(HKEY_CLASSES_ROOT, ".ps");
    ASSERT_EQ(setString(ps, nullptr, "psfile"), ERROR_SUCCESS);
    RegCloseKey(ps);
    ASSERT_EQ(RegOpenKey(HKEY_LOCAL_MACHINE, "Software\\Classes\\.PS", &key), ERROR_SUCCESS);
    EXPECT_EQ(query(key, "").second, bytesOf("psfile\0"));
    RegCloseKey(key);

    // Each root has its own file.
    ASSERT_EQ(setString(HKEY_CURRENT_USER, "Who", "me"), ERROR_SUCCESS);
    EXPECT_TRUE(std::filesystem::exists(root.path() + "/user.reg"));
    EXPECT_EQ(query(HKEY_LOCAL_MACHINE, "Who").first, 0xE0000000u | ERROR_FILE_NOT_FOUND);
}

TEST(Registry, OtherProcessesSeeEachOthersChanges)
{
    TempRoot root;
    HKEY key = create(HKEY_LOCAL_MACHINE, "Shared");
    ASSERT_EQ(setString(key, "Turn", "parent"), ERROR_SUCCESS);
    EXPECT_EQ(query(key, "Turn").second, bytesOf("parent\0"));

    // Same size, same second: only the content tells the versions apart.
    for (const char *word : {"childA", "childB"}) {
        EXPECT_EQ(inChild([&] { return setString(key, "Turn", word) == ERROR_SUCCESS ? 0 : 1; }), 0);
        EXPECT_EQ(query(key, "Turn").second, std::string(word) + '\0');
    }
    EXPECT_EQ(inChild([&] {
                  HKEY created = nullptr;
                  return RegCreateKey(HKEY_LOCAL_MACHINE, "Shared\\FromChild", &created) == ERROR_SUCCESS ? 0 : 1;
              }),
              0);
    HKEY fromChild = nullptr;
    EXPECT_EQ(RegOpenKey(key, "FromChild", &fromChild), ERROR_SUCCESS);
    RegCloseKey(fromChild);

    ASSERT_EQ(setString(key, "Back", "to child"), ERROR_SUCCESS);
    EXPECT_EQ(inChild([&] { return query(key, "Back").second == bytesOf("to child\0") ? 0 : 1; }), 0);
    RegCloseKey(key);
}

TEST(Registry, ConcurrentWritersLoseNothing)
{
    TempRoot root;
    HKEY key = create(HKEY_LOCAL_MACHINE, "Counters");
    constexpr int kEach = 40;
    auto writeMany = [key](const std::string &prefix) {
        int failures = 0;
        for (int i = 0; i < kEach; ++i)
            failures += setString(key, (prefix + std::to_string(i)).c_str(), "v") != ERROR_SUCCESS;
        return failures;
    };
    const pid_t child = fork();
    if (child == 0)
        _exit(writeMany("process"));
    int threadFailures[2] = {};
    std::thread first([&] { threadFailures[0] = writeMany("threadA"); });
    std::thread second([&] { threadFailures[1] = writeMany("threadB"); });
    first.join();
    second.join();
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(threadFailures[0] + threadFailures[1], 0);

    DWORD values = 0;
    ASSERT_EQ(RegQueryInfoKey(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                              nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(values, 3u * kEach);
    RegCloseKey(key);
}

TEST(Registry, DamagedFileIsReportedAndNeverOverwritten)
{
    TempRoot root;
    HKEY key = create(HKEY_LOCAL_MACHINE, "Good");
    ASSERT_EQ(setString(key, "Value", "kept"), ERROR_SUCCESS);
    const std::string file = root.path() + "/system.reg";
    const std::string good = TempRoot::readFile(file);
    const std::string damaged = good + "\"Broken\"=sz:\"no end\n";
    root.writeFile(file, damaged);
    const std::string brokenLine = "line " + std::to_string(std::count(good.begin(), good.end(), '\n') + 1);

    SetLastError(0);
    EXPECT_EQ(query(key, "Value").first, 0xE0000000u | ERROR_BADDB);
    EXPECT_EQ(GetLastError(), ERROR_BADDB);
    const std::string problem = zorplat::RegistryProblem();
    EXPECT_NE(problem.find(file), std::string::npos) << problem;
    EXPECT_NE(problem.find(brokenLine + ": unterminated"), std::string::npos) << problem;

    EXPECT_EQ(setString(key, "Value", "lost?"), ERROR_BADDB);
    HKEY other = nullptr;
    EXPECT_EQ(RegCreateKey(HKEY_LOCAL_MACHINE, "Other", &other), ERROR_BADDB);
    EXPECT_EQ(RegDeleteKey(HKEY_LOCAL_MACHINE, "Good"), ERROR_BADDB);
    EXPECT_EQ(TempRoot::readFile(file), damaged);

    root.writeFile(file, "not a registry at all\n");
    EXPECT_EQ(RegOpenKey(HKEY_LOCAL_MACHINE, "Good", &other), ERROR_BADDB);
    EXPECT_NE(zorplat::RegistryProblem().find("line 1"), std::string::npos);

    // Mended by hand, the file is used again.
    root.writeFile(file, "ZORVALINE REGISTRY 1\n[Good]\n\"Value\"=sz:\"mended\"\n");
    EXPECT_EQ(query(key, "Value").second, bytesOf("mended\0"));
    EXPECT_TRUE(zorplat::RegistryProblem().empty());
    RegCloseKey(key);
}

} // namespace
