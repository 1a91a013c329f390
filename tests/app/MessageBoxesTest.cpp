#include "app/MessageBoxes.h"

#include "tests/support/MessageBoxRecorder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

using namespace std::chrono_literals;

QAbstractButton* ButtonWithCaption(const QMessageBox& box, const QString& caption)
{
    for (QAbstractButton* button : box.buttons())
        if (button->text() == caption)
            return button;
    ADD_FAILURE() << "no button " << caption.toStdString();
    return nullptr;
}

struct TBoxCase
{
    TMessageKind Kind;
    bool OfferAbort;
    const char* Title;
    QStringList Captions;
    std::vector<TMessageButton> Buttons;
    QMessageBox::Icon Icon;
    const char* EscapeCaption;
};

const TBoxCase BoxCases[] = {
    {TMessageKind::Error, false, "Error", {"OK"}, {TMessageButton::Ok}, QMessageBox::Critical, "OK"},
    {TMessageKind::Error,
     true,
     "Error",
     {"OK", "&Abort"},
     {TMessageButton::Ok, TMessageButton::Abort},
     QMessageBox::Critical,
     "OK"},
    {TMessageKind::Information,
     true,
     "Information",
     {"OK"},
     {TMessageButton::Ok},
     QMessageBox::Information,
     "OK"},
    {TMessageKind::Confirm,
     true,
     "Confirm",
     {"&Yes", "&No"},
     {TMessageButton::Yes, TMessageButton::No},
     QMessageBox::Question,
     "&No"},
};

TEST(MessageBoxes, RequestsCarryTitleButtonsAndCaptionsOfTheirKind)
{
    const QString text = QStringLiteral("First line\n\rSecond line: /data/a b.txt");
    for (const TBoxCase& expected : BoxCases) {
        SCOPED_TRACE(expected.Title);
        const TMessageBoxRequest request = MessageBoxRequest(expected.Kind, text, expected.OfferAbort);
        EXPECT_EQ(request.Kind, expected.Kind);
        EXPECT_EQ(request.Title, QString::fromLatin1(expected.Title));
        EXPECT_EQ(request.Text, text);
        EXPECT_EQ(request.Captions, expected.Captions);
        EXPECT_EQ(request.Buttons, expected.Buttons);
    }
}

TEST(MessageBoxes, HookGetsTheTextUnchangedAndItsAnswerIsReturned)
{
    TMessageBoxRecorder boxes;
    const QString text = QStringLiteral("Delete 3 files?\n\r\"/tmp/x\"");
    boxes.Answer = TMessageButton::No;
    EXPECT_EQ(ShowMessageBox(TMessageKind::Confirm, text), TMessageButton::No);
    boxes.Answer = TMessageButton::Yes;
    EXPECT_EQ(ShowMessageBox(TMessageKind::Confirm, text), TMessageButton::Yes);
    boxes.Answer = TMessageButton::Abort;
    EXPECT_EQ(ShowMessageBox(TMessageKind::Error, QStringLiteral("Cannot read"), true),
              TMessageButton::Abort);
    ASSERT_EQ(boxes.Requests.size(), 3u);
    EXPECT_EQ(boxes.Requests[0].Text, text);
    EXPECT_EQ(boxes.Requests[0].Title, QStringLiteral("Confirm"));
    EXPECT_EQ(boxes.Requests[2].Captions, QStringList({"OK", "&Abort"}));
}

TEST(MessageBoxes, CreatedBoxShowsTheRequestWithDefaultAndEscapeButtons)
{
    for (const TBoxCase& expected : BoxCases) {
        SCOPED_TRACE(expected.Title);
        const TMessageBoxRequest request =
            MessageBoxRequest(expected.Kind, QStringLiteral("One\n\rTwo\r\nThree"), expected.OfferAbort);
        const std::unique_ptr<QMessageBox> box = CreateMessageBox(request, nullptr);
        EXPECT_EQ(box->windowTitle(), QString::fromLatin1(expected.Title));
        EXPECT_EQ(box->icon(), expected.Icon);
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        EXPECT_EQ(box->text(), QStringLiteral("One\nTwo\nThree"));
        ASSERT_EQ(box->buttons().size(), expected.Captions.size());
        ASSERT_NE(box->defaultButton(), nullptr);
        EXPECT_EQ(box->defaultButton()->text(), expected.Captions.front());
        ASSERT_NE(box->escapeButton(), nullptr);
        EXPECT_EQ(box->escapeButton()->text(), QString::fromLatin1(expected.EscapeCaption));

        // Captions stand left to right in the order asked for.
        box->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(box.get()));
        int lastX = -1;
        for (const QString& caption : expected.Captions) {
            const QAbstractButton* button = ButtonWithCaption(*box, caption);
            ASSERT_NE(button, nullptr);
            const int x = button->mapTo(box.get(), QPoint(0, 0)).x();
            EXPECT_GT(x, lastX) << caption.toStdString();
            lastX = x;
        }
    }
}

