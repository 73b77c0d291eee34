#include "monitor/ProgressWindow.h"

#include "platform/ui/ui.h"

#include <mutex>

namespace ProgressWindow {

namespace {

std::mutex g_mutex;
HWND g_window = nullptr;
std::string g_printerName;

std::string withPrinterName(const char *pattern, const std::string &printerName)
{
    std::string text = pattern;
    size_t at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, printerName);
    return text;
}

void closeLocked()
{
    if (g_window)
        DestroyWindow(g_window);
    g_window = nullptr;
    g_printerName.clear();
}

} // namespace

void Open(const std::string &printerName)
{
    std::lock_guard lock(g_mutex);
    closeLocked();
    g_window = zorplat::CreateProgressWindow(withPrinterName("Vireon Internet Printing on %s ", printerName));
    if (!g_window)
        return;
    g_printerName = printerName;
    SetForegroundWindow(g_window);
    zorplat::SetProgressRange(g_window, 0, 10);
    zorplat::SetProgressStep(g_window, 1);
    zorplat::StepProgress(g_window);
}

void Close()
{
    std::lock_guard lock(g_mutex);
    closeLocked();
}

bool IsOpen()
{
    std::lock_guard lock(g_mutex);
    return g_window != nullptr;
}

std::string PrinterName()
{
    std::lock_guard lock(g_mutex);
    return g_printerName;
}

void SetTitle(const std::string &title)
{
    std::lock_guard lock(g_mutex);
    if (g_window)
        SetWindowText(g_window, title.c_str());
}

void SetRange(int low, int high)
{
    std::lock_guard lock(g_mutex);
    if (g_window)
        zorplat::SetProgressRange(g_window, low, high);
}

void SetStep(int step)
{
    std::lock_guard lock(g_mutex);
    if (g_window)
        zorplat::SetProgressStep(g_window, step);
}

void SetPos(int pos)
{
    std::lock_guard lock(g_mutex);
    if (g_window)
        zorplat::SetProgressPosition(g_window, pos);
}

void Step()
{
    std::lock_guard lock(g_mutex);
    if (g_window)
        zorplat::StepProgress(g_window);
}

void ShowStage(const char *stageFormat)
{
    std::lock_guard lock(g_mutex);
    if (!g_window)
        return;
    SetWindowText(g_window, withPrinterName(stageFormat, g_printerName).c_str());
    zorplat::StepProgress(g_window);
}

void ShowStageTitle(const char *stageFormat)
{
    std::lock_guard lock(g_mutex);
    if (g_window)
        SetWindowText(g_window, withPrinterName(stageFormat, g_printerName).c_str());
}

} // namespace ProgressWindow
