// Enumerating connected network resources from the persistent-connection keys: types,
// batches that fit the caller's buffer, and the end of the list.
#include "platform/kernel/network.h"

#include "platform/base/lasterror.h"
#include "platform/registry/registry.h"
#include "tests/support/TempRoot.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zortest {
namespace {

void connect(const std::string &localName, const char *remotePath, DWORD connectionType = 0)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKey(HKEY_CURRENT_USER, ("Network\\Persistent\\" + localName).c_str(), &key),
              LONG(ERROR_SUCCESS));
    if (remotePath)
        RegSetValueEx(key, "RemotePath", 0, REG_SZ, reinterpret_cast<const BYTE *>(remotePath),
                      DWORD(std::string(remotePath).size() + 1));
    if (connectionType)
        RegSetValueEx(key, "ConnectionType", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&connectionType),
                      sizeof connectionType);
    RegCloseKey(key);
}

// Every batch's (local name, remote name) and the result that ended it.
struct Pass {
    std::vector<std::vector<std::pair<std::string, std::string>>> batches;
    DWORD end = 0;
};

Pass enumerate(DWORD type, DWORD bufferSize)
{
    Pass pass;
    HANDLE handle = nullptr;
    EXPECT_EQ(WNetOpenEnum(RESOURCE_CONNECTED, type, 0, nullptr, &handle), NO_ERROR);
    std::vector<NETRESOURCE> buffer(bufferSize / sizeof(NETRESOURCE) + 1);
    for (int guard = 0; guard < 100; ++guard) {
        DWORD count = 0xFFFFFFFF, size = bufferSize;
        DWORD result = WNetEnumResource(handle, &count, buffer.data(), &size);
        std::vector<std::pair<std::string, std::string>> batch;
        for (DWORD i = 0; i < count; ++i) {
            EXPECT_EQ(buffer[i].dwType, RESOURCETYPE_PRINT);
            batch.emplace_back(buffer[i].lpLocalName, buffer[i].lpRemoteName);
        }
        if (count)
            pass.batches.push_back(batch);
        if (result != NO_ERROR && result != ERROR_MORE_DATA) {
            pass.end = result;
            break;
        }
    }
    EXPECT_EQ(WNetCloseEnum(handle), NO_ERROR);
    return pass;
}

TEST(Network, PrintConnectionsComeInBatchesThatFitTheBuffer)
{
    TempRoot root;
    connect("LPT2", "\\\\server\\laser");
    connect("F", "\\\\server\\files");                   // a drive letter: a disk
    connect("Q", "\\\\server\\queue", 2);                // told to be a printer
    connect("LPT3", "\\\\server\\disk", 1);              // told to be a disk
    connect("LPT4", nullptr);                            // no remote path: not a connection
    connect("LPT5", "\\\\server\\plotter");

    // Room for LPT2 and Q together (135 bytes) but not for a third entry.
    const DWORD twoEntries = 140;
    Pass pass = enumerate(RESOURCETYPE_PRINT, twoEntries);
    using Batch = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(pass.batches, (std::vector<Batch>{{{"LPT2", "\\\\server\\laser"}, {"Q", "\\\\server\\queue"}},
                                                {{"LPT5", "\\\\server\\plotter"}}}));
    EXPECT_EQ(pass.end, ERROR_NO_MORE_ITEMS);
}

TEST(Network, ABufferTooSmallForOneEntryReportsTheSizeItNeeds)
{
    TempRoot root;
    connect("LPT2", "\\\\server\\laser");
    HANDLE handle = nullptr;
    ASSERT_EQ(WNetOpenEnum(RESOURCE_CONNECTED, RESOURCETYPE_ANY, 0, nullptr, &handle), NO_ERROR);
    NETRESOURCE small[1];
    DWORD count = 0xFFFFFFFF, size = sizeof small;
    EXPECT_EQ(WNetEnumResource(handle, &count, small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(size, sizeof(NETRESOURCE) + 5 + 15 + 1); // the three strings with their NULs
    std::vector<NETRESOURCE> enough(4);
    count = 0xFFFFFFFF;
    size = DWORD(enough.size() * sizeof(NETRESOURCE));
    EXPECT_EQ(WNetEnumResource(handle, &count, enough.data(), &size), NO_ERROR);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(WNetCloseEnum(handle), NO_ERROR);

    SetLastError(0xdeadbeef);
    EXPECT_EQ(WNetEnumResource(handle, &count, enough.data(), &size), ERROR_INVALID_HANDLE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(WNetOpenEnum(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0, nullptr, &handle), ERROR_NOT_SUPPORTED);
}

TEST(Network, NoConnectionsKeyMeansNoConnections)
{
    TempRoot root;
    EXPECT_EQ(enumerate(RESOURCETYPE_ANY, 4096).end, ERROR_NO_MORE_ITEMS);
}

} // namespace
} // namespace zortest
