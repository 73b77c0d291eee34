// A temporary root set up as the monitor leaves it before it starts the chooser: Varnel.ini
// naming C:\ZORVALINE, VComDef.ini with the database path and the job's facts, and a
// database written by the manager's writer. run() starts the built chooser and waits.
#pragma once

#include "manager/database/DatabaseWriter.h"
#include "platform/profile/profile.h"
#include "tests/support/TempRoot.h"
#include "tests/support/UiJournal.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace choosertest {

inline const char *const kVComDef = "C:\\ZORVALINE\\VComDef.ini";
inline const char *const kVTemp = "C:\\ZORVALINE\\VTemp.ini";
inline const char *const kDatabase = "C:\\ZORVALINE\\Sendaro.Cfg";

struct ChooserRun {
    int exitCode = -1;
    std::string output; // standard output and standard error
};

struct PrinterFacts {
    std::string name;
    std::string email;
    bool limit = false;
    int sizeInKb = 0;
    bool header = false;
    bool trailer = false;
    std::string password = {};
    std::string recipient = {};
    std::string location = {};
};

class ChooserTest : public ::testing::Test {
protected:
    ChooserTest()
    {
        root.writeFile(root.driveC("WINDOWS/SYSTEM/Varnel.ini"), "[Install]\r\nDirectory=C:\\ZORVALINE\r\n");
        std::filesystem::create_directories(root.driveC("ZORVALINE"));
        setValue("DefaultSetup", "Database", kDatabase);
        setValue("IntranetSetup", "SmtpServer", "127.0.0.1");
        setValue("PrintJob", "FileName", "report.ps");
    }

    static void setValue(const char *section, const char *key, const std::string &value, const char *file = kVComDef)
    {
        ASSERT_TRUE(WritePrivateProfileString(section, key, value.c_str(), file));
    }

    static std::string value(const std::string &section, const char *key, const char *file = kVComDef)
    {
        char buffer[16384] = {};
        GetPrivateProfileString(section.c_str(), key, "<absent>", buffer, sizeof buffer, file);
        return buffer;
    }

    void addPrinter(const PrinterFacts &facts)
    {
        auto printer = std::make_unique<PrinterRecord>();
        printer->PrinterName = facts.name;
        printer->PrinterDriver = "Laser H7";
        printer->PrinterEmail = facts.email;
        printer->PrinterPassword = facts.password;
        printer->DefaultRecipient = facts.recipient;
        printer->RecipientLocation = facts.location;
        printer->LimitPacketSize = facts.limit;
        printer->MaxPacketSizeInKb = facts.sizeInKb;
        printer->HeaderPage = facts.header;
        printer->TrailerPage = facts.trailer;
        printers.push_back(std::move(printer));
    }

    void addGroup(const std::string &name, std::initializer_list<std::string> subGroups,
                  std::initializer_list<std::string> members)
    {
        auto group = std::make_unique<GroupRecord>();
        group->MainGroupName = name;
        group->SubGroups = subGroups;
        group->Printers = members;
        groups.push_back(std::move(group));
    }

    // Writes the database as the manager saves it.
    void saveDatabase(const std::string &defaultItem = "", const std::string &itemType = "")
    {
        zordb::FileProfileSink sink(kDatabase);
        zordb::WriteDatabase(sink, {"Groups", "Printers", defaultItem, itemType}, groups, printers);
    }

    ChooserRun run(const std::string &jobPrinter)
    {
        setValue("PrintJob", "PrinterName", jobPrinter);
        return runProgram();
    }

    static ChooserRun runProgram()
    {
        ChooserRun result;
        int pipeEnds[2];
        if (pipe(pipeEnds) != 0)
            return result;
        const pid_t child = fork();
        if (child == 0) {
            dup2(pipeEnds[1], STDOUT_FILENO);
            dup2(pipeEnds[1], STDERR_FILENO);
            close(pipeEnds[0]);
            close(pipeEnds[1]);
            const std::string program = std::string(ZORVALINE_BIN_DIR) + "/selvra";
            execl(program.c_str(), program.c_str(), static_cast<char *>(nullptr));
            _exit(127);
        }
        close(pipeEnds[1]);
        char chunk[4096];
        for (ssize_t got; (got = read(pipeEnds[0], chunk, sizeof chunk)) > 0;)
            result.output.append(chunk, static_cast<size_t>(got));
        close(pipeEnds[0]);
        int status = 0;
        if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status))
            result.exitCode = WEXITSTATUS(status);
        return result;
    }

    std::string addresses() const { return value("Destination", "Address", kVTemp); }
    std::string app() const { return value("Selvra", "App"); }

    zortest::TempRoot root;
    zortest::UiJournal journal{root.path() + "/ui.log"};
    GroupList groups;
    PrinterList printers;
};

} // namespace choosertest
