#include "manager/setup/DriverDiskPicture.h"

#include <QPainter>
#include <QPainterPath>

namespace sendaro {

QPixmap DriverDiskPicture()
{
    QPixmap picture(64, 96);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);

    // The disk: a dark square with its metal shutter and paper label.
    painter.setPen(QPen(QColor(20, 30, 60), 1.5));
    painter.setBrush(QColor(45, 70, 140));
    painter.drawRoundedRect(QRectF(8, 4, 48, 48), 3, 3);
    painter.setBrush(QColor(190, 195, 205));
    painter.drawRect(QRectF(20, 4, 24, 16));
    painter.setBrush(QColor(45, 70, 140));
    painter.drawRect(QRectF(34, 7, 6, 10));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(14, 28, 36, 20));
    painter.setPen(QPen(QColor(120, 120, 120), 1));
    for (int line = 33; line <= 43; line += 5)
        painter.drawLine(QPointF(18, line), QPointF(46, line));

    // The arrow down into the computer.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(40, 150, 60));
    QPainterPath arrow;
    arrow.moveTo(26, 56);
    arrow.lineTo(38, 56);
    arrow.lineTo(38, 68);
    arrow.lineTo(46, 68);
    arrow.lineTo(32, 82);
    arrow.lineTo(18, 68);
    arrow.lineTo(26, 68);
    arrow.closeSubpath();
    painter.drawPath(arrow);

    // The system directory: a folder.
    painter.setPen(QPen(QColor(140, 110, 20), 1.5));
    painter.setBrush(QColor(240, 200, 70));
    painter.drawRect(QRectF(10, 84, 44, 11));
    return picture;
}

} // namespace sendaro
