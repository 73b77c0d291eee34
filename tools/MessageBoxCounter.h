// The user-interface backend of the print command: the headless one, counting the message
// boxes it shows by their icon. A monitor tells the outcome of a delivery only by its boxes
// (its job calls succeed all the same): a failure by a box with the stop icon, a delivered
// job by one with the information icon ("The Print Job was successfully sent"), the only
// such box of a job. So the command learns here what became of its jobs.
#pragma once

#include "platform/ui/ui.h"

#include <atomic>
#include <memory>

class MessageBoxCounter : public zorplat::UiBackend {
public:
    MessageBoxCounter();

    int stopBoxes() const { return m_stopBoxes.load(); }
    int informationBoxes() const { return m_informationBoxes.load(); }

    int showMessageBox(const zorplat::MessageBoxRequest &request) override;
    void bringMessageBoxToForeground(const zorplat::MessageBoxRequest &request) override;
    void progressWindowCreated(HWND window, const zorplat::ProgressState &state) override;
    void progressWindowChanged(HWND window, const zorplat::ProgressState &state) override;
    void progressWindowToForeground(HWND window) override;
    void progressWindowDestroyed(HWND window) override;

private:
    std::unique_ptr<zorplat::UiBackend> m_headless;
    std::atomic<int> m_stopBoxes{0};
    std::atomic<int> m_informationBoxes{0};
};
