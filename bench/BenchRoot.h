// The set-up the delivery benchmarks share: a temporary Windows root with the monitor, one
// printer on its port, a chooser that confirms every job for one address, and a way to run
// the programs with their output discarded.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace bench {

extern const std::string kBinDir;
extern const std::string kAddress; // the destination every job goes to
extern const char *const kPrinter;

// The temporary root, removed by require() on every way out.
extern std::string g_rootPath;

// Peak resident memory of the last program run, in MB, and the bytes it wrote to files
// (measured with the peak only).
extern double g_peakMegabytes;
extern double g_writtenMegabytes;

// Bytes the process has written into the page cache (write_bytes of /proc/<pid>/io: pages
// it dirtied, files deleted before they reached the disk included), in MB; "self" for this
// one.
double writtenMegabytes(const std::string &pid);

// Runs the program with its output discarded (standard error kept in the root's
// stderr.txt); its exit status, or -1. Its peak memory is sampled every 2 ms into
// g_peakMegabytes unless samplePeak is false (the sampling would round a short run up).
int run(const std::vector<std::string> &arguments, bool samplePeak = true);

// Ends the benchmark with what failed, the last program's errors, and the root removed.
void require(bool ok, const std::string &what);

// PostScript-like text: short drawing and text lines with blanks and the odd 8-bit byte.
void writeJob(const std::string &path, size_t size);

struct Root {
    std::string path;
    std::string install() const { return path + "/drive_c/ZORVALINE"; }
};

// A root with the monitor, a printer on its port, and a chooser that confirms every job for
// kAddress whose settings are written beforehand. The services file comes later.
Root makeRoot();

// A self-signed certificate for 127.0.0.1 (sink.pem, sink.key in the root).
void makeCertificate(const Root &root);

// VComDef.ini: the SMTP server on loopback and the address's Split.
void writeSettings(const Root &root, int split, bool startTls = false);

} // namespace bench
