#pragma once

#include "ui_MoveUnit.h"

#include <QDialog>
#include <QString>

#include <functional>

class QShowEvent;

// The question before "Move to Folder": into which folder, and how many files. One instance lives
// from start-up to exit, so the folder typed last time is offered again.
class TMoveForm : public QDialog, private Ui::TMoveForm
{
    Q_OBJECT

public:
    explicit TMoveForm(QWidget* parent = nullptr);

    // Handlers, named after their control and event.
    void FormCreate();
    void FormShow();
    void SelectDirectoryButtonClick();
    void OKButtonClick();
    void CancelButtonClick();

    // The folder the browser opens on: the folder text without one trailing '/', or the working
    // directory when the text is empty.
    QString BrowseCallback() const;

    // The folder browser: returns the chosen folder, or an empty text when none was chosen.
    using TBrowseFunction =
        std::function<QString(QWidget* parent, const QString& title, const QString& start)>;
    // Replaces the browser (tests); an empty function restores the real one. Returns the previous.
    static TBrowseFunction SetBrowseFunction(TBrowseFunction browse);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ConnectHandlers();
};

// The move dialog, created at start-up right after the delete dialog.
extern TMoveForm* MoveForm;
