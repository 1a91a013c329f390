#pragma once

#include "ui/ThemePaint.h"

#include <QEnterEvent>

// What the themed check box and radio button share: caption on the right, no background of its
// own (it sits on a gradient panel), a hot-tracked indicator, and a click anywhere on it counts.
template <typename TButton, bool Round> class TThemedIndicatorButton : public TButton
{
public:
    explicit TThemedIndicatorButton(QWidget* parent = nullptr) : TButton(parent)
    {
        this->setAutoFillBackground(false);
    }
    explicit TThemedIndicatorButton(const QString& text, QWidget* parent = nullptr) : TButton(text, parent)
    {
        this->setAutoFillBackground(false);
    }

    QSize sizeHint() const override { return theme::IndicatorButtonSizeHint(*this); }
    QSize minimumSizeHint() const override { return theme::IndicatorButtonSizeHint(*this); }

protected:
    void paintEvent(QPaintEvent*) override { theme::PaintIndicatorButton(*this, Round, m_hot); }
    bool hitButton(const QPoint& pos) const override { return this->rect().contains(pos); }

    void enterEvent(QEnterEvent* event) override
    {
        m_hot = true;
        this->update();
        TButton::enterEvent(event);
    }

    void leaveEvent(QEvent* event) override
    {
        m_hot = false;
        this->update();
        TButton::leaveEvent(event);
    }

private:
    bool m_hot = false;
};
