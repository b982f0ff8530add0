#include "core/seams/Messages.h"
#include "ui/seams/MessageBoxSink.h"
#include "ui/seams/ScriptedDialogs.h"
#include "ui/shell/WaitFor.h"

#include <QApplication>
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
        const QString text = QString(box.text()).remove(QChar(0x200B)).remove(QChar(0x2060));
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
    QString seen;
    AnswerBox(dialogs, seen, true);
    ShowDifferentExtensions(QStringLiteral("/tmp/a.tnp"));
    EXPECT_EQ(seen, QStringLiteral(" Error|Different File Extensions\n/tmp/a.tnp\nFile not "
                                   "processed!|%1|OK")
                        .arg(int(QMessageBox::Critical)));
    AnswerBox(dialogs, seen, true);
    EXPECT_TRUE(AskConfirm(QStringLiteral("Reset Drive ?")));
    EXPECT_EQ(seen,
              QStringLiteral("Confirm|Reset Drive ?|%1|Yes No").arg(int(QMessageBox::Question)));
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
    EXPECT_EQ(seen, QStringLiteral("Confirm|again?|%1|Yes No").arg(int(QMessageBox::Question)));
    ASSERT_EQ(dialogs.Executed().size(), 6u);
    EXPECT_EQ(dialogs.Executed()[4].Title, " Error");
    // Destroyed, it gives way to the silent default: no dialog, No for questions.
    sink.reset();
    EXPECT_FALSE(AskConfirm(QStringLiteral("x")));
    EXPECT_EQ(dialogs.Executed().size(), 6u);
    // CR LF and a lone CR each become one line break.
    EXPECT_EQ(MessageBoxSink::BoxText(QStringLiteral("a\r\nb\rc\nd")), "a\nb\nc\nd");
}

// A path in a box wraps after its separators only, never inside a folder's or file's name
// (at a hyphen or a dot), whatever the box's width; its text is unchanged to the eye.
TEST(MessageBoxSink, PathsWrapOnlyAfterSeparators) {
    struct Case {
        const char* Text;
        int Width; // in average characters
    } const cases[] = {
        {"Different File Extensions\r/home/service-engineer/machine-2024.backup/unit-3.dev\rFile "
         "not processed!",
         12},
        {"Cannot write /very-long-folder-name.with.dots/another-one/x-y.kld", 20},
        {"C:\\Program-Files\\kelm-drive\\settings-file.ini cannot be read", 9},
        {"/a-b/c-d/e-f/g-h", 4},
    };
    const QFont font = QApplication::font();
    const QFontMetrics metrics(font);
    for (const Case& c : cases) {
        const QString shown = MessageBoxSink::BoxText(QString::fromUtf8(c.Text));
        QString plain = shown;
        plain.remove(QChar(0x200B)).remove(QChar(0x2060));
        EXPECT_EQ(plain, QString::fromUtf8(c.Text).replace(QLatin1Char('\r'), QLatin1Char('\n')));
        for (const QString& line : shown.split(QLatin1Char('\n'))) {
            QTextLayout layout(line, font);
            QTextOption option;
            option.setWrapMode(QTextOption::WordWrap);
            layout.setTextOption(option);
            layout.beginLayout();
            QStringList pieces;
            for (QTextLine row = layout.createLine(); row.isValid(); row = layout.createLine()) {
                row.setLineWidth(c.Width * metrics.averageCharWidth());
                pieces << line.mid(row.textStart(), row.textLength());
            }
            layout.endLayout();
            // A line too long for the width wraps: it is not left whole.
            if (metrics.horizontalAdvance(line) > c.Width * metrics.averageCharWidth()) {
                EXPECT_GT(pieces.size(), 1) << line.toStdString();
            }
            for (qsizetype i = 0; i + 1 < pieces.size(); ++i) {
                const QString end = pieces[i].remove(QChar(0x200B)).remove(QChar(0x2060));
                const QChar last = end.isEmpty() ? QChar() : end.back();
                EXPECT_TRUE(last == QLatin1Char('/') || last == QLatin1Char('\\') || last.isSpace())
                    << c.Text << " breaks after \"" << end.toStdString() << "\"";
            }
        }
    }
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
