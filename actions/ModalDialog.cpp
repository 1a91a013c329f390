#include "ModalDialog.h"

#include <QDialog>

#include <utility>

namespace {

TModalHook& Hook()
{
    static TModalHook hook;
    return hook;
}

} // namespace

void ShowModal(QDialog& dialog)
{
    if (const TModalHook hook = Hook()) {
        dialog.show();
        hook(dialog);
        if (dialog.isVisible())
            dialog.close();
        return;
    }
    dialog.exec();
}

TModalHook SetModalHook(TModalHook hook)
{
    return std::exchange(Hook(), std::move(hook));
}
