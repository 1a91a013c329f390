#include "ThemedRadioButton.h"

#include "ThemePaint.h"

TThemedRadioButton::TThemedRadioButton(QWidget* parent) : QRadioButton(parent)
{
    setAutoFillBackground(false);
}

TThemedRadioButton::TThemedRadioButton(const QString& text, QWidget* parent) : QRadioButton(text, parent)
{
    setAutoFillBackground(false);
}

QSize TThemedRadioButton::sizeHint() const
{
    return theme::IndicatorButtonSizeHint(*this);
}

QSize TThemedRadioButton::minimumSizeHint() const
{
    return theme::IndicatorButtonSizeHint(*this);
}

void TThemedRadioButton::paintEvent(QPaintEvent*)
{
    theme::PaintIndicatorButton(*this, true, m_hot);
}

bool TThemedRadioButton::hitButton(const QPoint& pos) const
{
    return rect().contains(pos);
}

void TThemedRadioButton::enterEvent(QEnterEvent* event)
{
    m_hot = true;
    update();
    QRadioButton::enterEvent(event);
}

void TThemedRadioButton::leaveEvent(QEvent* event)
{
    m_hot = false;
    update();
    QRadioButton::leaveEvent(event);
}
