// Quoted-printable encoding of a 100 MB PostScript-like job: our encoder in memory and file to
// file, beside a table-driven C encoder of the
// same dialect, memcpy of the same bytes, and Perl's MIME::QuotedPrint::encode_qp and Python's
// binascii.b2a_qp, on the same input in the same run. Figures are MB/s of input (1 MB = 10^6
// bytes); the in-memory encoders take turns, best of seven runs each; the rest best of three.
#include "bench/table_qp.h"
#include "monitor/QuotedPrintable.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kInputSize = 100'000'000;
constexpr int kRuns = 3;
constexpr int kInterleavedRuns = 7;

// Drawing operators, text, hex image data and a little binary, as printer drivers write them.
std::string postScriptLike(std::size_t size)
{
    std::mt19937 random(20261208);
    auto coordinate = [&random] { return std::to_string(random() % 600) + "." + std::to_string(random() % 100); };
    std::string text = "%!PS-Adobe-3.0\n%%Creator: bench\n%%Pages: (atend)\n%%EndComments\n";
    text.reserve(size + 256);
    while (text.size() < size) {
        switch (random() % 8) {
        case 0:
        case 1:
        case 2:
            text += "newpath " + coordinate() + " " + coordinate() + " moveto " + coordinate() + " " + coordinate()
                    + " lineto stroke\n";
            break;
        case 3:
            text += "/F1 " + std::to_string(8 + random() % 10) + " selectfont " + coordinate() + " " + coordinate()
                    + " moveto (The quick brown fox = 42% of the (text)) show\n";
            break;
        case 4:
        case 5: {
            static constexpr char hex[] = "0123456789abcdef";
            for (int i = 0; i < 72; ++i)
                text += hex[random() % 16];
            text += '\n';
            break;
        }
        case 6:
            text += "\tgsave 0.5 setgray " + coordinate() + " " + coordinate() + " 12 12 rectfill grestore\r\n";
            break;
        default:
            for (int i = 0; i < 40; ++i)
                text += static_cast<char>(random() & 0xFF);
            text += '\n';
        }
    }
    text.resize(size);
    return text;
}

double seconds(const std::function<void()> &run)
{
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double bestSeconds(const std::function<void()> &run)
{
    double best = 1e300;
    for (int i = 0; i < kRuns; ++i)
        best = std::min(best, seconds(run));
    return best;
}

// Runs a command that prints the seconds its encoding took (reading the file excluded).
double externalSeconds(const std::string &command)
{
    double best = 1e300;
    for (int i = 0; i < kRuns; ++i) {
        FILE *pipe = popen(command.c_str(), "r");
        double seconds = -1;
        if (!pipe || std::fscanf(pipe, "%lf", &seconds) != 1)
            seconds = -1;
        if (pipe)
            pclose(pipe);
        if (seconds < 0)
            return -1;
        best = std::min(best, seconds);
    }
    return best;
}

void report(const char *what, double seconds)
{
    if (seconds < 0)
        std::printf("%-44s  (not available)\n", what);
    else
        std::printf("%-44s %8.1f MB/s  (%.3f s)\n", what, kInputSize / seconds / 1e6, seconds);
}

} // namespace

int main()
{
    const fs::path folder = fs::temp_directory_path() / ("zorvaline-bench-encode-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const std::string input = (folder / "Varnel.tmp").string();
    const std::string output = (folder / "Varnel.cod").string();

    const std::string job = postScriptLike(kInputSize);
    std::ofstream(input, std::ios::binary) << job;
    std::printf("input: %zu bytes of PostScript-like text\n", job.size());

    // Each encoder works through the job in 1 MB blocks into one output block, as the
    // monitor's file encoder does.
    constexpr std::size_t chunk = 1 << 20;
    std::string block(chunk * zormon::QuotedPrintableEncoder::kMaxOutputPerByte, '\0');
    const auto *bytes = reinterpret_cast<const uint8_t *>(job.data());
    std::size_t encodedSize = 0;
    std::size_t plainSize = 0;
    std::size_t tableSize = 0;
    auto encodeAll = [&](zormon::QuotedPrintableEncoder::Method method) {
        zormon::QuotedPrintableEncoder encoder(method);
        std::size_t size = 0;
        for (std::size_t at = 0; at < job.size(); at += chunk)
            size += encoder.encode(bytes + at, std::min(chunk, job.size() - at), block.data());
        return size;
    };
    // The in-memory runs take turns, so a busy moment of the machine falls on all of them alike.
    double inMemory = 1e300, plainPath = 1e300, tableC = 1e300, copy = 1e300;
    for (int run = 0; run < kInterleavedRuns; ++run) {
        inMemory = std::min(inMemory, seconds([&] { encodedSize = encodeAll(zormon::QuotedPrintableEncoder::Method::Fastest); }));
        plainPath = std::min(plainPath, seconds([&] { plainSize = encodeAll(zormon::QuotedPrintableEncoder::Method::Plain); }));
        // The C encoder starts every block afresh, so its output may differ from ours by a few
        // bytes where blocks join; the work is the same.
        tableC = std::min(tableC, seconds([&] {
            tableSize = 0;
            for (std::size_t at = 0; at < job.size(); at += chunk)
                tableSize += table_qp_encode(bytes + at, std::min(chunk, job.size() - at), block.data());
        }));
        copy = std::min(copy, seconds([&] {
            for (std::size_t at = 0; at < job.size(); at += chunk)
                std::memcpy(block.data(), bytes + at, std::min(chunk, job.size() - at));
        }));
    }
    const double fileToFile = bestSeconds([&] {
        if (!zormon::EncodeQuotedPrintable(input, output))
            std::fprintf(stderr, "encoding %s failed\n", input.c_str());
    });
    const double perl = externalSeconds(
        "perl -MMIME::QuotedPrint -MTime::HiRes=time -e 'open my $f, \"<:raw\", $ARGV[0] or die; local $/; "
        "my $d = <$f>; my $t = time; my $e = encode_qp($d); printf \"%.6f\\n\", time - $t' '" + input + "'");
    const double python = externalSeconds(
        "python3 -c 'import binascii, sys, time; d = open(sys.argv[1], \"rb\").read(); t = time.perf_counter(); "
        "binascii.b2a_qp(d); print(\"%.6f\" % (time.perf_counter() - t))' '" + input + "'");

    std::printf("encoded: %zu bytes (plain path %zu, %s; table-driven C %zu)\n", encodedSize, plainSize,
                zormon::QuotedPrintableEncoder::BlockPathAvailable() ? "16-byte path in use" : "no 16-byte path here",
                tableSize);
    report("zormon encoder, memory to memory", inMemory);
    report("zormon encoder's plain path, memory to memory", plainPath);
    report("table-driven C encoder, memory to memory", tableC);
    report("memcpy of the same blocks", copy);
    report("zormon EncodeQuotedPrintable, file to file", fileToFile);
    report("Perl MIME::QuotedPrint::encode_qp (memory)", perl);
    report("Python binascii.b2a_qp (memory)", python);
    std::printf("zormon in memory / table-driven C: %.2fx (target >= 1.5); plain path: %.2fx; %.1f %% of memcpy speed\n",
                tableC / inMemory, tableC / plainPath, 100.0 * copy / inMemory);
    if (perl > 0)
        std::printf("zormon in memory / Perl: %.2fx; file to file / Perl: %.2fx\n", perl / inMemory, perl / fileToFile);

    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return 0;
}
