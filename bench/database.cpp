// Time to load and to save a destination database of 150 printers and 50 groups (the
// largest the manager offers to hold), through the document as the manager uses it.
// Runs in a temporary root of its own, removed at the end.
#include "manager/database/CChooserDoc.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr const char *kDatabase = "C:\\ZORVALINE\\Sendaro.Cfg";
constexpr int kRounds = 50;

void fill(CChooserDoc &doc)
{
    for (int i = 0; i < 150; ++i) {
        auto printer = std::make_unique<PrinterRecord>();
        printer->PrinterName = "Printer " + std::to_string(i) + " of the building";
        printer->PrinterDriver = "Laser H7 PostScript";
        printer->PrinterDescription = "A printer on floor " + std::to_string(i % 9);
        printer->PrinterEmail = "printer" + std::to_string(i) + "@print.example.com";
        printer->PrinterPassword = "secret" + std::to_string(i);
        printer->DefaultRecipient = "Recipient " + std::to_string(i);
        printer->RecipientLocation = "Room " + std::to_string(100 + i);
        printer->LimitPacketSize = i % 2 == 0;
        printer->MaxPacketSizeInKb = 2 + i % 99;
        printer->HeaderPage = i % 3 == 0;
        doc.Printers().push_back(std::move(printer));
    }
    for (int i = 0; i < 50; ++i) {
        auto group = std::make_unique<GroupRecord>();
        group->MainGroupName = "Group " + std::to_string(i) + " of printers";
        group->GroupDescription = "Group number " + std::to_string(i);
        group->GroupDriver = "Laser H7 PostScript";
        for (int member = 0; member < 7; ++member)
            group->Printers.push_back(doc.Printers()[(i * 3 + member) % 150]->PrinterName);
        if (i > 0)
            group->SubGroups.push_back("Group " + std::to_string(i - 1) + " of printers");
        doc.Groups().push_back(std::move(group));
    }
}

double milliseconds(std::chrono::steady_clock::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

void report(const char *what, std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    std::printf("%-44s median %7.3f ms   min %7.3f ms   max %7.3f ms\n", what, times[times.size() / 2],
                times.front(), times.back());
}

} // namespace

int main()
{
    std::string root = (std::filesystem::temp_directory_path() / "zorvaline-bench-XXXXXX").string();
    if (!mkdtemp(root.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    setenv("ZORVALINE_ROOT", root.c_str(), 1);
    std::filesystem::create_directories(root + "/drive_c/ZORVALINE");

    CChooserDoc writer;
    fill(writer);
    writer.SetPathName(kDatabase);
    writer.OnSaveDocument(kDatabase);

    std::vector<double> saves;
    std::vector<double> loads;
    for (int round = 0; round < kRounds; ++round) {
        writer.Printers()[round % 150]->PrinterDescription = "changed in round " + std::to_string(round);
        auto start = std::chrono::steady_clock::now();
        if (!writer.OnSaveDocument(kDatabase)) {
            std::fprintf(stderr, "save failed\n");
            return 1;
        }
        saves.push_back(milliseconds(std::chrono::steady_clock::now() - start));

        // What start-up does with the file: check it, then load it (the file has just
        // changed, so nothing is served from an earlier parse).
        CChooserDoc reader;
        CDatabaseReader check;
        start = std::chrono::steady_clock::now();
        if (!check.CheckDatabaseFile(kDatabase) || !reader.OnOpenDocument(kDatabase) ||
            reader.Printers().size() != 150 || reader.Groups().size() != 50) {
            std::fprintf(stderr, "load failed\n");
            return 1;
        }
        loads.push_back(milliseconds(std::chrono::steady_clock::now() - start));
    }
    std::printf("database of 150 printers and 50 groups, %ju bytes, %d rounds\n",
                static_cast<std::uintmax_t>(std::filesystem::file_size(root + "/drive_c/ZORVALINE/Sendaro.Cfg")),
                kRounds);
    report("load (check, index, records)", loads);
    report("save (one atomic replacement)", saves);
    std::filesystem::remove_all(root);
    return 0;
}
