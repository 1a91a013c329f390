#pragma once

#include <QColor>
#include <QWidget>

// A progress bar over the fixed range 0 to 100: a border, a background and the done part
// filled in one colour from the left.
class TGradientProgressBar : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int position READ position WRITE setPosition)
    Q_PROPERTY(QColor fillColor READ fillColor WRITE setFillColor)
    Q_PROPERTY(QColor borderColor READ borderColor WRITE setBorderColor)
    Q_PROPERTY(QColor backgroundColor READ backgroundColor WRITE setBackgroundColor)

public:
    static constexpr int Minimum = 0;
    static constexpr int Maximum = 100;

    explicit TGradientProgressBar(QWidget* parent = nullptr);

    int position() const { return m_position; }
    // Values outside 0..100 are clamped.
    void setPosition(int position);
    QColor fillColor() const { return m_fillColor; }
    void setFillColor(const QColor& color);
    QColor borderColor() const { return m_borderColor; }
    void setBorderColor(const QColor& color);
    QColor backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(const QColor& color);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_position = 0;
    QColor m_fillColor{0xA0, 0xB7, 0xD4};
    QColor m_borderColor{Qt::black};
    QColor m_backgroundColor{Qt::white};
};
