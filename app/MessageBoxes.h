#pragma once

#include <QString>
#include <QStringList>

#include <exception>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QMessageBox;
class QWidget;

enum class TMessageKind
{
    Error,       // "Error", error icon
    Information, // "Information", information icon, "OK"
    Confirm      // "Confirm", question icon, "&Yes" and "&No"
};

enum class TMessageButton
{
    Ok,
    Abort,
    Yes,
    No
};

// Everything a box shows, as the caller asked for it.
struct TMessageBoxRequest
{
    TMessageKind Kind = TMessageKind::Information;
    QString Title;
    QString Text; // as the caller built it, line breaks (LF CR) included
    std::vector<TMessageButton> Buttons;
    QStringList Captions; // of Buttons, in the same order, left to right
};

// The box for `kind`: an error box has "OK", or "OK" and "&Abort" when `offerAbort` is set
// (ignored for the other kinds).
TMessageBoxRequest MessageBoxRequest(TMessageKind kind, const QString& text, bool offerAbort = false);

// A modal box that shows the request; the button each caption stands for is kept with the
// button. Closing it with Escape or the window's close button presses "OK" (error, information)
// or "&No" (confirmation).
std::unique_ptr<QMessageBox> CreateMessageBox(const TMessageBoxRequest& request, QWidget* parent);

// The button of `box` that was pressed.
TMessageButton PressedButton(const QMessageBox& box);

// Shows the box modally over the active window and returns the button pressed; with a hook
// installed, the hook answers instead and nothing is shown.
TMessageButton ShowMessageBox(TMessageKind kind, const QString& text, bool offerAbort = false);

using TMessageBoxHook = std::function<TMessageButton(const TMessageBoxRequest& request)>;
// Returns the previous hook; an empty hook shows real boxes again.
TMessageBoxHook SetMessageBoxHook(TMessageBoxHook hook);

// Shows an error that escaped a handler in the "Error" box. While that box is open, further
// escaped errors are dropped: a failing paint or tick handler would otherwise stack one box per
// repaint or tick.
void ReportHandlerError(const QString& message);

// The same, once control is back in the event loop: for handlers that run while a control
// paints, where a modal box would repaint the control inside its own paint. Errors that come
// while one report waits are dropped.
void ReportHandlerErrorLater(const QString& message);

// The guard event handlers run in: an exception escaping `body` is given to `report` (the
// "Error" box) instead of ending the program.
template <typename TBody>
void RunHandler(TBody&& body, void (*report)(const QString&) = &ReportHandlerError) noexcept
{
    try {
        std::forward<TBody>(body)();
    } catch (const std::exception& error) {
        try {
            report(QString::fromLocal8Bit(error.what()));
        } catch (...) {
        }
    } catch (...) {
        try {
            report(QStringLiteral("Unexpected error."));
        } catch (...) {
        }
    }
}
