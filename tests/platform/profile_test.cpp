#include "platform/profile/profile.h"

#include "platform/files/atomicfile.h"
#include "platform/base/lasterror.h"
#include "platform/base/paths.h"
#include "tests/support/TempRoot.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

class ProfileTest : public testing::Test {
protected:
    ProfileTest() { fs::create_directories(m_root.driveC("ZORVALINE")); }

    // The file as Windows names it, and where it lands.
    const char *file = "C:\\ZORVALINE\\Test.ini";
    std::string path() const { return m_root.driveC("ZORVALINE/Test.ini"); }
    void give(const std::string &content) const { m_root.writeFile(path(), content); }
    std::string content() const { return zortest::TempRoot::readFile(path()); }

    std::string get(const char *section, const char *key, const char *defaultValue = "", DWORD size = 256)
    {
        std::string buffer(size, '\x7f');
        const DWORD count = GetPrivateProfileString(section, key, defaultValue, buffer.data(), size, file);
        EXPECT_EQ(buffer[count], '\0');
        return buffer.substr(0, count);
    }
    // A NUL-separated list as returned, up to the closing NUL.
    std::string list(const char *section, const char *key, DWORD size = 256)
    {
        std::string buffer(size, '\x7f');
        const DWORD count = GetPrivateProfileString(section, key, "unused", buffer.data(), size, file);
        return buffer.substr(0, count + 1);
    }

    zortest::TempRoot m_root;
};

const std::string kSample =
    "; settings\r\n"
    "orphan=before any section\r\n"
    "[Main]\r\n"
    "Name = Sales Office \r\n"
    "path=C:\\a=b\r\n"
    "Quoted=\"  spaced  \"\r\n"
    "Single='x'\r\n"
    "Half=\"open\r\n"
    "just a line\r\n"
    ";hidden=1\r\n"
    "name=second\r\n"
    "Empty=\r\n"
    "\r\n"
    "[ Other ]\r\n"
    "k=other\r\n"
    "[MAIN]\r\n"
    "Late=dup section\r\n";

TEST_F(ProfileTest, LooksUpSectionsAndKeysAsTheOriginalDoes)
{
    give(kSample);
    EXPECT_EQ(get("main", "NAME"), "Sales Office");         // case, blanks, first key wins
    EXPECT_EQ(get("Main", "Path"), "C:\\a=b");              // split at the first '='
    EXPECT_EQ(get("Main", "quoted"), "  spaced  ");         // a pair of quotes goes
    EXPECT_EQ(get("Main", "Single"), "x");
    EXPECT_EQ(get("Main", "Half"), "\"open");               // an unpaired one stays
    EXPECT_EQ(get("Main", "Empty", "dflt"), "");
    EXPECT_EQ(get(" Other ", "k"), "other");                 // names are trimmed on both sides
    EXPECT_EQ(get("Main", "Late", "none"), "none");          // only the first [Main] counts
    EXPECT_EQ(get("Main", "just a line", "none"), "none");  // lines without '=' are no keys
    EXPECT_EQ(get("Main", ";hidden", "none"), "none");
    EXPECT_EQ(get("", "orphan", "none"), "none");            // keys before any section belong nowhere

    SetLastError(0xdeadbeef);
    EXPECT_EQ(get("Main", "missing", " "), " ");             // the default exactly as given
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(get("Main", "Name"), "Sales Office");
    EXPECT_EQ(GetLastError(), 0xdeadbeefu);

    EXPECT_EQ(get("Main", "missing", nullptr), "");
    EXPECT_EQ(GetPrivateProfileString("Main", "Name", "", nullptr, 0, file), 0u);
}

TEST_F(ProfileTest, CutsValuesAndDefaultsToTheBuffer)
{
    give("[S]\r\nk=abcdef\r\nq=\"abcdef\"\r\n");
    EXPECT_EQ(get("S", "k", "", 4), "abc");
    EXPECT_EQ(get("S", "k", "", 7), "abcdef");
    EXPECT_EQ(get("S", "q", "", 4), "abc");
    EXPECT_EQ(get("S", "k", "", 1), "");
    EXPECT_EQ(get("S", "none", "default", 4), "def");
}

