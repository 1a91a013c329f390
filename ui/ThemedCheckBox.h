#pragma once

#include <QCheckBox>

// A check box drawn in the theme of the component set: caption on the right, no background
// of its own (it sits on a gradient panel), hot-tracked indicator. A click anywhere on it
// toggles it.
class TThemedCheckBox : public QCheckBox
{
    Q_OBJECT

public:
    explicit TThemedCheckBox(QWidget* parent = nullptr);
    explicit TThemedCheckBox(const QString& text, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    bool m_hot = false;
};
