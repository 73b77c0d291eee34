// How far a job has come, on a terminal: one line on standard error, rewritten in place,
// only when standard error is a terminal and only once the job has run for a moment, so
// short jobs and scripts see nothing.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

class JobProgress {
public:
    // total: the job's size in bytes, or a negative value when unknown (standard input).
    JobProgress(std::string title, int64_t total);
    ~JobProgress();
    JobProgress(const JobProgress &) = delete;
    JobProgress &operator=(const JobProgress &) = delete;

    void advance(int64_t done);
    // The bytes are with the monitor; it delivers them now.
    void delivering();

private:
    void show(const std::string &text);

    std::string m_title;
    int64_t m_total;
    bool m_terminal;
    bool m_shown = false;
    std::chrono::steady_clock::time_point m_start;
    std::chrono::steady_clock::time_point m_lastShown;
};
