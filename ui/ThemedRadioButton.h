#pragma once

#include <QRadioButton>

// A radio button drawn in the theme of the component set: caption on the right, no background
// of its own (it sits on a gradient panel), hot-tracked indicator. A click anywhere on it
// selects it.
class TThemedRadioButton : public QRadioButton
{
    Q_OBJECT

public:
    explicit TThemedRadioButton(QWidget* parent = nullptr);
    explicit TThemedRadioButton(const QString& text, QWidget* parent = nullptr);

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
