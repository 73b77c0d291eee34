// A Windows root whose communication setup points at a real SMTP server on loopback
// (tests/support/recording_smtp_server.py) started by the test with the options it needs,
// certificates of a test CA, and the mails the server stored.
#pragma once

#include "monitor/JobSettings.h"
#include "monitor/SmtpClient.h"
#include "platform/base/handles.h"
#include "platform/files/files.h"
#include "platform/profile/profile.h"
#include "platform/sockets/sockets.h"
#include "tests/e2e/ProgramRun.h"
#include "tests/support/TempRoot.h"
#include "tests/support/TestCertificates.h"
#include "tests/support/UiJournal.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace zortest {

constexpr const char *kSender = "printing@example.test";
constexpr const char *kPrinterAddress = "laser7@printers.example.test";
constexpr const char *kUser = "office";
constexpr const char *kPassword = "p4ss:w0rd!";

// One stored mail and how it came.
struct StoredMail {
    std::string text;
    int connection = 0;
    bool tls = false;
    bool extended = false;
    std::string user; // "" when no login
    std::string mailFrom;
    std::vector<std::string> rcptTos;
};

class SubmissionFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_certificates = new TestCertificates; }
    static void TearDownTestSuite()
    {
        delete s_certificates;
        s_certificates = nullptr;
    }

    void SetUp() override
    {
        ASSERT_TRUE(s_certificates->made()) << "the openssl command could not make the test certificates";
        setenv("ZORVALINE_SMTP_TIMEOUT_S", "5", 1);
        root.writeFile(root.driveC("WINDOWS/SYSTEM/Varnel.ini"), "[Install]\r\nDirectory=C:\\ZORVALINE\r\n");
        root.writeFile(root.driveC("ZORVALINE/VComDef.ini"),
                       std::string("[IntranetSetup]\r\nSmtpServer=localhost\r\nSenderEmail=") + kSender +
                           "\r\n[HeaderFooter]\r\nSubject=Quarterly report\r\nStatusRequired=0\r\n");
        zorplat::winsock::WSADATA data{};
        ASSERT_EQ(zorplat::winsock::WSAStartup(zorplat::winsock::MAKEWORD(1, 1), &data), 0);
    }

    void TearDown() override
    {
        zorplat::winsock::WSACleanup();
        unsetenv("ZORVALINE_SMTP_TIMEOUT_S");
    }

    static const TestCertificates &certificates() { return *s_certificates; }

    // Starts the server with these options (and the localhost certificate when one of the
    // TLS options is given) and sets SmtpPort to its port.
    void startServer(std::vector<std::string> options, const std::string &certificate = "",
                     const std::string &key = "")
    {
        std::vector<std::string> arguments{"/usr/bin/python3",
                                           std::string(ZORVALINE_SOURCE_DIR) + "/tests/support/recording_smtp_server.py",
                                           mailFolder()};
        for (const std::string &option : options)
            arguments.push_back(option);
        for (const std::string &option : options)
            if (option == "--starttls" || option == "--implicit-tls") {
                arguments.insert(arguments.end(),
                                 {"--cert", certificate.empty() ? certificates().serverCertificate() : certificate,
                                  "--key", key.empty() ? certificates().serverKey() : key});
                break;
            }
        server = std::make_unique<ServerProcess>(arguments);
        ASSERT_NE(server->port(), 0) << "the test SMTP server did not start";
        setSetting("SmtpPort", std::to_string(server->port()));
    }

    static void setSetting(const char *key, const std::string &value)
    {
        ASSERT_TRUE(WritePrivateProfileString("IntranetSetup", key, value.c_str(), zormon::VComDefPath().c_str()));
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

    zormon::SmtpResult sendWhole(const std::string &encoded, zormon::SmtpReport *report = nullptr)
    {
        HANDLE file = openEncoded(encoded);
        zormon::SmtpResult result =
            zormon::SendWholeMessage(file, kPrinterAddress, encoded.size(), "G4242", nullptr, report);
        CloseHandle(file);
        return result;
    }

    std::string mailFolder() const { return root.path() + "/mail"; }

    // The stored mails in the order they arrived.
    std::vector<StoredMail> mails() const
    {
        std::vector<StoredMail> stored;
        for (int number = 1;; ++number) {
            char name[16];
            std::snprintf(name, sizeof name, "/%04d", number);
            const std::string base = mailFolder() + name;
            if (!std::filesystem::exists(base + ".json"))
                return stored;
            StoredMail mail;
            mail.text = TempRoot::readFile(base + ".eml");
            const nlohmann::json facts = nlohmann::json::parse(TempRoot::readFile(base + ".json"));
            mail.connection = facts.at("connection").get<int>();
            mail.tls = facts.at("tls").get<bool>();
            mail.extended = facts.at("extended").get<bool>();
            mail.user = facts.at("user").is_null() ? "" : facts.at("user").get<std::string>();
            mail.mailFrom = facts.at("mail_from").get<std::string>();
            mail.rcptTos = facts.at("rcpt_tos").get<std::vector<std::string>>();
            stored.push_back(mail);
        }
    }

    // (caption, text) of every message box shown so far.
    std::vector<std::pair<std::string, std::string>> messageBoxes() const
    {
        std::vector<std::pair<std::string, std::string>> boxes;
        for (UiEvent &event : journal.events("messagebox"))
            boxes.emplace_back(event["caption"], event["text"]);
        return boxes;
    }

    TempRoot root;
    UiJournal journal{root.path() + "/ui.log"};
    std::unique_ptr<ServerProcess> server;

private:
    static inline TestCertificates *s_certificates = nullptr;
};

} // namespace zortest
