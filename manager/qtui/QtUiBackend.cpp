#include "manager/qtui/QtUiBackend.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>

#include <vector>

namespace zorqtui {

namespace {

struct ButtonChoice {
    QMessageBox::StandardButton button;
    int answer;
};

std::vector<ButtonChoice> buttonsOf(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
    case MB_ABORTRETRYIGNORE:
        return {{QMessageBox::Abort, IDABORT}, {QMessageBox::Retry, IDRETRY}, {QMessageBox::Ignore, IDIGNORE}};
    case MB_YESNOCANCEL:
        return {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
    case MB_YESNO: return {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
    case MB_RETRYCANCEL: return {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}};
    default: return {{QMessageBox::Ok, IDOK}};
    }
}

QMessageBox::Icon iconOf(UINT type)
{
    switch (type & MB_ICONMASK) {
    case MB_ICONSTOP: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONEXCLAMATION: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

bool onGuiThread()
{
    return QThread::currentThread() == qApp->thread();
}

// Runs `work` on the GUI thread and waits for it.
template <typename Work>
void onGui(Work work)
{
    if (onGuiThread())
        work();
    else
        QMetaObject::invokeMethod(qApp, work, Qt::BlockingQueuedConnection);
}

} // namespace

int QtUiBackend::showMessageBox(const zorplat::MessageBoxRequest &request)
{
    int answer = zorplat::DefaultButtonAnswer(request.type);
    onGui([&] { answer = showOnGuiThread(request); });
    return answer;
}

int QtUiBackend::showOnGuiThread(const zorplat::MessageBoxRequest &request)
{
    QMessageBox box(iconOf(request.type), QString::fromStdString(request.caption),
                    QString::fromStdString(request.text), QMessageBox::NoButton,
                    QApplication::activeWindow());
    const std::vector<ButtonChoice> choices = buttonsOf(request.type);
    for (const ButtonChoice &choice : choices)
        box.addButton(choice.button);
    const size_t defaultIndex = (request.type & MB_DEFMASK) >> 8;
    box.setDefaultButton(choices[defaultIndex < choices.size() ? defaultIndex : 0].button);
    // Escape and the close button answer Cancel where there is one, else the only button.
    box.setEscapeButton(choices.size() == 1 ? choices[0].button : choices.back().button);
    if (request.type & (MB_SETFOREGROUND | MB_TOPMOST | MB_SYSTEMMODAL))
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
    {
        std::lock_guard lock(m_mutex);
        m_boxes[&request] = &box;
    }
    box.exec();
    {
        std::lock_guard lock(m_mutex);
        m_boxes.erase(&request);
    }
    const auto clicked = box.standardButton(box.clickedButton());
    for (const ButtonChoice &choice : choices)
        if (choice.button == clicked)
            return choice.answer;
    return choices.size() == 1 ? choices[0].answer : choices.back().answer;
}

void QtUiBackend::bringMessageBoxToForeground(const zorplat::MessageBoxRequest &request)
{
    // Queued to the GUI thread without waiting: the box may be closing meanwhile, so it is
    // looked up again there.
    QMetaObject::invokeMethod(qApp, [this, key = &request] {
        std::lock_guard lock(m_mutex);
        auto found = m_boxes.find(key);
        if (found != m_boxes.end()) {
            found->second->raise();
            found->second->activateWindow();
        }
    });
}

void QtUiBackend::progressWindowCreated(HWND window, const zorplat::ProgressState &state)
{
    onGui([&] {
        auto dialog = std::make_unique<QProgressDialog>();
        dialog->setCancelButton(nullptr);
        dialog->setAutoClose(false);
        dialog->setAutoReset(false);
        dialog->setMinimumDuration(0);
        dialog->setMinimumWidth(360);
        dialog->setWindowTitle(QString::fromStdString(state.title));
        dialog->setRange(state.minimum, state.maximum);
        dialog->setValue(state.position);
        dialog->show();
        m_progress[window] = std::move(dialog);
    });
}

void QtUiBackend::progressWindowChanged(HWND window, const zorplat::ProgressState &state)
{
    onGui([&] {
        auto found = m_progress.find(window);
        if (found == m_progress.end())
            return;
        found->second->setWindowTitle(QString::fromStdString(state.title));
        found->second->setRange(state.minimum, state.maximum);
        found->second->setValue(state.position);
    });
}

void QtUiBackend::progressWindowToForeground(HWND window)
{
    onGui([&] {
        auto found = m_progress.find(window);
        if (found != m_progress.end()) {
            found->second->raise();
            found->second->activateWindow();
        }
    });
}

void QtUiBackend::progressWindowDestroyed(HWND window)
{
    onGui([&] { m_progress.erase(window); });
}

bool InstallQtUiBackend()
{
    if (zorplat::UiModeFromEnvironment() == zorplat::UiMode::Headless)
        return false;
    zorplat::SetUiBackend(std::make_unique<QtUiBackend>());
    return true;
}

} // namespace zorqtui
