#pragma once

#include <QColor>
#include <QString>
#include <QTextDocument>
#include <QWidget>

// A label that renders the small HTML subset of the stored layouts (&nbsp;, <FONT color size
// face>, <B>, <p align>) on a painted background: a vertical two-colour gradient (the step
// banners and the panel backgrounds) or a flat colour, with an optional bevel and border.
// A FONT size is a point size, and a face that is not installed falls back to a sans-serif
// stand-in. Emits clicked() on a left click, so it can serve as a link.
class THtmlLabel : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString markup READ markup WRITE setMarkup)
    Q_PROPERTY(bool gradient READ gradient WRITE setGradient)
    Q_PROPERTY(QColor gradientTop READ gradientTop WRITE setGradientTop)
    Q_PROPERTY(QColor gradientBottom READ gradientBottom WRITE setGradientBottom)
    Q_PROPERTY(QColor flatColor READ flatColor WRITE setFlatColor)
    Q_PROPERTY(QColor borderColor READ borderColor WRITE setBorderColor)
    Q_PROPERTY(TBevel bevel READ bevel WRITE setBevel)
    Q_PROPERTY(bool centerVertically READ centerVertically WRITE setCenterVertically)
    Q_PROPERTY(int textMargin READ textMargin WRITE setTextMargin)

public:
    // BannerBevel: a lowered outer and a raised inner frame; LoweredBevel: one lowered frame.
    enum TBevel
    {
        NoBevel,
        BannerBevel,
        LoweredBevel
    };
    Q_ENUM(TBevel)

    explicit THtmlLabel(QWidget* parent = nullptr);

    // The markup rewritten into Qt rich text: FONT becomes a span with a point size and an
    // installed family.
    static QString ToRichText(const QString& markup);

    QString markup() const { return m_markup; }
    void setMarkup(const QString& markup);
    bool gradient() const { return m_gradient; }
    void setGradient(bool on);
    QColor gradientTop() const { return m_gradientTop; }
    void setGradientTop(const QColor& color);
    QColor gradientBottom() const { return m_gradientBottom; }
    void setGradientBottom(const QColor& color);
    QColor flatColor() const { return m_flatColor; }
    void setFlatColor(const QColor& color);
    // An invalid colour draws no border.
    QColor borderColor() const { return m_borderColor; }
    void setBorderColor(const QColor& color);
    TBevel bevel() const { return m_bevel; }
    void setBevel(TBevel bevel);
    bool centerVertically() const { return m_centerVertically; }
    void setCenterVertically(bool on);
    int textMargin() const { return m_textMargin; }
    void setTextMargin(int pixels);

    // The laid-out text, as painted.
    const QTextDocument& Document() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int FrameWidth() const;
    QRect TextRect() const;
    void Relayout() const;
    void Changed();

    QString m_markup;
    bool m_gradient = true;
    QColor m_gradientTop{0x96, 0xBC, 0xE2};
    QColor m_gradientBottom{0x03, 0x38, 0x93};
    QColor m_flatColor{Qt::white};
    QColor m_borderColor;
    TBevel m_bevel = NoBevel;
    bool m_centerVertically = true;
    int m_textMargin = 2;
    bool m_pressed = false;
    mutable QTextDocument m_document;
    mutable bool m_documentStale = true;
};
