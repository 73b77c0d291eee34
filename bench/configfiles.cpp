// Configuration files on a full database of 150 printers and 50 groups: the export, and the
// import into a fresh root with the 200 Windows printers it creates (150 printers, 50
// groups with members) and the save; in this process and through `sendaro --import` /
// `sendaro --export` as a script would run them.
#include "manager/database/CChooserDoc.h"
#include "manager/database/ImportHost.h"
#include "manager/shell/SpoolerPrinters.h"
#include "platform/base/lasterror.h"
#include "platform/spooler/spooler.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

constexpr const char *kDriver = "Bench Laser H7";
const std::string kBin = ZORVALINE_BIN_DIR;

// A fresh root set up by zorvaline, with the benchmark's driver installed.
bool freshRoot(const std::string &root)
{
    std::filesystem::remove_all(root);
    setenv("ZORVALINE_ROOT", root.c_str(), 1);
    if (std::system((kBin + "/zorvaline setup >/dev/null").c_str()) != 0)
        return false;
    std::ofstream(root + "/drive_c/WINDOWS/SYSTEM/BENCH.DRV") << "driver";
    DRIVER_INFO_2A driver{};
    driver.pName = const_cast<LPSTR>(kDriver);
    driver.pDriverPath = driver.pDataFile = driver.pConfigFile = const_cast<LPSTR>("BENCH.DRV");
    return AddPrinterDriver(nullptr, 2, reinterpret_cast<LPBYTE>(&driver));
}

// 150 printers; 50 groups of 3 printers, every fifth group holding the next group too.
void fill(CChooserDoc &doc)
{
    for (int i = 0; i < 150; ++i) {
        auto printer = std::make_unique<PrinterRecord>();
        printer->PrinterName = "Printer " + std::to_string(i);
        printer->PrinterDriver = kDriver;
        printer->PrinterEmail = "printer" + std::to_string(i) + "@bench.example";
        printer->PrinterDescription = "A printer of the benchmark";
        printer->MaxPacketSizeInKb = 64;
        doc.Printers().push_back(std::move(printer));
    }
    for (int g = 0; g < 50; ++g) {
        auto group = std::make_unique<GroupRecord>();
        group->MainGroupName = "Group " + std::to_string(g);
        group->GroupDescription = "A group of the benchmark";
        group->GroupDriver = kDriver;
        for (int k = 0; k < 3; ++k)
            group->Printers.push_back("Printer " + std::to_string(g * 3 + k));
        if (g % 5 == 0 && g + 1 < 50)
            group->SubGroups.push_back("Group " + std::to_string(g + 1));
        doc.Groups().push_back(std::move(group));
    }
    doc.LinkContainingGroups();
}

class SpoolerHost : public ImportHost {
public:
    int AddWindowsPrinter(const std::string &driver, const std::string &name) override
    {
        HANDLE printer = sendaro::CreateDestinationPrinter(driver, name);
        if (!printer) {
            m_error = GetLastError();
            return 0;
        }
        ClosePrinter(printer);
        ++created;
        return 1;
    }
    DWORD LastSpoolerError() const override { return m_error; }
    void ShowMessage(const std::string &text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
    void ShowImportErrors(const std::vector<ImportErrorItem> &errors) override { refused = errors.size(); }

    int created = 0;
    std::size_t refused = 0;

private:
    DWORD m_error = 0;
};

int countPrinters()
{
    DWORD needed = 0, count = 0;
    EnumPrinters(PRINTER_ENUM_LOCAL, nullptr, 4, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed + 1);
    EnumPrinters(PRINTER_ENUM_LOCAL, nullptr, 4, buffer.data(), DWORD(buffer.size()), &needed, &count);
    return static_cast<int>(count);
}

} // namespace

int main()
{
    // Each figure as soon as it is measured.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const std::string work = std::filesystem::temp_directory_path() / ("bench-configfiles-" + std::to_string(getpid()));
    std::filesystem::create_directories(work);
    const std::string file = work + "/full.ZOR";

    // Export, in this process.
    CChooserDoc source;
    fill(source);
    auto start = Clock::now();
    if (!source.ExportTo(file, true, false, "")) {
        std::fprintf(stderr, "bench_configfiles: the export failed\n");
        return 1;
    }
    std::printf("export of 150 printers and 50 groups (%ju bytes):          %8.1f ms\n",
                static_cast<std::uintmax_t>(std::filesystem::file_size(file)), millisecondsSince(start));

    // Import into a fresh root, in this process: check, merge, 200 Windows printers, save.
    if (!freshRoot(work + "/root1"))
        return 1;
    CChooserDoc target;
    if (!target.OnNewDocument())
        return 1;
    SpoolerHost host;
    start = Clock::now();
    const ImportOutcome outcome = target.ImportFile(file, host);
    const bool saved = target.OnSaveDocument(target.DatabasePath());
    std::printf("import with %d Windows printers and the save:               %8.1f ms  (%s, %zu refused)\n",
                host.created, millisecondsSince(start),
                outcome == ImportOutcome::AllImported && saved ? "all imported" : "NOT all imported", host.refused);

    // The same through the program, as a script runs it (process start included).
    if (!freshRoot(work + "/root2"))
        return 1;
    start = Clock::now();
    const int imported = std::system((kBin + "/sendaro --import '" + file + "'").c_str());
    const double importMs = millisecondsSince(start);
    std::printf("sendaro --import (process, %d Windows printers):           %8.1f ms  (exit %d)\n", countPrinters(),
                importMs, WEXITSTATUS(imported));
    start = Clock::now();
    const int exported = std::system((kBin + "/sendaro --export '" + work + "/again.ZOR'").c_str());
    std::printf("sendaro --export (process):                                %8.1f ms  (exit %d)\n",
                millisecondsSince(start), WEXITSTATUS(exported));
    std::ifstream a(file, std::ios::binary), b(work + "/again.ZOR", std::ios::binary);
    const std::string first{std::istreambuf_iterator<char>(a), {}}, second{std::istreambuf_iterator<char>(b), {}};
    std::printf("the export after the import is %s the original\n", first == second ? "identical to" : "DIFFERENT from");
    std::filesystem::remove_all(work);
    return 0;
}
