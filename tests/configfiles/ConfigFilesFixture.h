// Shared set-up of the configuration-file tests: a temporary root with an installation
// directory, documents filled in a line, configuration files written from text, and an
// import host that records what the import asked of it.
#pragma once

#include "manager/database/CChooserDoc.h"
#include "manager/database/ImportHost.h"
#include "platform/base/windef.h"
#include "tests/support/TempRoot.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

namespace configtest {

// Lines joined with CR LF, each ended by one, as the profile functions write them.
inline std::string CrLf(std::initializer_list<std::string> lines)
{
    std::string text;
    for (const std::string &line : lines)
        text += line + "\r\n";
    return text;
}

inline std::string Fixture(const std::string &name)
{
    return zortest::TempRoot::readFile(std::string(ZORVALINE_SOURCE_DIR) + "/tests/data/configfiles/" + name);
}

// Creates Windows printers as the spooler would, except for drivers it was told are not
// installed (error 1797) or for names it was told to fail otherwise (error 5).
class RecordingHost : public ImportHost {
public:
    int AddWindowsPrinter(const std::string &driver, const std::string &name) override
    {
        created.push_back(name);
        if (missingDrivers.count(driver)) {
            lastError = 1797;
            return 0;
        }
        if (failingNames.count(name)) {
            lastError = 5;
            return 0;
        }
        return 1;
    }
    DWORD LastSpoolerError() const override { return lastError; }
    void ShowMessage(const std::string &text) override { messages.push_back(text); }
    void ShowImportErrors(const std::vector<ImportErrorItem> &errors) override
    {
        ++errorListsShown;
        shownErrors = errors;
    }

    std::set<std::string> missingDrivers;
    std::set<std::string> failingNames;
    std::vector<std::string> created; // every name a Windows printer was asked for
    std::vector<std::string> messages;
    std::vector<ImportErrorItem> shownErrors;
    int errorListsShown = 0;
    DWORD lastError = 0;
};

class ConfigFilesTest : public ::testing::Test {
protected:
    ConfigFilesTest()
    {
        root.writeFile(root.driveC("WINDOWS/SYSTEM/Varnel.ini"), "[Install]\r\nDirectory=C:\\ZORVALINE\r\n");
        std::filesystem::create_directories(root.driveC("ZORVALINE"));
    }

    // A file in the root's temporary folder, written with `content`; its Linux path.
    std::string file(const std::string &name, const std::string &content) const
    {
        const std::string path = root.path() + "/files/" + name;
        root.writeFile(path, content);
        return path;
    }
    std::string path(const std::string &name) const { return root.path() + "/files/" + name; }
    static std::string read(const std::string &path) { return zortest::TempRoot::readFile(path); }

    PrinterRecord &addPrinter(CChooserDoc &doc, const std::string &name, const std::string &driver = "Laser H7")
    {
        auto printer = std::make_unique<PrinterRecord>();
        printer->PrinterName = name;
        printer->PrinterDriver = driver;
        printer->PrinterEmail = "p" + std::to_string(doc.Printers().size()) + "@print.example";
        printer->PrinterDescription = "Printer " + name;
        printer->MaxPacketSizeInKb = 100;
        doc.Printers().push_back(std::move(printer));
        return *doc.Printers().back();
    }

    GroupRecord &addGroup(CChooserDoc &doc, const std::string &name, std::initializer_list<std::string> subGroups = {},
                          std::initializer_list<std::string> printers = {}, const std::string &driver = "")
    {
        auto group = std::make_unique<GroupRecord>();
        group->MainGroupName = name;
        group->SubGroups = subGroups;
        group->Printers = printers;
        group->GroupDriver = driver;
        doc.Groups().push_back(std::move(group));
        return *doc.Groups().back();
    }

    // A database of `printers` printers and `groups` groups: groups 0 to 9 each hold the
    // next group as a sub-group, every group lists up to 3 printers; group drivers follow
    // their first member.
    void fillDatabase(CChooserDoc &doc, int printers, int groups)
    {
        for (int i = 0; i < printers; ++i) {
            PrinterRecord &printer = addPrinter(doc, "Printer " + std::to_string(i), i % 2 ? "Laser H7" : "Inkjet J8");
            printer.LimitPacketSize = i % 3 == 0;
            printer.HeaderPage = i % 2 == 0;
            printer.PrinterPassword = i % 5 == 0 ? "secret" + std::to_string(i) : "";
        }
        for (int g = 0; g < groups; ++g) {
            GroupRecord &group = addGroup(doc, "Group " + std::to_string(g));
            group.GroupDescription = "Group number " + std::to_string(g);
            if (g < 10 && g + 1 < groups)
                group.SubGroups.push_back("Group " + std::to_string(g + 1));
            for (int k = 0; k < 3 && printers > 0; ++k)
                group.Printers.push_back("Printer " + std::to_string((g * 3 + k) % printers));
            if (!group.Printers.empty())
                group.GroupDriver = doc.FindPrinter(group.Printers.front())->PrinterDriver;
        }
        doc.LinkContainingGroups();
    }

    // Names of the document's records, groups then printers.
    static std::vector<std::string> names(CChooserDoc &doc)
    {
        std::vector<std::string> all;
        for (const auto &group : doc.Groups())
            all.push_back(group->MainGroupName);
        for (const auto &printer : doc.Printers())
            all.push_back(printer->PrinterName);
        return all;
    }

    zortest::TempRoot root;
};

} // namespace configtest
