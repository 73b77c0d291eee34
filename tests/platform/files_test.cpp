// File handles and file operations by Windows path.
#include "platform/files/files.h"
#include "platform/base/handles.h"
#include "platform/base/lasterror.h"
#include "tests/support/TempRoot.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr DWORD kSentinel = 0xDEADBEEF;

HANDLE openFile(const char *name, DWORD access, DWORD disposition, DWORD flags = FILE_ATTRIBUTE_NORMAL)
{
    return CreateFile(name, access, FILE_SHARE_READ, nullptr, disposition, flags, nullptr);
}

std::string readAll(HANDLE file)
{
    std::string content;
    char buffer[7]; // small, so reads continue across calls
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        content.append(buffer, read);
    return content;
}

std::vector<std::string> findNames(const char *pattern)
{
    std::vector<std::string> names;
    WIN32_FIND_DATA data {};
    HANDLE search = FindFirstFile(pattern, &data);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(data.cFileName);
    while (FindNextFile(search, &data));
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
    EXPECT_TRUE(FindClose(search));
    return names;
}

class FilesTest : public ::testing::Test {
protected:
    zortest::TempRoot root;
};

TEST_F(FilesTest, DispositionsCreateOpenAndTruncateAsDocumented)
{
    SetLastError(kSentinel);
    HANDLE created = openFile("C:\\Data.bin", GENERIC_WRITE, CREATE_NEW);
    ASSERT_NE(created, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(created, "0123456789", 10, &written, nullptr));
    EXPECT_EQ(written, 10u);
    CloseHandle(created);

    EXPECT_EQ(openFile("C:\\DATA.BIN", GENERIC_WRITE, CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
    EXPECT_EQ(openFile("C:\\missing.bin", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(openFile("C:\\NoFolder\\x.bin", GENERIC_READ, OPEN_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(openFile("C:\\WINDOWS", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(openFile("C:\\data.bin", GENERIC_READ, TRUNCATE_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    // An existing file is opened as it is, in any spelling, and says it existed.
    HANDLE opened = openFile("c:\\data.BIN", GENERIC_READ, OPEN_ALWAYS);
    ASSERT_NE(opened, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(readAll(opened), "0123456789");
    CloseHandle(opened);

    HANDLE fresh = openFile("C:\\new.bin", GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
    ASSERT_NE(fresh, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    CloseHandle(fresh);
    EXPECT_TRUE(fs::exists(root.driveC("new.bin")));

    HANDLE truncated = openFile("C:\\Data.bin", GENERIC_WRITE, CREATE_ALWAYS);
    ASSERT_NE(truncated, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(GetFileSize(truncated, nullptr), 0u);
    CloseHandle(truncated);
}

TEST_F(FilesTest, ReadWriteSeekTruncateAndSize)
{
    HANDLE file = openFile("C:\\seek.bin", GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    std::string big(200000, 'x'); // more than one write call may take
    big[123456] = 'y';
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file, big.data(), static_cast<DWORD>(big.size()), &written, nullptr));
    EXPECT_EQ(written, big.size());
    DWORD high = 7;
    EXPECT_EQ(GetFileSize(file, &high), big.size());
    EXPECT_EQ(high, 0u);

    EXPECT_EQ(SetFilePointer(file, 123456, nullptr, FILE_BEGIN), 123456u);
    char c = 0;
    DWORD read = 0;
    ASSERT_TRUE(ReadFile(file, &c, 1, &read, nullptr));
    EXPECT_EQ(c, 'y');
    EXPECT_EQ(SetFilePointer(file, -2, nullptr, FILE_CURRENT), 123455u);
    EXPECT_EQ(SetFilePointer(file, -10, nullptr, FILE_END), big.size() - 10);

    // A seek before the start fails and leaves the pointer where it was.
    EXPECT_EQ(SetFilePointer(file, -1, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);
    EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_CURRENT), big.size() - 10);

    EXPECT_EQ(SetFilePointer(file, 5, nullptr, FILE_BEGIN), 5u);
    ASSERT_TRUE(SetEndOfFile(file));
    EXPECT_EQ(GetFileSize(file, nullptr), 5u);
    ASSERT_TRUE(ReadFile(file, &c, 1, &read, nullptr));
    EXPECT_EQ(read, 0u) << "at the end a read succeeds with nothing";

    // Positions past 4 GiB go through the high part (the file stays sparse).
    LONG distanceHigh = 1;
    SetLastError(kSentinel);
    EXPECT_EQ(SetFilePointer(file, 16, &distanceHigh, FILE_BEGIN), 16u);
    EXPECT_EQ(distanceHigh, 1);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER)
        << "a position past 32 bits needs the high part";
    ASSERT_TRUE(SetEndOfFile(file));
    EXPECT_EQ(GetFileSize(file, &high), 16u);
    EXPECT_EQ(high, 1u);
    ASSERT_TRUE(FlushFileBuffers(file));
    CloseHandle(file);
}

TEST_F(FilesTest, AccessModesAndForeignHandlesAreRefused)
{
    HANDLE writeOnly = openFile("C:\\w.bin", GENERIC_WRITE, CREATE_ALWAYS);
    ASSERT_NE(writeOnly, INVALID_HANDLE_VALUE);
    char c;
    DWORD read = 99;
    EXPECT_FALSE(ReadFile(writeOnly, &c, 1, &read, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(read, 0u);

    // Communication-port calls make no sense on a file and must fail without harm.
    DWORD returned = 5;
    char out[4] = {'k', 'e', 'e', 'p'};
    EXPECT_FALSE(DeviceIoControl(writeOnly, 0x2D0C10, nullptr, 0, out, sizeof out, &returned, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
    EXPECT_EQ(std::string(out, 4), "keep");
    COMMTIMEOUTS timeouts {1, 2, 3, 4, 5};
    EXPECT_FALSE(GetCommTimeouts(writeOnly, &timeouts));
    EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
    EXPECT_EQ(timeouts.ReadIntervalTimeout, 1u);
    EXPECT_FALSE(SetCommTimeouts(writeOnly, &timeouts));
    EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);

    EXPECT_TRUE(CloseHandle(writeOnly));
    EXPECT_FALSE(CloseHandle(writeOnly));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(WriteFile(writeOnly, "x", 1, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(DeviceIoControl(INVALID_HANDLE_VALUE, 0, nullptr, 0, nullptr, 0, &returned, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(GetFileSize(reinterpret_cast<HANDLE>(0x1234), nullptr), INVALID_FILE_SIZE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(FilesTest, DeleteOnCloseWaitsForTheLastHandle)
{
    HANDLE marked = openFile("C:\\spool.tmp", GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE);
    ASSERT_NE(marked, INVALID_HANDLE_VALUE);
    HANDLE other = openFile("C:\\SPOOL.TMP", GENERIC_READ, OPEN_EXISTING);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    CloseHandle(marked);
    EXPECT_TRUE(fs::exists(root.driveC("spool.tmp"))) << "another handle is still open";
    CloseHandle(other);
    EXPECT_FALSE(fs::exists(root.driveC("spool.tmp")));

    HANDLE plain = openFile("C:\\kept.tmp", GENERIC_WRITE, CREATE_ALWAYS);
    CloseHandle(plain);
    EXPECT_TRUE(fs::exists(root.driveC("kept.tmp")));
}

TEST_F(FilesTest, FindMatchesWildcardsWithoutRegardToCase)
{
    for (const char *name : {"a.ini", "B.INI", "c.txt", "cc.txt", "readme", "x.ini.bak"})
        root.writeFile(root.driveC("Find/") + name, "12345");
    fs::create_directories(root.driveC("Find/Sub.ini"));

    EXPECT_EQ(findNames("C:\\find\\*.ini"), (std::vector<std::string>{"a.ini", "B.INI", "Sub.ini"}));
    EXPECT_EQ(findNames("C:\\FIND\\?.TXT"), (std::vector<std::string>{"c.txt"}));
    EXPECT_EQ(findNames("C:\\Find\\c*t"), (std::vector<std::string>{"c.txt", "cc.txt"}));
    EXPECT_EQ(findNames("C:\\Find\\*.*").size(), 7u) << "*.* matches names without a dot too";
    EXPECT_EQ(findNames("C:\\Find\\readme.*"), (std::vector<std::string>{"readme"}));
    EXPECT_EQ(findNames("C:\\Find\\*."), (std::vector<std::string>{"readme"}));
    EXPECT_EQ(findNames("C:/find/X.INI.BAK"), (std::vector<std::string>{"x.ini.bak"}));

    WIN32_FIND_DATA data {};
    HANDLE search = FindFirstFile("C:\\Find\\s*", &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(CloseHandle(search)) << "a search closes like any handle";
    search = FindFirstFile("C:\\Find\\a.ini", &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.nFileSizeLow, 5u);
    EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_NORMAL);
    EXPECT_NE(data.ftLastWriteTime.dwHighDateTime, 0u);
    FindClose(search);

    EXPECT_EQ(FindFirstFile("C:\\Find\\*.doc", &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(FindFirstFile("C:\\Nowhere\\*", &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(FilesTest, CopyMoveAndDeleteKeepDataSafe)
{
    root.writeFile(root.driveC("Src.txt"), "source");
    root.writeFile(root.driveC("dst.txt"), "old");

    EXPECT_FALSE(CopyFile("C:\\src.txt", "C:\\DST.TXT", TRUE));
    EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
    EXPECT_EQ(zortest::TempRoot::readFile(root.driveC("dst.txt")), "old");
    EXPECT_TRUE(CopyFile("C:\\src.txt", "C:\\DST.TXT", FALSE));
    EXPECT_EQ(zortest::TempRoot::readFile(root.driveC("dst.txt")), "source");
    EXPECT_FALSE(CopyFile("C:\\src.txt", "C:\\SRC.TXT", FALSE));
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(zortest::TempRoot::readFile(root.driveC("Src.txt")), "source") << "copy onto itself";
    EXPECT_FALSE(CopyFile("C:\\none.txt", "C:\\x.txt", FALSE));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(std::distance(fs::directory_iterator(root.driveC()), fs::directory_iterator()), 3)
        << "no temporary copies are left behind";

    EXPECT_FALSE(MoveFile("C:\\src.txt", "C:\\dst.txt"));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_TRUE(MoveFile("C:\\src.txt", "C:\\SRC.TXT")) << "a change of case only";
    EXPECT_TRUE(fs::exists(root.driveC("SRC.TXT")));
    EXPECT_FALSE(fs::exists(root.driveC("Src.txt")));
    EXPECT_TRUE(MoveFile("C:\\SRC.TXT", "C:\\WINDOWS\\moved.txt"));
    EXPECT_EQ(zortest::TempRoot::readFile(root.driveC("WINDOWS/moved.txt")), "source");

    EXPECT_TRUE(DeleteFile("C:\\windows\\MOVED.txt"));
    EXPECT_FALSE(DeleteFile("C:\\windows\\MOVED.txt"));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(DeleteFile("C:\\WINDOWS"));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST_F(FilesTest, FoldersAndAttributes)
{
    EXPECT_TRUE(CreateDirectory("C:\\Spool", nullptr));
    EXPECT_FALSE(CreateDirectory("C:\\SPOOL", nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_FALSE(CreateDirectory("C:\\No\\Deeper", nullptr));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);

    root.writeFile(root.driveC("Spool/job.ps"), "%!");
    EXPECT_EQ(GetFileAttributes("C:\\spool"), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(GetFileAttributes("C:\\spool\\JOB.PS"), FILE_ATTRIBUTE_NORMAL);
    fs::permissions(root.driveC("Spool/job.ps"), fs::perms::owner_read);
    EXPECT_EQ(GetFileAttributes("C:\\spool\\JOB.PS"), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(GetFileAttributes("C:\\spool\\none.ps"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

    EXPECT_FALSE(RemoveDirectory("C:\\Spool"));
    EXPECT_EQ(GetLastError(), ERROR_DIR_NOT_EMPTY);
    EXPECT_TRUE(DeleteFile("C:\\Spool\\job.ps"));
    EXPECT_TRUE(RemoveDirectory("C:\\spool"));
    EXPECT_FALSE(fs::exists(root.driveC("Spool")));
}

} // namespace
