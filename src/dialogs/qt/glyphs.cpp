// The program's pictures, painted on a 16-unit grid so they stay sharp at
// any size: the toolbar glyphs and the window and document icons.

#include "dialogs/qt/glyphs.h"

#include "dialogs/command_ids.h"

#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace {

using Painter = std::function<void(QPainter&)>;

QPixmap paintAt(int size, const Painter& draw)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 16.0, size / 16.0);
    draw(painter);
    return pixmap;
}

// A grey button must look grey whatever the style makes of a picture: the
// glyph in light grey and faded, from the same drawing.
QPixmap disabledOf(const QPixmap& normal)
{
    QImage image = normal.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int grey = 255 - (255 - qGray(line[x])) / 2;
            line[x] = qRgba(grey, grey, grey, qAlpha(line[x]) * 2 / 5);
        }
    }
    return QPixmap::fromImage(image);
}

QIcon iconOf(const Painter& draw, std::initializer_list<int> sizes)
{
    QIcon icon;
    for (int size : sizes) {
        const QPixmap normal = paintAt(size, draw);
        icon.addPixmap(normal, QIcon::Normal);
        icon.addPixmap(disabledOf(normal), QIcon::Disabled);
    }
    return icon;
}

const QColor ink(40, 40, 40);
const QColor paper(255, 255, 255);
const QColor blue(40, 90, 180);
const QColor yellow(235, 190, 60);
const QColor red(200, 40, 40);

QPen pen(const QColor& color, qreal width = 1.0)
{
    QPen result(color, width);
    result.setJoinStyle(Qt::RoundJoin);
    result.setCapStyle(Qt::RoundCap);
    return result;
}

void page(QPainter& p, const QRectF& r)
{
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - 3, r.top());
    path.lineTo(r.right(), r.top() + 3);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(pen(ink, 0.8));
    p.setBrush(paper);
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - 3, r.top()), QPointF(r.right() - 3, r.top() + 3));
    p.drawLine(QPointF(r.right() - 3, r.top() + 3), QPointF(r.right(), r.top() + 3));
}

void lines(QPainter& p, const QRectF& r, int count)
{
    p.setPen(pen(QColor(120, 120, 120), 0.7));
    for (int i = 0; i < count; ++i)
        p.drawLine(QPointF(r.left() + 1.5, r.top() + 4 + 2 * i), QPointF(r.right() - 1.5, r.top() + 4 + 2 * i));
}

void magnifier(QPainter& p, QPointF centre, qreal radius)
{
    p.setPen(pen(ink, 1.6));
    p.drawLine(centre + QPointF(radius * 0.7, radius * 0.7), centre + QPointF(radius * 1.9, radius * 1.9));
    p.setPen(pen(ink, 1.0));
    p.setBrush(QColor(200, 225, 255));
    p.drawEllipse(centre, radius, radius);
}

void chip(QPainter& p, const QRectF& body)
{
    p.setPen(pen(QColor(150, 150, 150), 0.8));
    const int pins = 4;
    for (int i = 0; i < pins; ++i) {
        const qreal y = body.top() + (i + 0.5) * body.height() / pins;
        p.drawLine(QPointF(body.left() - 1.5, y), QPointF(body.left(), y));
        p.drawLine(QPointF(body.right(), y), QPointF(body.right() + 1.5, y));
    }
    p.setPen(pen(ink, 0.6));
    p.setBrush(QColor(50, 50, 60));
    p.drawRoundedRect(body, 0.8, 0.8);
    // The quartz window through which an EPROM is erased.
    p.setBrush(QColor(170, 200, 240));
    p.setPen(pen(QColor(220, 220, 230), 0.5));
    const qreal d = std::min(body.width(), body.height()) * 0.45;
    p.drawEllipse(body.center(), d / 2, d / 2);
}

