// Profile writes seen from several processes: killed writers and concurrent writers.
#include "platform/profile/profile.h"

#include "tests/support/TempRoot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr const char *kFile = "C:\\ZORVALINE\\Shared.ini";

std::string readValue(const char *section, const char *key)
{
    char buffer[8192];
    GetPrivateProfileString(section, key, "<missing>", buffer, sizeof buffer, kFile);
    return buffer;
}

// A file of a few hundred lines, so a rewrite takes long enough to be interrupted.
void fillFile()
{
    zorplat::ProfileBatch batch(kFile);
    for (int section = 0; section < 40; ++section) {
        const std::string name = "Printer " + std::to_string(section);
        for (int key = 0; key < 10; ++key)
            batch.WriteString(name.c_str(), ("Key" + std::to_string(key)).c_str(), "some value of a printer");
    }
    ASSERT_TRUE(batch.Commit());
}

int waitFor(pid_t child)
{
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

TEST(ProfileProcesses, AKilledWriterLeavesTheWholeOldOrTheWholeNewFile)
{
    zortest::TempRoot root;
    fs::create_directories(root.driveC("ZORVALINE"));
    const std::string path = root.driveC("ZORVALINE/Shared.ini");
    fillFile();
    // Values of different lengths, so that a mix of two files could not pass for either.
    const std::string oldValue = "old";
    const std::string newValue(3000, 'n');
    ASSERT_TRUE(WritePrivateProfileString("Printer 20", "Key5", newValue.c_str(), kFile));
    const std::string newFile = zortest::TempRoot::readFile(path);
    ASSERT_TRUE(WritePrivateProfileString("Printer 20", "Key5", oldValue.c_str(), kFile));
    const std::string oldFile = zortest::TempRoot::readFile(path);

    std::mt19937 random(20261208);
    int sawOld = 0;
    int sawNew = 0;
    for (int round = 0; round < 25; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (;;) {
                WritePrivateProfileString("Printer 20", "Key5", newValue.c_str(), kFile);
                WritePrivateProfileString("Printer 20", "Key5", oldValue.c_str(), kFile);
            }
        }
        usleep(std::uniform_int_distribution<useconds_t>(1000, 30000)(random));
        kill(child, SIGKILL);
        const int status = waitFor(child);
        ASSERT_TRUE(WIFSIGNALED(status));

        const std::string now = zortest::TempRoot::readFile(path);
        ASSERT_TRUE(now == oldFile || now == newFile) << "round " << round << ": " << now.size() << " bytes";
        (now == oldFile ? sawOld : sawNew)++;
        const std::string value = readValue("Printer 20", "Key5");
        EXPECT_EQ(value, now == oldFile ? oldValue : newValue);
        EXPECT_EQ(readValue("Printer 39", "Key9"), "some value of a printer");
    }
    EXPECT_EQ(sawOld + sawNew, 25);
}

TEST(ProfileProcesses, TemporariesOfKilledWritersGoAtTheNextWrite)
{
    zortest::TempRoot root;
    fs::create_directories(root.driveC("ZORVALINE"));
    fillFile();
    const std::string longValue(3000, 'v');
    std::mt19937 random(1208);
    for (int round = 0; round < 25; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (;;) {
                WritePrivateProfileString("Printer 20", "Key5", longValue.c_str(), kFile);
                WritePrivateProfileString("Printer 20", "Key5", "short", kFile);
            }
        }
        usleep(std::uniform_int_distribution<useconds_t>(1000, 30000)(random));
        kill(child, SIGKILL);
        waitFor(child);
    }
    ASSERT_TRUE(WritePrivateProfileString("Printer 1", "Key1", "after", kFile));
    std::vector<std::string> left;
    for (const auto &entry : fs::directory_iterator(root.driveC("ZORVALINE")))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"Shared.ini", "Shared.ini.lock"}));
}

// Each writer process runs two threads: one writing key by key, one committing batches.
void writeKeys(const std::string &prefix, int count)
{
    std::thread single([&] {
        for (int i = 0; i < count; ++i) {
            const std::string key = prefix + "single" + std::to_string(i);
            WritePrivateProfileString("Both", key.c_str(), std::to_string(i).c_str(), kFile);
        }
    });
    for (int i = 0; i < count; i += 4) {
        zorplat::ProfileBatch batch(kFile);
        for (int j = i; j < i + 4 && j < count; ++j) {
            const std::string key = prefix + "batch" + std::to_string(j);
            batch.WriteString("Both", key.c_str(), std::to_string(j).c_str());
            batch.WriteString(prefix.c_str(), key.c_str(), "own section");
        }
        batch.Commit();
    }
    single.join();
}

TEST(ProfileProcesses, ConcurrentWritersLoseNoneOfEachOthersKeys)
{
    zortest::TempRoot root;
    fs::create_directories(root.driveC("ZORVALINE"));
    constexpr int kKeys = 12;
    std::vector<pid_t> children;
    for (const std::string prefix : {"first", "second"}) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            writeKeys(prefix, kKeys);
            _exit(0);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        const int status = waitFor(child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (const std::string prefix : {"first", "second"}) {
        for (int i = 0; i < kKeys; ++i) {
            EXPECT_EQ(readValue("Both", (prefix + "single" + std::to_string(i)).c_str()), std::to_string(i));
            EXPECT_EQ(readValue("Both", (prefix + "batch" + std::to_string(i)).c_str()), std::to_string(i));
            EXPECT_EQ(readValue(prefix.c_str(), (prefix + "batch" + std::to_string(i)).c_str()), "own section");
        }
    }
}

} // namespace