TEST_F(ProfileTest, ListsSectionAndKeyNamesCutAsTheOriginalDoes)
{
    give(kSample);
    EXPECT_EQ(list(nullptr, nullptr), "Main\0Other\0MAIN\0\0"s);
    EXPECT_EQ(list("MAIN", nullptr), "Name\0path\0Quoted\0Single\0Half\0name\0Empty\0\0"s);
    EXPECT_EQ(list("nowhere", nullptr), "\0"s);

    // Cut: the last string that fits in part, two NULs, and size - 2.
    char buffer[9];
    EXPECT_EQ(GetPrivateProfileString(nullptr, nullptr, "", buffer, sizeof buffer, file), 7u);
    EXPECT_EQ(std::string(buffer, 9), "Main\0Ot\0\0"s);
    EXPECT_EQ(GetPrivateProfileString(nullptr, nullptr, "", buffer, 7, file), 5u);
    EXPECT_EQ(std::string(buffer, 7), "Main\0\0\0"s);
    // Exactly fits: every name and the final NUL.
    give("[ab]\r\n[c]\r\n");
    EXPECT_EQ(GetPrivateProfileString(nullptr, nullptr, "", buffer, 6, file), 5u);
    EXPECT_EQ(std::string(buffer, 6), "ab\0c\0\0"s);
    EXPECT_EQ(GetPrivateProfileString(nullptr, nullptr, "", buffer, 5, file), 3u);
    EXPECT_EQ(std::string(buffer, 5), "ab\0\0\0"s);
}

TEST_F(ProfileTest, ReadsSectionsAsKeyValueLines)
{
    give(kSample);
    char buffer[256];
    const std::string expected = "Name=Sales Office\0path=C:\\a=b\0Quoted=\"  spaced  \"\0Single='x'\0"
                                 "Half=\"open\0just a line\0name=second\0Empty=\0\0"s;
    EXPECT_EQ(GetPrivateProfileSection("main", buffer, sizeof buffer, file), expected.size() - 1);
    EXPECT_EQ(std::string(buffer, expected.size()), expected);

    EXPECT_EQ(GetPrivateProfileSection("main", buffer, 12, file), 10u);
    EXPECT_EQ(std::string(buffer, 12), "Name=Sales\0\0"s);
    EXPECT_EQ(GetPrivateProfileSection("none", buffer, sizeof buffer, file), 0u);
    EXPECT_EQ(std::string(buffer, 2), "\0\0"s);
}

TEST_F(ProfileTest, ReadsIntegersAsTheOriginalDoes)
{
    give("[N]\r\nplain=42\r\nneg=-7\r\nplus=+5\r\ntail=12abc\r\nword=abc\r\nempty=\r\nquoted=\"9\"\r\n"
         "big=4294967297\r\n");
    EXPECT_EQ(GetPrivateProfileInt("n", "PLAIN", 3, file), 42u);
    EXPECT_EQ(GetPrivateProfileInt("N", "neg", 3, file), static_cast<UINT>(-7));
    EXPECT_EQ(GetPrivateProfileInt("N", "plus", 3, file), 5u);
    EXPECT_EQ(GetPrivateProfileInt("N", "tail", 3, file), 12u);
    EXPECT_EQ(GetPrivateProfileInt("N", "word", 3, file), 0u);
    EXPECT_EQ(GetPrivateProfileInt("N", "quoted", 3, file), 9u);
    EXPECT_EQ(GetPrivateProfileInt("N", "big", 3, file), 1u);
    EXPECT_EQ(GetPrivateProfileInt("N", "empty", 3, file), 3u);
    EXPECT_EQ(GetPrivateProfileInt("N", "missing", -1, file), static_cast<UINT>(-1));
    EXPECT_EQ(GetPrivateProfileInt("N", "plain", 3, "C:\\ZORVALINE\\none.ini"), 3u);
}

