#include "tools/JobInput.h"

#include "platform/files/fullio.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

// A PDF header may follow some bytes of junk: readers look for it in the first kilobyte.
constexpr size_t kPdfHeaderWindow = 1024;
// PJL's Universal Exit Language, which drivers put before the PostScript it announces.
constexpr std::string_view kPjlPrologue = "\x1b%-12345X";
constexpr const char *kGhostscript = "gs";
constexpr const char *kNoPages = "No pages will be processed";

bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

// Why Ghostscript gave up: its first error line, else its last line, trimmed.
std::string gsReason(const std::string &text)
{
    std::string found;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        const size_t first = line.find_first_not_of(" \t*\r");
        if (first == std::string::npos)
            continue;
        line = line.substr(first, line.find_last_not_of(" \t\r") + 1 - first);
        if (line.find("Error") != std::string::npos)
            return line;
        found = line;
    }
    return found;
}

} // namespace

JobFormat RecognizeJobFormat(std::string_view head)
{
    if (head.empty())
        return JobFormat::Empty;
    std::string_view text = head;
    if (startsWith(text, kPjlPrologue)) {
        // PJL lines up to the language they enter; PostScript starts on the line after.
        const size_t ps = text.find("\n%!");
        return ps != std::string_view::npos && text.substr(0, ps).find("%PDF-") == std::string_view::npos
                   ? JobFormat::PostScript
                   : JobFormat::Unknown;
    }
    if (startsWith(text, "\x04"))
        text.remove_prefix(1);
    if (startsWith(text, "%!"))
        return JobFormat::PostScript;
    if (text.substr(0, kPdfHeaderWindow).find("%PDF-") != std::string_view::npos)
        return JobFormat::Pdf;
    return JobFormat::Unknown;
}

const char *DescribeJobFormat(JobFormat format)
{
    switch (format) {
    case JobFormat::PostScript: return "PostScript";
    case JobFormat::Pdf: return "PDF";
    case JobFormat::Empty: return "empty";
    case JobFormat::Unknown: break;
    }
    return "neither PostScript nor PDF";
}

int CreateUnnamedFile(const std::string &dir)
{
    int fd = ::open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != ENOENT))
        return fd;
    // File systems without unnamed files: a named one, removed at once.
    std::string pattern = dir + "/zorvaline-job-XXXXXX";
    fd = mkostemp(pattern.data(), O_CLOEXEC);
    if (fd >= 0)
        unlink(pattern.c_str());
    return fd;
}

std::string DefaultWorkDir()
{
    const char *tmp = std::getenv("TMPDIR");
    struct stat info {};
    if (tmp && *tmp && stat(tmp, &info) == 0 && S_ISDIR(info.st_mode) && access(tmp, W_OK | X_OK) == 0)
        return tmp;
    return "/tmp";
}

JobInput::~JobInput()
{
    close();
}

JobInput::JobInput(JobInput &&other) noexcept
{
    *this = std::move(other);
}

JobInput &JobInput::operator=(JobInput &&other) noexcept
{
    if (this != &other) {
        close();
        m_name = std::move(other.m_name);
        m_fd = other.m_fd;
        m_ownsFd = other.m_ownsFd;
        m_head = std::move(other.m_head);
        m_size = other.m_size;
        m_format = other.m_format;
        other.m_fd = -1;
        other.m_ownsFd = false;
    }
    return *this;
}

void JobInput::close()
{
    if (m_ownsFd && m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_ownsFd = false;
}

bool JobInput::open(const std::string &name, const std::string &workDir, std::string &problem, bool asPostScript)
{
    const bool standardInput = name == "-";
    const int fd = standardInput ? STDIN_FILENO : ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        close();
        m_name = name;
        problem = "cannot read " + name + ": " + std::strerror(errno);
        return false;
    }
    if (!open(fd, name, workDir, problem, asPostScript))
        return false;
    m_ownsFd = !standardInput;
    return true;
}

bool JobInput::open(int fd, const std::string &name, const std::string &workDir, std::string &problem,
                    bool asPostScript)
{
    close();
    m_name = name;
    m_fd = fd;
    m_ownsFd = fd != STDIN_FILENO;
    const std::string shown = name == "-" ? "standard input" : name;
    struct stat info {};
    if (fstat(fd, &info) != 0) {
        problem = "cannot read " + shown + ": " + std::strerror(errno);
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        problem = "cannot read " + shown + ": it is a folder";
        return false;
    }
    m_head.resize(kJobHeadSize);
    const ssize_t got = zorplat::ReadFully(fd, m_head.data(), m_head.size());
    if (got < 0) {
        problem = "cannot read " + shown + ": " + std::strerror(errno);
        return false;
    }
    m_head.resize(static_cast<size_t>(got));
    m_format = RecognizeJobFormat(m_head);
    m_size = S_ISREG(info.st_mode) ? info.st_size : -1;
    if (!asPostScript)
        return true;
    switch (m_format) {
    case JobFormat::PostScript:
        return true;
    case JobFormat::Pdf:
        return convertPdf(fd, workDir, problem);
    case JobFormat::Empty:
        problem = shown + " is empty: there is nothing to print";
        return false;
    case JobFormat::Unknown:
        break;
    }
    problem = shown + " is neither PostScript nor PDF: only those can be printed";
    return false;
}

