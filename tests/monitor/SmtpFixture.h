// A Windows root whose communication setup points at a scripted SMTP server on loopback,
// with Windows Sockets started, the UI journal recorded and every reply awaited 1 s at most.
#pragma once

#include "monitor/JobSettings.h"
#include "monitor/SmtpClient.h"
#include "platform/files/files.h"
#include "platform/base/handles.h"
#include "platform/profile/profile.h"
#include "platform/sockets/sockets.h"
#include "tests/support/ScriptedSmtpServer.h"
#include "tests/support/TempRoot.h"
#include "tests/support/UiJournal.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace zortest {

constexpr const char *kSender = "printing@example.test";
constexpr const char *kPrinterAddress = "laser7@printers.example.test";
constexpr const char *kMonitorCaption = "Zorvaline Internet Port Monitor";

class SmtpFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("ZORVALINE_SMTP_TIMEOUT_S", "1", 1);
        WriteSmtpServicesFile(root, server.port());
        root.writeFile(root.driveC("WINDOWS/SYSTEM/Varnel.ini"), "[Install]\r\nDirectory=C:\\ZORVALINE\r\n");
        root.writeFile(root.driveC("ZORVALINE/VComDef.ini"),
                       std::string("[IntranetSetup]\r\nSmtpServer=127.0.0.1\r\nSenderEmail=") + kSender +
                           "\r\n[HeaderFooter]\r\nSubject=Quarterly report\r\nStatusRequired=0\r\n");
        zorplat::winsock::WSADATA data{};
        ASSERT_EQ(zorplat::winsock::WSAStartup(zorplat::winsock::MAKEWORD(1, 1), &data), 0);
    }

    void TearDown() override
    {
        zorplat::winsock::WSACleanup();
        unsetenv("ZORVALINE_SMTP_TIMEOUT_S");
    }

    static void setSetting(const char *section, const char *key, const std::string &value)
    {
        ASSERT_TRUE(WritePrivateProfileString(section, key, value.c_str(), zormon::VComDefPath().c_str()));
    }

    // The encoded job, opened for reading from its start.
    HANDLE openEncoded(const std::string &content)
    {
        root.writeFile(root.driveC("ZORVALINE/Varnel.cod"), content);
        HANDLE file = CreateFile("C:\\ZORVALINE\\Varnel.cod", GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE);
        return file;
    }

    zormon::SmtpResult sendWhole(const std::string &encoded)
    {
        HANDLE file = openEncoded(encoded);
        zormon::SmtpResult result =
            zormon::SendWholeMessage(file, kPrinterAddress, encoded.size(), "G4242", nullptr);
        CloseHandle(file);
        return result;
    }

    // (caption, text) of every message box shown so far.
    std::vector<std::pair<std::string, std::string>> messageBoxes() const
    {
        std::vector<std::pair<std::string, std::string>> boxes;
        for (UiEvent &event : journal.events("messagebox"))
            boxes.emplace_back(event["caption"], event["text"]);
        return boxes;
    }

    // The body of a mail: what follows the empty line that ends its header block.
    static std::string bodyOf(const std::string &mail)
    {
        size_t end = mail.find("\r\n\r\n");
        return end == std::string::npos ? std::string() : mail.substr(end + 4);
    }

    TempRoot root;
    UiJournal journal{root.path() + "/ui.log"};
    ScriptedSmtpServer server;
};

} // namespace zortest
