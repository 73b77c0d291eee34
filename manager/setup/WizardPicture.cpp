#include "manager/setup/WizardPicture.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace sendaro {

namespace {

const QColor kSkyTop(34, 86, 150);
const QColor kSkyBottom(120, 170, 220);
const QColor kOutline(40, 40, 40);
const QColor kBody(214, 218, 224);
const QColor kPaper(255, 255, 255);
const QColor kEnvelope(250, 236, 190);
const QColor kLight(46, 180, 87);

void drawPrinter(QPainter &p, const QRectF &box)
{
    const qreal w = box.width(), h = box.height();
    p.setPen(QPen(kOutline, 1.2));
    p.setBrush(kPaper);
    p.drawRect(QRectF(box.left() + w * 0.22, box.top(), w * 0.56, h * 0.4));
    p.setBrush(kBody);
    p.drawRoundedRect(QRectF(box.left(), box.top() + h * 0.3, w, h * 0.45), 4, 4);
    p.setBrush(kPaper);
    p.drawRect(QRectF(box.left() + w * 0.18, box.top() + h * 0.66, w * 0.64, h * 0.34));
    p.setPen(QPen(QColor(150, 150, 150), 1));
    for (int line = 1; line <= 3; ++line) {
        const qreal y = box.top() + h * (0.7 + 0.07 * line);
        p.drawLine(QPointF(box.left() + w * 0.26, y), QPointF(box.left() + w * 0.74, y));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(kLight);
    p.drawEllipse(QPointF(box.left() + w * 0.86, box.top() + h * 0.42), w * 0.04, w * 0.04);
}

void drawEnvelope(QPainter &p, const QRectF &box)
{
    p.setPen(QPen(kOutline, 1.2));
    p.setBrush(kEnvelope);
    p.drawRect(box);
    QPainterPath flap;
    flap.moveTo(box.topLeft());
    flap.lineTo(box.center().x(), box.top() + box.height() * 0.6);
    flap.lineTo(box.topRight());
    p.setBrush(Qt::NoBrush);
    p.drawPath(flap);
}

} // namespace

QPixmap WizardPicture(int width)
{
    const int height = width * 2;
    QPixmap picture(width, height);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height);
    sky.setColorAt(0, kSkyTop);
    sky.setColorAt(1, kSkyBottom);
    p.fillRect(picture.rect(), sky);
    const qreal w = width;
    // The letter travels up from the printer along a dotted path.
    p.setPen(QPen(QColor(255, 255, 255, 200), 1.5, Qt::DotLine));
    QPainterPath path;
    path.moveTo(w * 0.5, height * 0.62);
    path.cubicTo(w * 0.1, height * 0.5, w * 0.9, height * 0.35, w * 0.5, height * 0.22);
    p.drawPath(path);
    drawEnvelope(p, QRectF(w * 0.28, height * 0.1, w * 0.44, w * 0.3));
    drawPrinter(p, QRectF(w * 0.15, height * 0.62, w * 0.7, w * 0.6));
    return picture;
}

void ShowWizardPicture(QLabel *label)
{
    label->setObjectName("153");
    label->setPixmap(WizardPicture());
    label->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    label->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
}

} // namespace sendaro
