#include "manager/setup/Page1.h"

#include "ui_Page1.h"

#include <QFont>

#include <algorithm>

Page1::Page1(QWidget *parent) : WizardPage(parent), m_ui(std::make_unique<Ui::Page1>())
{
    m_ui->setupUi(this);
    SetUpPicture(m_ui->pictureLabel);
    QFont heading = m_ui->headingLabel->font();
    heading.setBold(true);
    m_ui->headingLabel->setFont(heading);
    // The label's own size hint does not count the tab stops the text is laid out with
    // (eight average characters each).
    QLabel *checkList = m_ui->checkListLabel;
    const QFontMetrics metrics = checkList->fontMetrics();
    int widest = 0;
    for (const QString &line : checkList->text().split('\n'))
        widest = std::max(widest, metrics.horizontalAdvance(QString(line).remove('\t')) +
                                      int(line.count('\t')) * 8 * metrics.averageCharWidth());
    checkList->setMinimumWidth(widest + metrics.averageCharWidth());
}

Page1::~Page1() = default;
