// What `zorvaline print` hands to a destination: PostScript as it is, a PDF converted to
// PostScript first (the monitor would otherwise mail the PDF as PostScript, with its 0x04
// and 0x14 bytes turned into blanks), anything else refused before a job starts.
#include "tests/cups/CupsTestRoot.h"

namespace cupstest {
namespace {

class PrintInput : public ::testing::Test {
protected:
    void SetUp() override
    {
        setup.prepare();
        setup.startMailServer();
    }

    ProgramResult print(const std::string &file)
    {
        return RunProgram({kBinDir + "/zorvaline", "print", "-P", kPrinter, file});
    }

    CupsTestRoot setup;
};

TEST_F(PrintInput, APdfFromAFileOrStandardInputArrivesAsPostScriptWithAllItsPages)
{
    const std::string pdf = setup.root.path() + "/report.pdf";
    makePdf(pdf, 4);
    ASSERT_EQ(pageCount(pdf), 4);
    ProgramResult fromFile = print(pdf);
    ASSERT_EQ(fromFile.exitCode, 0) << fromFile.output;
    ProgramResult fromStdin =
        RunProgram({"/bin/sh", "-c", "\"$0\" print -P \"$1\" < \"$2\"", kBinDir + "/zorvaline", kPrinter, pdf});
    ASSERT_EQ(fromStdin.exitCode, 0) << fromStdin.output;

    std::vector<ArrivedMail> mails = arrivedMails(setup.mailFolder);
    ASSERT_EQ(mails.size(), 2u);
    for (const ArrivedMail &mail : mails) {
        const std::string decoded = setup.root.path() + "/decoded.ps";
        decodeJob(mail.file, decoded);
        const std::string job = zortest::TempRoot::readFile(decoded);
        EXPECT_EQ(job.substr(0, 4), "%!PS");
        EXPECT_EQ(job.find("%PDF"), std::string::npos);
        EXPECT_EQ(pageCount(decoded), 4);
    }
}

TEST_F(PrintInput, InputThatIsNeitherPostScriptNorPdfIsRefusedAndNothingIsSent)
{
    struct Case {
        std::string name;
        std::string content;
        std::string says;
    };
    const std::vector<Case> cases = {
        {"notes.txt", "Dear printer,\n", "is neither PostScript nor PDF"},
        {"empty.ps", "", "is empty"},
        {"broken.pdf", "%PDF-1.4\n1 0 obj garbage\n", "cannot convert"},
    };
    for (const Case &c : cases) {
        const std::string path = setup.root.path() + "/" + c.name;
        setup.root.writeFile(path, c.content);
        ProgramResult run = print(path);
        EXPECT_EQ(run.exitCode, 2) << c.name;
        EXPECT_NE(run.output.find("zorvaline print: "), std::string::npos) << run.output;
        EXPECT_NE(run.output.find(c.says), std::string::npos) << run.output;
        EXPECT_NE(run.output.find(path), std::string::npos) << run.output;
    }
    EXPECT_TRUE(arrivedMails(setup.mailFolder).empty());
    // A PostScript job among them goes as it is.
    const std::string ps = setup.root.path() + "/one.ps";
    setup.root.writeFile(ps, "%!PS\n/Helvetica findfont 9 scalefont setfont 9 9 moveto (x) show showpage\n");
    ASSERT_EQ(print(ps).exitCode, 0);
    std::vector<ArrivedMail> mails = arrivedMails(setup.mailFolder);
    ASSERT_EQ(mails.size(), 1u);
    const std::string decoded = setup.root.path() + "/decoded.ps";
    decodeJob(mails[0].file, decoded);
    // The sender ends the mail's last line itself; the job's bytes come before it unchanged.
    const std::string arrived = zortest::TempRoot::readFile(decoded);
    EXPECT_EQ(arrived.substr(0, arrived.size() - 1), zortest::TempRoot::readFile(ps));
}

} // namespace
} // namespace cupstest
