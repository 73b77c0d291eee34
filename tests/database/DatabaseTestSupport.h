// Shared set-up of the database tests: a temporary root whose Varnel.ini names
// C:\ZORVALINE as the installation directory, fixtures copied into it, and records built
// in a line.
#pragma once

#include "manager/database/CChooserDoc.h"
#include "tests/support/TempRoot.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <string>

namespace dbtest {

inline const char *const kDatabasePath = "C:\\ZORVALINE\\Sendaro.Cfg";

class DatabaseTest : public ::testing::Test {
protected:
    DatabaseTest()
    {
        root.writeFile(root.driveC("WINDOWS/SYSTEM/Varnel.ini"), "[Install]\r\nDirectory=C:\\ZORVALINE\r\n");
        std::filesystem::create_directories(root.driveC("ZORVALINE"));
    }

    std::string databaseFile() const { return root.driveC("ZORVALINE/Sendaro.Cfg"); }

    static std::string fixture(const std::string &name)
    {
        return zortest::TempRoot::readFile(std::string(ZORVALINE_SOURCE_DIR) + "/tests/data/database/" + name);
    }

    // Copies fixture `name` to `relative` under drive C:.
    void installFixture(const std::string &name, const std::string &relative = "ZORVALINE/Sendaro.Cfg")
    {
        const std::string content = fixture(name);
        ASSERT_FALSE(content.empty()) << "missing fixture " << name;
        root.writeFile(root.driveC(relative), content);
    }

    zortest::TempRoot root;
};

inline PrinterRecord &AddPrinter(CChooserDoc &doc, const std::string &name, const std::string &driver = "Driver H7")
{
    auto printer = std::make_unique<PrinterRecord>();
    printer->PrinterName = name;
    printer->PrinterDriver = driver;
    printer->PrinterEmail = name + "@print.example";
    doc.Printers().push_back(std::move(printer));
    return *doc.Printers().back();
}

inline GroupRecord &AddGroup(CChooserDoc &doc, const std::string &name,
                             std::initializer_list<std::string> subGroups,
                             std::initializer_list<std::string> printers)
{
    auto group = std::make_unique<GroupRecord>();
    group->MainGroupName = name;
    group->SubGroups = subGroups;
    group->Printers = printers;
    doc.Groups().push_back(std::move(group));
    return *doc.Groups().back();
}

} // namespace dbtest
