// The manager's figures on a database of 150 printers and 50 groups, offscreen: start-up to
// the first shown window, one tree rebuild, and one rename with its save.
#include "manager/shell/CMainFrame.h"
#include "manager/shell/CManagerApp.h"
#include "manager/shell/DatabaseSaver.h"
#include "manager/shell/PrinterSnapshot.h"
#include "manager/shell/TreeView.h"
#include "platform/spooler/spooler.h"

#include <QApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

constexpr const char *kDriver = "Bench Laser H7";

bool prepareRoot(const std::string &root)
{
    const std::string setup = std::string(ZORVALINE_BIN_DIR) + "/zorvaline setup >/dev/null";
    if (std::system(setup.c_str()) != 0)
        return false;
    std::ofstream(root + "/drive_c/WINDOWS/SYSTEM/BENCH.DRV") << "driver";
    DRIVER_INFO_2A driver{};
    driver.pName = const_cast<LPSTR>(kDriver);
    driver.pDriverPath = driver.pDataFile = driver.pConfigFile = const_cast<LPSTR>("BENCH.DRV");
    return AddPrinterDriver(nullptr, 2, reinterpret_cast<LPBYTE>(&driver));
}

// 150 printers with their Windows printers, 50 groups of 3 printers, every fifth group
// holding the next group too.
bool makeDatabase()
{
    CManagerApp app;
    if (!app.InitInstance({}))
        return false;
    TreeView &tree = *app.MainFrame()->Tree();
    for (int i = 0; i < 150; ++i) {
        const std::string name = "Printer " + std::to_string(i);
        tree.pendingPrinter = PendingPrinter{};
        tree.pendingPrinter.PrinterName = name;
        tree.pendingPrinter.PrinterDriver = kDriver;
        tree.pendingPrinter.PrinterEmail = "printer" + std::to_string(i) + "@bench.example";
        tree.pendingPrinter.PrinterDescription = "A printer of the benchmark";
        if (!tree.AddNewDestination(name, true))
            return false;
    }
    CChooserDoc &doc = app.Document();
    for (int g = 0; g < 50; ++g) {
        auto group = std::make_unique<GroupRecord>();
        group->MainGroupName = "Group " + std::to_string(g);
        group->GroupDriver = kDriver;
        for (int p = 0; p < 3; ++p)
            group->Printers.push_back("Printer " + std::to_string(g * 3 + p));
        if (g % 5 == 0 && g + 1 < 50)
            group->SubGroups.push_back("Group " + std::to_string(g + 1));
        tree.AddWindowsPrinter(kDriver, group->MainGroupName);
        doc.Groups().push_back(std::move(group));
    }
    return doc.OnSaveDocument(doc.DatabasePath());
}

} // namespace

int main(int argc, char **argv)
{
    const auto processStart = Clock::now();
    char pattern[] = "/tmp/zorvaline-bench-manager-XXXXXX";
    const char *folder = mkdtemp(pattern);
    if (!folder)
        return 1;
    const std::string root = std::string(folder) + "/root";
    setenv("ZORVALINE_ROOT", root.c_str(), 1);
    setenv("ZORVALINE_UI", "headless", 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int status = 1;
    {
        QApplication application(argc, argv);
        const double applicationMs = millisecondsSince(processStart);
        if (prepareRoot(root) && makeDatabase()) {
            // Start-up: the program object to the first painted window.
            const auto start = Clock::now();
            CManagerApp app;
            const bool started = app.InitInstance({});
            QApplication::processEvents();
            const double startupMs = millisecondsSince(start);

            TreeView &tree = *app.MainFrame()->Tree();
            constexpr int kRebuilds = 50;
            const auto rebuildStart = Clock::now();
            for (int i = 0; i < kRebuilds; ++i)
                tree.Rebuild();
            const double rebuildMs = millisecondsSince(rebuildStart) / kRebuilds;

            constexpr int kRenames = 20;
            double renameMs = 0;
            for (int i = 0; i < kRenames; ++i) {
                const std::string from = i % 2 ? "Renamed 75" : "Printer 75";
                const std::string to = i % 2 ? "Printer 75" : "Renamed 75";
                tree.setCurrentItem(tree.FindPrinterItem(from));
                const auto renameStart = Clock::now();
                tree.RenameSelectedItem(to, true);
                sendaro::SaveDatabase(app.Document());
                renameMs += millisecondsSince(renameStart);
            }
            renameMs /= kRenames;
            const auto saveStart = Clock::now();
            for (int i = 0; i < kRenames; ++i)
                sendaro::SaveDatabase(app.Document());
            const double saveMs = millisecondsSince(saveStart) / kRenames;
            // The spooler's part: the Windows printer renamed in place through a snapshot.
            const auto spoolerStart = Clock::now();
            for (int i = 0; i < kRenames; ++i) {
                PrinterSnapshot::Instance().Take(i % 2 ? "Spooler 10" : "Printer 10");
                tree.AddWindowsPrinter(kDriver, i % 2 ? "Printer 10" : "Spooler 10");
            }
            const double spoolerMs = millisecondsSince(spoolerStart) / kRenames;
            std::printf("database: %zu printers, %zu groups\n", app.Document().Printers().size(),
                        app.Document().Groups().size());
            std::printf("QApplication created:          %8.1f ms (from process start)\n", applicationMs);
            std::printf("start-up to the shown window:  %8.1f ms (goal < 300)%s\n", startupMs,
                        started ? "" : "  START-UP FAILED");
            std::printf("tree rebuild:                  %8.2f ms (goal < 10, mean of %d)\n", rebuildMs, kRebuilds);
            std::printf("rename of a printer with save: %8.2f ms (goal < 50, mean of %d)\n", renameMs, kRenames);
            std::printf("  the save alone:              %8.2f ms\n", saveMs);
            std::printf("  the Windows printer's rename:%8.2f ms\n", spoolerMs);
            status = started ? 0 : 1;
        } else {
            std::fprintf(stderr, "bench_manager: could not prepare the root %s\n", root.c_str());
        }
    }
    std::filesystem::remove_all(folder);
    return status;
}
