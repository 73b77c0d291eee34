// The user-interface services over the installed backend: message boxes, the foreground
// timer, progress windows, and the journal of everything shown.
#include "platform/ui/ui.h"

#include "platform/base/lasterror.h"
#include "platform/ui/uijournal.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

namespace zorplat {

namespace {

// Window handles are small numbers, never addresses; the desktop has one of its own.
constexpr uintptr_t kDesktopWindow = 0x10010;
constexpr uintptr_t kFirstProgressWindow = 0x20000;

struct UiState {
    std::mutex mutex;
    std::shared_ptr<UiBackend> backend;
    std::map<HWND, ProgressState> progressWindows;
    uintptr_t lastWindow = kFirstProgressWindow;
};

UiState &uiState()
{
    static UiState *instance = new UiState; // boxes may still be shown while the process exits
    return *instance;
}

std::shared_ptr<UiBackend> currentBackend()
{
    UiState &state = uiState();
    std::lock_guard lock(state.mutex);
    if (!state.backend)
        state.backend = CreateHeadlessUiBackend();
    return state.backend;
}

std::vector<int> buttonsOf(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
    default: return {IDOK};
    }
}

std::string_view buttonsName(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return "okcancel";
    case MB_ABORTRETRYIGNORE: return "abortretryignore";
    case MB_YESNOCANCEL: return "yesnocancel";
    case MB_YESNO: return "yesno";
    case MB_RETRYCANCEL: return "retrycancel";
    default: return "ok";
    }
}

std::string_view iconName(UINT type)
{
    switch (type & MB_ICONMASK) {
    case MB_ICONSTOP: return "stop";
    case MB_ICONQUESTION: return "question";
    case MB_ICONEXCLAMATION: return "exclamation";
    case MB_ICONINFORMATION: return "information";
    default: return "none";
    }
}

bool makeRequest(HWND owner, LPCSTR text, LPCSTR caption, UINT type, MessageBoxRequest &request)
{
    if (!text) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    request = MessageBoxRequest{owner, text, caption ? caption : "Error", type, {}};
    return true;
}

void recordMessageBox(const MessageBoxRequest &request, int answer)
{
    UiJournalEntry entry("messagebox");
    entry.add("caption", request.caption)
        .add("text", request.text)
        .add("icon", iconName(request.type))
        .add("buttons", buttonsName(request.type))
        .add("type", static_cast<long long>(request.type))
        .add("answer", answer);
    if (!request.details.empty())
        entry.add("details", request.details);
    entry.write();
}

int showAndRecord(UiBackend &backend, const MessageBoxRequest &request)
{
    const int answer = backend.showMessageBox(request);
    recordMessageBox(request, answer);
    return answer;
}

void recordProgress(const ProgressState &state)
{
    UiJournalEntry("progress")
        .add("title", state.title)
        .add("pos", state.position)
        .add("min", state.minimum)
        .add("max", state.maximum)
        .write();
}

// Applies `change` to the window's state; tells the backend and the journal afterwards,
// outside the lock, as a backend may take its time.
template <class Change>
bool changeProgress(HWND window, Change change)
{
    UiState &ui = uiState();
    ProgressState after;
    {
        std::lock_guard lock(ui.mutex);
        auto found = ui.progressWindows.find(window);
        if (found == ui.progressWindows.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return false;
        }
        if (!change(found->second))
            return false;
        after = found->second;
    }
    currentBackend()->progressWindowChanged(window, after);
    recordProgress(after);
    return true;
}

int clamped(int value, const ProgressState &state)
{
    return std::min(std::max(value, state.minimum), state.maximum);
}

} // namespace

UiMode UiModeFromEnvironment()
{
    const char *value = std::getenv("ZORVALINE_UI");
    const std::string_view mode = value ? value : "";
    if (mode == "headless")
        return UiMode::Headless;
    if (mode == "qt")
        return UiMode::Qt;
    return UiMode::Auto;
}

void SetUiBackend(std::unique_ptr<UiBackend> backend)
{
    UiState &state = uiState();
    std::lock_guard lock(state.mutex);
    state.backend = backend ? std::shared_ptr<UiBackend>(std::move(backend)) : CreateHeadlessUiBackend();
}

int DefaultButtonAnswer(UINT type)
{
    const std::vector<int> buttons = buttonsOf(type);
    const size_t index = (type & MB_DEFMASK) >> 8;
    return buttons[index < buttons.size() ? index : 0];
}

int ShowCommConfigDialog(HWND owner, const std::string &portName, COMMCONFIG &config)
{
    return currentBackend()->showCommConfigDialog(owner, portName, config);
}

