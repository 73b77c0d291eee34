#include "monitor/MessageBoxRoutine.h"

#include "monitor/ModuleEntry.h"
#include "platform/kernel/stringtable.h"
#include "platform/kernel/threads.h"
#include "platform/ui/ui.h"

#include <cstdarg>
#include <cstdio>
#include <optional>
#include <string>

namespace {

// Texts are loaded through a 120-byte buffer, so a text is cut after 119 characters.
constexpr int kTextBufferSize = 120;
// The formatted text, its "\n" and the terminator share one 1,024-byte buffer.
constexpr size_t kMessageBufferSize = 1024;
// An unanswered box is brought back to the foreground this often.
constexpr DWORD kForegroundPeriodMs = 15000;

// What the thread's slot holds while a box is up.
struct ShownBox {
    HWND owner;
    UINT type;
    const std::string *text;
    const std::string *caption;
};

std::string format(const char *pattern, va_list arguments)
{
    char buffer[kMessageBufferSize];
    int length = std::vsnprintf(buffer, sizeof buffer - 1, pattern, arguments);
    if (length < 0)
        return {};
    std::string text(buffer, std::min<size_t>(static_cast<size_t>(length), sizeof buffer - 2));
    return text + "\n";
}

} // namespace

namespace {

int showMessage(HWND owner, UINT type, UINT captionId, UINT textId, const std::string &details,
                va_list arguments)
{
    HINSTANCE instance = zormon::ModuleInstance();
    char pattern[kTextBufferSize];
    if (LoadString(instance, textId, pattern, sizeof pattern) == 0)
        return 0;
    std::optional<std::string> caption = zorplat::LoadStringText(instance, captionId);
    if (!caption)
        return 0;

    std::string text = format(pattern, arguments);

    if (type & MB_SYSTEMMODAL)
        return zorplat::MessageBoxKeptInForeground(owner, text.c_str(), caption->c_str(), type, 0, details);

    DWORD slot = zormon::MessageBoxSlot();
    ShownBox shown{owner, type, &text, &*caption};
    LPVOID outer = slot != TLS_OUT_OF_INDEXES ? TlsGetValue(slot) : nullptr;
    if (slot != TLS_OUT_OF_INDEXES)
        TlsSetValue(slot, &shown);
    int answer = zorplat::MessageBoxKeptInForeground(owner, text.c_str(), caption->c_str(), type,
                                                     kForegroundPeriodMs, details);
    if (slot != TLS_OUT_OF_INDEXES)
        TlsSetValue(slot, outer);
    return answer;
}

} // namespace

int ShowMonitorMessage(HWND owner, UINT type, UINT captionId, UINT textId, ...)
{
    va_list arguments;
    va_start(arguments, textId);
    const int answer = showMessage(owner, type, captionId, textId, {}, arguments);
    va_end(arguments);
    return answer;
}

int ShowMonitorMessageWithDetails(HWND owner, UINT type, UINT captionId, UINT textId,
                                  const char *details, ...)
{
    va_list arguments;
    va_start(arguments, details);
    const int answer = showMessage(owner, type, captionId, textId, details, arguments);
    va_end(arguments);
    return answer;
}
