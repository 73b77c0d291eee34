#include "cups/BackendUi.h"

#include <cstdio>

std::string OneLine(const std::string &text)
{
    std::string line;
    for (char c : text) {
        if (c == '\r' || c == '\n' || c == '\t')
            line += ' ';
        else if (static_cast<unsigned char>(c) < ' ' || c == '\x7f')
            line += '?';
        else
            line += c;
    }
    const size_t end = line.find_last_not_of(' ');
    line.erase(end == std::string::npos ? 0 : end + 1);
    const size_t start = line.find_first_not_of(' ');
    return start == std::string::npos ? "" : line.substr(start);
}

int BackendUi::showMessageBox(const zorplat::MessageBoxRequest &request)
{
    std::string line = OneLine(request.text);
    if (!request.details.empty())
        line += " (" + OneLine(request.details) + ")";
    if ((request.type & MB_ICONMASK) == MB_ICONSTOP) {
        m_lastFailure = line;
        std::fprintf(stderr, "ERROR: %s\n", line.c_str());
    } else {
        std::fprintf(stderr, "INFO: %s\n", line.c_str());
    }
    std::fflush(stderr);
    return MessageBoxCounter::showMessageBox(request);
}

void BackendUi::progressWindowChanged(HWND window, const zorplat::ProgressState &state)
{
    if (state.title != m_lastTitle) {
        m_lastTitle = state.title;
        std::fprintf(stderr, "INFO: %s\n", OneLine(state.title).c_str());
        std::fflush(stderr);
    }
    MessageBoxCounter::progressWindowChanged(window, state);
}
