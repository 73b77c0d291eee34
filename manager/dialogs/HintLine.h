// The hint line of a dialog or wizard page (static 1032): while the mouse is over a watched
// control, it shows the string of the manager's table numbered like that control's id (its
// object name). The hint stays after the mouse leaves, until another control gives its own.
#pragma once

#include <QObject>

#include <initializer_list>

class QLabel;
class QWidget;

namespace sendaro {

class HintLine : public QObject {
    Q_OBJECT
public:
    // `line` becomes the hint line: object name "1032", wrapped text, room for three lines so
    // that the longest hint is not cut and the dialog keeps its size.
    explicit HintLine(QLabel *line);

    // Controls already named by their ids. A control whose number has no string shows an
    // empty line.
    void watch(std::initializer_list<QWidget *> controls);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *m_line;
};

} // namespace sendaro
