#pragma once

#include "ui/ThemedIndicatorButton.h"

#include <QRadioButton>

// A radio button drawn in the theme of the component set.
class TThemedRadioButton : public TThemedIndicatorButton<QRadioButton, true>
{
    Q_OBJECT

public:
    using TThemedIndicatorButton::TThemedIndicatorButton;
};