Painter glyphPainter(int id)
{
    switch (id) {
    case CmFileNew:
        return [](QPainter& p) {
            page(p, QRectF(3, 1.5, 10, 13));
            p.setPen(pen(yellow, 1.2));
            p.drawLine(QPointF(12, 10), QPointF(15, 13));
            p.drawLine(QPointF(15, 10), QPointF(12, 13));
        };
    case CmFileOpen:
        return [](QPainter& p) {
            p.setPen(pen(ink, 0.8));
            p.setBrush(yellow.darker(110));
            p.drawRect(QRectF(1.5, 4, 11, 9.5));
            p.drawRect(QRectF(1.5, 3, 4, 1));
            QPolygonF flap({QPointF(3.5, 7), QPointF(15, 7), QPointF(12.5, 13.5), QPointF(1.5, 13.5)});
            p.setBrush(yellow);
            p.drawPolygon(flap);
        };
    case CmFileSave:
        return [](QPainter& p) {
            p.setPen(pen(ink, 0.8));
            p.setBrush(blue);
            p.drawRect(QRectF(2, 2, 12, 12));
            p.setBrush(paper);
            p.drawRect(QRectF(4, 2, 8, 5));
            p.setBrush(QColor(200, 200, 200));
            p.drawRect(QRectF(5, 10, 6, 4));
        };
    case CmCut:
        return [](QPainter& p) {
            p.setPen(pen(ink, 1.0));
            p.drawLine(QPointF(5, 1.5), QPointF(10, 10));
            p.drawLine(QPointF(11, 1.5), QPointF(6, 10));
            p.setBrush(Qt::NoBrush);
            p.setPen(pen(red, 1.2));
            p.drawEllipse(QPointF(5, 12.2), 2.2, 2.2);
            p.drawEllipse(QPointF(11, 12.2), 2.2, 2.2);
        };
    case CmCopy:
        return [](QPainter& p) {
            page(p, QRectF(1.5, 1.5, 8, 10));
            lines(p, QRectF(1.5, 1.5, 8, 10), 3);
            page(p, QRectF(6.5, 4.5, 8, 10));
            lines(p, QRectF(6.5, 4.5, 8, 10), 3);
        };
    case CmPaste:
        return [](QPainter& p) {
            p.setPen(pen(ink, 0.8));
            p.setBrush(QColor(170, 120, 60));
            p.drawRoundedRect(QRectF(1.5, 2.5, 9, 12), 1, 1);
            p.setBrush(QColor(190, 190, 190));
            p.drawRect(QRectF(4, 1.5, 4, 2));
            page(p, QRectF(7, 6, 7.5, 9));
            lines(p, QRectF(7, 6, 7.5, 9), 2);
        };
    case CmUndo:
        return [](QPainter& p) {
            QPainterPath arc;
            arc.moveTo(4, 7);
            arc.cubicTo(QPointF(7, 3), QPointF(14, 4), QPointF(13, 10));
            arc.cubicTo(QPointF(12.5, 12.5), QPointF(10, 13.5), QPointF(8, 13.5));
            p.setPen(pen(blue, 1.8));
            p.setBrush(Qt::NoBrush);
            p.drawPath(arc);
            p.setPen(Qt::NoPen);
            p.setBrush(blue);
            p.drawPolygon(QPolygonF({QPointF(1.5, 3), QPointF(7.5, 8.5), QPointF(1.5, 9.5)}));
        };
    case CmFind:
        return [](QPainter& p) { magnifier(p, QPointF(6.5, 6.5), 4.2); };
    case CmFindNext:
        return [](QPainter& p) {
            magnifier(p, QPointF(5.5, 5.5), 3.8);
            p.setPen(Qt::NoPen);
            p.setBrush(blue);
            p.drawPolygon(QPolygonF({QPointF(10, 9.5), QPointF(15.5, 12.5), QPointF(10, 15.5)}));
        };
    case CmSettings:
        return [](QPainter& p) {
            p.setPen(pen(ink, 0.8));
            for (int i = 0; i < 3; ++i) {
                const qreal y = 2 + 4.5 * i;
                p.setBrush(paper);
                p.drawRect(QRectF(1.5, y, 3.5, 3.5));
                p.setPen(pen(QColor(120, 120, 120), 1.0));
                p.drawLine(QPointF(7, y + 1.75), QPointF(14.5, y + 1.75));
                p.setPen(pen(ink, 0.8));
            }
            p.setPen(pen(blue, 1.2));
            p.drawLine(QPointF(2.2, 3.8), QPointF(3.2, 4.8));
            p.drawLine(QPointF(3.2, 4.8), QPointF(4.6, 2.4));
            p.drawLine(QPointF(2.2, 12.8), QPointF(3.2, 13.8));
            p.drawLine(QPointF(3.2, 13.8), QPointF(4.6, 11.4));
        };
    case CmFillSelection:
        return [](QPainter& p) {
            p.setPen(pen(ink, 0.6));
            for (int row = 0; row < 3; ++row)
                for (int col = 0; col < 3; ++col) {
                    p.setBrush(row == 1 || (row == 2 && col == 0) ? blue : paper);
                    p.drawRect(QRectF(1.5 + 4.5 * col, 2 + 4.5 * row, 3.8, 3.8));
                }
        };
    case CmSetSelection:
        return [](QPainter& p) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(120, 160, 230));
            p.drawRect(QRectF(4, 5, 8, 6));
            p.setPen(pen(ink, 1.2));
            p.drawPolyline(QPolygonF({QPointF(4, 3), QPointF(2, 3), QPointF(2, 13), QPointF(4, 13)}));
            p.drawPolyline(QPolygonF({QPointF(12, 3), QPointF(14, 3), QPointF(14, 13), QPointF(12, 13)}));
        };
    case CmPositionCursor:
        return [](QPainter& p) {
            p.setPen(pen(ink, 0.6));
            p.setBrush(paper);
            p.drawRect(QRectF(9, 4, 6, 8));
            p.setPen(pen(red, 1.4));
            p.drawLine(QPointF(11.5, 5), QPointF(11.5, 11));
            p.setPen(pen(blue, 1.6));
            p.drawLine(QPointF(1.5, 8), QPointF(7, 8));
            p.setPen(Qt::NoPen);
            p.setBrush(blue);
            p.drawPolygon(QPolygonF({QPointF(5, 5), QPointF(8.5, 8), QPointF(5, 11)}));
        };
    case CmClearAll:
        return [](QPainter& p) {
            page(p, QRectF(2, 1.5, 10, 13));
            p.setPen(pen(red, 1.8));
            p.drawLine(QPointF(8, 8), QPointF(14.5, 14.5));
            p.drawLine(QPointF(14.5, 8), QPointF(8, 14.5));
        };
    case CmResizeBuffer:
        return [](QPainter& p) {
            p.setPen(pen(ink, 0.6));
            p.setBrush(QColor(210, 210, 210));
            p.drawRect(QRectF(4.5, 2, 7, 5));
            p.setPen(pen(blue, 1.3));
            p.drawLine(QPointF(2, 11), QPointF(14, 11));
            p.setPen(Qt::NoPen);
            p.setBrush(blue);
            p.drawPolygon(QPolygonF({QPointF(1, 11), QPointF(4.5, 8.5), QPointF(4.5, 13.5)}));
            p.drawPolygon(QPolygonF({QPointF(15, 11), QPointF(11.5, 8.5), QPointF(11.5, 13.5)}));
        };
    case CmFilePrint:
        return [](QPainter& p) {
            page(p, QRectF(4, 1.5, 8, 6));
            p.setPen(pen(ink, 0.8));
            p.setBrush(QColor(190, 190, 195));
            p.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1, 1);
            p.setBrush(paper);
            p.drawRect(QRectF(4, 10.5, 8, 4));
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(60, 170, 60));
            p.drawEllipse(QPointF(12.5, 8.3), 0.8, 0.8);
        };
    case CmFilePrintPreview:
        return [](QPainter& p) {
            page(p, QRectF(1.5, 1.5, 10, 13));
            lines(p, QRectF(1.5, 1.5, 10, 13), 4);
            magnifier(p, QPointF(9.5, 9.5), 3.0);
        };
    case CmHelpContents:
        return [](QPainter& p) {
            p.setPen(pen(ink, 0.8));
            p.setBrush(QColor(60, 120, 60));
            p.drawRoundedRect(QRectF(2.5, 1.5, 10, 13), 1, 1);
            p.setBrush(paper);
            p.drawRect(QRectF(4, 12, 8.5, 2));
            QFont font;
            font.setPixelSize(10);
            font.setBold(true);
            p.setFont(font);
            p.setPen(QColor(255, 255, 255));
            p.drawText(QRectF(2.5, 1, 10, 11), Qt::AlignCenter, QStringLiteral("?"));
        };
    default:
        return {};
    }
}

} // namespace

QIcon CommandGlyph(int id)
{
    const Painter draw = glyphPainter(id);
    return draw ? iconOf(draw, {16, 24, 32}) : QIcon();
}

QIcon ProgramIcon(int id)
{
    if (id == MainIconId)
        return iconOf([](QPainter& p) { chip(p, QRectF(3, 1.5, 10, 13)); }, {16, 32, 48, 64});
    if (id == DocumentIconId)
        return iconOf(
            [](QPainter& p) {
                page(p, QRectF(1.5, 0.8, 12, 14.4));
                chip(p, QRectF(5, 5.5, 5, 7));
            },
            {16, 32, 48, 64});
    return QIcon();
}
