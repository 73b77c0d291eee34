// A job encoded from its file between the cover pages: the output must be exactly that of
// the three put together in one file, whatever the line and column at each seam.
#include "monitor/QuotedPrintable.h"

#include "tests/support/TempRoot.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

namespace {

std::string encode(const std::string &input)
{
    zormon::QuotedPrintableEncoder encoder;
    std::string out;
    encoder.encode(reinterpret_cast<const uint8_t *>(input.data()), input.size(), out);
    return out;
}

class QuotedPrintableBetweenPages : public ::testing::Test {
protected:
    // The file holding `job` encoded between `before` and `after`; the output as written.
    std::string encodeBetween(const std::string &before, const std::string &job, const std::string &after)
    {
        root.writeFile(root.driveC("ZORVALINE/Varnel.1"), job);
        EXPECT_TRUE(zormon::EncodeQuotedPrintable(before, "C:\\ZORVALINE\\Varnel.1", after, "C:\\ZORVALINE\\Varnel.cod"));
        return zortest::TempRoot::readFile(root.driveC("ZORVALINE/Varnel.cod"));
    }

    zortest::TempRoot root;
};

} // namespace

TEST_F(QuotedPrintableBetweenPages, SeamsCarryTheLineAndColumnOnAsOneFileWould)
{
    // A page ending in LF makes the job's first byte the first of a line (encoded), a page
    // ending mid-line moves the job's soft breaks, and a job without a last LF does the same
    // to the trailer.
    const std::string job = "%!PS job line one\n" + std::string(150, 'j') + "\nlast line, no LF";
    const std::string pages[] = {"", "%!PS banner\n", "banner ends mid-line ", std::string(75, 'b'), "\n", "\r"};
    for (const std::string &before : pages) {
        for (const std::string &after : pages) {
            SCOPED_TRACE("before \"" + before + "\" after \"" + after + "\"");
            EXPECT_EQ(encodeBetween(before, job, after), encode(before + job + after));
        }
    }
    EXPECT_EQ(encodeBetween("banner\n", "", "trailer\n"), encode("banner\ntrailer\n"));
}

TEST_F(QuotedPrintableBetweenPages, AJobOfManyBlocksOfEveryByteValueComesOutAsOneText)
{
    std::mt19937 generator(7);
    std::string job(3 * (1 << 20) + 4321, '\0');
    for (char &c : job)
        c = static_cast<char>(generator() % 7 == 0 ? '\n' : generator() & 0xFF);
    job.replace(0, 100, 100, 'x'); // the job's first line goes on from the banner's column
    const std::string banner(2 * (1 << 20) + 17, 'B'); // a page longer than one block, too
    EXPECT_TRUE(encodeBetween(banner, job, "trailer") == encode(banner + job + "trailer"));
}

TEST_F(QuotedPrintableBetweenPages, AJobThatCannotBeReadLeavesNoOutput)
{
    root.writeFile(root.driveC("ZORVALINE/Varnel.cod"), "an older job");
    EXPECT_FALSE(zormon::EncodeQuotedPrintable("banner", "C:\\ZORVALINE\\Varnel.99", "trailer",
                                               "C:\\ZORVALINE\\Varnel.cod"));
    // A directory cannot be read as a job; the output begun for it is removed.
    std::filesystem::create_directory(root.driveC("ZORVALINE/Varnel.2"));
    EXPECT_FALSE(zormon::EncodeQuotedPrintable("banner", "C:\\ZORVALINE\\Varnel.2", "trailer",
                                               "C:\\ZORVALINE\\Varnel.cod"));
    EXPECT_FALSE(std::filesystem::exists(root.driveC("ZORVALINE/Varnel.cod")));
}