TEST_F(ProfileTest, WritesCreateFileSectionAndKeyInPlace)
{
    ASSERT_TRUE(WritePrivateProfileString("First", "a", "1", file));
    struct stat info {};
    ASSERT_EQ(stat(path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(content(), "[First]\r\na=1\r\n");

    ASSERT_TRUE(WritePrivateProfileString("Second", "b", "2", file));
    ASSERT_TRUE(WritePrivateProfileString("FIRST", "c", " spaced value ", file));
    ASSERT_TRUE(WritePrivateProfileString("first", "A", "one", file));
    EXPECT_EQ(content(), "[First]\r\na=one\r\nc= spaced value \r\n\r\n[Second]\r\nb=2\r\n");
    EXPECT_EQ(get("First", "c"), "spaced value");
}

TEST_F(ProfileTest, WritesKeepEveryOtherLineAndTheOrder)
{
    give("; top\nstray=1\n[A]\n; about x\nx=1\nno equals here\ny = 2\n\n[B]\nz=3\n\n[C]\nw=4");
    ASSERT_TRUE(WritePrivateProfileString("A", "Y", "20", file));
    ASSERT_TRUE(WritePrivateProfileString("a", "new", "n", file));
    ASSERT_TRUE(WritePrivateProfileString("B", "z", nullptr, file));
    ASSERT_TRUE(WritePrivateProfileString("C", nullptr, nullptr, file));
    ASSERT_TRUE(WritePrivateProfileString("D", "d", "5", file));
    EXPECT_EQ(content(), "; top\r\nstray=1\r\n[A]\r\n; about x\r\nx=1\r\nno equals here\r\ny=20\r\nnew=n\r\n\r\n"
                         "[B]\r\n\r\n[D]\r\nd=5\r\n");

    // Deleting what is not there changes nothing, not even the line ends.
    give("[A]\nx=1\n");
    ASSERT_TRUE(WritePrivateProfileString("A", "none", nullptr, file));
    ASSERT_TRUE(WritePrivateProfileString("None", nullptr, nullptr, file));
    EXPECT_EQ(content(), "[A]\nx=1\n");
}

TEST_F(ProfileTest, KeysAddedInOneBatchAreFoundAndEditedWhereTheyStand)
{
    give("[A]\r\nfirst=1\r\ndup=one\r\n; note\r\ndup=two\r\n\r\n[B]\r\nb=1\r\n");
    zorplat::ProfileBatch batch(file);
    for (int i = 0; i < 300; ++i)
        ASSERT_TRUE(batch.WriteString("a", ("Key" + std::to_string(i)).c_str(), std::to_string(i).c_str()));
    ASSERT_TRUE(batch.WriteString("A", "KEY150", "changed"));
    ASSERT_TRUE(batch.WriteString("A", "DUP", "first of two"));
    EXPECT_FALSE(batch.WriteString("A", "\v;comment", "would read back as a comment"));
    ASSERT_TRUE(batch.WriteString("C", "c", "3"));
    ASSERT_TRUE(batch.WriteString("c", "d", "4"));
    char value[64];
    batch.GetString("A", "key299", "", value, sizeof value);
    EXPECT_STREQ(value, "299");
    ASSERT_TRUE(batch.Commit());

    EXPECT_EQ(get("A", "first"), "1");
    for (int i = 0; i < 300; ++i)
        EXPECT_EQ(get("A", ("key" + std::to_string(i)).c_str()), i == 150 ? "changed" : std::to_string(i)) << i;
    EXPECT_EQ(get("A", "dup"), "first of two");
    EXPECT_EQ(get("C", "D"), "4");
    const std::string text = content();
    EXPECT_EQ(text.rfind("[A]\r\nfirst=1\r\ndup=first of two\r\n; note\r\ndup=two\r\nKey0=0\r\n", 0), 0u) << text;
    EXPECT_NE(text.find("Key299=299\r\n\r\n[B]\r\nb=1\r\n\r\n[C]\r\nc=3\r\nd=4\r\n"),
              std::string::npos)
        << text;
}

TEST_F(ProfileTest, ExistingFilesKeepTheirModeAndNamesAreOneFileWhateverTheCase)
{
    give("[A]\r\nx=1\r\n");
    chmod(path().c_str(), 0644);
    ASSERT_TRUE(WritePrivateProfileString("A", "x", "2", "C:\\zorvaline\\TEST.INI"));
    struct stat info {};
    ASSERT_EQ(stat(path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
    EXPECT_EQ(get("a", "X"), "2");
    for (const auto &entry : fs::directory_iterator(m_root.driveC("ZORVALINE")))
        EXPECT_TRUE(entry.path().filename() == "Test.ini" || entry.path().filename() == "Test.ini.lock")
            << entry.path();
}

TEST_F(ProfileTest, WritesGoThroughASymbolicLinkToItsTarget)
{
    m_root.writeFile(m_root.driveC("Real/Target.ini"), "[A]\r\nx=1\r\n");
    fs::create_symlink(m_root.driveC("Real/Target.ini"), path());
    ASSERT_TRUE(WritePrivateProfileString("A", "y", "2", file));
    EXPECT_TRUE(fs::is_symlink(path()));
    EXPECT_EQ(zortest::TempRoot::readFile(m_root.driveC("Real/Target.ini")), "[A]\r\nx=1\r\ny=2\r\n");
}

TEST_F(ProfileTest, RefusedWritesReportTheErrorAndChangeNothing)
{
    SetLastError(0);
    EXPECT_FALSE(WritePrivateProfileString("A", "x", "1", "C:\\NoSuchFolder\\x.ini"));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(fs::exists(m_root.driveC("NoSuchFolder")));

    give("[A]\r\nx=1\r\n");
    const struct {
        const char *section, *key, *value;
    } refused[] = {{"A", "x", "1\r\n[Forged]"}, {"A\nB", "x", "1"}, {"A", "k=v", "1"},
                   {"A", ";x", "1"},            {"A", " [x", "1]"}, {nullptr, "x", "1"}};
    for (const auto &call : refused) {
        SetLastError(0);
        EXPECT_FALSE(WritePrivateProfileString(call.section, call.key, call.value, file));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    }
    EXPECT_EQ(content(), "[A]\r\nx=1\r\n");
}

TEST_F(ProfileTest, AnUnwritableFolderFailsTheWriteAndLosesNothing)
{
    give("[A]\r\nx=1\r\n");
    chmod(m_root.path().c_str(), 0755);
    chmod(m_root.driveC().c_str(), 0755);
    chmod(m_root.driveC("ZORVALINE").c_str(), 0555);
    chmod(path().c_str(), 0666);
    // As root every permission passes, so the write is made by an unprivileged child.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && setuid(65534) != 0)
            _exit(3);
        SetLastError(0);
        const BOOL written = WritePrivateProfileString("A", "x", "2", file);
        _exit(!written && GetLastError() == ERROR_ACCESS_DENIED ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    chmod(m_root.driveC("ZORVALINE").c_str(), 0755);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(content(), "[A]\r\nx=1\r\n");
}

TEST_F(ProfileTest, MalformedFilesReadWithoutHarmAndRewriteWhole)
{
    const std::string longValue(1 << 20, 'v');
    const std::string binary = "\x01\xff\x7f"s + '\0' + "tail";
    give("no sections at all\n=\n[Bin]\nkey=" + binary + "\n" + "junk\x02\x03\n[Long]\nk=" + longValue +
         "\r[CR]\rx=1\r\r[Last]\ny=2");
    EXPECT_EQ(get("Bin", "key"), "\x01\xff\x7f");
    EXPECT_EQ(get("CR", "x"), "1");
    EXPECT_EQ(get("Last", "y"), "2");
    EXPECT_EQ(get("Long", "k", "", 11), "vvvvvvvvvv");
    std::string all(longValue.size() + 8, '\0');
    EXPECT_EQ(GetPrivateProfileString("Long", "k", "", all.data(), all.size(), file), longValue.size());

    ASSERT_TRUE(WritePrivateProfileString("Last", "z", "3", file));
    EXPECT_EQ(content(), "no sections at all\r\n=\r\n[Bin]\r\nkey=" + binary + "\r\njunk\x02\x03\r\n[Long]\r\nk=" +
                             longValue + "\r\n[CR]\r\nx=1\r\n\r\n[Last]\r\ny=2\r\nz=3\r\n");
    EXPECT_EQ(get("Bin", "key"), "\x01\xff\x7f");
}

TEST_F(ProfileTest, WinIniAndBareNamesLiveInTheWindowsDirectory)
{
    ASSERT_TRUE(WriteProfileString("Ports", "ZOR1:", ""));
    EXPECT_EQ(zortest::TempRoot::readFile(m_root.driveC("WINDOWS/win.ini")), "[Ports]\r\nZOR1:=\r\n");
    char buffer[32];
    EXPECT_EQ(GetProfileString("ports", nullptr, "", buffer, sizeof buffer), 6u);
    EXPECT_EQ(GetProfileInt("Ports", "none", 17), 17u);
    ASSERT_TRUE(WritePrivateProfileString("X", "y", "1", "Varnel.ini"));
    EXPECT_EQ(zortest::TempRoot::readFile(m_root.driveC("WINDOWS/Varnel.ini")), "[X]\r\ny=1\r\n");
}

TEST_F(ProfileTest, ReadsFollowAFileRecreatedUnderAnotherSpelling)
{
    give("[S]\r\nk=first\r\n");
    EXPECT_EQ(get("S", "k"), "first");
    fs::remove(path());
    m_root.writeFile(m_root.driveC("ZORVALINE/TEST.INI"), "[S]\r\nk=second\r\n");
    EXPECT_EQ(get("S", "k"), "second");
}

TEST_F(ProfileTest, ReadsSeeEveryReplacementOfTheFile)
{
    // Replacements of one size, back to back and without fsync, as a quick writer elsewhere
    // makes them: where file times are coarse, only the pinned inode tells them apart.
    for (int i = 0; i < 50; ++i) {
        const std::string value = std::to_string(1000 + i);
        m_root.writeFile(path() + ".new", "[S]\r\nk=" + value + "\r\n");
        fs::rename(path() + ".new", path());
        ASSERT_EQ(get("S", "k"), value);
    }
    fs::remove(path());
    EXPECT_EQ(get("S", "k", "gone"), "gone");
}

} // namespace

// Keys appended before a section's trailing blank lines, and after a key that appears twice,
// are found again by later writes and reads: the key index follows every insertion.
TEST_F(ProfileTest, AppendedKeysAreFoundByLaterWritesAndReads)
{
    give("[A]\r\nx=1\r\nX=shadowed\r\n\r\n\r\n[B]\r\ny=2\r\n");
    for (int i = 0; i < 50; ++i)
        ASSERT_TRUE(WritePrivateProfileString("A", ("k" + std::to_string(i)).c_str(), "v", file));
    ASSERT_TRUE(WritePrivateProfileString("a", "K7", "seven", file));
    ASSERT_TRUE(WritePrivateProfileString("A", "x", "one", file));
    EXPECT_EQ(get("A", "k7"), "seven");
    EXPECT_EQ(get("A", "k49"), "v");
    std::string expected = "[A]\r\nx=one\r\nX=shadowed\r\n";
    for (int i = 0; i < 50; ++i)
        expected += "k" + std::to_string(i) + "=" + (i == 7 ? "seven" : "v") + "\r\n";
    EXPECT_EQ(content(), expected + "\r\n\r\n[B]\r\ny=2\r\n");
}
