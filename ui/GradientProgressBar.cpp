#include "GradientProgressBar.h"

#include <QPainter>

TGradientProgressBar::TGradientProgressBar(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TGradientProgressBar::setPosition(int position)
{
    const int clamped = qBound(Minimum, position, Maximum);
    if (clamped == m_position)
        return;
    m_position = clamped;
    update();
}

void TGradientProgressBar::setFillColor(const QColor& color)
{
    m_fillColor = color;
    update();
}

void TGradientProgressBar::setBorderColor(const QColor& color)
{
    m_borderColor = color;
    update();
}

void TGradientProgressBar::setBackgroundColor(const QColor& color)
{
    m_backgroundColor = color;
    update();
}

QSize TGradientProgressBar::sizeHint() const
{
    return QSize(150, 21);
}

void TGradientProgressBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect area = rect();
    const QRect inner = area.adjusted(1, 1, -1, -1);
    painter.fillRect(inner, m_backgroundColor);
    const int filled = int(qint64(inner.width()) * m_position / Maximum);
    if (filled > 0)
        painter.fillRect(QRect(inner.left(), inner.top(), filled, inner.height()), m_fillColor);
    painter.setPen(m_borderColor);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(area.adjusted(0, 0, -1, -1));
}
