// The backend without windows: every box is answered with its default button and written
// to standard error, so unattended runs neither block nor lose a message.
#include "platform/ui/ui.h"

#include <cstdio>
#include <string>

namespace zorplat {

namespace {

class HeadlessUiBackend : public UiBackend {
public:
    int showMessageBox(const MessageBoxRequest &request) override
    {
        std::string line = request.caption + ": " + request.text;
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        line += '\n';
        if (!request.details.empty())
            line += "  " + request.details + '\n';
        std::fwrite(line.data(), 1, line.size(), stderr);
        std::fflush(stderr);
        return DefaultButtonAnswer(request.type);
    }

    void bringMessageBoxToForeground(const MessageBoxRequest &) override {}
    void progressWindowCreated(HWND, const ProgressState &) override {}
    void progressWindowChanged(HWND, const ProgressState &) override {}
    void progressWindowToForeground(HWND) override {}
    void progressWindowDestroyed(HWND) override {}
};

} // namespace

std::unique_ptr<UiBackend> CreateHeadlessUiBackend()
{
    return std::make_unique<HeadlessUiBackend>();
}

} // namespace zorplat