bool JobInput::convertPdf(int pdfFd, const std::string &workDir, std::string &problem)
{
    const std::string shown = m_name == "-" ? "standard input" : m_name;
    // Ghostscript seeks in a PDF: one that is not a plain file is copied into one first.
    int source = pdfFd;
    int copy = -1;
    struct stat info {};
    if (fstat(pdfFd, &info) != 0 || !S_ISREG(info.st_mode) || lseek(pdfFd, 0, SEEK_SET) != 0) {
        copy = CreateUnnamedFile(workDir);
        if (copy < 0) {
            problem = "cannot make a work file in " + workDir + ": " + std::strerror(errno);
            return false;
        }
        bool copied = zorplat::WriteFully(copy, m_head.data(), m_head.size());
        std::vector<char> block(1 << 20);
        for (ssize_t n; copied && (n = zorplat::ReadFully(pdfFd, block.data(), block.size())) != 0;)
            copied = n > 0 && zorplat::WriteFully(copy, block.data(), static_cast<size_t>(n));
        if (!copied) {
            problem = "cannot copy " + shown + " into " + workDir + ": " + std::strerror(errno);
            ::close(copy);
            return false;
        }
        source = copy;
    } else if (pdfFd <= STDERR_FILENO) {
        // Standard input redirected from a file: the child's own 0 to 2 are taken.
        copy = fcntl(pdfFd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
        if (copy < 0) {
            problem = "cannot convert " + shown + " from PDF: " + std::strerror(errno);
            return false;
        }
        source = copy;
    }
    const int output = CreateUnnamedFile(workDir);
    const int messages = CreateUnnamedFile(workDir);
    if (output < 0 || messages < 0) {
        problem = "cannot make a work file in " + workDir + ": " + std::strerror(errno);
        for (int fd : {copy, output, messages})
            if (fd >= 0)
                ::close(fd);
        return false;
    }

    // The child reaches the files through /dev/fd under their own numbers; a dup2 onto
    // itself keeps a descriptor open across exec.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, messages, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, messages, STDERR_FILENO);
    posix_spawn_file_actions_adddup2(&actions, source, source);
    posix_spawn_file_actions_adddup2(&actions, output, output);
    std::vector<std::string> arguments = {kGhostscript, "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE",
                                          "-sDEVICE=ps2write", "-sOutputFile=/dev/fd/" + std::to_string(output),
                                          "-f", "/dev/fd/" + std::to_string(source)};
    std::vector<char *> argv;
    for (std::string &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    // Ghostscript starts with no signal blocked, whatever the caller blocks for itself.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, kGhostscript, &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (copy >= 0)
        ::close(copy);
    int status = 0;
    if (spawned == 0)
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    std::string said;
    if (lseek(messages, 0, SEEK_SET) == 0) {
        char text[4096];
        const ssize_t n = zorplat::ReadFully(messages, text, sizeof text);
        said.assign(text, n > 0 ? static_cast<size_t>(n) : 0);
    }
    ::close(messages);
    if (spawned != 0) {
        problem = "cannot convert " + shown + " from PDF: Ghostscript (gs) could not be started: " +
                  std::strerror(spawned) + " (it comes with the package ghostscript)";
        ::close(output);
        return false;
    }
    struct stat converted {};
    // A file Ghostscript cannot make sense of still gives an exit status of 0 and one blank
    // page; only its words tell.
    const bool unreadable = said.find(kNoPages) != std::string::npos;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || unreadable || fstat(output, &converted) != 0 ||
        converted.st_size == 0) {
        const std::string reason = gsReason(said);
        problem = "cannot convert " + shown + " from PDF: Ghostscript could not read it" +
                  (reason.empty() ? std::string() : " (" + reason + ")");
        ::close(output);
        return false;
    }
    close();
    m_fd = output;
    m_ownsFd = true;
    m_size = converted.st_size;
    lseek(output, 0, SEEK_SET);
    m_head.clear();
    return true;
}
