#include "manager/dialogs/ManagerIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace sendaro {

namespace {

const QColor kOutline(60, 60, 60);
const QColor kBody(200, 204, 210);
const QColor kPaper(255, 255, 255);
const QColor kFolder(230, 186, 80);
const QColor kMark(46, 139, 87);

// A printer in `box`: paper behind, the body, the paper coming out at the front.
void drawPrinter(QPainter &p, const QRectF &box)
{
    const qreal w = box.width(), h = box.height();
    p.setPen(QPen(kOutline, 1));
    p.setBrush(kPaper);
    p.drawRect(QRectF(box.left() + w * 0.25, box.top(), w * 0.5, h * 0.4));
    p.setBrush(kBody);
    p.drawRoundedRect(QRectF(box.left(), box.top() + h * 0.3, w - 1, h * 0.45), 2, 2);
    p.setBrush(kPaper);
    p.drawRect(QRectF(box.left() + w * 0.2, box.top() + h * 0.65, w * 0.6, h * 0.35 - 1));
    p.setBrush(kMark);
    p.drawEllipse(QPointF(box.left() + w * 0.82, box.top() + h * 0.45), w * 0.05, w * 0.05);
}

void drawGroup(QPainter &p, const QRectF &box)
{
    const qreal w = box.width() * 0.62, h = box.height() * 0.62;
    drawPrinter(p, QRectF(box.left() + box.width() - w, box.top(), w, h));
    drawPrinter(p, QRectF(box.left(), box.top() + box.height() - h, w, h));
}

void drawFolder(QPainter &p, const QRectF &box)
{
    const qreal w = box.width(), h = box.height();
    p.setPen(QPen(kOutline, 1));
    p.setBrush(kFolder.darker(115));
    p.drawRect(QRectF(box.left(), box.top(), w * 0.4, h * 0.3));
    p.setBrush(kFolder);
    p.drawRect(QRectF(box.left(), box.top() + h * 0.2, w - 1, h * 0.8 - 1));
}

// The default item's mark: a tick in a green disc.
void drawDefaultMark(QPainter &p, const QRectF &box)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kMark);
    p.drawEllipse(box);
    QPainterPath tick;
    tick.moveTo(box.left() + box.width() * 0.25, box.top() + box.height() * 0.5);
    tick.lineTo(box.left() + box.width() * 0.45, box.top() + box.height() * 0.72);
    tick.lineTo(box.left() + box.width() * 0.78, box.top() + box.height() * 0.3);
    p.setPen(QPen(Qt::white, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tick);
}

void drawPlus(QPainter &p, const QRectF &box)
{
    p.setPen(QPen(kMark.darker(120), box.width() * 0.22));
    p.drawLine(QPointF(box.center().x(), box.top()), QPointF(box.center().x(), box.bottom()));
    p.drawLine(QPointF(box.left(), box.center().y()), QPointF(box.right(), box.center().y()));
}

void drawArrow(QPainter &p, const QRectF &box, bool intoBox)
{
    const qreal w = box.width(), h = box.height();
    p.setPen(QPen(kOutline, 1));
    p.setBrush(kFolder);
    p.drawRect(QRectF(box.left(), box.top() + h * 0.55, w - 1, h * 0.45 - 1));
    QPainterPath arrow;
    const qreal cx = box.left() + w / 2, top = box.top(), bottom = box.top() + h * 0.7;
    if (intoBox) {
        arrow.moveTo(cx - w * 0.1, top);
        arrow.lineTo(cx + w * 0.1, top);
        arrow.lineTo(cx + w * 0.1, bottom - h * 0.25);
        arrow.lineTo(cx + w * 0.25, bottom - h * 0.25);
        arrow.lineTo(cx, bottom);
        arrow.lineTo(cx - w * 0.25, bottom - h * 0.25);
        arrow.lineTo(cx - w * 0.1, bottom - h * 0.25);
    } else {
        arrow.moveTo(cx - w * 0.1, bottom);
        arrow.lineTo(cx + w * 0.1, bottom);
        arrow.lineTo(cx + w * 0.1, top + h * 0.25);
        arrow.lineTo(cx + w * 0.25, top + h * 0.25);
        arrow.lineTo(cx, top);
        arrow.lineTo(cx - w * 0.25, top + h * 0.25);
        arrow.lineTo(cx - w * 0.1, top + h * 0.25);
    }
    arrow.closeSubpath();
    p.setBrush(QColor(52, 101, 164));
    p.drawPath(arrow);
}

