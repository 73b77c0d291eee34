// Time to load and to save a destination database through the document as the manager uses
// it: 150 printers and 50 groups (the largest the manager offers to hold), then 10 and 20
// times that, to show how the time grows with the size (the ratio to the smallest is
// printed; a save that grows linearly is about 10x and 20x). Runs in a temporary root of its
// own, removed at the end.
#include "manager/database/CChooserDoc.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr const char *kDatabase = "C:\\ZORVALINE\\Sendaro.Cfg";
struct Size {
    int printers;
    int groups;
    int rounds;
};
constexpr Size kSizes[] = {{150, 50, 50}, {1500, 500, 10}, {3000, 1000, 5}};

void fill(CChooserDoc &doc, int printers, int groups)
{
    for (int i = 0; i < printers; ++i) {
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
    for (int i = 0; i < groups; ++i) {
        auto group = std::make_unique<GroupRecord>();
        group->MainGroupName = "Group " + std::to_string(i) + " of printers";
        group->GroupDescription = "Group number " + std::to_string(i);
        group->GroupDriver = "Laser H7 PostScript";
        for (int member = 0; member < 7; ++member)
            group->Printers.push_back(doc.Printers()[(i * 3 + member) % printers]->PrinterName);
        if (i > 0)
            group->SubGroups.push_back("Group " + std::to_string(i - 1) + " of printers");
        doc.Groups().push_back(std::move(group));
    }
}

double milliseconds(std::chrono::steady_clock::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

// Prints the figures and returns the median.
double report(const char *what, std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    std::printf("  %-42s median %8.3f ms   min %8.3f ms   max %8.3f ms\n", what, times[times.size() / 2],
                times.front(), times.back());
    return times[times.size() / 2];
}

struct Medians {
    double load = 0;
    double save = 0;
};

// Saves and loads a database of the given size `size.rounds` times; nullopt on a failure.
std::optional<Medians> measure(const std::string &root, const Size &size)
{
    CChooserDoc writer;
    fill(writer, size.printers, size.groups);
    writer.SetPathName(kDatabase);
    writer.OnSaveDocument(kDatabase);

    std::vector<double> saves;
    std::vector<double> loads;
    for (int round = 0; round < size.rounds; ++round) {
        writer.Printers()[round % size.printers]->PrinterDescription = "changed in round " + std::to_string(round);
        auto start = std::chrono::steady_clock::now();
        if (!writer.OnSaveDocument(kDatabase)) {
            std::fprintf(stderr, "save failed\n");
            return std::nullopt;
        }
        saves.push_back(milliseconds(std::chrono::steady_clock::now() - start));

        // What start-up does with the file: check it, then load it (the file has just
        // changed, so nothing is served from an earlier parse).
        CChooserDoc reader;
        CDatabaseReader check;
        start = std::chrono::steady_clock::now();
        if (!check.CheckDatabaseFile(kDatabase) || !reader.OnOpenDocument(kDatabase) ||
            reader.Printers().size() != static_cast<size_t>(size.printers) ||
            reader.Groups().size() != static_cast<size_t>(size.groups)) {
            std::fprintf(stderr, "load failed\n");
            return std::nullopt;
        }
        loads.push_back(milliseconds(std::chrono::steady_clock::now() - start));
    }
    std::printf("database of %d printers and %d groups, %ju bytes, %d rounds\n", size.printers, size.groups,
                static_cast<std::uintmax_t>(std::filesystem::file_size(root + "/drive_c/ZORVALINE/Sendaro.Cfg")),
                size.rounds);
    Medians medians;
    medians.load = report("load (check, index, records)", loads);
    medians.save = report("save (one atomic replacement)", saves);
    return medians;
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

    std::optional<Medians> smallest;
    for (const Size &size : kSizes) {
        const auto medians = measure(root, size);
        if (!medians) {
            std::filesystem::remove_all(root);
            return 1;
        }
        if (!smallest)
            smallest = medians;
        else
            std::printf("  ratio to %d/%d: load %.1fx, save %.1fx (%.0fx the records)\n", kSizes[0].printers,
                        kSizes[0].groups, medians->load / smallest->load, medians->save / smallest->save,
                        double(size.printers) / kSizes[0].printers);
    }
    std::filesystem::remove_all(root);
    return 0;
}
