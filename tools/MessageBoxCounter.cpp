#include "tools/StopBoxCounter.h"

StopBoxCounter::StopBoxCounter() : m_headless(zorplat::CreateHeadlessUiBackend()) {}

int StopBoxCounter::showMessageBox(const zorplat::MessageBoxRequest &request)
{
    if ((request.type & MB_ICONMASK) == MB_ICONSTOP)
        ++m_stopBoxes;
    return m_headless->showMessageBox(request);
}

void StopBoxCounter::bringMessageBoxToForeground(const zorplat::MessageBoxRequest &request)
{
    m_headless->bringMessageBoxToForeground(request);
}

void StopBoxCounter::progressWindowCreated(HWND window, const zorplat::ProgressState &state)
{
    m_headless->progressWindowCreated(window, state);
}

void StopBoxCounter::progressWindowChanged(HWND window, const zorplat::ProgressState &state)
{
    m_headless->progressWindowChanged(window, state);
}

void StopBoxCounter::progressWindowToForeground(HWND window)
{
    m_headless->progressWindowToForeground(window);
}

void StopBoxCounter::progressWindowDestroyed(HWND window)
{
    m_headless->progressWindowDestroyed(window);
}