int MessageBoxKeptInForeground(HWND owner, LPCSTR text, LPCSTR caption, UINT type, DWORD periodMs,
                               const std::string &details)
{
    MessageBoxRequest request;
    if (!makeRequest(owner, text, caption, type, request))
        return 0;
    request.details = details;
    const std::shared_ptr<UiBackend> backend = currentBackend();
    if (periodMs == 0)
        return showAndRecord(*backend, request);

    std::mutex mutex;
    std::condition_variable closed;
    bool answered = false;
    std::thread timer([&] {
        std::unique_lock lock(mutex);
        while (!closed.wait_for(lock, std::chrono::milliseconds(periodMs), [&] { return answered; })) {
            lock.unlock();
            backend->bringMessageBoxToForeground(request);
            UiJournalEntry("foreground").add("caption", request.caption).add("text", request.text).write();
            lock.lock();
        }
    });
    const int answer = backend->showMessageBox(request);
    {
        std::lock_guard lock(mutex);
        answered = true;
    }
    closed.notify_all();
    timer.join();
    recordMessageBox(request, answer);
    return answer;
}

HWND CreateProgressWindow(const std::string &title)
{
    UiState &ui = uiState();
    HWND window;
    ProgressState state;
    state.title = title;
    {
        std::lock_guard lock(ui.mutex);
        ui.lastWindow += 4;
        window = reinterpret_cast<HWND>(ui.lastWindow);
        ui.progressWindows.emplace(window, state);
    }
    currentBackend()->progressWindowCreated(window, state);
    UiJournalEntry("progress-created").add("title", title).write();
    return window;
}

bool SetProgressRange(HWND window, int minimum, int maximum)
{
    if (maximum <= minimum) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    return changeProgress(window, [&](ProgressState &state) {
        state.minimum = minimum;
        state.maximum = maximum;
        state.position = clamped(state.position, state);
        return true;
    });
}

bool SetProgressStep(HWND window, int step)
{
    return changeProgress(window, [&](ProgressState &state) {
        state.step = step;
        return true;
    });
}

bool StepProgress(HWND window)
{
    return changeProgress(window, [](ProgressState &state) {
        const long long next = static_cast<long long>(state.position) + state.step;
        const long long span = static_cast<long long>(state.maximum) - state.minimum;
        if (next > state.maximum)
            state.position = static_cast<int>(state.minimum + (next - state.minimum) % span);
        else
            state.position = static_cast<int>(std::max<long long>(next, state.minimum));
        return true;
    });
}

bool SetProgressPosition(HWND window, int position)
{
    return changeProgress(window, [&](ProgressState &state) {
        state.position = clamped(position, state);
        return true;
    });
}

std::optional<ProgressState> ProgressWindowState(HWND window)
{
    UiState &ui = uiState();
    std::lock_guard lock(ui.mutex);
    auto found = ui.progressWindows.find(window);
    if (found == ui.progressWindows.end())
        return std::nullopt;
    return found->second;
}

} // namespace zorplat

int MessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    zorplat::MessageBoxRequest request;
    if (!zorplat::makeRequest(owner, text, caption, type, request))
        return 0;
    return zorplat::showAndRecord(*zorplat::currentBackend(), request);
}

HWND GetDesktopWindow()
{
    return reinterpret_cast<HWND>(zorplat::kDesktopWindow);
}

BOOL SetWindowText(HWND window, LPCSTR text)
{
    if (!text) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    zorplat::UiState &ui = zorplat::uiState();
    zorplat::ProgressState after;
    {
        std::lock_guard lock(ui.mutex);
        auto found = ui.progressWindows.find(window);
        if (found == ui.progressWindows.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        found->second.title = text;
        after = found->second;
    }
    zorplat::currentBackend()->progressWindowChanged(window, after);
    zorplat::UiJournalEntry("title").add("title", text).write();
    return TRUE;
}

BOOL SetForegroundWindow(HWND window)
{
    const std::optional<zorplat::ProgressState> state = zorplat::ProgressWindowState(window);
    if (!state) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    zorplat::currentBackend()->progressWindowToForeground(window);
    zorplat::UiJournalEntry("foreground").add("title", state->title).write();
    return TRUE;
}

BOOL DestroyWindow(HWND window)
{
    zorplat::UiState &ui = zorplat::uiState();
    std::string title;
    {
        std::lock_guard lock(ui.mutex);
        auto found = ui.progressWindows.find(window);
        if (found == ui.progressWindows.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        title = found->second.title;
        ui.progressWindows.erase(found);
    }
    zorplat::currentBackend()->progressWindowDestroyed(window);
    zorplat::UiJournalEntry("progress-destroyed").add("title", title).write();
    return TRUE;
}
