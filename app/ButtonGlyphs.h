#pragma once

#include "ui/GradientButton.h"

#include <QPixmap>

// The 20 x 20 pictures of the Add, Remove and Clear buttons beside the folder list.
enum class TFolderButtonGlyph
{
    ArrowRight,
    ArrowLeft,
    Cross
};

QPixmap FolderButtonGlyph(TFolderButtonGlyph shape, TGradientButton::TState state);

// Gives the button its picture in all four states.
void SetFolderButtonGlyphs(TGradientButton* button, TFolderButtonGlyph shape);
