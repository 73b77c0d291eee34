// Delivery time of a print job through `zorvaline print` (spooler, monitor module, SMTP) to a
// minimal SMTP responder on loopback, split and unsplit, in plain text and over STARTTLS,
// beside curl sending the same encoded message to the same responder the same two ways.
// Prints one table with the time and the peak memory of each sender; every figure is
// measured in this run.
//
// usage: bench_deliver [SIZE_MB...]     (default: 10 100)
#include "SinkSmtpServer.h"

#include "monitor/QuotedPrintable.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace fs = std::filesystem;

namespace {

const std::string kBinDir = ZORVALINE_BIN_DIR;
const std::string kAddress = "bench@printers.test";
const char *const kPrinter = "Bench";

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The temporary root, removed on every way out.
std::string g_rootPath;

// Peak resident memory of the last program run, in MB.
double g_peakMegabytes = 0;

// The process's peak resident memory so far (VmHWM), in kB; 0 once it has exited. Asked of
// the running process because the rusage of a spawned child starts from its parent's peak.
long peakKilobytes(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

// Runs the program with its output discarded; its exit status, or -1.
int run(const std::vector<std::string> &arguments)
{
    std::vector<char *> argv;
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    // Standard error is kept, so a failed run can say why.
    const std::string errors = g_rootPath.empty() ? "/dev/null" : g_rootPath + "/stderr.txt";
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    long peak = 0;
    if (spawned != 0)
        return -1;
    // Sampled every 2 ms until the program ends; the peak only grows, so the last sample
    // holds it but for the last moments of the run.
    for (;;) {
        peak = std::max(peak, peakKilobytes(pid));
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid)
            break;
        if (done < 0)
            return -1;
        usleep(2000);
    }
    g_peakMegabytes = peak / 1024.0;
    if (!WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}


void require(bool ok, const std::string &what)
{
    if (!ok) {
        std::fprintf(stderr, "bench_deliver: %s\n", what.c_str());
        if (!g_rootPath.empty())
            std::fprintf(stderr, "%s", std::string(std::istreambuf_iterator<char>(std::ifstream(g_rootPath + "/stderr.txt").rdbuf()), {}).c_str());
        if (!g_rootPath.empty())
            fs::remove_all(g_rootPath);
        std::exit(1);
    }
}

// PostScript-like text: short drawing and text lines with blanks and the odd 8-bit byte.
void writeJob(const std::string &path, size_t size)
{
    std::string job = "%!PS-Adobe-3.0\n";
    job.reserve(size + 128);
    for (int line = 0; job.size() < size; ++line)
        job += "72 " + std::to_string(720 - line % 64 * 10) + " moveto (Line " + std::to_string(line) +
               " of the report: 42 = 6 x 7, caf\xE9) show 0.5 setgray\n";
    std::ofstream(path, std::ios::binary) << job;
}

struct Root {
    std::string path;
    std::string install() const { return path + "/drive_c/ZORVALINE"; }
};

// A root with the monitor, a printer on its port, and a chooser that confirms every job for
// one address whose settings are written beforehand. The services file comes later.
Root makeRoot()
{
    std::string pattern = (fs::temp_directory_path() / "zorvaline-bench-XXXXXX").string();
    require(mkdtemp(pattern.data()) != nullptr, "cannot create a temporary root");
    Root root{pattern};
    g_rootPath = root.path;
    setenv("ZORVALINE_ROOT", root.path.c_str(), 1);
    setenv("ZORVALINE_UI", "headless", 1);
    unsetenv("ZORVALINE_UI_LOG");
    require(run({kBinDir + "/zorvaline", "setup"}) == 0, "zorvaline setup failed");
    std::ofstream(root.path + "/drive_c/WINDOWS/SYSTEM/BENCHPS.DRV") << "driver";
    std::ofstream(root.path + "/drive_c/WINDOWS/SYSTEM/BENCHPS.PPD") << "*PPD-Adobe: \"4.3\"\n";
    require(run({kBinDir + "/zorvaline", "drivers", "add", "Bench PostScript", "--driver", "BENCHPS.DRV", "--data",
                 "BENCHPS.PPD"}) == 0,
            "zorvaline drivers add failed");
    require(run({kBinDir + "/zorvaline", "printers", "add", kPrinter, "--driver", "Bench PostScript", "--port",
                 "ZORVALINE_INTERNET:"}) == 0,
            "zorvaline printers add failed");
    std::ofstream(root.install() + "/Selvra.exe") << "#!/bin/sh\nexit 0\n";
    fs::permissions(root.install() + "/Selvra.exe", fs::perms::owner_all);
    std::ofstream(root.install() + "/VTemp.ini") << "[Destination]\r\nAddress=" << kAddress << "\r\n";
    std::ofstream(root.install() + "/Sendaro.Cfg") << "[Printers]\r\n";
    return root;
}

// A self-signed certificate for 127.0.0.1, which both senders are told to trust.
void makeCertificate(const Root &root)
{
    require(std::system(("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 1"
                         " -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 -keyout " +
                         root.path + "/sink.key -out " + root.path + "/sink.pem >/dev/null 2>&1")
                            .c_str()) == 0,
            "openssl could not make the certificate");
}

void writeSettings(const Root &root, int split, bool startTls = false)
{
    std::ofstream(root.install() + "/VComDef.ini")
        << "[DefaultSetup]\r\nDatabase=C:\\ZORVALINE\\Sendaro.Cfg\r\n"
        << "[IntranetSetup]\r\nSmtpServer=127.0.0.1\r\nSenderEmail=office@example.test\r\n"
        << (startTls ? "SmtpSecurity=starttls\r\nSmtpCaFile=" + root.path + "/sink.pem\r\n" : std::string())
        << "[Selvra]\r\nApp=TRUE\r\n[" << kAddress << "]\r\nSplit=" << split << "\r\n";
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
