// The user-interface backend of the print command: the headless one, counting the message
// boxes with the stop icon it shows. A monitor tells a failed delivery only by such a box
// (its job calls succeed all the same), so the command learns of the failure here.
#pragma once

#include "platform/ui/ui.h"

#include <atomic>
#include <memory>

class StopBoxCounter : public zorplat::UiBackend {
public:
    StopBoxCounter();

    int stopBoxes() const { return m_stopBoxes.load(); }

    int showMessageBox(const zorplat::MessageBoxRequest &request) override;
    void bringMessageBoxToForeground(const zorplat::MessageBoxRequest &request) override;
    void progressWindowCreated(HWND window, const zorplat::ProgressState &state) override;
    void progressWindowChanged(HWND window, const zorplat::ProgressState &state) override;
    void progressWindowToForeground(HWND window) override;
    void progressWindowDestroyed(HWND window) override;

private:
    std::unique_ptr<zorplat::UiBackend> m_headless;
    std::atomic<int> m_stopBoxes{0};
};
