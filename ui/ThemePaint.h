#pragma once

#include <QColor>
#include <QRect>
#include <QString>

class QAbstractButton;
class QPainter;
class QSize;

// Drawing shared by the controls of the component set, so that they look alike.
namespace theme {

// The family to use for a requested face: the first installed name of a comma-separated list,
// else the sans-serif stand-in (the stored layouts ask for Windows faces such as Tahoma).
QString ResolveFontFamily(const QString& face);
// A sans-serif family close in width to the Windows interface faces the layouts were measured
// with, so that captions fit their stored sizes: DejaVu Sans Condensed where installed, else
// the font system's generic sans-serif.
QString SansSerifStandIn();

void FillVerticalGradient(QPainter& painter, const QRect& rect, const QColor& top, const QColor& bottom);

// One-pixel frame: light on the top and left edges, dark on the bottom and right when raised,
// the other way round when lowered.
void DrawBevelFrame(QPainter& painter, const QRect& rect, bool raised);

// Captions may carry CR LF or LF CR line breaks; painters want plain LF.
QString NormaliseLineBreaks(const QString& text);

enum class TIndicatorState
{
    Normal,
    Hot,
    Pressed,
    Disabled
};

constexpr int IndicatorSize = 13;

void DrawCheckIndicator(QPainter& painter, const QRect& box, bool checked, TIndicatorState state);
void DrawRadioIndicator(QPainter& painter, const QRect& box, bool checked, TIndicatorState state);

// The themed check box and radio button: the indicator at the left, vertically centred, and
// the caption right of it on whatever the parent paints (no background of their own).
void PaintIndicatorButton(QAbstractButton& button, bool radio, bool hot);
QSize IndicatorButtonSizeHint(const QAbstractButton& button);

} // namespace theme
