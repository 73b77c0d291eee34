#include "chooser/ChooserTimeOut.h"

#include <QApplication>
#include <QDialog>
#include <QWidget>

#include <cerrno>
#include <cstdlib>

namespace selvra {

int ChooserTimeOut::SecondsFromEnvironment(std::string &warning)
{
    const char *name = "ZORVALINE_CHOOSER_TIMEOUT_S";
    const char *value = std::getenv(name);
    if (!value || !*value)
        return kDefaultSeconds;
    char *end = nullptr;
    errno = 0;
    const long seconds = std::strtol(value, &end, 10);
    if (errno != 0 || *end != '\0' || seconds < 1 || seconds > kMaximumSeconds) {
        warning = std::string(name) + "=" + value + " is not a number of seconds from 1 to " +
                  std::to_string(kMaximumSeconds) + "; the time-out is " + std::to_string(kDefaultSeconds) +
                  " seconds.";
        return kDefaultSeconds;
    }
    return static_cast<int>(seconds);
}

ChooserTimeOut::ChooserTimeOut(int seconds, QObject *parent)
    : QObject(parent), m_seconds(seconds), m_secondsLeft(seconds)
{
    m_clock.setInterval(1000);
    connect(&m_clock, &QTimer::timeout, this, &ChooserTimeOut::tick);
    m_clock.start();
}

void ChooserTimeOut::Restart()
{
    if (Expired())
        return;
    m_secondsLeft = m_seconds;
    m_clock.start();
    emit Ticked(m_secondsLeft);
}

void ChooserTimeOut::tick()
{
    if (--m_secondsLeft > 0) {
        emit Ticked(m_secondsLeft);
        return;
    }
    m_clock.stop();
    emit Ticked(0);
    closeModalWindows();
}

void ChooserTimeOut::closeModalWindows()
{
    // A message box over the dialog first: its exec() must return before the dialog's can.
    for (QWidget *window = QApplication::activeModalWidget(); window; window = QApplication::activeModalWidget()) {
        if (auto *dialog = qobject_cast<QDialog *>(window))
            dialog->reject();
        else
            window->close();
        if (window == QApplication::activeModalWidget())
            break; // it refused to close; nothing more can be done from here
    }
    // Any other dialog still waiting for an answer.
    for (QWidget *window : QApplication::topLevelWidgets())
        if (auto *dialog = qobject_cast<QDialog *>(window); dialog && dialog->isVisible())
            dialog->reject();
}

} // namespace selvra
