// The chooser's time-out: a print job must never wait for ever on a desktop nobody watches.
// When it runs out, every modal window of the chooser (the dialog, a message box) is closed
// as if cancelled, so the run ends and the job is declined.
#pragma once

#include <QObject>
#include <QTimer>

#include <string>

namespace selvra {

class ChooserTimeOut : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultSeconds = 120;
    static constexpr int kMaximumSeconds = 86400;

    // ZORVALINE_CHOOSER_TIMEOUT_S, whole seconds from 1 to kMaximumSeconds; unset: the
    // default. A value out of range or not a number is named in `warning` and the default
    // is taken.
    static int SecondsFromEnvironment(std::string &warning);

    explicit ChooserTimeOut(int seconds, QObject *parent = nullptr);

    int Seconds() const { return m_seconds; }
    int SecondsLeft() const { return m_secondsLeft; }
    bool Expired() const { return m_secondsLeft == 0; }

    // Starts the count again from the full time (the user is there).
    void Restart();

signals:
    // Once a second, and at Restart.
    void Ticked(int secondsLeft);

private:
    void tick();
    void closeModalWindows();

    int m_seconds;
    int m_secondsLeft;
    QTimer m_clock;
};

} // namespace selvra
