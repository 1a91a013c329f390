#include "MessageBoxes.h"

#include "ui/ThemePaint.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QPushButton>

namespace {

TMessageBoxHook& Hook()
{
    static TMessageBoxHook hook;
    return hook;
}

const char* const ButtonProperty = "pwMessageButton";

QString Caption(TMessageButton button)
{
    switch (button) {
    case TMessageButton::Ok:
        return QStringLiteral("OK");
    case TMessageButton::Abort:
        return QStringLiteral("&Abort");
    case TMessageButton::Yes:
        return QStringLiteral("&Yes");
    case TMessageButton::No:
        return QStringLiteral("&No");
    }
    return {};
}

QMessageBox::Icon IconOf(TMessageKind kind)
{
    switch (kind) {
    case TMessageKind::Error:
        return QMessageBox::Critical;
    case TMessageKind::Information:
        return QMessageBox::Information;
    case TMessageKind::Confirm:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

TMessageButton EscapeAnswer(TMessageKind kind)
{
    return kind == TMessageKind::Confirm ? TMessageButton::No : TMessageButton::Ok;
}

bool g_reportingHandlerError = false;

} // namespace

TMessageBoxRequest MessageBoxRequest(TMessageKind kind, const QString& text, bool offerAbort)
{
    TMessageBoxRequest request;
    request.Kind = kind;
    request.Text = text;
    switch (kind) {
    case TMessageKind::Error:
        request.Title = QStringLiteral("Error");
        request.Buttons = {TMessageButton::Ok};
        if (offerAbort)
            request.Buttons.push_back(TMessageButton::Abort);
        break;
    case TMessageKind::Information:
        request.Title = QStringLiteral("Information");
        request.Buttons = {TMessageButton::Ok};
        break;
    case TMessageKind::Confirm:
        request.Title = QStringLiteral("Confirm");
        request.Buttons = {TMessageButton::Yes, TMessageButton::No};
        break;
    }
    for (const TMessageButton button : request.Buttons)
        request.Captions << Caption(button);
    return request;
}

std::unique_ptr<QMessageBox> CreateMessageBox(const TMessageBoxRequest& request, QWidget* parent)
{
    auto box = std::make_unique<QMessageBox>(parent);
    box->setWindowTitle(request.Title);
    box->setIcon(IconOf(request.Kind));
    box->setTextFormat(Qt::PlainText);
    box->setText(theme::NormaliseLineBreaks(request.Text));
    const TMessageButton escapeAnswer = EscapeAnswer(request.Kind);
    for (std::size_t i = 0; i < request.Buttons.size(); ++i) {
        const TMessageButton answer = request.Buttons[i];
        const QString caption = i < static_cast<std::size_t>(request.Captions.size())
                                    ? request.Captions.at(static_cast<qsizetype>(i))
                                    : Caption(answer);
        // One role for all: the order stays the one asked for under every desktop's button
        // layout (they would otherwise put "&No" before "&Yes"); default and escape are set below.
        QPushButton* button = box->addButton(caption, QMessageBox::ActionRole);
        button->setProperty(ButtonProperty, static_cast<int>(answer));
        if (i == 0)
            box->setDefaultButton(button);
        if (answer == escapeAnswer)
            box->setEscapeButton(button);
    }
    return box;
}

TMessageButton PressedButton(const QMessageBox& box)
{
    const QAbstractButton* clicked = box.clickedButton();
    if (clicked == nullptr)
        return box.escapeButton() != nullptr
                   ? static_cast<TMessageButton>(box.escapeButton()->property(ButtonProperty).toInt())
                   : TMessageButton::Ok;
    return static_cast<TMessageButton>(clicked->property(ButtonProperty).toInt());
}

TMessageButton ShowMessageBox(TMessageKind kind, const QString& text, bool offerAbort)
{
    const TMessageBoxRequest request = MessageBoxRequest(kind, text, offerAbort);
    if (const TMessageBoxHook hook = Hook())
        return hook(request);
    const std::unique_ptr<QMessageBox> box = CreateMessageBox(request, QApplication::activeWindow());
    box->exec();
    return PressedButton(*box);
}

TMessageBoxHook SetMessageBoxHook(TMessageBoxHook hook)
{
    return std::exchange(Hook(), std::move(hook));
}

void ReportHandlerErrorLater(const QString& message)
{
    static bool queued = false;
    if (queued)
        return;
    queued = true;
    QMetaObject::invokeMethod(
        qApp,
        [message] {
            queued = false;
            ReportHandlerError(message);
        },
        Qt::QueuedConnection);
}

void ReportHandlerError(const QString& message)
{
    if (g_reportingHandlerError)
        return;
    g_reportingHandlerError = true;
    struct TReset
    {
        ~TReset() { g_reportingHandlerError = false; }
    } reset;
    ShowMessageBox(TMessageKind::Error, message);
}
