// What a job's bytes are, and the job made ready for the monitor: it mails PostScript, so
// PostScript goes as it is, a PDF is turned into PostScript with Ghostscript first, and
// anything else is refused (the monitor would mail it as PostScript all the same, and the
// printer would print garbage or nothing).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

enum class JobFormat {
    PostScript, // "%!", after an optional Ctrl-D or a PJL prologue
    Pdf,        // "%PDF-" within the first kilobyte
    Empty,      // no bytes at all
    Unknown,
};

// How many leading bytes RecognizeJobFormat needs to see (fewer when the job is shorter).
constexpr size_t kJobHeadSize = 4096;

JobFormat RecognizeJobFormat(std::string_view head);

// "PostScript", "PDF", "empty", "neither PostScript nor PDF".
const char *DescribeJobFormat(JobFormat format);

// A job ready for the spooler: PostScript read from `fd`, `head` first (bytes already read
// from fd to recognise it). The descriptor is closed by the object.
class JobInput {
public:
    JobInput() = default;
    ~JobInput();
    JobInput(JobInput &&other) noexcept;
    JobInput &operator=(JobInput &&other) noexcept;
    JobInput(const JobInput &) = delete;
    JobInput &operator=(const JobInput &) = delete;

    // Opens `name` ("-": standard input) and makes it ready. With `asPostScript` false the
    // bytes go as they are (a printer on another port prints what it is given). Else a PDF is converted by
    // Ghostscript into an unnamed file in `workDir` (a PDF on standard input is first copied
    // there, as Ghostscript must seek in it). False with `problem` set to a sentence naming
    // the input when it cannot be read, is empty, is neither PostScript nor PDF, or cannot be
    // converted.
    bool open(const std::string &name, const std::string &workDir, std::string &problem, bool asPostScript = true);

    // The same for a descriptor already open (taken over by the object); `name` is what the
    // messages call it.
    bool open(int fd, const std::string &name, const std::string &workDir, std::string &problem,
              bool asPostScript = true);

    const std::string &name() const { return m_name; }
    int fd() const { return m_fd; }
    const std::string &head() const { return m_head; }
    // The PostScript's size in bytes; -1 when unknown (PostScript on a pipe).
    int64_t size() const { return m_size; }
    JobFormat format() const { return m_format; }

private:
    void close();
    bool convertPdf(int pdfFd, const std::string &workDir, std::string &problem);

    std::string m_name;
    int m_fd = -1;
    bool m_ownsFd = false;
    std::string m_head;
    int64_t m_size = -1;
    JobFormat m_format = JobFormat::Unknown;
};

// A file in `dir` that has no name (removed at once): it vanishes with its last descriptor,
// however the process ends. -1 with errno set when none can be made.
int CreateUnnamedFile(const std::string &dir);

// The folder for work files: $TMPDIR when it is a folder we may write, else /tmp.
std::string DefaultWorkDir();
