#include "monitor/Md5.h"
#include "monitor/MessageId.h"

#include <gtest/gtest.h>

#include <ctime>

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

TEST(MessageId, GeneratorSequenceOfTheClassicRand)
{
    // The sequences every program of the original platform saw after srand(1) and srand(0).
    zormon::MessageIdGenerator one(1);
    for (int expected : {41, 18467, 6334, 26500, 19169, 15724})
        EXPECT_EQ(one.next(), expected);
    zormon::MessageIdGenerator zero(0);
    for (int expected : {38, 7719, 21238, 2437})
        EXPECT_EQ(zero.next(), expected);

    EXPECT_EQ(zormon::MessageIdFromSeed(1), "G41");
    EXPECT_EQ(zormon::MessageIdFromSeed(0), "G38");
}

TEST(MessageId, NewIdIsSeededWithTheTime)
{
    const auto before = static_cast<uint32_t>(std::time(nullptr));
    const std::string id = zormon::NewMessageId();
    const auto after = static_cast<uint32_t>(std::time(nullptr));
    ASSERT_GE(id.size(), 2u);
    EXPECT_LE(id.size(), 6u);
    EXPECT_EQ(id[0], 'G');
    EXPECT_EQ(id.find_first_not_of("0123456789", 1), std::string::npos) << id;
    EXPECT_TRUE(id == zormon::MessageIdFromSeed(before) || id == zormon::MessageIdFromSeed(after)) << id;
}
