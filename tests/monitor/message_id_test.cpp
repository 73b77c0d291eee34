#include "monitor/Md5.h"
#include "monitor/MessageId.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

TEST(Md5, TestSuiteOfRfc1321)
{
    EXPECT_EQ(zormon::Md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(zormon::Md5Hex("a"), "0cc175b9c0f1b6a831c399e269772661");
    EXPECT_EQ(zormon::Md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(zormon::Md5Hex("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(zormon::Md5Hex("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
    EXPECT_EQ(zormon::Md5Hex("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
              "d174ab98d277d9f5a5611c2c9f419d9f");
    EXPECT_EQ(zormon::Md5Hex("1234567890123456789012345678901234567890"
                             "1234567890123456789012345678901234567890"),
              "57edf4a22be3c955ac49da2e2107b67a");
}

namespace {

void expectShape(const std::string &id)
{
    ASSERT_GE(id.size(), 2u);
    EXPECT_EQ(id[0], 'G') << id;
    EXPECT_EQ(id.find_first_not_of("0123456789", 1), std::string::npos) << id;
}

// The first id formed by a new process.
std::string idOfAnotherProcess()
{
    int ends[2];
    if (pipe(ends) != 0)
        return {};
    const pid_t child = fork();
    if (child == 0) {
        const std::string id = zormon::NewMessageId();
        const ssize_t written = write(ends[1], id.data(), id.size());
        _exit(written == static_cast<ssize_t>(id.size()) ? 0 : 1);
    }
    close(ends[1]);
    std::string id;
    char chunk[64];
    for (ssize_t got; (got = read(ends[0], chunk, sizeof chunk)) > 0;)
        id.append(chunk, static_cast<size_t>(got));
    close(ends[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return id;
}

} // namespace

// Ids formed in one second, by one process and by two others, are all different.
TEST(MessageId, NoTwoIdsAreEqualWithinAProcessOrAcrossProcesses)
{
    std::set<std::string> ids;
    for (int i = 0; i < 1000; ++i) {
        const std::string id = zormon::NewMessageId();
        expectShape(id);
        ids.insert(id);
    }
    EXPECT_EQ(ids.size(), 1000u);

    const std::string first = idOfAnotherProcess();
    const std::string second = idOfAnotherProcess();
    expectShape(first);
    expectShape(second);
    EXPECT_NE(first, second);
    EXPECT_EQ(ids.count(first) + ids.count(second), 0u);
}
