#include "monitor/ProgressWindow.h"

namespace {
constexpr UINT WM_INITDIALOG = 0x0110;
}

extern "C" BOOL ProgressDlgProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG ? TRUE : FALSE;
}
