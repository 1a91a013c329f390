#pragma once

#include "ui_DeleteUnit.h"

#include <QDialog>

class QShowEvent;

// The question before "Delete Selected": to the trash or for good, and how many files. One
// instance lives from start-up to exit, so the choice made last time is offered again.
class TDeleteForm : public QDialog, private Ui::TDeleteForm
{
    Q_OBJECT

public:
    explicit TDeleteForm(QWidget* parent = nullptr);

    // Handlers, named after their control and event.
    void FormCreate();
    void FormShow();
    void Image1Click();
    void Image2Click();
    void OKButtonClick();
    void CancelButtonClick();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What the .ui file cannot hold: the font, the two pictures, the place on the screen.
    void BuildLayout();
    void ConnectHandlers();
};

// The delete dialog, created at start-up right after the main window.
extern TDeleteForm* DeleteForm;
