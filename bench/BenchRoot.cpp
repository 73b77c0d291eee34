#include "BenchRoot.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace fs = std::filesystem;

namespace {

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

} // namespace

namespace bench {

const std::string kBinDir = ZORVALINE_BIN_DIR;
const std::string kAddress = "bench@printers.test";
const char *const kPrinter = "Bench";

std::string g_rootPath;

double g_peakMegabytes = 0;
double g_writtenMegabytes = 0;

double writtenMegabytes(const std::string &pid)
{
    std::ifstream io("/proc/" + pid + "/io");
    for (std::string line; std::getline(io, line);)
        if (line.rfind("write_bytes:", 0) == 0)
            return std::stod(line.substr(12)) / 1e6;
    return 0;
}

int run(const std::vector<std::string> &arguments, bool samplePeak)
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
    if (!samplePeak) {
        if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
            return -1;
        return WEXITSTATUS(status);
    }
    // Sampled every 2 ms until the program ends; the peak only grows, so the last sample
    // holds it but for the last moments of the run. The ended program is left unreaped a
    // moment, so that its I/O figures can still be read.
    for (;;) {
        peak = std::max(peak, peakKilobytes(pid));
        siginfo_t info{};
        if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) < 0)
            return -1;
        if (info.si_pid == pid)
            break;
        usleep(2000);
    }
    g_writtenMegabytes = writtenMegabytes(std::to_string(pid));
    if (waitpid(pid, &status, 0) != pid)
        return -1;
    g_peakMegabytes = peak / 1024.0;
    if (!WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

void require(bool ok, const std::string &what)
{
    if (!ok) {
        std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, what.c_str());
        if (!g_rootPath.empty())
            std::fprintf(stderr, "%s", std::string(std::istreambuf_iterator<char>(std::ifstream(g_rootPath + "/stderr.txt").rdbuf()), {}).c_str());
        if (!g_rootPath.empty())
            fs::remove_all(g_rootPath);
        std::exit(1);
    }
}

void writeJob(const std::string &path, size_t size)
{
    std::string job = "%!PS-Adobe-3.0\n";
    job.reserve(size + 128);
    for (int line = 0; job.size() < size; ++line)
        job += "72 " + std::to_string(720 - line % 64 * 10) + " moveto (Line " + std::to_string(line) +
               " of the report: 42 = 6 x 7, caf\xE9) show 0.5 setgray\n";
    std::ofstream(path, std::ios::binary) << job;
}

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

void writeSettings(const Root &root, int split, bool startTls)
{
    std::ofstream(root.install() + "/VComDef.ini")
        << "[DefaultSetup]\r\nDatabase=C:\\ZORVALINE\\Sendaro.Cfg\r\n"
        << "[IntranetSetup]\r\nSmtpServer=127.0.0.1\r\nSenderEmail=office@example.test\r\n"
        << (startTls ? "SmtpSecurity=starttls\r\nSmtpCaFile=" + root.path + "/sink.pem\r\n" : std::string())
        << "[Selvra]\r\nApp=TRUE\r\n[" << kAddress << "]\r\nSplit=" << split << "\r\n";
}

} // namespace bench
