// Profile reads and writes on a file the size of a full destination database, each beside
// a naive baseline measured in the same run: reads that read and parse the whole file on
// every call, and writes made one call at a time (each a locked, atomic rewrite). Then two
// processes writing different keys of one file at the same time, one call per key.
//
// usage: bench_profile [READS [KEYS_PER_PROCESS]]   (defaults 200000 and 1000)
#include "platform/profile/inifile.h"
#include "platform/base/paths.h"
#include "platform/profile/profile.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kPrinters = 150;
constexpr int kGroups = 50;
constexpr const char *kDatabase = "C:\\ZORVALINE\\VComDef.ini";

struct Write {
    std::string section, key, value;
};

// [Title], an index listing every destination, then 150 printers and 50 groups of about
// twelve keys each.
std::vector<Write> databaseWrites()
{
    std::vector<Write> writes = {{"Title", "Name", "Destination database"}, {"Title", "Version", "3"},
                                 {"Title", "Default", "Printer 001"}};
    for (int i = 1; i <= kPrinters + kGroups; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, i <= kPrinters ? "Printer %03d" : "Group %03d", i);
        writes.push_back({"Destinations", name, i <= kPrinters ? "Printer" : "Group"});
    }
    for (int i = 1; i <= kPrinters + kGroups; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, i <= kPrinters ? "Printer %03d" : "Group %03d", i);
        const std::string n = std::to_string(i);
        const std::vector<std::pair<std::string, std::string>> keys = {
            {"Address", "printer" + n + "@remote-office.example.org"},
            {"Description", "Second floor, room " + n + ", colour laser"},
            {"Company", "Regional Office " + n},
            {"Attention", "Front desk"},
            {"Phone", "+1 555 0100 " + n},
            {"Fax", "+1 555 0199 " + n},
            {"CoverPage", "banner01.ps"},
            {"PieceSize", "64"},
            {"Encoding", "quoted-printable"},
            {"Flags", std::to_string(i * 7 % 256)},
            {"Members", i <= kPrinters ? "" : "Printer 001,Printer 002,Printer 003,Printer " + n},
            {"Modified", "2026-12-08 08:00:" + n},
        };
        for (const auto &[key, value] : keys)
            writes.push_back({name, key, value});
    }
    return writes;
}

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

// Reads `count` keys spread over the file; returns reads per second.
template <typename Read>
double readsPerSecond(const std::vector<Write> &writes, int count, Read read)
{
    char buffer[256];
    size_t checksum = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i) {
        const Write &w = writes[(static_cast<size_t>(i) * 7919) % writes.size()];
        checksum += read(w, buffer, sizeof buffer);
    }
    const double seconds = secondsSince(start);
    if (checksum == 0)
        std::printf("(no value read)\n");
    return count / seconds;
}

// Two processes each write `keysEach` keys of their own into one section of one file, one
// call per key; returns the seconds until both are done, or -1 when a key is missing after.
double twoWritersSeconds(int keysEach)
{
    const char *file = "C:\\ZORVALINE\\Shared.ini";
    const auto start = std::chrono::steady_clock::now();
    std::vector<pid_t> writers;
    for (const char *prefix : {"first", "second"}) {
        const pid_t child = fork();
        if (child < 0)
            return -1;
        if (child == 0) {
            for (int i = 0; i < keysEach; ++i) {
                const std::string key = prefix + std::to_string(i);
                if (!WritePrivateProfileString("Both", key.c_str(), "some value of a printer", file))
                    _exit(1);
            }
            _exit(0);
        }
        writers.push_back(child);
    }
    bool ok = true;
    for (const pid_t child : writers) {
        int status = 0;
        ok = waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0 && ok;
    }
    const double seconds = secondsSince(start);
    char value[64];
    for (const char *prefix : {"first", "second"})
        for (int i = 0; ok && i < keysEach; ++i)
            ok = GetPrivateProfileString("Both", (prefix + std::to_string(i)).c_str(), "", value, sizeof value,
                                         file) > 0;
    return ok ? seconds : -1;
}

} // namespace