TEST(MessageBoxes, PressedButtonTellsWhichAnswerWasGiven)
{
    for (const TBoxCase& expected : BoxCases) {
        SCOPED_TRACE(expected.Title);
        const TMessageBoxRequest request =
            MessageBoxRequest(expected.Kind, QStringLiteral("?"), expected.OfferAbort);
        for (qsizetype i = 0; i < expected.Captions.size(); ++i) {
            const std::unique_ptr<QMessageBox> box = CreateMessageBox(request, nullptr);
            box->show();
            ButtonWithCaption(*box, expected.Captions[i])->click();
            EXPECT_EQ(PressedButton(*box), expected.Buttons[size_t(i)]) << expected.Captions[i].toStdString();
        }
        const TMessageButton escapeAnswer =
            expected.Kind == TMessageKind::Confirm ? TMessageButton::No : TMessageButton::Ok;
        const std::unique_ptr<QMessageBox> escaped = CreateMessageBox(request, nullptr);
        escaped->show();
        QTest::keyClick(escaped.get(), Qt::Key_Escape);
        EXPECT_FALSE(escaped->isVisible());
        EXPECT_EQ(PressedButton(*escaped), escapeAnswer);
        const std::unique_ptr<QMessageBox> closed = CreateMessageBox(request, nullptr);
        closed->show();
        closed->close();
        EXPECT_EQ(PressedButton(*closed), escapeAnswer);
    }
}

TEST(MessageBoxes, WithoutAHookARealModalBoxAnswers)
{
    const TMessageBoxHook previous = SetMessageBoxHook({});
    QString title;
    QString text;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        poll.stop();
        title = box->windowTitle();
        text = box->text();
        if (QAbstractButton* no = ButtonWithCaption(*box, QStringLiteral("&No")))
            no->click();
        else
            box->reject();
    });
    poll.start(5);
    EXPECT_EQ(ShowMessageBox(TMessageKind::Confirm, QStringLiteral("Move 2 files?")), TMessageButton::No);
    EXPECT_EQ(title, QStringLiteral("Confirm"));
    EXPECT_EQ(text, QStringLiteral("Move 2 files?"));
    SetMessageBoxHook(previous);
}

TEST(HandlerGuard, AnEscapedErrorIsShownInTheErrorBox)
{
    TMessageBoxRecorder boxes;
    RunHandler([] { throw std::runtime_error("Cannot open \"/data/x\": permission denied"); });
    RunHandler([] { throw 42; });
    bool ran = false;
    RunHandler([&] { ran = true; });
    EXPECT_TRUE(ran);
    ASSERT_EQ(boxes.Requests.size(), 2u);
    EXPECT_EQ(boxes.Requests[0].Kind, TMessageKind::Error);
    EXPECT_EQ(boxes.Requests[0].Title, QStringLiteral("Error"));
    EXPECT_EQ(boxes.Requests[0].Text, QStringLiteral("Cannot open \"/data/x\": permission denied"));
    EXPECT_EQ(boxes.Requests[0].Captions, QStringList({"OK"}));
    EXPECT_EQ(boxes.Requests[1].Text, QStringLiteral("Unexpected error."));
}

TEST(HandlerGuard, ErrorsWhileTheErrorBoxIsOpenAreDropped)
{
    TMessageBoxRecorder boxes;
    boxes.OnBox = [](const TMessageBoxRequest&) {
        // Repaints and ticks while the box is open fail again.
        RunHandler([] { throw std::runtime_error("again"); });
        RunHandler([] { throw 7; });
    };
    RunHandler([] { throw std::runtime_error("first"); });
    ASSERT_EQ(boxes.Requests.size(), 1u);
    EXPECT_EQ(boxes.Requests[0].Text, QStringLiteral("first"));

    // Once the box is closed, the next error is shown again.
    boxes.OnBox = nullptr;
    ReportHandlerError(QStringLiteral("second"));
    ASSERT_EQ(boxes.Requests.size(), 2u);
    EXPECT_EQ(boxes.Requests[1].Text, QStringLiteral("second"));

    // Also when showing the box failed itself.
    boxes.OnBox = [](const TMessageBoxRequest&) { throw std::runtime_error("no box"); };
    RunHandler([] { throw std::runtime_error("third"); });
    boxes.OnBox = nullptr;
    RunHandler([] { throw std::runtime_error("fourth"); });
    ASSERT_EQ(boxes.Requests.size(), 4u);
    EXPECT_EQ(boxes.Requests[3].Text, QStringLiteral("fourth"));
}

TEST(HandlerGuard, ErrorsRaisedWhilePaintingAreShownOnceThePaintIsOver)
{
    TMessageBoxRecorder boxes;
    RunHandler([] { throw std::runtime_error("row 7"); }, &ReportHandlerErrorLater);
    RunHandler([] { throw std::runtime_error("row 8"); }, &ReportHandlerErrorLater);
    EXPECT_TRUE(boxes.Requests.empty()) << "no box inside the paint";
    QCoreApplication::processEvents();
    ASSERT_EQ(boxes.Requests.size(), 1u);
    EXPECT_EQ(boxes.Requests[0].Title, QStringLiteral("Error"));
    EXPECT_EQ(boxes.Requests[0].Text, QStringLiteral("row 7"));

    RunHandler([] { throw std::runtime_error("row 9"); }, &ReportHandlerErrorLater);
    QCoreApplication::processEvents();
    ASSERT_EQ(boxes.Requests.size(), 2u);
    EXPECT_EQ(boxes.Requests[1].Text, QStringLiteral("row 9"));
}

} // namespace
