#include "manager/dialogs/UpDownControl.h"

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace sendaro {

UpDownControl::UpDownControl(QWidget *parent)
    : QWidget(parent), m_up(new QToolButton(this)), m_down(new QToolButton(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton *arrow : {m_up, m_down}) {
        arrow->setArrowType(arrow == m_up ? Qt::UpArrow : Qt::DownArrow);
        arrow->setAutoRepeat(true);
        arrow->setFixedSize(18, 12);
        arrow->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(arrow);
    }
    m_up->setAccessibleName("Up");
    m_down->setAccessibleName("Down");
    connect(m_up, &QToolButton::clicked, this, [this] { Step(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { Step(-1); });
}

void UpDownControl::SetBuddy(QLineEdit *buddy)
{
    m_buddy = buddy;
}

void UpDownControl::SetRange(int low, int high)
{
    m_low = low;
    m_high = high;
}

void UpDownControl::Step(int direction)
{
    if (!m_buddy)
        return;
    bool isNumber = false;
    const int number = m_buddy->text().trimmed().toInt(&isNumber);
    const int next = isNumber ? std::clamp(number + direction, m_low, m_high) : m_low;
    m_buddy->setText(QString::number(next));
}

} // namespace sendaro
