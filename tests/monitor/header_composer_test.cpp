#include "monitor/HeaderComposer.h"

#include "tests/monitor/SettingsRoot.h"
#include "tests/support/UiJournal.h"

#include <gtest/gtest.h>


using zormon::ComposeHeader;
using zormon::HeaderRequest;

namespace {

const char *const kAddress = "lp@printers.example";
// MD5 of "G123secret", worked out apart from the code under test.
const char *const kDigest = "74f6963c20efdde63b1e6b479db10359";

const std::string kCommon = "TO:lp@printers.example\r\n"
                            "Mime-Version:1.0\r\n"
                            "X-Mailer:Sendaro 1.13\r\n"
                            "Message-ID:<G123@example.com>\r\n"
                            "Sender: jdoe@example.com\r\n"
                            "From: jdoe@example.com\r\n"
                            "Reply-To: jdoe@example.com\r\n";

class HeaderComposerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root.writeVComDef("[IntranetSetup]\r\nSenderEmail=jdoe@example.com\r\n"
                          "[HeaderFooter]\r\nSubject=Default\r\nStatusRequired=1\r\n"
                          "[lp@printers.example]\r\nSubject=Quarterly report\r\nPassword=secret\r\n");
    }

    HeaderRequest request(int piece, int total, bool partial, uint64_t length) const
    {
        HeaderRequest r;
        r.address = kAddress;
        r.piece = piece;
        r.total = total;
        r.messageId = "G123";
        r.bodyLength = length;
        r.partial = partial;
        return r;
    }

    zortest::SettingsRoot root;
    zortest::UiJournal journal{root.path() + "/ui.log"};
};

} // namespace

TEST_F(HeaderComposerTest, JobSentAsOneMessage)
{
    EXPECT_EQ(ComposeHeader(request(1, 1, false, 4711), nullptr).value(),
              kCommon + "Subject: Quarterly report\r\n"
                        "Keyword:language=en\r\n"
                        "Keyword:password=" + kDigest + "\r\n"
                        "Keyword:response=1\r\n"
                        "Content-Type:application/postscript\r\n"
                        "Content-Transfer-Encoding:quoted-printable\r\n"
                        "Content-Length:4711 \r\n\r\n");
}

TEST_F(HeaderComposerTest, FirstPieceEnclosesTheHeaderOfTheJoinedMessage)
{
    const std::string enclosed = "Content-Type:application/postscript\r\n"
                                 "Content-ID: <G123@example.com>\r\n"
                                 "Content-Transfer-Encoding:quoted-printable\r\n"
                                 "Message-ID: <G123@example.com>\r\n\r\n";
    EXPECT_EQ(ComposeHeader(request(1, 3, true, 818), nullptr).value(),
              kCommon + "Subject: Quarterly report\r\n"
                        "Keyword:language=en\r\n"
                        "Keyword:password=" + kDigest + "\r\n"
                        "Keyword:response=1\r\n"
                        "Content-Type:message/partial;id=\"<G123@example.com>\";number=1;total=3\r\n"
                        "Content-Length:" + std::to_string(818 + enclosed.size()) + " \r\n\r\n" + enclosed);
}

TEST_F(HeaderComposerTest, LaterPiecesCarryTheJobsIdAndAFreshMessageId)
{
    std::string block = ComposeHeader(request(3, 3, true, 17), nullptr).value();
    // The fresh id is "G" and one to five digits; swap it for the job's id to compare the rest.
    const std::string prefix = "Message-ID:<G", suffix = "@example.com>\r\n";
    const size_t start = block.find(prefix);
    ASSERT_NE(start, std::string::npos) << block;
    const size_t digits = start + prefix.size();
    const size_t end = block.find(suffix, digits);
    ASSERT_NE(end, std::string::npos) << block;
    ASSERT_GE(end - digits, 1u);
    ASSERT_LE(end - digits, 5u);
    ASSERT_EQ(block.find_first_not_of("0123456789", digits), end) << block;
    block.replace(start, end + suffix.size() - start, "Message-ID:<G123@example.com>\r\n");
    EXPECT_EQ(block, kCommon + "Subject: Quarterly report\r\n"
                               "Content-Type:message/partial;id=\"<G123@example.com>\";number=3;total=3\r\n"
                               "Content-Length:17 \r\n\r\n");
}

TEST_F(HeaderComposerTest, StatusRequestHasNoBody)
{
    HeaderRequest status = request(1, 1, false, 0);
    status.status = true;
    EXPECT_EQ(ComposeHeader(status, nullptr).value(), kCommon + "Subject: Get Printer Status \r\n"
                                                                "Keyword:language=en\r\n"
                                                                "Keyword:password=" + kDigest + "\r\n"
                                                                "Keyword:response=4 \r\n");
}

TEST_F(HeaderComposerTest, NoPasswordNoKeywordAndTheDefaultSubject)
{
    root.writeVComDef("[IntranetSetup]\r\nSenderEmail=jdoe@example.com\r\n"
                      "[HeaderFooter]\r\nSubject=Default\r\n[lp@printers.example]\r\nPassword=\r\n");
    EXPECT_EQ(ComposeHeader(request(1, 1, false, 0), nullptr).value(),
              kCommon + "Subject: Default\r\n"
                        "Keyword:language=en\r\n"
                        "Keyword:response=0\r\n"
                        "Content-Type:application/postscript\r\n"
                        "Content-Transfer-Encoding:quoted-printable\r\n"
                        "Content-Length:0 \r\n\r\n");
}

TEST_F(HeaderComposerTest, SenderWithoutAtStopsTheMessage)
{
    for (const char *sender : {"", "jdoe.example.com"}) {
        journal.clear();
        root.writeVComDef(std::string("[IntranetSetup]\r\nSenderEmail=") + sender + "\r\n");
        EXPECT_FALSE(ComposeHeader(request(1, 1, false, 10), nullptr).has_value()) << sender;
        const auto boxes = journal.events("messagebox");
        ASSERT_EQ(boxes.size(), 1u) << sender;
        EXPECT_EQ(boxes[0].at("text"), "E-Mail Address of Sender not specified: Printjob not sent.\n");
        EXPECT_EQ(boxes[0].at("caption"), "Zorvaline Internet Port Monitor");
    }
}
