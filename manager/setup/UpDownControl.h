// An up-down control beside an edit (its buddy): the arrows step the number in the edit
// within a range, as the system's spin control does. The edit keeps whatever the user
// types; the page checks it when it takes its values.
#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace sendaro {

class UpDownControl : public QWidget {
    Q_OBJECT
public:
    explicit UpDownControl(QWidget *parent = nullptr);

    void SetBuddy(QLineEdit *buddy);
    void SetRange(int lowest, int highest);
    // One step up (+1) or down (-1): the edit's number, moved and kept within the range; a
    // text that is no number starts from the lower end.
    void Step(int direction);

private:
    QLineEdit *m_buddy = nullptr;
    QToolButton *m_up;
    QToolButton *m_down;
    int m_lowest = 0;
    int m_highest = 100;
};

} // namespace sendaro
