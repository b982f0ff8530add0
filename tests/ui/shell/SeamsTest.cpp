#include "core/seams/Messages.h"
#include "ui/seams/MessageBoxSink.h"
#include "ui/seams/ScriptedDialogs.h"
#include "ui/shell/WaitFor.h"

#include <QCoreApplication>
#include <QDialog>
#include <QEventLoop>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

namespace kelm {
namespace {

struct SeenBox {
    QString Title, Text;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
    bool HasYes = false;
    bool OnUiThread = false;
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

TEST(MessageBoxSink, ErrorAndConfirmBoxesCaptionsIconsAndAnswers) {
    ScriptedDialogs dialogs;
    MessageBoxSink sink;
    sink.Install();
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
    // CR LF and a lone CR each become one line break.
    EXPECT_EQ(MessageBoxSink::BoxText(QStringLiteral("a\r\nb\rc\nd")), "a\nb\nc\nd");
}

TEST(MessageBoxSink, WorkerThreadBoxRunsOnUiThreadAndWorkerWaits) {
    ScriptedDialogs dialogs;
    MessageBoxSink sink;
    sink.Install();
    SeenBox seen;
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
    EXPECT_TRUE(answer);
    EXPECT_TRUE(seen.OnUiThread);
    ASSERT_EQ(dialogs.Executed().size(), 2u);
    EXPECT_EQ(dialogs.Executed()[0].Title, " Error");
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

TEST(MessageBoxSink, UninstallsOnDestruction) {
    ScriptedDialogs dialogs;
    {
        MessageBoxSink sink;
        sink.Install();
        EXPECT_EQ(&Messages(), static_cast<MessageSink*>(&sink));
    }
    // Back to the silent default: no dialog, No for questions.
    EXPECT_FALSE(AskConfirm(QStringLiteral("x")));
    EXPECT_TRUE(dialogs.Executed().empty());
}

TEST(ScriptedDialogs, HandlerSetsFieldsAndResult) {
    ScriptedDialogs dialogs;
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral(" Select Driver "));
    auto* edit = new QLineEdit(&dialog);
    dialogs.OnNextDialog([](QDialog& d) {
        EXPECT_TRUE(d.isVisible()); // shown (non-modal), so show handlers have run
        d.findChild<QLineEdit*>()->setText(QStringLiteral("12"));
        d.done(3);
    });
    EXPECT_EQ(Dialogs().Exec(dialog), 3);
    EXPECT_EQ(edit->text(), "12");
    EXPECT_FALSE(dialog.isVisible());
    ASSERT_EQ(dialogs.Executed().size(), 1u);
    EXPECT_EQ(dialogs.Executed()[0].Title, " Select Driver ");
    EXPECT_EQ(dialogs.Executed()[0].Result, 3);
}

TEST(ScriptedDialogs, UnscriptedDialogIsRejectedAndCounted) {
    ScriptedDialogs dialogs;
    QDialog dialog;
    EXPECT_EQ(Dialogs().Exec(dialog), QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialogs.UnexpectedCount(), 1);
    // A handler that leaves the dialog open: rejected.
    dialogs.OnNextDialog([](QDialog&) {});
    EXPECT_EQ(Dialogs().Exec(dialog), QDialog::Rejected);
    EXPECT_EQ(dialogs.UnexpectedCount(), 1);
}

TEST(ScriptedDialogs, FileDialogsAnswerFromScriptAndRecordRequests) {
    ScriptedDialogs dialogs;
    dialogs.AnswerNextFile(QStringLiteral("/data/a.dev"), 1);
    dialogs.AnswerNextFile(QString()); // Cancel
    FileDialogRequest request;
    request.Filter = QStringLiteral("Devices File (*.dev)");
    request.InitialDir = QStringLiteral("/data/");
    request.FilterIndex = 2;
    EXPECT_TRUE(Dialogs().GetOpenFileName(nullptr, request));
    EXPECT_EQ(request.FileName, "/data/a.dev");
    EXPECT_EQ(request.FilterIndex, 1);
    FileDialogRequest save;
    EXPECT_FALSE(Dialogs().GetSaveFileName(nullptr, save));
    // Nothing scripted: Cancel, counted.
    EXPECT_FALSE(Dialogs().GetOpenFileName(nullptr, save));
    EXPECT_EQ(dialogs.UnexpectedCount(), 1);
    ASSERT_EQ(dialogs.Files().size(), 3u);
    EXPECT_FALSE(dialogs.Files()[0].Save);
    EXPECT_EQ(dialogs.Files()[0].Request.InitialDir, "/data/");
    EXPECT_EQ(dialogs.Files()[0].Request.FilterIndex, 2); // as asked
    EXPECT_TRUE(dialogs.Files()[1].Save);
}

TEST(ScriptedDialogs, RestoresPreviousRunner) {
    DialogRunner* real = &Dialogs();
    {
        ScriptedDialogs outer;
        std::make_unique<ScriptedDialogs>().reset();
        EXPECT_EQ(&Dialogs(), static_cast<DialogRunner*>(&outer));
    }
    EXPECT_EQ(&Dialogs(), real);
}

} // namespace
} // namespace kelm
