// Cost of a 1 KB job: `zorvaline print` (spooler, monitor module, chooser, SMTP) to a minimal
// SMTP responder on loopback, beside curl sending the same encoded message to the same
// responder. The two run interleaved many times and the medians are compared. For one job,
// strace counts how often each registry and INI file is opened or examined and how many
// shared libraries are opened.
//
// usage: bench_small_job [RUNS]     (default: 30)
#include "BenchRoot.h"
#include "SinkSmtpServer.h"

#include "monitor/QuotedPrintable.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace bench;

namespace {

using Clock = std::chrono::steady_clock;

// Wall time of one delivery in milliseconds; the responder must have taken the mail.
double deliver(SinkSmtpServer &sink, const char *what, const std::vector<std::string> &command)
{
    sink.reset();
    const Clock::time_point start = Clock::now();
    const int status = run(command, false);
    const double milliseconds = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    require(status == 0 && sink.messages() == 1,
            std::string(what) + " did not deliver (status " + std::to_string(status) + ")");
    return milliseconds;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::string lowercase(std::string text)
{
    for (char &c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Opens and examinations of the registry files and INI files by one job, counted by file
// name from strace's log; shared libraries are counted together.
void countFileAccess(const std::vector<std::string> &command, const std::string &log)
{
    std::vector<std::string> traced{"/usr/bin/strace", "-f", "-qq", "-e",
                                    "trace=open,openat,stat,lstat,newfstatat,statx,access,faccessat2", "-o",
                                    log};
    traced.insert(traced.end(), command.begin(), command.end());
    if (run(traced, false) != 0) {
        std::printf("  (strace could not trace the job; file accesses not counted)\n");
        return;
    }
    std::map<std::string, std::pair<int, int>> counts; // opens, examinations
    int libraries = 0;
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);) {
        const size_t open = line.find('"');
        const size_t close = open == std::string::npos ? open : line.find('"', open + 1);
        if (close == std::string::npos)
            continue;
        const std::string path = line.substr(open + 1, close - open - 1);
        const std::string name = lowercase(fs::path(path).filename().string());
        // "<pid>  <call>(...": the call's name says whether the file was opened.
        const size_t callStart = line.find_first_not_of(' ', line.find(' '));
        const bool opened = line.compare(callStart, 4, "open") == 0;
        if (name.ends_with(".reg") || name.ends_with(".ini"))
            ++(opened ? counts[name].first : counts[name].second);
        else if (opened && line.find("= -1") == std::string::npos &&
                 (name.find(".so") != std::string::npos || name.ends_with(".dll")))
            ++libraries;
    }
    std::printf("one job, file opens and examinations (strace: open*; *stat*, access):\n");
    for (const auto &[name, count] : counts)
        std::printf("  %-20s %4d opened %4d examined\n", name.c_str(), count.first, count.second);
    std::printf("  %-20s %4d  (shared libraries and modules opened)\n", "*.so, *.dll", libraries);
}

} // namespace

int main(int argc, char **argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;

    Root root = makeRoot();
    SinkSmtpServer sink;
    std::ofstream(root.path + "/drive_c/WINDOWS/SERVICES") << "smtp " << sink.port() << "/tcp mail\n";
    writeSettings(root, 0);

    const std::string job = root.path + "/job.ps";
    writeJob(job, 1024);
    require(zormon::EncodeQuotedPrintable(job, root.path + "/job.cod"), "encoding failed");
    const std::string message = root.path + "/message.eml";
    {
        std::ofstream out(message, std::ios::binary);
        out << "TO:" << kAddress << "\r\nMime-Version:1.0\r\nContent-Type:application/postscript\r\n"
            << "Content-Transfer-Encoding:quoted-printable\r\n\r\n";
        out << std::ifstream(root.path + "/job.cod", std::ios::binary).rdbuf();
    }

    const std::string url = "smtp://127.0.0.1:" + std::to_string(sink.port());
    const std::vector<std::string> curl{"/usr/bin/curl", "-s", url, "--mail-from", "office@example.test",
                                        "--mail-rcpt", kAddress, "-T", message};
    const std::vector<std::string> print{kBinDir + "/zorvaline", "print", "-P", kPrinter, job};

    // The first runs warm the page cache and the dynamic loader's caches for both.
    for (int i = 0; i < 3; ++i) {
        deliver(sink, "curl", curl);
        deliver(sink, "zorvaline print", print);
    }
    std::vector<double> curlTimes;
    std::vector<double> printTimes;
    for (int i = 0; i < runs; ++i) {
        curlTimes.push_back(deliver(sink, "curl", curl));
        printTimes.push_back(deliver(sink, "zorvaline print", print));
    }
    const double curlMedian = median(curlTimes);
    const double printMedian = median(printTimes);
    std::printf("1 KB job to a loopback SMTP responder, medians of %d interleaved runs (process start to exit):\n",
                runs);
    std::printf("  %-28s %8.2f ms  (min %.2f)\n", "curl smtp://", curlMedian,
                *std::min_element(curlTimes.begin(), curlTimes.end()));
    std::printf("  %-28s %8.2f ms  (min %.2f)\n", "zorvaline print", printMedian,
                *std::min_element(printTimes.begin(), printTimes.end()));
    std::printf("  zorvaline print / curl: %.2f (target <= 1.2)\n", printMedian / curlMedian);

    sink.reset();
    countFileAccess(print, root.path + "/strace.log");
    fs::remove_all(root.path);
    return 0;
}
