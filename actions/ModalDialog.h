#pragma once

#include <functional>

class QDialog;

// Shows `dialog` modally and returns once it is closed. With a hook installed (tests), the dialog
// is shown without a modal loop, the hook runs (it can click the dialog's buttons), and a dialog
// the hook left open is closed as if by its close button.
void ShowModal(QDialog& dialog);

using TModalHook = std::function<void(QDialog& dialog)>;
// Returns the previous hook; an empty hook shows dialogs modally again.
TModalHook SetModalHook(TModalHook hook);
