// An up-down control beside an edit, its buddy: the arrows count the buddy's number up and
// down within a range. The edit stays an edit, so what the user types is taken and checked
// like any other text.
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
    void SetRange(int low, int high);
    QLineEdit *Buddy() const { return m_buddy; }

    // One step up (+1) or down (-1) from the buddy's number; text that is no number starts
    // from the range's low end.
    void Step(int direction);

private:
    QLineEdit *m_buddy = nullptr;
    QToolButton *m_up;
    QToolButton *m_down;
    int m_low = 0;
    int m_high = 100;
};

} // namespace sendaro
