#include "core/seams/Messages.h"
#include "ui/seams/MessageBoxSink.h"
#include "ui/seams/ScriptedDialogs.h"
#include "ui/shell/WaitFor.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace kelm {
namespace {

struct SeenBox {
    QString Title, Text;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
    bool HasYes = false, OnUiThread = false;
};

// Answers the next box: records what it showed and clicks Yes or No (or OK).
void AnswerBox(ScriptedDialogs& dialogs, SeenBox& seen, bool yes) {
    dialogs.OnNextDialog([&seen, yes](QDialog& dialog) {
        auto& box = dynamic_cast<QMessageBox&>(dialog);
        seen.Title = box.windowTitle();
        seen.Text = box.text();
        seen.Icon = box.icon();
        seen.HasYes = box.button(QMessageBox::Yes) != nullptr;
        seen.OnUiThread = QThread::currentThread() == qApp->thread();
        QAbstractButton* button = box.button(yes ? QMessageBox::Yes : QMessageBox::No);
        if (button == nullptr)
            button = box.button(QMessageBox::Ok);
        button->click();
    });
}

TEST(MessageBoxSink, ErrorAndConfirmBoxesCaptionsIconsAnswersAndWorkerThreads) {
    ScriptedDialogs dialogs;
    auto sink = std::make_unique<MessageBoxSink>();
    sink->Install();
    EXPECT_EQ(&Messages(), static_cast<MessageSink*>(sink.get()));
    SeenBox seen;
    AnswerBox(dialogs, seen, true);
    ShowDifferentExtensions(QStringLiteral("/tmp/a.tnp"));
    EXPECT_EQ(seen.Title, " Error");
    EXPECT_EQ(seen.Icon, QMessageBox::Critical);
    EXPECT_EQ(seen.Text, "Different File Extensions\n/tmp/a.tnp\nFile not processed!");
    EXPECT_FALSE(seen.HasYes);
    AnswerBox(dialogs, seen, true);
    EXPECT_TRUE(AskConfirm(QStringLiteral("Reset Drive ?")));
    EXPECT_EQ(seen.Title, "Confirm");
    EXPECT_EQ(seen.Icon, QMessageBox::Question);
    EXPECT_TRUE(seen.HasYes);
    AnswerBox(dialogs, seen, false);
    EXPECT_FALSE(AskConfirm(QStringLiteral("Reset Drive ?")));
    // A box closed without a button (close box, Escape) is No.
    dialogs.OnNextDialog([](QDialog& dialog) { dialog.reject(); });
    EXPECT_FALSE(AskConfirm(QStringLiteral("Reset Drive ?")));
    EXPECT_EQ(dialogs.UnexpectedCount(), 0);
    // From a worker thread the box runs on the UI thread while the worker waits.
    AnswerBox(dialogs, seen, true);
    std::atomic<bool> returned{false};
    std::atomic<bool> answer{false};
    std::thread worker([&] {
        ShowError(QStringLiteral("Device not Respondig"));
        returned = true;
        AnswerBox(dialogs, seen, true); // scripted from the worker, run on the UI thread
        answer = AskConfirm(QStringLiteral("again?"));
    });
    EXPECT_TRUE(test::WaitFor([&] { return answer.load(); }));
    worker.join();
    EXPECT_TRUE(returned);
    EXPECT_TRUE(seen.OnUiThread);
    ASSERT_EQ(dialogs.Executed().size(), 6u);
    EXPECT_EQ(dialogs.Executed()[4].Title, " Error");
    // Destroyed, it gives way to the silent default: no dialog, No for questions.
    sink.reset();
    EXPECT_FALSE(AskConfirm(QStringLiteral("x")));
    EXPECT_EQ(dialogs.Executed().size(), 6u);
    // CR LF and a lone CR each become one line break.
    EXPECT_EQ(MessageBoxSink::BoxText(QStringLiteral("a\r\nb\rc\nd")), "a\nb\nc\nd");
}

TEST(MessageBoxSink, RequestTerminateEndsTheRunningEventLoopWithFailure) {
    MessageBoxSink sink;
    // Queued: asked before any loop runs (a fatal error during construction), it ends the
    // loop that runs next.
    sink.RequestTerminate();
    QEventLoop loop;
    QTimer::singleShot(5000, &loop, [&loop] { loop.exit(0); });
    EXPECT_EQ(loop.exec(), 1);
}

} // namespace
} // namespace kelm
