// Registry batches: one replacement of the file for many changes, the same bytes as the
// changes one by one, never half a batch on disk, and no other writer's change lost.
#include "platform/base/lasterror.h"
#include "platform/registry/registry_batch.h"
#include "tests/support/TempRoot.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using zorplat::RegistryBatch;
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

ino_t inodeOf(const std::string &file)
{
    struct stat info {};
    return ::stat(file.c_str(), &info) == 0 ? info.st_ino : 0;
}

// Creates, sets, replaces and deletes keys and values below "Print" of the machine root.
void changeEverything()
{
    HKEY printers = nullptr;
    ASSERT_EQ(RegCreateKey(HKEY_LOCAL_MACHINE, "Print\\Printers\\Office", &printers), ERROR_SUCCESS);
    EXPECT_EQ(setString(printers, "Name", "Office"), ERROR_SUCCESS);
    EXPECT_EQ(setString(printers, "Port", "LPT1:"), ERROR_SUCCESS);
    const DWORD attributes = 0x2a;
    EXPECT_EQ(RegSetValueEx(printers, "Attributes", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&attributes),
                            sizeof attributes),
              ERROR_SUCCESS);
    EXPECT_EQ(setString(printers, "Port", "MAIL:"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValue(printers, "Name"), ERROR_SUCCESS);
    HKEY doomed = nullptr;
    EXPECT_EQ(RegCreateKey(HKEY_LOCAL_MACHINE, "Print\\Doomed\\Child", &doomed), ERROR_SUCCESS);
    EXPECT_EQ(setString(doomed, "Gone", "soon"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKey(HKEY_LOCAL_MACHINE, "Print\\Doomed"), ERROR_SUCCESS);
    EXPECT_EQ(setString(HKEY_CLASSES_ROOT, "Through", "classes"), ERROR_SUCCESS);
    RegCloseKey(doomed);
    RegCloseKey(printers);
}

TEST(RegistryBatch, OneReplacementWithTheBytesOfTheChangesOneByOne)
{
    TempRoot root;
    const std::string file = root.path() + "/system.reg";
    ASSERT_EQ(setString(HKEY_LOCAL_MACHINE, "Before", "kept"), ERROR_SUCCESS);
    const std::string before = TempRoot::readFile(file);

    changeEverything();
    const std::string oneByOne = TempRoot::readFile(file);

    root.writeFile(file, before);
    const ino_t inodeBefore = inodeOf(file);
    {
        RegistryBatch batch(HKEY_LOCAL_MACHINE);
        changeEverything();
        // The batch reads its own changes; the file still holds none of them.
        HKEY printers = nullptr;
        ASSERT_EQ(RegOpenKey(HKEY_LOCAL_MACHINE, "Print\\Printers\\Office", &printers), ERROR_SUCCESS);
        EXPECT_EQ(queryString(printers, "Port"), "MAIL:");
        RegCloseKey(printers);
        EXPECT_EQ(TempRoot::readFile(file), before);
        EXPECT_EQ(inodeOf(file), inodeBefore);
        EXPECT_EQ(batch.commit(), ERROR_SUCCESS);
    }
    EXPECT_EQ(TempRoot::readFile(file), oneByOne);

    // Changes after commit are written at once again.
    ASSERT_EQ(setString(HKEY_LOCAL_MACHINE, "After", "written"), ERROR_SUCCESS);
    EXPECT_NE(TempRoot::readFile(file).find("\"After\"=sz:\"written\""), std::string::npos);
}

TEST(RegistryBatch, AnUncommittedBatchIsWrittenWhenItEnds)
{
    TempRoot root;
    {
        RegistryBatch outer(HKEY_LOCAL_MACHINE);
        {
            RegistryBatch inner(HKEY_LOCAL_MACHINE);
            ASSERT_EQ(setString(HKEY_LOCAL_MACHINE, "Inner", "1"), ERROR_SUCCESS);
            EXPECT_EQ(inner.commit(), ERROR_SUCCESS);
        }
        // Only the outermost batch writes.
        EXPECT_FALSE(std::filesystem::exists(root.path() + "/system.reg"));
        ASSERT_EQ(setString(HKEY_LOCAL_MACHINE, "Outer", "2"), ERROR_SUCCESS);
        SetLastError(1234);
    }
    EXPECT_EQ(GetLastError(), 1234u);
    EXPECT_EQ(queryString(HKEY_LOCAL_MACHINE, "Inner"), "1");
    EXPECT_EQ(queryString(HKEY_LOCAL_MACHINE, "Outer"), "2");
}

TEST(RegistryBatch, ADamagedFileFailsEveryChangeAndIsNeverWritten)
{
    TempRoot root;
    const std::string file = root.path() + "/system.reg";
    const std::string damaged = "ZORVALINE REGISTRY 1\n\"Broken\"=sz:\"no end\n";
    root.writeFile(file, damaged);
    {
        RegistryBatch batch(HKEY_LOCAL_MACHINE);
        EXPECT_EQ(setString(HKEY_LOCAL_MACHINE, "Value", "lost?"), ERROR_BADDB);
        EXPECT_NE(zorplat::RegistryProblem().find(file), std::string::npos);
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKey(HKEY_LOCAL_MACHINE, "Other", &key), ERROR_BADDB);
        EXPECT_EQ(batch.commit(), ERROR_SUCCESS);
    }
    EXPECT_EQ(TempRoot::readFile(file), damaged);
}

