#pragma once

#include "ui/ThemedIndicatorButton.h"

#include <QCheckBox>

// A check box drawn in the theme of the component set.
class TThemedCheckBox : public TThemedIndicatorButton<QCheckBox, false>
{
    Q_OBJECT

public:
    using TThemedIndicatorButton::TThemedIndicatorButton;
};
