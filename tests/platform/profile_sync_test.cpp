// What a profile write asks of the disk. This program defines fsync and fdatasync itself, so
// the platform library's calls come here (the executable's definitions take precedence) and
// are counted before they go on to the C library's.
#include "platform/profile/profile.h"

#include "tests/support/TempRoot.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>

namespace {

struct SyncCounts {
    int files = 0;   // fsync or fdatasync of a regular file
    int folders = 0; // of a folder: what makes a rename durable
};

SyncCounts g_counts;

void count(int fd)
{
    struct stat info {};
    if (::fstat(fd, &info) == 0)
        (S_ISDIR(info.st_mode) ? g_counts.folders : g_counts.files)++;
}

template <typename Function>
Function next(const char *name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" int fsync(int fd)
{
    count(fd);
    static const auto real = next<int (*)(int)>("fsync");
    return real(fd);
}

extern "C" int fdatasync(int fd)
{
    count(fd);
    static const auto real = next<int (*)(int)>("fdatasync");
    return real(fd);
}

namespace {

constexpr const char *kFile = "C:\\ZORVALINE\\VComDef.ini";

class ProfileSync : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(m_root.driveC("ZORVALINE"));
        ASSERT_TRUE(WritePrivateProfileString("Mail", "Server", "mail.test", kFile));
    }

    // The syncs that `action` made.
    template <typename Action>
    SyncCounts syncsOf(Action action)
    {
        g_counts = {};
        action();
        return g_counts;
    }

    zortest::TempRoot m_root;
};

TEST_F(ProfileSync, AWriteSyncsItsDataBeforeTheRenameAndLeavesTheFolderAlone)
{
    const SyncCounts write = syncsOf([] { ASSERT_TRUE(WritePrivateProfileString("Mail", "Port", "25", kFile)); });
    EXPECT_EQ(write.files, 1) << "the new content must be on disk before it replaces the old";
    EXPECT_EQ(write.folders, 0);

    // Nothing to change, nothing to write.
    const SyncCounts unchanged = syncsOf([] { ASSERT_TRUE(WritePrivateProfileString("Mail", "Port", "25", kFile)); });
    EXPECT_EQ(unchanged.files + unchanged.folders, 0);
}

TEST_F(ProfileSync, FlushAndBatchCommitMakeTheWritesDurable)
{
    const SyncCounts flush = syncsOf([] { ASSERT_TRUE(WritePrivateProfileString(nullptr, nullptr, nullptr, kFile)); });
    EXPECT_EQ(flush.files, 0);
    EXPECT_EQ(flush.folders, 1);

    const SyncCounts batch = syncsOf([] {
        zorplat::ProfileBatch batch(kFile);
        batch.WriteString("Mail", "Port", "587");
        batch.WriteString("Mail", "Sender", "office@example.test");
        ASSERT_TRUE(batch.Commit());
    });
    EXPECT_EQ(batch.files, 1);
    EXPECT_EQ(batch.folders, 1);
}

} // namespace
