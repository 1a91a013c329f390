#include "ImageLists.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <functional>

namespace {

// Shared colours keep the pictures looking like one set.
const QColor Outline(0x3c, 0x3c, 0x3c);
const QColor MetalLight(0xf6, 0xf6, 0xf6);
const QColor MetalDark(0xb4, 0xb4, 0xb4);
const QColor FolderLight(0xff, 0xe6, 0x8f);
const QColor FolderDark(0xe9, 0xb2, 0x36);
const QColor FolderLine(0x9c, 0x6c, 0x12);
const QColor MarkRed(0xd8, 0x24, 0x24);
const QColor MarkRedLine(0x86, 0x0c, 0x0c);
const QColor MarkGreen(0x2c, 0xa8, 0x3a);
const QColor MarkGreenLine(0x10, 0x5c, 0x1a);

// Pictures are drawn on a grid of 16 x 16; another `size` scales the drawing.
QPixmap Draw(const std::function<void(QPainter&)>& paint, const QColor& background = Qt::transparent,
             int size = 16)
{
    QPixmap pixmap(size, size);
    pixmap.fill(background);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    if (size != 16)
        painter.scale(size / 16.0, size / 16.0);
    paint(painter);
    return pixmap;
}

QLinearGradient Vertical(qreal top, qreal bottom, const QColor& from, const QColor& to)
{
    QLinearGradient gradient(0, top, 0, bottom);
    gradient.setColorAt(0, from);
    gradient.setColorAt(1, to);
    return gradient;
}

void Shape(QPainter& p, const QPolygonF& polygon, const QBrush& fill, const QColor& line)
{
    p.setPen(QPen(line, 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(fill);
    p.drawPolygon(polygon);
}

// A thick stroke with a darker rim, for the marks.
void Stroke(QPainter& p, const QPolygonF& line, qreal width, const QColor& fill, const QColor& rim)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(rim, width + 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(line);
    p.setPen(QPen(fill, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(line);
}

// A drive seen from the front and above; `top` is the upper edge of its top face.
void DriveBox(QPainter& p, qreal top, const QColor& light, const QColor& dark)
{
    const qreal front = top + 3;
    const qreal bottom = front + 5;
    Shape(p, QPolygonF({{1.5, front}, {4.5, top}, {14.5, top}, {11.5, front}}), light, Outline);
    Shape(p, QPolygonF({{11.5, front}, {14.5, top}, {14.5, bottom - 3}, {11.5, bottom}}), dark.darker(115),
          Outline);
    Shape(p, QPolygonF({{1.5, front}, {11.5, front}, {11.5, bottom}, {1.5, bottom}}),
          Vertical(front, bottom, light, dark), Outline);
}

void Led(QPainter& p, qreal x, qreal y, const QColor& colour)
{
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawRect(QRectF(x, y, 2, 1.5));
}

void ClosedFolder(QPainter& p)
{
    Shape(p, QPolygonF({{1.5, 3.5}, {6.0, 3.5}, {7.5, 5.0}, {14.5, 5.0}, {14.5, 13.5}, {1.5, 13.5}}),
          FolderDark, FolderLine);
    Shape(p, QPolygonF({{1.5, 6.5}, {14.5, 6.5}, {14.5, 13.5}, {1.5, 13.5}}),
          Vertical(6.5, 13.5, FolderLight, FolderDark), FolderLine);
}

QPixmap Computer()
{
    return Draw([](QPainter& p) {
        Shape(p, QPolygonF({{1.5, 1.5}, {14.5, 1.5}, {14.5, 11.5}, {1.5, 11.5}}),
              Vertical(1.5, 11.5, MetalLight, MetalDark), Outline);
        p.setPen(Qt::NoPen);
        p.setBrush(Vertical(3, 10, QColor(0x9c, 0xd0, 0xf6), QColor(0x25, 0x62, 0xb8)));
        p.drawRect(QRectF(3, 3, 10, 7));
        p.setBrush(Outline);
        p.drawRect(QRectF(6, 12, 4, 1));
        Shape(p, QPolygonF({{3.5, 13.5}, {12.5, 13.5}, {12.5, 14.5}, {3.5, 14.5}}), MetalDark, Outline);
    });
}

QPixmap FloppyDrive()
{
    return Draw([](QPainter& p) {
        const QColor body(0x2c, 0x44, 0x96);
        Shape(p, QPolygonF({{1.5, 1.5}, {12.5, 1.5}, {14.5, 3.5}, {14.5, 14.5}, {1.5, 14.5}}),
              Vertical(1.5, 14.5, body.lighter(135), body), QColor(0x14, 0x20, 0x4c));
        Shape(p, QPolygonF({{4.5, 1.5}, {11.5, 1.5}, {11.5, 6.5}, {4.5, 6.5}}),
              Vertical(1.5, 6.5, MetalLight, MetalDark), QColor(0x60, 0x60, 0x60));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x30, 0x30, 0x30));
        p.drawRect(QRectF(8, 2.5, 2, 3));
        Shape(p, QPolygonF({{3.5, 8.5}, {12.5, 8.5}, {12.5, 14.5}, {3.5, 14.5}}), QColor(0xfa, 0xfa, 0xfa),
              QColor(0x14, 0x20, 0x4c));
        p.setPen(QPen(QColor(0x9a, 0xa6, 0xc8), 1));
        p.drawLine(QPointF(5, 10.5), QPointF(11, 10.5));
        p.drawLine(QPointF(5, 12.5), QPointF(11, 12.5));
    });
}

QPixmap HardDisk()
{
    return Draw([](QPainter& p) {
        DriveBox(p, 4.5, QColor(0xd0, 0xd0, 0xd0), QColor(0x6c, 0x6c, 0x6c));
        p.setPen(QPen(QColor(0x38, 0x38, 0x38), 1));
        p.drawLine(QPointF(3, 9.5), QPointF(7, 9.5));
        Led(p, 8.5, 10.5, QColor(0x2e, 0xd0, 0x3c));
    });
}

QPixmap CdRomDrive()
{
    return Draw([](QPainter& p) {
        QConicalGradient shine(8, 6.5, 30);
        shine.setColorAt(0.0, QColor(0xe8, 0xe8, 0xe8));
        shine.setColorAt(0.2, QColor(0x9c, 0xb8, 0xf4));
        shine.setColorAt(0.4, QColor(0xf4, 0xd8, 0x90));
        shine.setColorAt(0.6, QColor(0xa8, 0xe4, 0xb4));
        shine.setColorAt(0.8, QColor(0xe8, 0xa8, 0xe8));
        shine.setColorAt(1.0, QColor(0xe8, 0xe8, 0xe8));
        p.setPen(QPen(QColor(0x5c, 0x5c, 0x5c), 1));
        p.setBrush(shine);
        p.drawEllipse(QPointF(8, 6.5), 5.5, 5.5);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(8, 6.5), 1.4, 1.4);
        Shape(p, QPolygonF({{1.5, 9.5}, {14.5, 9.5}, {14.5, 14.5}, {1.5, 14.5}}),
              Vertical(9.5, 14.5, QColor(0xe8, 0xe8, 0xe8), QColor(0x9a, 0x9a, 0x9a)), Outline);
        p.setPen(QPen(QColor(0x50, 0x50, 0x50), 1));
        p.drawLine(QPointF(3, 11.5), QPointF(13, 11.5));
        Led(p, 11, 12.5, QColor(0xf0, 0x9a, 0x1c));
    });
}

QPixmap PlainDrive()
{
    return Draw([](QPainter& p) {
        DriveBox(p, 4.5, QColor(0xf4, 0xf4, 0xf4), QColor(0xa8, 0xa8, 0xa8));
        p.setPen(QPen(QColor(0x70, 0x70, 0x70), 1));
        p.drawLine(QPointF(3, 10.5), QPointF(10, 10.5));
    });
}

QPixmap NetworkDrive()
{
    return Draw([](QPainter& p) {
        const QColor cable(0x25, 0x62, 0xb8);
        p.setPen(QPen(cable, 1.5, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(6.5, 9.5), QPointF(6.5, 13.5));
        p.setPen(QPen(cable, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(1.5, 14), QPointF(14.5, 14));
        DriveBox(p, 1.5, QColor(0xd0, 0xd0, 0xd0), QColor(0x6c, 0x6c, 0x6c));
        Led(p, 8.5, 6.5, QColor(0x2e, 0xd0, 0x3c));
    });
}

QPixmap OpenFolder()
{
    return Draw([](QPainter& p) {
        Shape(p, QPolygonF({{1.5, 3.5}, {6.0, 3.5}, {7.5, 5.0}, {12.5, 5.0}, {12.5, 13.5}, {1.5, 13.5}}),
              FolderDark.darker(108), FolderLine);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3.5, 6, 8, 3));
        Shape(p, QPolygonF({{4.5, 8.5}, {14.5, 8.5}, {12.0, 13.5}, {1.5, 13.5}}),
              Vertical(8.5, 13.5, FolderLight, FolderDark), FolderLine);
    });
}

QPixmap Document()
{
    return Draw([](QPainter& p) {
        Shape(p, QPolygonF({{2.5, 1.5}, {9.5, 1.5}, {13.5, 5.5}, {13.5, 14.5}, {2.5, 14.5}}), Qt::white,
              QColor(0x6c, 0x6c, 0x6c));
        Shape(p, QPolygonF({{9.5, 1.5}, {9.5, 5.5}, {13.5, 5.5}}), QColor(0xdc, 0xdc, 0xdc),
              QColor(0x6c, 0x6c, 0x6c));
        p.setPen(QPen(QColor(0x8c, 0xa0, 0xc0), 1));
        for (const qreal y : {4.5, 7.5, 9.5, 11.5})
            p.drawLine(QPointF(4.5, y), QPointF(y < 5 ? 7.5 : 11.5, y));
    });
}

QPixmap RedCross()
{
    return Draw([](QPainter& p) {
        Stroke(p, QPolygonF({{3.5, 3.5}, {12.5, 12.5}}), 2.6, MarkRed, MarkRedLine);
        Stroke(p, QPolygonF({{12.5, 3.5}, {3.5, 12.5}}), 2.6, MarkRed, MarkRedLine);
        p.setPen(QPen(MarkRed, 2.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    });
}

QPixmap FolderTick()
{
    return Draw([](QPainter& p) {
        ClosedFolder(p);
        Stroke(p, QPolygonF({{6.5, 10.5}, {9.0, 13.0}, {14.0, 7.0}}), 2.0, MarkGreen, MarkGreenLine);
    });
}

QPixmap RedTick()
{
    return Draw([](QPainter& p) {
        Stroke(p, QPolygonF({{2.5, 8.5}, {6.0, 12.0}, {13.5, 3.5}}), 2.6, MarkRed, MarkRedLine);
    });
}

QPixmap CheckBox(bool ticked)
{
    return Draw(
        [ticked](QPainter& p) {
            p.setRenderHint(QPainter::Antialiasing, false);
            p.setPen(QColor(0x1c, 0x51, 0x80));
            p.setBrush(Qt::white);
            p.drawRect(QRect(1, 1, 13, 13));
            if (!ticked)
                return;
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(QColor(0x10, 0x10, 0x10), 2, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
            p.drawPolyline(QPolygonF({{4.0, 7.5}, {6.5, 10.0}, {11.5, 4.5}}));
        },
        Qt::white);
}

QPixmap SortTriangle(bool up)
{
    return Draw([up](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x50, 0x50, 0x50));
        if (up)
            p.drawPolygon(QPolygonF({{4.0, 10.0}, {12.0, 10.0}, {8.0, 5.0}}));
        else
            p.drawPolygon(QPolygonF({{4.0, 6.0}, {12.0, 6.0}, {8.0, 11.0}}));
    });
}

void Padlock(QPainter& p)
{
    QPainterPath shackle;
    shackle.moveTo(4.5, 8.0);
    shackle.lineTo(4.5, 5.5);
    shackle.arcTo(QRectF(4.5, 2.0, 7.0, 7.0), 180, -180);
    shackle.lineTo(11.5, 8.0);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Outline, 3.0, Qt::SolidLine, Qt::FlatCap));
    p.drawPath(shackle);
    p.setPen(QPen(MetalLight, 1.2, Qt::SolidLine, Qt::FlatCap));
    p.drawPath(shackle);
    Shape(p, QPolygonF({{2.5, 7.5}, {13.5, 7.5}, {13.5, 14.5}, {2.5, 14.5}}),
          Vertical(7.5, 14.5, FolderLight, FolderDark), FolderLine);
    p.setPen(Qt::NoPen);
    p.setBrush(Outline);
    p.drawEllipse(QPointF(8.0, 10.2), 1.3, 1.3);
    p.drawRect(QRectF(7.4, 10.5, 1.2, 2.4));
}

} // namespace

QPixmap LockEmblem(int size)
{
    return Draw(Padlock, Qt::transparent, size);
}

const QList<QPixmap>& ImageList1()
{
    static const QList<QPixmap> images = [] {
        QPixmap closedFolder = Draw(ClosedFolder);
        return QList<QPixmap>{Computer(),   FloppyDrive(),  HardDisk(),   CdRomDrive(),
                              PlainDrive(), NetworkDrive(), closedFolder, OpenFolder(),
                              Document(),   RedCross(),     FolderTick(), RedTick()};
    }();
    return images;
}

const QList<QPixmap>& CheckboxImageList()
{
    static const QList<QPixmap> images{CheckBox(false), CheckBox(true)};
    return images;
}

const QList<QPixmap>& SortImageList()
{
    static const QList<QPixmap> images{SortTriangle(true), SortTriangle(false)};
    return images;
}