void drawQuestion(QPainter &p, const QRectF &box, bool withArrow)
{
    p.setPen(QPen(kOutline, 1));
    p.setBrush(QColor(52, 101, 164));
    const QRectF disc = withArrow ? QRectF(box.left() + box.width() * 0.35, box.top(), box.width() * 0.65,
                                           box.height() * 0.65)
                                  : box.adjusted(1, 1, -1, -1);
    p.drawEllipse(disc);
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(int(disc.height() * (withArrow ? 0.8 : 0.75)));
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(disc, Qt::AlignCenter, withArrow ? "?" : "i");
    if (withArrow) {
        QPainterPath pointer;
        const qreal x = box.left(), y = box.top() + box.height() * 0.35, s = box.width() * 0.55;
        pointer.moveTo(x, y);
        pointer.lineTo(x, y + s);
        pointer.lineTo(x + s * 0.3, y + s * 0.75);
        pointer.lineTo(x + s * 0.55, y + s * 0.65);
        pointer.closeSubpath();
        p.setPen(QPen(kOutline, 1));
        p.setBrush(Qt::white);
        p.drawPath(pointer);
    }
}

template <typename Draw>
QPixmap paint(int width, int height, Draw draw)
{
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter, QRectF(0.5, 0.5, width - 1, height - 1));
    return pixmap;
}

QIcon toolbarPicture(ToolbarPicture picture)
{
    QIcon icon;
    for (int size : {16, 22, 24, 32}) {
        icon.addPixmap(paint(size, size, [&](QPainter &p, const QRectF &box) {
            const QRectF main(box.left(), box.top() + box.height() * 0.2, box.width() * 0.8, box.height() * 0.8);
            const QRectF corner(box.left() + box.width() * 0.6, box.top(), box.width() * 0.4, box.height() * 0.4);
            switch (picture) {
            case ToolbarPicture::AddPrinter: drawPrinter(p, main); drawPlus(p, corner); break;
            case ToolbarPicture::AddGroup: drawGroup(p, main); drawPlus(p, corner); break;
            case ToolbarPicture::Import: drawArrow(p, box, true); break;
            case ToolbarPicture::Export: drawArrow(p, box, false); break;
            case ToolbarPicture::Print: drawPrinter(p, box); break;
            case ToolbarPicture::About: drawQuestion(p, box, false); break;
            case ToolbarPicture::ContextHelp: drawQuestion(p, box, true); break;
            }
        }));
    }
    return icon;
}

const char *themeName(ToolbarPicture picture)
{
    switch (picture) {
    case ToolbarPicture::AddPrinter: return "printer-new";
    case ToolbarPicture::AddGroup: return "folder-new";
    case ToolbarPicture::Import: return "document-import";
    case ToolbarPicture::Export: return "document-export";
    case ToolbarPicture::Print: return "document-print";
    case ToolbarPicture::About: return "help-about";
    case ToolbarPicture::ContextHelp: return "help-contextual";
    }
    return "";
}

} // namespace

QIcon TreeImageIcon(int image)
{
    return QIcon(paint(32, 16, [image](QPainter &p, const QRectF &box) {
        const QRectF picture(box.left() + 8, box.top(), 16, 16);
        switch (image) {
        case kGroupImage:
        case kDefaultGroupImage: drawGroup(p, picture); break;
        case kPrinterImage:
        case kDefaultPrinterImage: drawPrinter(p, picture); break;
        default: drawFolder(p, picture.adjusted(0, 1, 0, -1)); break;
        }
        if (image == kDefaultGroupImage || image == kDefaultPrinterImage)
            drawDefaultMark(p, QRectF(box.left() + 24, box.top() + 7, 8, 8));
    }));
}

QIcon ListPrinterIcon()
{
    return QIcon(paint(32, 32, [](QPainter &p, const QRectF &box) { drawPrinter(p, box.adjusted(2, 3, -2, -3)); }));
}

QIcon ListGroupIcon()
{
    return QIcon(paint(32, 32, [](QPainter &p, const QRectF &box) { drawGroup(p, box.adjusted(1, 1, -1, -1)); }));
}

QPixmap ProgramPicture(int size)
{
    return paint(size, size, [](QPainter &p, const QRectF &box) {
        drawPrinter(p, box.adjusted(0, box.height() * 0.1, -box.width() * 0.15, 0));
        const qreal s = box.width() * 0.4;
        QRectF envelope(box.right() - s, box.top(), s, s * 0.7);
        p.setPen(QPen(kOutline, 1));
        p.setBrush(QColor(250, 240, 200));
        p.drawRect(envelope);
        p.drawLine(envelope.topLeft(), QPointF(envelope.center().x(), envelope.center().y()));
        p.drawLine(envelope.topRight(), QPointF(envelope.center().x(), envelope.center().y()));
    });
}

QIcon ProgramIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64})
        icon.addPixmap(ProgramPicture(size));
    return icon;
}

QIcon ToolbarIcon(ToolbarPicture picture)
{
    return QIcon::fromTheme(themeName(picture), toolbarPicture(picture));
}

} // namespace sendaro
