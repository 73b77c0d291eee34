// User-interface services without a toolkit: message boxes, a box kept in the foreground,
// and the progress window (a window that is itself a progress bar). The work is done by a
// process-wide backend: the headless one (default) answers every box with its default
// button; a toolkit program installs its own with zorplat::SetUiBackend. Whatever the
// backend, when ZORVALINE_UI_LOG names a file every event is appended to it as one JSON
// line: messagebox, foreground, progress-created, progress, title, progress-destroyed.
#pragma once

#include "platform/base/commconfig.h"
#include "platform/base/windef.h"

#include <memory>
#include <optional>
#include <string>

// Buttons.
constexpr UINT MB_OK = 0x0;
constexpr UINT MB_OKCANCEL = 0x1;
constexpr UINT MB_ABORTRETRYIGNORE = 0x2;
constexpr UINT MB_YESNOCANCEL = 0x3;
constexpr UINT MB_YESNO = 0x4;
constexpr UINT MB_RETRYCANCEL = 0x5;
constexpr UINT MB_TYPEMASK = 0xF;
// Icons.
constexpr UINT MB_ICONHAND = 0x10;
constexpr UINT MB_ICONSTOP = 0x10;
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONEXCLAMATION = 0x30;
constexpr UINT MB_ICONWARNING = 0x30;
constexpr UINT MB_ICONASTERISK = 0x40;
constexpr UINT MB_ICONINFORMATION = 0x40;
constexpr UINT MB_ICONMASK = 0xF0;
// Default button.
constexpr UINT MB_DEFBUTTON1 = 0x0;
constexpr UINT MB_DEFBUTTON2 = 0x100;
constexpr UINT MB_DEFBUTTON3 = 0x200;
constexpr UINT MB_DEFMASK = 0xF00;
// Modality and placement.
constexpr UINT MB_APPLMODAL = 0x0;
constexpr UINT MB_SYSTEMMODAL = 0x1000;
constexpr UINT MB_TASKMODAL = 0x2000;
constexpr UINT MB_SETFOREGROUND = 0x10000;
constexpr UINT MB_TOPMOST = 0x40000;

// Answers.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Shows a modal box and returns the button chosen; 0 with ERROR_INVALID_PARAMETER when text
// is null (a null caption reads "Error", as on the original platform).
int MessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// A stand-in owner meaning "the desktop": boxes and windows without an application owner.
HWND GetDesktopWindow();
// Progress windows only: changes the title; ERROR_INVALID_HANDLE for any other window.
BOOL SetWindowText(HWND window, LPCSTR text);
// Progress windows only: activates the window and raises it above the others.
BOOL SetForegroundWindow(HWND window);
// Progress windows only: closes and forgets the window.
BOOL DestroyWindow(HWND window);

namespace zorplat {

// ZORVALINE_UI: "headless", "qt", or anything else (default "auto"). Host programs read it
// to decide whether to install a toolkit backend.
enum class UiMode { Auto, Headless, Qt };
UiMode UiModeFromEnvironment();

struct MessageBoxRequest {
    HWND owner = nullptr;
    std::string text;
    std::string caption;
    UINT type = MB_OK;
    // What the program saw that led to the box (a server's reply ...), shown beside the text
    // for whoever needs to know why; empty for most boxes. The text itself stays as worded.
    std::string details;
};

// A progress bar with the original control's defaults: range 0 to 100, step 10.
struct ProgressState {
    std::string title;
    int minimum = 0;
    int maximum = 100;
    int step = 10;
    int position = 0;
};

// What a user-interface backend does. Message-box calls come from any thread, several at
// once; a backend that must show its boxes on one thread marshals them there.
class UiBackend {
public:
    virtual ~UiBackend() = default;

    // Shows the box modally and returns the button chosen (IDOK, IDCANCEL, IDYES ...).
    virtual int showMessageBox(const MessageBoxRequest &request) = 0;
    // Brings the box shown for `request` (the same object showMessageBox received) to the
    // foreground. Called from a timer thread while that box is up.
    virtual void bringMessageBoxToForeground(const MessageBoxRequest &request) = 0;

    // The progress window `window` was created, changed (title, range, step or position;
    // `state` is the state after the change), raised, or destroyed.
    virtual void progressWindowCreated(HWND window, const ProgressState &state) = 0;
    virtual void progressWindowChanged(HWND window, const ProgressState &state) = 0;
    virtual void progressWindowToForeground(HWND window) = 0;
    virtual void progressWindowDestroyed(HWND window) = 0;

    // The communication settings dialog of serial port `portName` ("COM1") on `config`; the
    // settings chosen go into `config`. Returns IDOK or IDCANCEL. A backend without such a
    // dialog answers with its default button, OK, and changes nothing.
    virtual int showCommConfigDialog(HWND, const std::string &, COMMCONFIG &) { return IDOK; }
};

// Installs the process-wide backend; null puts the headless one back. Boxes already up
// finish on the backend that showed them.
void SetUiBackend(std::unique_ptr<UiBackend> backend);

// The headless backend: answers with the default button, writes "caption: text" to
// standard error (and the details, if any, indented on the next line), shows no windows.
std::unique_ptr<UiBackend> CreateHeadlessUiBackend();

// The answer of the box's default button (MB_DEFBUTTON2 picks the second button, and so on;
// a default past the last button picks the first).
int DefaultButtonAnswer(UINT type);

// MessageBox, and while the box is up the backend brings it to the foreground every
// periodMs milliseconds (the first time after periodMs). `details` go with the box (see
// MessageBoxRequest).
int MessageBoxKeptInForeground(HWND owner, LPCSTR text, LPCSTR caption, UINT type,
                               DWORD periodMs, const std::string &details = {});

// Shows the communication settings dialog through the installed backend (CommConfigDialog
// of platform/kernel/comm.h is the caller).
int ShowCommConfigDialog(HWND owner, const std::string &portName, COMMCONFIG &config);

// The progress window: created with a title and the default state; changed by the calls
// below; destroyed with DestroyWindow. The setters return false with ERROR_INVALID_HANDLE
// for an unknown window.
HWND CreateProgressWindow(const std::string &title);
// The position is clamped into the new range; a range with maximum <= minimum is refused
// (ERROR_INVALID_PARAMETER).
bool SetProgressRange(HWND window, int minimum, int maximum);
bool SetProgressStep(HWND window, int step);
// Advances by the step; past the maximum the position starts over from the minimum, as the
// original control does.
bool StepProgress(HWND window);
// Clamped into the range.
bool SetProgressPosition(HWND window, int position);
std::optional<ProgressState> ProgressWindowState(HWND window);

} // namespace zorplat
