#include "ButtonGlyphs.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

struct TGlyphColours
{
    QColor Light;
    QColor Dark;
    QColor Outline;
};

TGlyphColours ColoursFor(TFolderButtonGlyph shape, TGradientButton::TState state)
{
    using TState = TGradientButton::TState;
    if (state == TState::Disabled)
        return {QColor(0xdc, 0xdc, 0xdc), QColor(0xa8, 0xa8, 0xa8), QColor(0x8c, 0x8c, 0x8c)};
    if (shape == TFolderButtonGlyph::Cross) {
        switch (state) {
        case TState::Hot:
            return {QColor(0xff, 0x7a, 0x6e), QColor(0xe0, 0x2a, 0x1e), QColor(0x90, 0x10, 0x08)};
        case TState::Pressed:
            return {QColor(0xd8, 0x3c, 0x30), QColor(0xa0, 0x10, 0x08), QColor(0x60, 0x04, 0x00)};
        default:
            return {QColor(0xf4, 0x5c, 0x50), QColor(0xc0, 0x18, 0x10), QColor(0x78, 0x08, 0x04)};
        }
    }
    switch (state) {
    case TState::Hot:
        return {QColor(0x8c, 0xc8, 0xff), QColor(0x2a, 0x7a, 0xe0), QColor(0x0c, 0x3c, 0x8c)};
    case TState::Pressed:
        return {QColor(0x4a, 0x90, 0xe0), QColor(0x10, 0x4a, 0xa8), QColor(0x04, 0x24, 0x64)};
    default:
        return {QColor(0x6c, 0xb0, 0xf4), QColor(0x18, 0x5c, 0xc0), QColor(0x08, 0x30, 0x78)};
    }
}

QPainterPath ArrowRightPath()
{
    QPainterPath path;
    path.moveTo(2.5, 7.5);
    path.lineTo(10.5, 7.5);
    path.lineTo(10.5, 3.5);
    path.lineTo(17.5, 10.0);
    path.lineTo(10.5, 16.5);
    path.lineTo(10.5, 12.5);
    path.lineTo(2.5, 12.5);
    path.closeSubpath();
    return path;
}

QPainterPath CrossPath()
{
    QPainterPath stroke;
    stroke.moveTo(5.0, 5.0);
    stroke.lineTo(15.0, 15.0);
    stroke.moveTo(15.0, 5.0);
    stroke.lineTo(5.0, 15.0);
    QPainterPathStroker stroker;
    stroker.setWidth(4.0);
    stroker.setCapStyle(Qt::RoundCap);
    return stroker.createStroke(stroke).simplified();
}

} // namespace

QPixmap FolderButtonGlyph(TFolderButtonGlyph shape, TGradientButton::TState state)
{
    constexpr int side = TGradientButton::GlyphSize;
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);

    QPainterPath path = shape == TFolderButtonGlyph::Cross ? CrossPath() : ArrowRightPath();
    if (shape == TFolderButtonGlyph::ArrowLeft)
        path = QTransform(-1, 0, 0, 1, side, 0).map(path);
    // A pressed glyph moves down and right by one pixel, as the caption of a pushed button does.
    if (state == TGradientButton::TState::Pressed)
        path.translate(1, 1);

    const TGlyphColours colours = ColoursFor(shape, state);
    QLinearGradient fill(0, 2, 0, side - 2);
    fill.setColorAt(0, colours.Light);
    fill.setColorAt(1, colours.Dark);
    painter.setPen(QPen(colours.Outline, 1.0));
    painter.setBrush(fill);
    painter.drawPath(path);
    return pixmap;
}

void SetFolderButtonGlyphs(TGradientButton* button, TFolderButtonGlyph shape)
{
    using TState = TGradientButton::TState;
    button->setGlyph(FolderButtonGlyph(shape, TState::Normal));
    button->setGlyphHot(FolderButtonGlyph(shape, TState::Hot));
    button->setGlyphPressed(FolderButtonGlyph(shape, TState::Pressed));
    button->setGlyphDisabled(FolderButtonGlyph(shape, TState::Disabled));
}
