#include "manager/dialogs/HintLine.h"

#include "manager/database/ManagerStrings.h"

#include <QEvent>
#include <QLabel>

namespace sendaro {

namespace {

constexpr int kHintLineCount = 3;

} // namespace

HintLine::HintLine(QLabel *line) : QObject(line), m_line(line)
{
    m_line->setObjectName("1032");
    m_line->setWordWrap(true);
    m_line->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_line->setMinimumHeight(m_line->fontMetrics().lineSpacing() * kHintLineCount + 2 * m_line->margin());
}

void HintLine::watch(std::initializer_list<QWidget *> controls)
{
    for (QWidget *control : controls)
        control->installEventFilter(this);
}

bool HintLine::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Enter) {
        bool isNumber = false;
        const UINT id = watched->objectName().toUInt(&isNumber);
        m_line->setText(isNumber ? QString::fromStdString(zordb::ManagerString(id)) : QString());
    }
    return QObject::eventFilter(watched, event);
}

} // namespace sendaro
