#include "ThemePaint.h"

#include <QAbstractButton>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>

namespace theme {

namespace {

const QColor IndicatorBorder(0x1C, 0x51, 0x80);
const QColor IndicatorBorderDisabled(0xCA, 0xC8, 0xBB);
const QColor IndicatorMark(0x21, 0xA1, 0x21);
const QColor IndicatorHotOuter(0xF8, 0xB3, 0x30);
const QColor IndicatorHotInner(0xFF, 0xE5, 0xA3);
const QColor DisabledCaption(0xAC, 0xA8, 0x99);
constexpr int IndicatorCaptionGap = 5;

void FillIndicatorFace(QPainter& painter, const QRectF& inner, TIndicatorState state, bool round)
{
    QLinearGradient face(inner.topLeft(), inner.bottomRight());
    switch (state) {
    case TIndicatorState::Pressed:
        face.setColorAt(0, QColor(0xB0, 0xB0, 0xA7));
        face.setColorAt(1, QColor(0xE4, 0xE4, 0xE0));
        break;
    case TIndicatorState::Disabled:
        face.setColorAt(0, QColor(0xFF, 0xFF, 0xFF));
        face.setColorAt(1, QColor(0xFF, 0xFF, 0xFF));
        break;
    case TIndicatorState::Normal:
    case TIndicatorState::Hot:
        face.setColorAt(0, QColor(0xDC, 0xDC, 0xD7));
        face.setColorAt(1, QColor(0xFF, 0xFF, 0xFF));
        break;
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(face);
    if (round)
        painter.drawEllipse(inner);
    else
        painter.drawRect(inner);
    if (state == TIndicatorState::Hot) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(IndicatorHotOuter, 1.0));
        const QRectF ring = inner.adjusted(0.5, 0.5, -0.5, -0.5);
        if (round)
            painter.drawEllipse(ring);
        else
            painter.drawRect(ring);
        painter.setPen(QPen(IndicatorHotInner, 1.0));
        const QRectF ring2 = ring.adjusted(1, 1, -1, -1);
        if (round)
            painter.drawEllipse(ring2);
        else
            painter.drawRect(ring2);
    }
}

} // namespace

QString SansSerifStandIn()
{
    const QString condensed = QStringLiteral("DejaVu Sans Condensed");
    if (QFontDatabase::hasFamily(condensed))
        return condensed;
    QFont generic(QStringLiteral("Sans Serif"));
    generic.setStyleHint(QFont::SansSerif);
    return QFontInfo(generic).family();
}

QString ResolveFontFamily(const QString& face)
{
    const QStringList names = face.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString& name : names) {
        const QString trimmed = name.trimmed();
        if (!trimmed.isEmpty() && QFontDatabase::hasFamily(trimmed))
            return trimmed;
    }
    return SansSerifStandIn();
}

void FillVerticalGradient(QPainter& painter, const QRect& rect, const QColor& top, const QColor& bottom)
{
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    painter.fillRect(rect, gradient);
}

void DrawBevelFrame(QPainter& painter, const QRect& rect, bool raised)
{
    const QColor light(255, 255, 255, 170);
    const QColor dark(0, 0, 0, 110);
    const QColor& topLeft = raised ? light : dark;
    const QColor& bottomRight = raised ? dark : light;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(topLeft);
    painter.drawLine(rect.topLeft(), rect.topRight() - QPoint(1, 0));
    painter.drawLine(rect.topLeft() + QPoint(0, 1), rect.bottomLeft() - QPoint(0, 1));
    painter.setPen(bottomRight);
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.drawLine(rect.topRight(), rect.bottomRight() - QPoint(0, 1));
    painter.restore();
}

QString NormaliseLineBreaks(const QString& text)
{
    QString result = text;
    result.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    result.replace(QLatin1String("\n\r"), QLatin1String("\n"));
    result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return result;
}

void DrawCheckIndicator(QPainter& painter, const QRect& box, bool checked, TIndicatorState state)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QRectF outer(box);
    painter.setPen(Qt::NoPen);
    painter.setBrush(state == TIndicatorState::Disabled ? IndicatorBorderDisabled : IndicatorBorder);
    painter.drawRect(outer);
    FillIndicatorFace(painter, outer.adjusted(1, 1, -1, -1), state, false);
    if (checked) {
        painter.setRenderHint(QPainter::Antialiasing, true);
        QPen pen(state == TIndicatorState::Disabled ? IndicatorBorderDisabled : IndicatorMark, 2.0);
        pen.setCapStyle(Qt::SquareCap);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        const qreal x = outer.left();
        const qreal y = outer.top();
        const qreal s = outer.width() / IndicatorSize;
        QPainterPath tick;
        tick.moveTo(x + 3.5 * s, y + 6.5 * s);
        tick.lineTo(x + 5.5 * s, y + 8.5 * s);
        tick.lineTo(x + 9.5 * s, y + 4.0 * s);
        painter.drawPath(tick);
    }
    painter.restore();
}

void DrawRadioIndicator(QPainter& painter, const QRect& box, bool checked, TIndicatorState state)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRectF outer = QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(state == TIndicatorState::Disabled ? IndicatorBorderDisabled : IndicatorBorder);
    painter.drawEllipse(outer);
    FillIndicatorFace(painter, outer.adjusted(1, 1, -1, -1), state, true);
    if (checked) {
        const QPointF centre = outer.center();
        QRadialGradient dot(centre - QPointF(0.8, 0.8), 3.2);
        const QColor mark = state == TIndicatorState::Disabled ? IndicatorBorderDisabled : IndicatorMark;
        dot.setColorAt(0, mark.lighter(150));
        dot.setColorAt(1, mark);
        painter.setPen(Qt::NoPen);
        painter.setBrush(dot);
        painter.drawEllipse(centre, 2.8, 2.8);
    }
    painter.restore();
}

void PaintIndicatorButton(QAbstractButton& button, bool radio, bool hot)
{
    QPainter painter(&button);
    TIndicatorState state = TIndicatorState::Normal;
    if (!button.isEnabled())
        state = TIndicatorState::Disabled;
    else if (button.isDown())
        state = TIndicatorState::Pressed;
    else if (hot)
        state = TIndicatorState::Hot;
    const QRect box(0, (button.height() - IndicatorSize) / 2, IndicatorSize, IndicatorSize);
    if (radio)
        DrawRadioIndicator(painter, box, button.isChecked(), state);
    else
        DrawCheckIndicator(painter, box, button.isChecked(), state);

    const QString caption = NormaliseLineBreaks(button.text());
    if (caption.isEmpty())
        return;
    painter.setFont(button.font());
    painter.setPen(state == TIndicatorState::Disabled ? DisabledCaption
                                                      : button.palette().color(QPalette::WindowText));
    const QRect textArea(IndicatorSize + IndicatorCaptionGap, 0,
                         button.width() - IndicatorSize - IndicatorCaptionGap, button.height());
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic;
    painter.drawText(textArea, flags, caption);
    if (button.hasFocus()) {
        const QRect used = painter.boundingRect(textArea, flags, caption).intersected(textArea);
        painter.setPen(QPen(button.palette().color(QPalette::WindowText), 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(used.adjusted(-2, 0, 1, -1));
    }
}

QSize IndicatorButtonSizeHint(const QAbstractButton& button)
{
    const QFontMetrics metrics(button.font());
    const QSize text = metrics.size(Qt::TextShowMnemonic, NormaliseLineBreaks(button.text()));
    return QSize(IndicatorSize + IndicatorCaptionGap + text.width() + 3,
                 qMax(IndicatorSize, text.height()) + 4);
}

} // namespace theme
