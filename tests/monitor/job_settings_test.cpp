#include "monitor/JobSettings.h"

#include "tests/monitor/SettingsRoot.h"

#include <gtest/gtest.h>

using namespace zormon;

TEST(JobSettings, PathsFollowTheInstallDirectoryAsStoredAndReadFresh)
{
    zortest::SettingsRoot root;
    EXPECT_EQ(InstallDirectory(), "C:\\ZORVALINE");
    EXPECT_EQ(VComDefPath(), "C:\\ZORVALINE\\VComDef.ini");
    EXPECT_EQ(VTempPath(), "C:\\ZORVALINE\\VTemp.ini");
    EXPECT_EQ(ChooserPath(), "C:\\ZORVALINE\\Selvra.exe");
    EXPECT_EQ(BannerTemplatePath(), "C:\\ZORVALINE\\banner01.ps");

    // Changed between two paths: the next one already uses the new value; no separator is
    // added or removed.
    root.writeVarnel("[Install]\r\nDirectory=D:\\Other\\\r\n");
    EXPECT_EQ(InstallPath("Varnel.tmp"), "D:\\Other\\\\Varnel.tmp");

    // Without a directory every file is looked for at the root of the current drive.
    root.writeVarnel("[Other]\r\nx=1\r\n");
    EXPECT_EQ(VComDefPath(), "\\VComDef.ini");
    root.writeFile(root.driveC("VComDef.ini"), "[IntranetSetup]\r\nSmtpServer=at-the-root\r\n");
    EXPECT_EQ(SmtpServer(), "at-the-root");
}

TEST(JobSettings, DefaultsWhenNothingIsSet)
{
    zortest::SettingsRoot root;
    const char *address = "lp@printers.example";
    EXPECT_EQ(SmtpServer(), "");
    EXPECT_EQ(SenderEmail(), "");
    EXPECT_EQ(DatabasePath(), "");
    EXPECT_FALSE(ChooserConfirmed());
    EXPECT_EQ(DestinationAddresses(), "");
    EXPECT_EQ(StatusRequired(), "0");
    EXPECT_EQ(Split(address), "0");
    EXPECT_FALSE(HeaderWanted(address));
    EXPECT_FALSE(TrailerWanted(address));
    EXPECT_EQ(Password(address), "");
    EXPECT_EQ(Subject(address), "");
    EXPECT_EQ(Recipient(address), "");
    EXPECT_EQ(RcptLocation(address), " ");
}

TEST(JobSettings, ValuesAreCutToTheirBuffers)
{
    zortest::SettingsRoot root;
    const std::string longValue(200, 'v');
    const std::string addresses(12000, 'a');
    root.writeVComDef("[IntranetSetup]\r\nSmtpServer=" + longValue + "\r\n[lp@x]\r\nRecipient=" + longValue
                      + "\r\nPassword=" + longValue + "\r\n");
    root.writeVTemp("[Destination]\r\nAddress=" + addresses + "\r\n");
    EXPECT_EQ(SmtpServer(), longValue.substr(0, kShortValueLength - 1));
    EXPECT_EQ(Password("lp@x"), longValue.substr(0, kShortValueLength - 1));
    EXPECT_EQ(Recipient("lp@x"), longValue.substr(0, kLongValueLength - 1));
    EXPECT_EQ(DestinationAddresses(), addresses.substr(0, kAddressListLength - 1));
}

TEST(JobSettings, SubjectFallsBackAndSwitchesAreTrueInAnyCase)
{
    zortest::SettingsRoot root;
    root.writeVComDef("[HeaderFooter]\r\nSubject=Default subject\r\n"
                      "[own@x]\r\nSubject=Own subject\r\nHeader=true\r\nTrailer=TRUE \r\n"
                      "[other@x]\r\nSubject=\r\nHeader=yes\r\nTrailer=TrUe\r\n");
    EXPECT_EQ(Subject("own@x"), "Own subject");
    EXPECT_EQ(Subject("OTHER@X"), "Default subject");
    EXPECT_TRUE(HeaderWanted("own@x"));
    EXPECT_FALSE(HeaderWanted("other@x"));
    EXPECT_TRUE(TrailerWanted("other@x"));
    EXPECT_FALSE(IsTrue("TRUE "));
    EXPECT_FALSE(IsTrue("TRU"));
    EXPECT_FALSE(IsTrue(""));
}

TEST(JobSettings, WritesOfTheJob)
{
    zortest::SettingsRoot root;
    root.writeVComDef("[lp@x]\r\nSplit=20\r\nPassword=secret\r\nNotes=call me\r\nSubject=once\r\n"
                      "[keep@x]\r\nPassword=kept\r\n");
    ASSERT_TRUE(ClearOneShotKeys("lp@x"));
    const std::string vcomdef = zortest::TempRoot::readFile(root.install("VComDef.ini"));
    EXPECT_NE(vcomdef.find("Password=\r\n"), std::string::npos) << vcomdef;
    EXPECT_NE(vcomdef.find("Notes=\r\n"), std::string::npos) << vcomdef;
    EXPECT_NE(vcomdef.find("Subject=\r\n"), std::string::npos) << vcomdef;
    EXPECT_EQ(Split("lp@x"), "20");
    EXPECT_EQ(Password("keep@x"), "kept");

    ASSERT_TRUE(WritePrintJob({"Sales", "report.ps", "jdoe", "WS7", "12/08/26", "08:15:02"}));
    EXPECT_EQ(JobUserName(), "jdoe");
    EXPECT_EQ(JobComputerName(), "WS7");

    root.writeVTemp("[Destination]\r\nAddress=a@x,b@x\r\n");
    ASSERT_TRUE(WriteSpoolFilePath("C:\\ZORVALINE\\Varnel.3"));
    ASSERT_TRUE(ClearDestinationAddresses());
    EXPECT_EQ(DestinationAddresses(), "");
    EXPECT_EQ(zortest::TempRoot::readFile(root.install("VTemp.ini")),
              "[Destination]\r\nAddress=\r\nFile=C:\\ZORVALINE\\Varnel.3\r\n");
}
