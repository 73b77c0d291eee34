#include "tools/JobProgress.h"

#include <cstdio>
#include <unistd.h>

namespace {

// A job shorter than this shows nothing; after it, the line changes at most this often.
constexpr auto kQuietStart = std::chrono::milliseconds(700);
constexpr auto kUpdateInterval = std::chrono::milliseconds(200);

std::string megabytes(int64_t bytes)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
    return text;
}

} // namespace

JobProgress::JobProgress(std::string title, int64_t total)
    : m_title(std::move(title)), m_total(total), m_terminal(isatty(STDERR_FILENO) == 1),
      m_start(std::chrono::steady_clock::now())
{
}

JobProgress::~JobProgress()
{
    if (m_shown)
        std::fputs("\r\033[K", stderr);
}

void JobProgress::advance(int64_t done)
{
    if (!m_terminal)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (now - m_start < kQuietStart || (m_shown && now - m_lastShown < kUpdateInterval))
        return;
    m_lastShown = now;
    if (m_total > 0)
        show(std::to_string(done * 100 / m_total) + "% (" + megabytes(done) + " of " + megabytes(m_total) + ")");
    else
        show(megabytes(done));
}

void JobProgress::delivering()
{
    if (m_shown)
        show("handed to the monitor, delivering...");
}

void JobProgress::show(const std::string &text)
{
    std::fprintf(stderr, "\r\033[Kprinting %s: %s", m_title.c_str(), text.c_str());
    std::fflush(stderr);
    m_shown = true;
}
