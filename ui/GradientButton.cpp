#include "GradientButton.h"

#include "ThemePaint.h"

#include <QEvent>
#include <QPainter>
#include <QStyleOption>

namespace {

constexpr int CaptionGlyphGap = 5;
constexpr int HorizontalPadding = 8;

} // namespace

TGradientButton::TGradientButton(QWidget* parent) : QToolButton(parent)
{
    setAutoRaise(true);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    setAttribute(Qt::WA_Hover, true);
    UseBannerColors();
}

void TGradientButton::UseBannerColors()
{
    m_borderColor = QColor(0x03, 0x38, 0x93);
    m_pressedBorderColor = QColor();
    m_normalTop = QColor(Qt::white);
    m_normalBottom = QColor(0x8B, 0xA7, 0xC2);
    m_hotTop = QColor(Qt::white);
    m_hotBottom = QColor(0xDB, 0xEE, 0xFD);
    m_pressedTop = QColor(0xA6, 0xD9, 0xF0);
    m_pressedBottom = QColor(0x87, 0xCE, 0xEB);
    update();
}

void TGradientButton::UseGreyColors()
{
    m_borderColor = QColor(0x8E, 0x8F, 0x8F);
    m_pressedBorderColor = QColor(0x3A, 0x6E, 0xA5);
    m_normalTop = QColor(Qt::white);
    m_normalBottom = QColor(0xC4, 0xBF, 0xB3);
    m_hotTop = QColor(Qt::white);
    m_hotBottom = QColor(0xEB, 0xEB, 0xEB);
    m_pressedTop = QColor(0xC4, 0xBF, 0xB3);
    m_pressedBottom = QColor(Qt::white);
    update();
}

void TGradientButton::setBorderColor(const QColor& color)
{
    m_borderColor = color;
    update();
}

void TGradientButton::setPressedBorderColor(const QColor& color)
{
    m_pressedBorderColor = color;
    update();
}

void TGradientButton::setNormalTop(const QColor& color)
{
    m_normalTop = color;
    update();
}

void TGradientButton::setNormalBottom(const QColor& color)
{
    m_normalBottom = color;
    update();
}

void TGradientButton::setHotTop(const QColor& color)
{
    m_hotTop = color;
    update();
}

void TGradientButton::setHotBottom(const QColor& color)
{
    m_hotBottom = color;
    update();
}

void TGradientButton::setPressedTop(const QColor& color)
{
    m_pressedTop = color;
    update();
}

void TGradientButton::setPressedBottom(const QColor& color)
{
    m_pressedBottom = color;
    update();
}

void TGradientButton::setCaptionColor(const QColor& color)
{
    m_captionColor = color;
    update();
}

void TGradientButton::setBoldCaption(bool on)
{
    m_boldCaption = on;
    updateGeometry();
    update();
}

void TGradientButton::setGlyph(const QPixmap& pixmap)
{
    m_glyph = pixmap;
    updateGeometry();
    update();
}

void TGradientButton::setGlyphHot(const QPixmap& pixmap)
{
    m_glyphHot = pixmap;
    update();
}

void TGradientButton::setGlyphPressed(const QPixmap& pixmap)
{
    m_glyphPressed = pixmap;
    update();
}

void TGradientButton::setGlyphDisabled(const QPixmap& pixmap)
{
    m_glyphDisabled = pixmap;
    update();
}

TGradientButton::TState TGradientButton::State() const
{
    if (!isEnabled())
        return TState::Disabled;
    if (isDown() || isChecked())
        return TState::Pressed;
    if (m_hot)
        return TState::Hot;
    return TState::Normal;
}

QPixmap TGradientButton::CurrentGlyph() const
{
    if (m_glyph.isNull())
        return QPixmap();
    switch (State()) {
    case TState::Disabled:
        if (!m_glyphDisabled.isNull())
            return m_glyphDisabled;
        {
            QStyleOption option;
            option.initFrom(this);
            return style()->generatedIconPixmap(QIcon::Disabled, m_glyph, &option);
        }
    case TState::Pressed:
        if (!m_glyphPressed.isNull())
            return m_glyphPressed;
        return m_glyphHot.isNull() ? m_glyph : m_glyphHot;
    case TState::Hot:
        return m_glyphHot.isNull() ? m_glyph : m_glyphHot;
    case TState::Normal:
        break;
    }
    return m_glyph;
}

