#include "manager/setup/UpDownControl.h"

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace sendaro {

UpDownControl::UpDownControl(QWidget *parent)
    : QWidget(parent), m_up(new QToolButton(this)), m_down(new QToolButton(this))
{
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton *button : {m_up, m_down}) {
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
        layout->addWidget(button);
    }
    connect(m_up, &QToolButton::clicked, this, [this] { Step(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { Step(-1); });
}

void UpDownControl::SetBuddy(QLineEdit *buddy)
{
    m_buddy = buddy;
    const int height = buddy->sizeHint().height();
    setFixedHeight(height);
    for (QToolButton *button : {m_up, m_down})
        button->setFixedSize(height, height / 2);
}

void UpDownControl::SetRange(int lowest, int highest)
{
    m_lowest = lowest;
    m_highest = highest;
}

void UpDownControl::Step(int direction)
{
    if (!m_buddy)
        return;
    bool isNumber = false;
    const int now = m_buddy->text().trimmed().toInt(&isNumber);
    const int next = isNumber ? std::clamp(now + direction, m_lowest, m_highest) : m_lowest;
    m_buddy->setText(QString::number(next));
}

} // namespace sendaro