int main(int argc, char **argv)
{
    const int reads = argc > 1 ? std::atoi(argv[1]) : 200000;
    const int keysEach = argc > 2 ? std::atoi(argv[2]) : 1000;
    std::string root = (fs::temp_directory_path() / "zorvaline-bench-XXXXXX").string();
    if (!mkdtemp(root.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    setenv("ZORVALINE_ROOT", root.c_str(), 1);
    fs::create_directories(root + "/drive_c/ZORVALINE");
    const std::vector<Write> writes = databaseWrites();

    // Writes: one batch against the same calls one by one.
    auto start = std::chrono::steady_clock::now();
    {
        zorplat::ProfileBatch batch(kDatabase);
        for (const Write &w : writes)
            batch.WriteString(w.section.c_str(), w.key.c_str(), w.value.c_str());
        if (!batch.Commit()) {
            std::fprintf(stderr, "commit failed\n");
            return 1;
        }
    }
    const double batchSeconds = secondsSince(start);
    const std::string linuxPath = zorplat::ToLinuxPath(kDatabase);
    const std::string batchFile = readFile(linuxPath);

    const char *oneByOne = "C:\\ZORVALINE\\OneByOne.ini";
    start = std::chrono::steady_clock::now();
    for (const Write &w : writes)
        WritePrivateProfileString(w.section.c_str(), w.key.c_str(), w.value.c_str(), oneByOne);
    const double singleSeconds = secondsSince(start);
    const bool identical = readFile(zorplat::ToLinuxPath(oneByOne)) == batchFile;

    std::printf("database file: %zu bytes, %d sections, %zu writes\n", batchFile.size(),
                kPrinters + kGroups + 2, writes.size());
    std::printf("writes, one batch:          %10.3f s\n", batchSeconds);
    std::printf("writes, one call at a time: %10.3f s  (batch is %.0fx faster; files %s)\n", singleSeconds,
                singleSeconds / batchSeconds, identical ? "identical" : "DIFFER");

    // Reads: the cached copy against reading and parsing the file on every call.
    const double cached = readsPerSecond(writes, reads, [](const Write &w, char *buffer, DWORD size) {
        return GetPrivateProfileString(w.section.c_str(), w.key.c_str(), "", buffer, size, kDatabase);
    });
    const double otherCase = readsPerSecond(writes, reads, [](const Write &w, char *buffer, DWORD size) {
        return GetPrivateProfileString(w.section.c_str(), w.key.c_str(), "", buffer, size,
                                       "c:\\zorvaline\\vcomdef.INI");
    });
    const int naiveReads = std::max(1, reads / 100);
    const double naive = readsPerSecond(writes, naiveReads, [](const Write &w, char *buffer, DWORD size) {
        const zorplat::IniFile file = zorplat::IniFile::Parse(readFile(zorplat::ToLinuxPath(kDatabase)));
        const auto value = file.Value(w.section, w.key);
        const std::string_view text = value ? *value : "";
        const size_t count = std::min<size_t>(text.size(), size - 1);
        text.copy(buffer, count);
        buffer[count] = '\0';
        return static_cast<DWORD>(count);
    });
    std::printf("reads, cached copy:          %12.0f /s\n", cached);
    std::printf("reads, name in another case: %12.0f /s\n", otherCase);
    std::printf("reads, re-parse every call:  %12.0f /s  (cached is %.0fx faster)\n", naive, cached / naive);

    const double twoWriters = twoWritersSeconds(keysEach);
    if (twoWriters < 0)
        std::printf("two processes, %d keys each: FAILED (a write failed or a key is missing)\n", keysEach);
    else
        std::printf("two processes, %d keys each: %10.3f s  (%.0f writes/s, %.2f ms a write)\n", keysEach,
                    twoWriters, 2 * keysEach / twoWriters, twoWriters * 1000 / (2 * keysEach));

    fs::remove_all(root);
    return identical && twoWriters >= 0 ? 0 : 1;
}
