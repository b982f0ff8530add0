#include "core/seams/Messages.h"
#include "ui/seams/MessageBoxSink.h"
#include "ui/seams/ScriptedDialogs.h"
#include "ui/shell/WaitFor.h"

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QPushButton>
#include <QTextLayout>
#include <QTimer>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace kelm {
namespace {

// Answers the next box with Yes (or OK) or No; records it as "title|text|icon|buttons" and,
// when it ran on another thread than the user interface's, "|off the UI thread".
void AnswerBox(ScriptedDialogs& dialogs, QString& seen, bool yes) {
    dialogs.OnNextDialog([&seen, yes](QDialog& dialog) {
        auto& box = dynamic_cast<QMessageBox&>(dialog);
        const bool question = box.button(QMessageBox::Yes) != nullptr;
        // The text as seen: without the zero-width break marks of paths.
        const QString text = MessageBoxSink::WithoutBreakMarks(box.text());
        seen = QStringLiteral("%1|%2|%3|").arg(box.windowTitle(), text).arg(int(box.icon())) +
               (question ? "Yes No" : "OK") +
               (QThread::currentThread() == qApp->thread() ? "" : "|off the UI thread");
        box.button(question ? (yes ? QMessageBox::Yes : QMessageBox::No) : QMessageBox::Ok)
            ->click();
    });
}

TEST(MessageBoxSink, ErrorAndConfirmBoxesCaptionsIconsAnswersAndWorkerThreads) {
    ScriptedDialogs dialogs;
    auto sink = std::make_unique<MessageBoxSink>();
    sink->Install();
    const QString question = QStringLiteral("Confirm|%1|%2|Yes No");
    const QString reset = QStringLiteral("Reset Drive ?");
    QString seen;
    AnswerBox(dialogs, seen, true);
    ShowDifferentExtensions(QStringLiteral("/tmp/a.tnp"));
    EXPECT_EQ(seen, QStringLiteral(" Error|Different File Extensions\n/tmp/a.tnp\nFile not "
                                   "processed!|%1|OK")
                        .arg(int(QMessageBox::Critical)));
    AnswerBox(dialogs, seen, true);
    EXPECT_TRUE(AskConfirm(reset));
    EXPECT_EQ(seen, question.arg(reset).arg(int(QMessageBox::Question)));
    AnswerBox(dialogs, seen, false);
    EXPECT_FALSE(AskConfirm(reset));
    // A box closed without a button (close box, Escape) is No.
    dialogs.OnNextDialog([](QDialog& dialog) { dialog.reject(); });
    EXPECT_FALSE(AskConfirm(reset));
    EXPECT_EQ(dialogs.UnexpectedCount(), 0);
    // From a worker thread the box runs on the UI thread while the worker waits.
    AnswerBox(dialogs, seen, true);
    std::atomic<bool> returned{false}, answer{false};
    std::thread worker([&] {
        ShowError(QStringLiteral("Device not Respondig"));
        returned = true;
        AnswerBox(dialogs, seen, true); // scripted from the worker, run on the UI thread
        answer = AskConfirm(QStringLiteral("again?"));
    });
    EXPECT_TRUE(test::WaitFor([&] { return answer.load(); }));
    worker.join();
    EXPECT_TRUE(returned);
    EXPECT_EQ(seen, question.arg("again?").arg(int(QMessageBox::Question)));
    ASSERT_EQ(dialogs.Executed().size(), 6u);
    EXPECT_EQ(dialogs.Executed()[4].Title, " Error");
    // Destroyed, it gives way to the silent default: no dialog, No for questions.
    sink.reset();
    EXPECT_FALSE(AskConfirm(QStringLiteral("x")));
    EXPECT_EQ(dialogs.Executed().size(), 6u);
    // CR LF and a lone CR each become one line break.
    EXPECT_EQ(MessageBoxSink::BoxText(QStringLiteral("a\r\nb\rc\nd")), "a\nb\nc\nd");
}

// A path in a box wraps after its separators only, never at a hyphen or a dot of a name;
// its text is unchanged to the eye. {text, width in average characters}
TEST(MessageBoxSink, PathsWrapOnlyAfterSeparators) {
    const std::pair<QString, int> cases[] = {
        {"Different File Extensions\r/home/service-engineer/machine-2024.backup/unit-3.dev", 12},
        {"Cannot write /very-long-folder-name.with.dots/another-one/x-y.kld", 20},
        {"C:\\Program-Files\\kelm-drive\\settings-file.ini cannot be read", 9},
        {"/a-b/c-d/e-f/g-h", 4}};
    const QFontMetrics metrics(QApplication::font());
    for (const auto& [text, chars] : cases) {
        const QString shown = MessageBoxSink::BoxText(text);
        EXPECT_EQ(MessageBoxSink::WithoutBreakMarks(shown), QString(text).replace('\r', '\n'));
        const int width = chars * metrics.averageCharWidth();
        for (const QString& line : shown.split('\n')) {
            QTextLayout layout(line, QApplication::font());
            layout.setTextOption(QTextOption(Qt::AlignLeft)); // word wrap, the default
            layout.beginLayout();
            QStringList rows;
            for (QTextLine row = layout.createLine(); row.isValid(); row = layout.createLine()) {
                row.setLineWidth(width);
                rows << line.mid(row.textStart(), row.textLength()).remove(QChar(0x200B));
            }
            layout.endLayout();
            EXPECT_TRUE(rows.size() > 1 || metrics.horizontalAdvance(line) <= width)
                << line.toStdString();
            for (qsizetype i = 0; i + 1 < rows.size(); ++i)
                EXPECT_TRUE(QStringList({"/", "\\", " "}).contains(rows[i].right(1)))
                    << "breaks after " << rows[i].toStdString();
        }
    }
}

// Text copied from a box while it is up keeps its path whole (no invisible break marks).
// A terminate request queued before any loop runs (a fatal error during construction) ends
// the loop that runs next, with failure.
TEST(MessageBoxSink, CopiesCarryNoBreakMarksTerminateEndsTheNextLoop) {
    ScriptedDialogs dialogs;
    MessageBoxSink sink;
    const QString text = QStringLiteral("Cannot write /home/service-engineer/unit-3.dev");
    QString copied;
    dialogs.OnNextDialog([&copied](QDialog& dialog) {
        auto& box = dynamic_cast<QMessageBox&>(dialog);
        QGuiApplication::clipboard()->setText(box.text()); // as Ctrl+C or a selection does
        copied = QGuiApplication::clipboard()->text();
        box.button(QMessageBox::Ok)->click();
    });
    sink.ShowBox(QStringLiteral("Error"), text, MessageIcon::Error);
    ASSERT_NE(MessageBoxSink::BoxText(text), text); // the box does carry marks
    EXPECT_EQ(copied, text);
    sink.RequestTerminate();
    QEventLoop loop;
    QTimer::singleShot(5000, &loop, [&loop] { loop.exit(0); });
    EXPECT_EQ(loop.exec(), 1);
}

} // namespace
} // namespace kelm
