#include "tools/MessageBoxCounter.h"

MessageBoxCounter::MessageBoxCounter() : m_headless(zorplat::CreateHeadlessUiBackend()) {}

int MessageBoxCounter::showMessageBox(const zorplat::MessageBoxRequest &request)
{
    if ((request.type & MB_ICONMASK) == MB_ICONSTOP)
        ++m_stopBoxes;
    if ((request.type & MB_ICONMASK) == MB_ICONINFORMATION)
        ++m_informationBoxes;
    return m_headless->showMessageBox(request);
}

void MessageBoxCounter::bringMessageBoxToForeground(const zorplat::MessageBoxRequest &request)
{
    m_headless->bringMessageBoxToForeground(request);
}

void MessageBoxCounter::progressWindowCreated(HWND window, const zorplat::ProgressState &state)
{
    m_headless->progressWindowCreated(window, state);
}

void MessageBoxCounter::progressWindowChanged(HWND window, const zorplat::ProgressState &state)
{
    m_headless->progressWindowChanged(window, state);
}

void MessageBoxCounter::progressWindowToForeground(HWND window)
{
    m_headless->progressWindowToForeground(window);
}

void MessageBoxCounter::progressWindowDestroyed(HWND window)
{
    m_headless->progressWindowDestroyed(window);
}
