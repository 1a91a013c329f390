#pragma once

#include <QColor>
#include <QPixmap>
#include <QToolButton>

// A flat tool button: a one-pixel border around a vertical gradient that changes when the
// mouse is over the button (hot) and while it is pressed, a caption (bold by default) and an
// optional glyph right of the caption with its own picture for each state. The defaults are
// those of the step-banner buttons.
class TGradientButton : public QToolButton
{
    Q_OBJECT
    Q_PROPERTY(QColor borderColor READ borderColor WRITE setBorderColor)
    Q_PROPERTY(QColor pressedBorderColor READ pressedBorderColor WRITE setPressedBorderColor)
    Q_PROPERTY(QColor normalTop READ normalTop WRITE setNormalTop)
    Q_PROPERTY(QColor normalBottom READ normalBottom WRITE setNormalBottom)
    Q_PROPERTY(QColor hotTop READ hotTop WRITE setHotTop)
    Q_PROPERTY(QColor hotBottom READ hotBottom WRITE setHotBottom)
    Q_PROPERTY(QColor pressedTop READ pressedTop WRITE setPressedTop)
    Q_PROPERTY(QColor pressedBottom READ pressedBottom WRITE setPressedBottom)
    Q_PROPERTY(QColor captionColor READ captionColor WRITE setCaptionColor)
    Q_PROPERTY(bool boldCaption READ boldCaption WRITE setBoldCaption)
    Q_PROPERTY(QPixmap glyph READ glyph WRITE setGlyph)
    Q_PROPERTY(QPixmap glyphHot READ glyphHot WRITE setGlyphHot)
    Q_PROPERTY(QPixmap glyphPressed READ glyphPressed WRITE setGlyphPressed)
    Q_PROPERTY(QPixmap glyphDisabled READ glyphDisabled WRITE setGlyphDisabled)

public:
    enum class TState
    {
        Normal,
        Hot,
        Pressed,
        Disabled
    };

    static constexpr int GlyphSize = 20;

    explicit TGradientButton(QWidget* parent = nullptr);

    QColor borderColor() const { return m_borderColor; }
    void setBorderColor(const QColor& color);
    // An invalid colour keeps borderColor while pressed.
    QColor pressedBorderColor() const { return m_pressedBorderColor; }
    void setPressedBorderColor(const QColor& color);
    QColor normalTop() const { return m_normalTop; }
    void setNormalTop(const QColor& color);
    QColor normalBottom() const { return m_normalBottom; }
    void setNormalBottom(const QColor& color);
    QColor hotTop() const { return m_hotTop; }
    void setHotTop(const QColor& color);
    QColor hotBottom() const { return m_hotBottom; }
    void setHotBottom(const QColor& color);
    QColor pressedTop() const { return m_pressedTop; }
    void setPressedTop(const QColor& color);
    QColor pressedBottom() const { return m_pressedBottom; }
    void setPressedBottom(const QColor& color);
    QColor captionColor() const { return m_captionColor; }
    void setCaptionColor(const QColor& color);
    bool boldCaption() const { return m_boldCaption; }
    void setBoldCaption(bool on);

    // A null glyph for hot, pressed or disabled falls back to the normal glyph (greyed out
    // when disabled); with no normal glyph the caption is centred alone.
    QPixmap glyph() const { return m_glyph; }
    void setGlyph(const QPixmap& pixmap);
    QPixmap glyphHot() const { return m_glyphHot; }
    void setGlyphHot(const QPixmap& pixmap);
    QPixmap glyphPressed() const { return m_glyphPressed; }
    void setGlyphPressed(const QPixmap& pixmap);
    QPixmap glyphDisabled() const { return m_glyphDisabled; }
    void setGlyphDisabled(const QPixmap& pixmap);

    TState State() const;
    // The glyph painted in the current state (null when the button has none).
    QPixmap CurrentGlyph() const;
    // Set every colour to one of the two looks of the main window: the step-banner buttons
    // (the default) or the grey buttons beside the folder list.
    void UseBannerColors();
    void UseGreyColors();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QFont CaptionFont() const;

    QColor m_borderColor;
    QColor m_pressedBorderColor;
    QColor m_normalTop;
    QColor m_normalBottom;
    QColor m_hotTop;
    QColor m_hotBottom;
    QColor m_pressedTop;
    QColor m_pressedBottom;
    QColor m_captionColor{Qt::black};
    bool m_boldCaption = true;
    bool m_hot = false;
    QPixmap m_glyph;
    QPixmap m_glyphHot;
    QPixmap m_glyphPressed;
    QPixmap m_glyphDisabled;
};
