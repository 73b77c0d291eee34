// Work files created afresh for their owner alone, and the temporaries of replaced files:
// a live writer's are kept, those of writers that died go at the next write.
#include "platform/base/lasterror.h"
#include "platform/files/atomicfile.h"
#include "platform/files/files.h"
#include "platform/files/temporaryfile.h"
#include "platform/base/handles.h"
#include "tests/support/TempRoot.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <random>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

using zortest::TempRoot;

mode_t modeOf(const std::string &path)
{
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

// Names in `folder` that start with `prefix` and are not `prefix` itself or its lock file.
std::vector<std::string> leftovers(const std::string &folder, const std::string &prefix)
{
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) == 0 && name != prefix && name != prefix + ".lock")
            names.push_back(name);
    }
    return names;
}

int waitFor(pid_t child)
{
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

class WorkFiles : public ::testing::Test {
protected:
    TempRoot root;
};

TEST_F(WorkFiles, FreshFileReplacesWhatIsThereAndIsTheOwnersAlone)
{
    ::umask(022);
    root.writeFile(root.driveC("Job.1"), "the tail of an older job");
    const std::string victim = root.path() + "/victim";
    root.writeFile(victim, "not the monitor's");
    fs::create_symlink(victim, root.driveC("Job.2"));
    fs::create_directories(root.driveC("Job.3"));

    for (const char *name : {"C:\\JOB.1", "C:\\Job.2"}) {
        SetLastError(0xDEADBEEF);
        HANDLE file = zorplat::CreateFreshFile(name, GENERIC_READ | GENERIC_WRITE, FILE_ATTRIBUTE_NORMAL);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << name;
        EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
        DWORD size = GetFileSize(file, nullptr);
        EXPECT_EQ(size, 0u) << name;
        DWORD written = 0;
        EXPECT_TRUE(WriteFile(file, "job", 3, &written, nullptr));
        EXPECT_TRUE(CloseHandle(file));
    }
    EXPECT_EQ(TempRoot::readFile(root.driveC("Job.1")), "job");
    EXPECT_EQ(modeOf(root.driveC("Job.1")), 0600u);
    EXPECT_FALSE(fs::is_symlink(root.driveC("Job.2")));
    EXPECT_EQ(modeOf(root.driveC("Job.2")), 0600u);
    EXPECT_EQ(TempRoot::readFile(victim), "not the monitor's") << "the link was followed";

    EXPECT_EQ(zorplat::CreateFreshFile("C:\\Job.3", GENERIC_WRITE, FILE_ATTRIBUTE_NORMAL), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(fs::is_directory(root.driveC("Job.3")));
}

TEST_F(WorkFiles, StaleTemporariesGoAtTheNextWriteAndALiveWritersStay)
{
    const std::string target = root.driveC("Settings.ini");
    ASSERT_TRUE(zorplat::AtomicWriteFile(target, "[A]\r\n"));

    // A writer that died (its process ended without renaming or removing its temporary).
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        zorplat::TemporaryFile abandoned(target);
        _exit(abandoned.valid() ? 0 : 1);
    }
    ASSERT_EQ(waitFor(child), 0);
    ASSERT_EQ(leftovers(root.driveC(), "Settings.ini").size(), 1u);

    // A writer still at work, and a file that only looks like a temporary of another name.
    zorplat::TemporaryFile live(target);
    ASSERT_TRUE(live.valid());
    root.writeFile(root.driveC("Other.ini.tmp-abc123"), "someone else's");

    ASSERT_TRUE(zorplat::AtomicWriteFile(target, "[B]\r\n"));
    EXPECT_EQ(leftovers(root.driveC(), "Settings.ini"), std::vector<std::string>{fs::path(live.path()).filename()});
    EXPECT_TRUE(fs::exists(root.driveC("Other.ini.tmp-abc123")));
    EXPECT_EQ(TempRoot::readFile(target), "[B]\r\n");

    // The live writer finishes as usual.
    ASSERT_EQ(::write(live.fd(), "[C]\r\n", 5), 5);
    ASSERT_TRUE(live.replaceTarget());
    EXPECT_EQ(TempRoot::readFile(target), "[C]\r\n");
    EXPECT_TRUE(leftovers(root.driveC(), "Settings.ini").empty());

    // A sweep of the whole folder takes every stale temporary, of any file.
    EXPECT_EQ(zorplat::RemoveStaleTemporariesIn(root.driveC()),
              std::vector<std::string>{root.driveC() + "/Other.ini.tmp-abc123"});
}

TEST_F(WorkFiles, CopiesKilledMidwayLeaveNothingPastTheNextCopy)
{
    root.writeFile(root.driveC("Job.spool"), std::string(32 << 20, 'j'));
    std::mt19937 random(1208);
    for (int round = 0; round < 8; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (;;)
                CopyFile("C:\\Job.spool", "C:\\Job.tmp", FALSE);
        }
        usleep(std::uniform_int_distribution<useconds_t>(2000, 40000)(random));
        kill(child, SIGKILL);
        waitFor(child);
    }
    ASSERT_TRUE(CopyFile("C:\\Job.spool", "C:\\Job.tmp", FALSE));
    EXPECT_EQ(leftovers(root.driveC(), "Job.tmp"), std::vector<std::string>{});
    EXPECT_EQ(fs::file_size(root.driveC("Job.tmp")), 32u << 20);
}

} // namespace
