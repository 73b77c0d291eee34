// Delivery time of a print job through `zorvaline print` (spooler, monitor module, SMTP) to a
// minimal SMTP responder on loopback, split and unsplit, beside its peer: a table-driven C
// quoted-printable encoder writing the message file from the job file, then curl's whole run
// sending that file to the same responder. The runs are interleaved, each round starting
// with the next of the three, and the table gives their medians, with each sender's peak
// memory and the bytes each wrote to files; the STARTTLS rows (curl and ours, one run each)
// follow. Every figure is measured in this run.
//
// usage: bench_deliver [--runs N] [SIZE_MB...]     (default: 3 runs of 10 and 100)
#include "BenchRoot.h"
#include "SinkSmtpServer.h"

#include "bench/table_qp.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <sys/types.h>
#include <unistd.h>
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
    double peakMegabytes = 0;    // the sender's peak resident memory
    double writtenMegabytes = -1; // bytes written to files; < 0 when not measured
};

Figures measure(SinkSmtpServer &sink, const char *what, const std::vector<std::string> &command)
{
    // Each run starts with the page cache clean, so none pays for the writeback of another.
    sync();
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
    figures.writtenMegabytes = g_writtenMegabytes;
    return figures;
}

// The peer's encoding: the message file curl sends (a header block and the job encoded by
// the table-driven C encoder), written the way the monitor writes its encoded file: the job
// read in 1 MB blocks, each encoded with the state carried over and written at once.
Figures encodeMessage(const std::string &job, const std::string &message)
{
    constexpr size_t kBlock = 1 << 20;
    sync();
    const double writtenBefore = writtenMegabytes("self");
    Clock::time_point start = Clock::now();
    const int in = open(job.c_str(), O_RDONLY | O_CLOEXEC);
    const int out = open(message.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    require(in >= 0 && out >= 0, "cannot open the job or the message file");
    auto writeAll = [out](const char *data, size_t size) {
        while (size > 0) {
            const ssize_t n = write(out, data, size);
            require(n > 0, "cannot write the message file");
            data += n;
            size -= static_cast<size_t>(n);
        }
    };
    const std::string header = "TO:" + kAddress + "\r\nMime-Version:1.0\r\nContent-Type:application/postscript\r\n"
                               "Content-Transfer-Encoding:quoted-printable\r\n\r\n";
    writeAll(header.data(), header.size());
    std::unique_ptr<unsigned char[]> block(new unsigned char[kBlock]);
    std::unique_ptr<char[]> encoded(new char[kBlock * 6]);
    table_qp_state state{};
    for (;;) {
        const ssize_t n = read(in, block.get(), kBlock);
        require(n >= 0, "cannot read the job");
        if (n == 0)
            break;
        writeAll(encoded.get(), table_qp_encode_block(&state, block.get(), static_cast<size_t>(n), encoded.get()));
    }
    require(close(out) == 0 && close(in) == 0, "cannot close the message file");
    Figures figures;
    figures.seconds = secondsSince(start);
    figures.writtenMegabytes = writtenMegabytes("self") - writtenBefore;
    return figures;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The median of every figure over the runs, each figure on its own.
Figures medianOf(const std::vector<Figures> &runs)
{
    auto of = [&runs](double Figures::*field) {
        std::vector<double> values;
        for (const Figures &figures : runs)
            values.push_back(figures.*field);
        return median(values);
    };
    Figures figures;
    figures.seconds = of(&Figures::seconds);
    figures.sendSeconds = of(&Figures::sendSeconds);
    figures.mbPerSecond = of(&Figures::mbPerSecond);
    figures.messages = runs.front().messages;
    figures.peakMegabytes = of(&Figures::peakMegabytes);
    figures.writtenMegabytes = of(&Figures::writtenMegabytes);
    return figures;
}

void printRow(const char *what, size_t megabytes, const Figures &f)
{
    std::printf("%-30s %5zu MB  %8.3f s", what, megabytes, f.seconds);
    if (f.messages > 0)
        std::printf("  send %8.3f s  %8.1f MB/s  %4d mail(s)  peak %6.1f MB", f.sendSeconds, f.mbPerSecond,
                    f.messages, f.peakMegabytes);
    if (f.writtenMegabytes >= 0)
        std::printf("  wrote %7.1f MB", f.writtenMegabytes);
    std::printf("\n");
}

int usage()
{
    std::fprintf(stderr, "usage: bench_deliver [--runs N] [SIZE_MB...]     (default: 3 runs of 10 and 100)\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<size_t> sizes;
    int runs = 3;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--runs" && i + 1 < argc)
            runs = std::atoi(argv[++i]);
        else if (!argument.empty() && argument.find_first_not_of("0123456789") == std::string::npos)
            sizes.push_back(std::stoul(argument));
        else
            return usage();
    }
    if (runs < 1)
        return usage();
    if (sizes.empty())
        sizes = {10, 100};

    // The root comes first, for the certificate; the sink's port goes into it afterwards.
    Root root = makeRoot();
    makeCertificate(root);
    SinkSmtpServer sink(root.path + "/sink.pem", root.path + "/sink.key");
    std::ofstream(root.path + "/drive_c/WINDOWS/SERVICES") << "smtp " << sink.port() << "/tcp mail\n";
    std::printf("delivery to a loopback SMTP responder (send: first connection to last end of data),"
                " medians of %d interleaved run(s)\n", runs);
    for (size_t megabytes : sizes) {
        const std::string job = root.path + "/job.ps";
        writeJob(job, megabytes * 1000 * 1000);
        const std::string message = root.path + "/message.eml";
        const std::string url = "smtp://127.0.0.1:" + std::to_string(sink.port());

        std::vector<Figures> encodings, curls, wholes, splits;
        // A run that writes its files into memory another run has just freed is much faster
        // than one that must first win it back from the cache, so the peer removes its message
        // file when curl is done, as ours removes its work files; and each round starts with
        // the next contestant.
        const std::vector<std::function<void()>> contestants = {
            [&] {
                encodings.push_back(encodeMessage(job, message));
                curls.push_back(measure(sink, "curl", {"/usr/bin/curl", "-s", url, "--mail-from", "office@example.test",
                                                       "--mail-rcpt", kAddress, "-T", message}));
                fs::remove(message);
            },
            [&] {
                writeSettings(root, 0);
                wholes.push_back(measure(sink, "zorvaline unsplit", {kBinDir + "/zorvaline", "print", "-P", kPrinter, job}));
            },
            [&] {
                writeSettings(root, 1024);
                splits.push_back(measure(sink, "zorvaline split", {kBinDir + "/zorvaline", "print", "-P", kPrinter, job}));
            },
        };
        for (int i = 0; i < runs; ++i)
            for (size_t k = 0; k < contestants.size(); ++k)
                contestants[(i + k) % contestants.size()]();
        encodeMessage(job, message);
        Figures curlTls = measure(sink, "curl STARTTLS", {"/usr/bin/curl", "-s", "--ssl-reqd", "--cacert", root.path + "/sink.pem", url,
                                         "--mail-from", "office@example.test", "--mail-rcpt", kAddress, "-T", message});
        writeSettings(root, 0, true);
        Figures wholeTls = measure(sink, "zorvaline STARTTLS", {kBinDir + "/zorvaline", "print", "-P", kPrinter, job});

        const Figures encoding = medianOf(encodings);
        const Figures curl = medianOf(curls);
        const Figures whole = medianOf(wholes);
        const Figures split = medianOf(splits);
        printRow("C encoder, job to message", megabytes, encoding);
        printRow("curl smtp://", megabytes, curl);
        printRow("zorvaline print, unsplit", megabytes, whole);
        printRow("zorvaline print, Split=1024", megabytes, split);
        printRow("curl smtp:// --ssl-reqd", megabytes, curlTls);
        printRow("zorvaline print, starttls", megabytes, wholeTls);
        // The ratio of each run against the peer of the same round, then their median.
        std::vector<double> wholeRatios, splitRatios;
        for (int i = 0; i < runs; ++i) {
            const double peer = encodings[i].seconds + curls[i].seconds;
            wholeRatios.push_back(wholes[i].seconds / peer);
            splitRatios.push_back(splits[i].seconds / peer);
        }
        std::printf("  whole job / (C encoder + curl): unsplit %.2f, split %.2f (target <= 1.1)\n", median(wholeRatios),
                    median(splitRatios));
        std::printf("  send phase / curl send:         unsplit %.2f, split %.2f (target <= 1.0)\n",
                    whole.sendSeconds / curl.sendSeconds, split.sendSeconds / curl.sendSeconds);
        std::printf("  STARTTLS send speed / curl's:   %.2f (target >= 0.8)\n", curlTls.sendSeconds / wholeTls.sendSeconds);
        fs::remove(message);
        fs::remove(job);
    }
    fs::remove_all(root.path);
    return 0;
}
