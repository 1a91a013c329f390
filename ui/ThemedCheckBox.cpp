#include "ThemedCheckBox.h"

#include "ThemePaint.h"

TThemedCheckBox::TThemedCheckBox(QWidget* parent) : QCheckBox(parent)
{
    setAutoFillBackground(false);
}

TThemedCheckBox::TThemedCheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent)
{
    setAutoFillBackground(false);
}

QSize TThemedCheckBox::sizeHint() const
{
    return theme::IndicatorButtonSizeHint(*this);
}

QSize TThemedCheckBox::minimumSizeHint() const
{
    return theme::IndicatorButtonSizeHint(*this);
}

void TThemedCheckBox::paintEvent(QPaintEvent*)
{
    theme::PaintIndicatorButton(*this, false, m_hot);
}

bool TThemedCheckBox::hitButton(const QPoint& pos) const
{
    return rect().contains(pos);
}

void TThemedCheckBox::enterEvent(QEnterEvent* event)
{
    m_hot = true;
    update();
    QCheckBox::enterEvent(event);
}

void TThemedCheckBox::leaveEvent(QEvent* event)
{
    m_hot = false;
    update();
    QCheckBox::leaveEvent(event);
}