TEST(RegistryBatch, AFileThatCannotBeWrittenFailsTheCommitAndKeepsNothing)
{
    TempRoot root;
    ASSERT_EQ(setString(HKEY_LOCAL_MACHINE, "Old", "value"), ERROR_SUCCESS);
    const std::string file = root.path() + "/system.reg";
    const std::string before = TempRoot::readFile(file);
    {
        RegistryBatch batch(HKEY_LOCAL_MACHINE);
        ASSERT_EQ(setString(HKEY_LOCAL_MACHINE, "New", "value"), ERROR_SUCCESS);
        // A folder where the file was makes the replacement fail, even for root.
        std::filesystem::remove(file);
        std::filesystem::create_directories(file + "/in the way");
        const LONG committed = batch.commit();
        EXPECT_NE(committed, ERROR_SUCCESS);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(committed));
    }
    std::filesystem::remove_all(file);
    root.writeFile(file, before);
    // The change that never reached the file is not reported as made.
    EXPECT_EQ(queryString(HKEY_LOCAL_MACHINE, "New"), "error " + std::to_string(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(queryString(HKEY_LOCAL_MACHINE, "Old"), "value");
}

// A process killed at any moment of a batch leaves the whole old or the whole new file:
// the two values every batch sets together are always found equal.
TEST(RegistryBatch, AKilledWriterLeavesTheOldOrTheNewFile)
{
    TempRoot root;
    for (int round = 0; round < 5; ++round) {
        // The writer says when its first batch is in, so a busy machine cannot make the kill
        // land before there is anything to keep.
        int committed[2];
        ASSERT_EQ(::pipe(committed), 0);
        const pid_t child = fork();
        if (child == 0) {
            ::close(committed[0]);
            for (int i = 0;; ++i) {
                RegistryBatch batch(HKEY_LOCAL_MACHINE);
                const std::string value = std::to_string(i);
                setString(HKEY_LOCAL_MACHINE, "First", value);
                setString(HKEY_LOCAL_MACHINE, "Second", value);
                batch.commit();
                if (i == 0) {
                    const char one = 1;
                    (void)!::write(committed[1], &one, 1);
                    ::close(committed[1]);
                }
            }
        }
        ::close(committed[1]);
        char one = 0;
        ASSERT_EQ(::read(committed[0], &one, 1), 1);
        ::close(committed[0]);
        ::usleep(round * 7000);
        ::kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));

        const std::string first = queryString(HKEY_LOCAL_MACHINE, "First");
        EXPECT_EQ(first.rfind("error", 0), std::string::npos) << first;
        EXPECT_EQ(queryString(HKEY_LOCAL_MACHINE, "Second"), first);
        // The killed writer's lock went with it.
        EXPECT_EQ(setString(HKEY_LOCAL_MACHINE, "Parent", std::to_string(round)), ERROR_SUCCESS);
    }
}

TEST(RegistryBatch, ConcurrentWritersLoseNothing)
{
    TempRoot root;
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKey(HKEY_LOCAL_MACHINE, "Counters", &key), ERROR_SUCCESS);
    constexpr int kEach = 40;
    constexpr int kPerBatch = 4;
    auto writeOneByOne = [key](const std::string &prefix) {
        int failures = 0;
        for (int i = 0; i < kEach; ++i)
            failures += setString(key, (prefix + std::to_string(i)).c_str(), "v") != ERROR_SUCCESS;
        return failures;
    };
    auto writeInBatches = [key](const std::string &prefix) {
        int failures = 0;
        for (int i = 0; i < kEach; i += kPerBatch) {
            RegistryBatch batch(HKEY_LOCAL_MACHINE);
            for (int j = i; j < i + kPerBatch; ++j)
                failures += setString(key, (prefix + std::to_string(j)).c_str(), "v") != ERROR_SUCCESS;
            failures += batch.commit() != ERROR_SUCCESS;
        }
        return failures;
    };
    const pid_t child = fork();
    if (child == 0)
        _exit(writeInBatches("process"));
    int failures[2] = {};
    std::thread batched([&] { failures[0] = writeInBatches("thread"); });
    std::thread single([&] { failures[1] = writeOneByOne("single"); });
    batched.join();
    single.join();
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(failures[0] + failures[1], 0);

    DWORD values = 0;
    ASSERT_EQ(RegQueryInfoKey(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                              nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(values, 3u * kEach);
    RegCloseKey(key);
}

} // namespace
