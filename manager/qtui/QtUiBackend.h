// The platform's user-interface services shown with Qt widgets. The monitor and the platform
// may ask from any thread; every widget is made and used on the GUI thread, and a caller on
// another thread waits there until the user has answered.
#pragma once

#include "platform/ui/ui.h"

#include <map>
#include <memory>
#include <mutex>

class QMessageBox;
class QProgressDialog;

namespace zorqtui {

class QtUiBackend : public zorplat::UiBackend {
public:
    int showMessageBox(const zorplat::MessageBoxRequest &request) override;
    void bringMessageBoxToForeground(const zorplat::MessageBoxRequest &request) override;

    void progressWindowCreated(HWND window, const zorplat::ProgressState &state) override;
    void progressWindowChanged(HWND window, const zorplat::ProgressState &state) override;
    void progressWindowToForeground(HWND window) override;
    void progressWindowDestroyed(HWND window) override;

private:
    int showOnGuiThread(const zorplat::MessageBoxRequest &request);

    std::mutex m_mutex; // guards m_boxes, which the foreground timer thread reads
    std::map<const zorplat::MessageBoxRequest *, QMessageBox *> m_boxes;
    std::map<HWND, std::unique_ptr<QProgressDialog>> m_progress; // GUI thread only
};

// Installs the Qt backend for the process unless ZORVALINE_UI is "headless". Needs the
// QApplication to exist. True when the Qt backend was installed.
bool InstallQtUiBackend();

} // namespace zorqtui
