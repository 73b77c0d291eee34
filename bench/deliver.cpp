// Delivery time of a print job through `zorvaline print` (spooler, monitor module, SMTP) to a
// minimal SMTP responder on loopback, split and unsplit, in plain text and over STARTTLS,
// beside curl sending the same encoded message to the same responder the same two ways.
// Prints one table with the time and the peak memory of each sender; every figure is
// measured in this run.
//
// usage: bench_deliver [SIZE_MB...]     (default: 10 100)
#include "BenchRoot.h"
#include "SinkSmtpServer.h"

#include "monitor/QuotedPrintable.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace bench;

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Figures {
    double seconds = 0;     // wall time of the whole run
    double sendSeconds = 0; // first connection to the last end of data, seen by the responder
    double mbPerSecond = 0; // mail text bytes over sendSeconds
    int messages = 0;
    double peakMegabytes = 0; // the sender's peak resident memory
};

Figures measure(SinkSmtpServer &sink, const char *what, const std::vector<std::string> &command)
{
    sink.reset();
    Clock::time_point start = Clock::now();
    int status = run(command);
    Figures figures;
    figures.seconds = secondsSince(start);
    require(status == 0 && sink.messages() > 0, std::string(what) + " did not deliver (status " + std::to_string(status) + ")");
    figures.sendSeconds = sink.transferSeconds();
    figures.mbPerSecond = sink.dataBytes() / 1e6 / figures.sendSeconds;
    figures.messages = sink.messages();
    figures.peakMegabytes = g_peakMegabytes;
    return figures;
}

void printRow(const char *what, size_t megabytes, const Figures &f)
{
    std::printf("%-30s %5zu MB  %8.3f s  send %8.3f s  %8.1f MB/s  %4d mail(s)  peak %6.1f MB\n", what, megabytes,
                f.seconds, f.sendSeconds, f.mbPerSecond, f.messages, f.peakMegabytes);
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<size_t> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::stoul(argv[i]));
    if (sizes.empty())
        sizes = {10, 100};

    // The root comes first, for the certificate; the sink's port goes into it afterwards.
    Root root = makeRoot();
    makeCertificate(root);
    SinkSmtpServer sink(root.path + "/sink.pem", root.path + "/sink.key");
    std::ofstream(root.path + "/drive_c/WINDOWS/SERVICES") << "smtp " << sink.port() << "/tcp mail\n";
    std::printf("delivery to a loopback SMTP responder (send: first connection to last end of data)\n");
    for (size_t megabytes : sizes) {
        const std::string job = root.path + "/job.ps";
        writeJob(job, megabytes * 1000 * 1000);

        // The encoded message curl sends: a header block and the encoded job.
        Clock::time_point start = Clock::now();
        require(zormon::EncodeQuotedPrintable(job, root.path + "/job.cod"), "encoding failed");
        const double encodeSeconds = secondsSince(start);
        const std::string message = root.path + "/message.eml";
        {
            std::ofstream out(message, std::ios::binary);
            out << "TO:" << kAddress << "\r\nMime-Version:1.0\r\nContent-Type:application/postscript\r\n"
                << "Content-Transfer-Encoding:quoted-printable\r\n\r\n";
            out << std::ifstream(root.path + "/job.cod", std::ios::binary).rdbuf();
        }
        fs::remove(root.path + "/job.cod");

        const std::string url = "smtp://127.0.0.1:" + std::to_string(sink.port());
        Figures curl = measure(sink, "curl", {"/usr/bin/curl", "-s", url, "--mail-from", "office@example.test", "--mail-rcpt",
                                      kAddress, "-T", message});
        writeSettings(root, 0);
        Figures whole = measure(sink, "zorvaline unsplit", {kBinDir + "/zorvaline", "print", "-P", kPrinter, job});
        writeSettings(root, 1024);
        Figures split = measure(sink, "zorvaline split", {kBinDir + "/zorvaline", "print", "-P", kPrinter, job});
        Figures curlTls = measure(sink, "curl STARTTLS", {"/usr/bin/curl", "-s", "--ssl-reqd", "--cacert", root.path + "/sink.pem", url,
                                         "--mail-from", "office@example.test", "--mail-rcpt", kAddress, "-T", message});
        writeSettings(root, 0, true);
        Figures wholeTls = measure(sink, "zorvaline STARTTLS", {kBinDir + "/zorvaline", "print", "-P", kPrinter, job});

        std::printf("%-28s %5zu MB  %8.3f s\n", "encoding (in process)", megabytes, encodeSeconds);
        printRow("curl smtp://", megabytes, curl);
        printRow("zorvaline print, unsplit", megabytes, whole);
        printRow("zorvaline print, Split=1024", megabytes, split);
        printRow("curl smtp:// --ssl-reqd", megabytes, curlTls);
        printRow("zorvaline print, starttls", megabytes, wholeTls);
        const double budget = 1.5 * (encodeSeconds + curl.sendSeconds);
        std::printf("  whole job / (encoding + curl send): unsplit %.2f, split %.2f (target <= 1.5, budget %.3f s)\n",
                    whole.seconds / (encodeSeconds + curl.sendSeconds),
                    split.seconds / (encodeSeconds + curl.sendSeconds), budget);
        std::printf("  send phase / curl send:             unsplit %.2f, split %.2f (target <= 1.0)\n",
                    whole.sendSeconds / curl.sendSeconds, split.sendSeconds / curl.sendSeconds);
        std::printf("  STARTTLS send speed / curl's:       %.2f (target >= 0.8)\n",
                    curlTls.sendSeconds / wholeTls.sendSeconds);
        fs::remove(message);
        fs::remove(job);
    }
    fs::remove_all(root.path);
    return 0;
}
