#include "monitor/HeaderComposer.h"

#include "tests/monitor/SettingsRoot.h"
#include "tests/support/UiJournal.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <algorithm>


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
    // The fresh id is "G" and digits, not the job's; swap it for the job's id to compare the rest.
    const std::string prefix = "Message-ID:<G", suffix = "@example.com>\r\n";
    const size_t start = block.find(prefix);
    ASSERT_NE(start, std::string::npos) << block;
    const size_t digits = start + prefix.size();
    const size_t end = block.find(suffix, digits);
    ASSERT_NE(end, std::string::npos) << block;
    ASSERT_GE(end - digits, 1u);
    ASSERT_EQ(block.find_first_not_of("0123456789", digits), end) << block;
    EXPECT_NE(block.substr(digits, end - digits), "123");
    block.replace(start, end + suffix.size() - start, "Message-ID:<G123@example.com>\r\n");
    EXPECT_EQ(block, kCommon + "Subject: Quarterly report\r\n"
                               "Content-Type:message/partial;id=\"<G123@example.com>\";number=3;total=3\r\n"
                               "Content-Length:17 \r\n\r\n");
}

// A header carries 7-bit text only: a subject that is not plain ASCII travels as encoded
// words, whether the document name came as UTF-8 or as Latin-1.
TEST_F(HeaderComposerTest, SubjectThatIsNotPlainAsciiIsSentAsEncodedWords)
{
    for (const char *subject : {"Bericht f\xc3\xbcr M\xc3\xa4rz", "Bericht f\xfcr M\xe4rz"}) {
        root.writeVComDef(std::string("[IntranetSetup]\r\nSenderEmail=jdoe@example.com\r\n"
                                      "[lp@printers.example]\r\nSubject=") + subject + "\r\n");
        const std::string block = ComposeHeader(request(1, 1, false, 0), nullptr).value();
        EXPECT_NE(block.find("\r\nSubject: =?UTF-8?B?QmVyaWNodCBmw7xyIE3DpHJ6?=\r\nKeyword:language=en\r\n"),
                  std::string::npos)
            << block;
    }
}

// A long subject is folded between encoded words of whole characters, no line longer than
// 76 characters; joined again the words give the subject back.
TEST_F(HeaderComposerTest, LongSubjectIsFoldedBetweenWholeCharacters)
{
    std::string subject;
    while (subject.size() < 97)
        subject += "\xc3\xa4" "b"; // a-umlaut and b
    root.writeVComDef("[IntranetSetup]\r\nSenderEmail=jdoe@example.com\r\n[lp@printers.example]\r\nSubject=" +
                      subject + "\r\n");
    const std::string block = ComposeHeader(request(2, 3, true, 0), nullptr).value();
    const size_t start = block.find("Subject: ");
    const size_t end = block.find("\r\nContent-Type:");
    ASSERT_NE(end, std::string::npos) << block;
    std::string field = block.substr(start + 9, end - start - 9);

    std::string decoded;
    size_t lines = 0;
    for (size_t from = 0; from <= field.size(); ++lines) {
        size_t to = field.find("\r\n ", from);
        const std::string word = field.substr(from, to == std::string::npos ? std::string::npos : to - from);
        EXPECT_LE(word.size() + (lines == 0 ? 9 : 1), 76u) << word;
        ASSERT_EQ(word.rfind("=?UTF-8?B?", 0), 0u) << word;
        ASSERT_EQ(word.substr(word.size() - 2), "?=") << word;
        const std::string text = word.substr(10, word.size() - 12);
        unsigned char bytes[128] = {};
        const int length = EVP_DecodeBlock(bytes, reinterpret_cast<const unsigned char *>(text.data()),
                                           static_cast<int>(text.size()));
        ASSERT_GT(length, 0);
        std::string piece(reinterpret_cast<char *>(bytes), static_cast<size_t>(length));
        piece.resize(piece.size() - std::count(text.begin(), text.end(), '=')); // base64 padding
        EXPECT_NE(piece.back(), '\xc3') << "a word ends inside a character";
        decoded += piece;
        if (to == std::string::npos)
            break;
        from = to + 3;
    }
    EXPECT_GT(lines, 1u);
    EXPECT_EQ(decoded, subject.substr(0, 99 / 3 * 3)) << "the subject as read through its 100-byte buffer";
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