QFont TGradientButton::CaptionFont() const
{
    QFont captionFont = font();
    captionFont.setFamilies({theme::ResolveFontFamily(captionFont.family())});
    if (m_boldCaption)
        captionFont.setBold(true);
    return captionFont;
}

QSize TGradientButton::sizeHint() const
{
    const QFontMetrics metrics(CaptionFont());
    int width = metrics.horizontalAdvance(text()) + 2 * HorizontalPadding;
    int height = metrics.height() + 10;
    if (!m_glyph.isNull()) {
        width += CaptionGlyphGap + GlyphSize;
        height = qMax(height, GlyphSize + 8);
    }
    return QSize(width, height);
}

QSize TGradientButton::minimumSizeHint() const
{
    return sizeHint();
}

void TGradientButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const TState state = State();
    const QRect area = rect();
    const QRect inner = area.adjusted(1, 1, -1, -1);

    QColor top = m_normalTop;
    QColor bottom = m_normalBottom;
    QColor border = m_borderColor;
    if (state == TState::Hot) {
        top = m_hotTop;
        bottom = m_hotBottom;
    } else if (state == TState::Pressed) {
        top = m_pressedTop;
        bottom = m_pressedBottom;
        if (m_pressedBorderColor.isValid())
            border = m_pressedBorderColor;
    } else if (state == TState::Disabled) {
        const QColor grey(0xEE, 0xEE, 0xEE);
        auto fade = [&grey](const QColor& color) {
            return QColor((color.red() + grey.red()) / 2, (color.green() + grey.green()) / 2,
                          (color.blue() + grey.blue()) / 2);
        };
        top = fade(top);
        bottom = fade(bottom);
        border = fade(border);
    }
    theme::FillVerticalGradient(painter, inner, top, bottom);
    painter.setPen(border);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(area.adjusted(0, 0, -1, -1));

    const QFont captionFont = CaptionFont();
    painter.setFont(captionFont);
    const QFontMetrics metrics(captionFont);
    const QString caption = text();
    const QPixmap glyphPixmap = CurrentGlyph();
    const int captionWidth = metrics.horizontalAdvance(caption);
    int contentWidth = captionWidth;
    if (!glyphPixmap.isNull())
        contentWidth += (caption.isEmpty() ? 0 : CaptionGlyphGap) + GlyphSize;
    int x = area.left() + (area.width() - contentWidth) / 2;
    // The caption moves down by one pixel while pressed, as the button sinks in.
    const int shift = state == TState::Pressed ? 1 : 0;

    QColor textColor = m_captionColor;
    if (state == TState::Disabled)
        textColor = QColor(0x8C, 0x8C, 0x8C);
    painter.setPen(textColor);
    const QRect captionRect(x + shift, area.top() + shift, captionWidth, area.height());
    painter.drawText(captionRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, caption);
    if (!glyphPixmap.isNull()) {
        x += captionWidth + (caption.isEmpty() ? 0 : CaptionGlyphGap);
        const QRect glyphRect(x + shift, area.top() + (area.height() - GlyphSize) / 2 + shift, GlyphSize,
                              GlyphSize);
        painter.drawPixmap(glyphRect, glyphPixmap);
    }

    if (hasFocus()) {
        QPen focusPen(textColor, 1, Qt::DotLine);
        painter.setPen(focusPen);
        painter.drawRect(area.adjusted(3, 3, -4, -4));
    }
}

void TGradientButton::enterEvent(QEnterEvent* event)
{
    m_hot = true;
    update();
    QToolButton::enterEvent(event);
}

void TGradientButton::leaveEvent(QEvent* event)
{
    m_hot = false;
    update();
    QToolButton::leaveEvent(event);
}

void TGradientButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        m_hot = false;
    QToolButton::changeEvent(event);
}
