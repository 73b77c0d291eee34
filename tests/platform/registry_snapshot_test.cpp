// The parsed registry kept per process: another process's write is seen at the next read,
// however alike the new file is to the old one, and a snapshot's reads come from one state
// of the file.
#include "platform/registry/registry_snapshot.h"
#include "tests/support/TempRoot.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using zorplat::RegistrySnapshot;
using zortest::TempRoot;

LONG setString(HKEY key, const char *name, const std::string &text)
{
    return RegSetValueEx(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                         static_cast<DWORD>(text.size() + 1));
}

std::string queryString(HKEY key, const char *name)
{
    char buffer[256] = {};
    DWORD size = sizeof buffer;
    const LONG result = RegQueryValueEx(key, name, nullptr, nullptr, reinterpret_cast<BYTE *>(buffer), &size);
    return result == ERROR_SUCCESS ? std::string(buffer) : "error " + std::to_string(result);
}

// Sets the value in a child process, as another program would.
void setInOtherProcess(HKEY key, const char *name, const std::string &text)
{
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        _exit(setString(key, name, text) == ERROR_SUCCESS ? 0 : 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// Replaces the registry file, as another program would, by one where `before` became
// `after`, with the old file's modification time.
void replaceFileWith(const TempRoot &root, const std::string &before, const std::string &after)
{
    const std::string file = root.path() + "/system.reg";
    std::string text = TempRoot::readFile(file);
    ASSERT_NE(text.find(before), std::string::npos);
    text.replace(text.find(before), before.size(), after);
    struct stat old {};
    ASSERT_EQ(stat(file.c_str(), &old), 0);
    const std::string replacement = file + ".new";
    root.writeFile(replacement, text);
    const timespec times[2] = {old.st_atim, old.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, replacement.c_str(), times, 0), 0);
    ASSERT_EQ(std::rename(replacement.c_str(), file.c_str()), 0);
}

} // namespace

TEST(RegistryCache, AReplacementAsLargeAndAsOldAsTheFileBeforeIsSeen)
{
    TempRoot root;
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKey(HKEY_LOCAL_MACHINE, "Shared", &key), ERROR_SUCCESS);
    ASSERT_EQ(setString(key, "Turn", "first"), ERROR_SUCCESS);
    EXPECT_EQ(queryString(key, "Turn"), "first");

    // Another program puts a file of the same size with the same modification time in place.
    replaceFileWith(root, "first", "other");
    EXPECT_EQ(queryString(key, "Turn"), "other");

    setInOtherProcess(key, "Turn", "child");
    EXPECT_EQ(queryString(key, "Turn"), "child");
    RegCloseKey(key);
}

TEST(RegistryCache, ASnapshotReadsOneStateOfTheFileAndTheNextReadSeesTheLatest)
{
    TempRoot root;
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKey(HKEY_LOCAL_MACHINE, "Printer", &key), ERROR_SUCCESS);
    ASSERT_EQ(setString(key, "Port", "OLD:"), ERROR_SUCCESS);
    ASSERT_EQ(setString(key, "Driver", "Old Driver"), ERROR_SUCCESS);
    {
        const RegistrySnapshot snapshot(HKEY_LOCAL_MACHINE);
        EXPECT_EQ(queryString(key, "Port"), "OLD:");
        // (Not through a child: it would inherit the store held by this thread.)
        replaceFileWith(root, "Old Driver", "New Driver");
        // The printer is read as it was when the snapshot's first read checked the file.
        EXPECT_EQ(queryString(key, "Driver"), "Old Driver");
        // Its own changes are written at once and read back.
        ASSERT_EQ(setString(key, "Port", "MINE:"), ERROR_SUCCESS);
        EXPECT_EQ(queryString(key, "Port"), "MINE:");
        // The change was made on top of the other process's.
        EXPECT_EQ(queryString(key, "Driver"), "New Driver");
    }
    setInOtherProcess(key, "Port", "LATER:");
    EXPECT_EQ(queryString(key, "Port"), "LATER:");
    EXPECT_NE(TempRoot::readFile(root.path() + "/system.reg").find("New Driver"), std::string::npos);
    RegCloseKey(key);
}
