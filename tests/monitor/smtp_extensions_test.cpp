// What a server's EHLO reply offers: keywords in any case, AUTH mechanisms in both the
// standard and the old "AUTH=" form, and SIZE with and without a limit; and the base64 of
// the login.
#include "monitor/SmtpAuthentication.h"
#include "monitor/SmtpExtensions.h"

#include <gtest/gtest.h>

namespace {

using zormon::ParseExtensions;

TEST(SmtpExtensions, KeywordsAndMechanismsOfATypicalReply)
{
    const zormon::SmtpExtensions offered = ParseExtensions("250-mail.example.test Hello starttls\r\n"
                                                           "250-pipelining\r\n"
                                                           "250-SIZE 35882577\r\n"
                                                           "250-AUTH LOGIN plain XOAUTH2\r\n"
                                                           "250-AUTH=LOGIN\r\n"
                                                           "250 STARTTLS\r\n");
    EXPECT_TRUE(offered.offers("starttls"));
    EXPECT_TRUE(offered.offers("PIPELINING"));
    EXPECT_FALSE(offered.offers("HELLO")) << "the first line is the server's greeting, not an extension";
    EXPECT_EQ(offered.authMechanisms, (std::set<std::string>{"LOGIN", "PLAIN", "XOAUTH2"}));
    ASSERT_TRUE(offered.sizeLimit);
    EXPECT_EQ(*offered.sizeLimit, 35882577u);
    EXPECT_EQ(offered.describe(), "AUTH=LOGIN,PLAIN,XOAUTH2 PIPELINING SIZE=35882577 STARTTLS");
}

TEST(SmtpExtensions, SizeWithoutALimitOrWithZeroNamesNone)
{
    EXPECT_FALSE(ParseExtensions("250-host\r\n250 SIZE\r\n").sizeLimit);
    EXPECT_FALSE(ParseExtensions("250-host\r\n250 SIZE 0\r\n").sizeLimit) << "RFC 1870: 0 means no fixed limit";
    EXPECT_FALSE(ParseExtensions("250-host\r\n250 SIZE 12x\r\n").sizeLimit);
    EXPECT_TRUE(ParseExtensions("250-host\r\n250 SIZE 12x\r\n").offers("SIZE"));
}

TEST(SmtpExtensions, AOneLineReplyOffersNothing)
{
    const zormon::SmtpExtensions offered = ParseExtensions("250 host.example STARTTLS\r\n");
    EXPECT_TRUE(offered.keywords.empty());
    EXPECT_EQ(offered.describe(), "");
}

TEST(SmtpExtensions, Base64OfTheLogin)
{
    EXPECT_EQ(zormon::Base64(std::string("\0office\0p4ss", 12)), "AG9mZmljZQBwNHNz");
    EXPECT_EQ(zormon::Base64("ab"), "YWI=");
    EXPECT_EQ(zormon::Base64(""), "");
}

} // namespace
