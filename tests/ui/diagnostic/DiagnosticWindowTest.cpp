#include "ToolFixture.h"

#include "core/drive/TDriver.h"
#include "soak/StallMeter.h"
#include "ui/diagnostic/DiagValueDialog.h"
#include "ui/diagnostic/DiagnosticWindow.h"
#include "ui/diagnostic/TFDiagnostic.h"
#include "ui/widgets/TPNumEdit.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <QThread>
#include <atomic>

namespace kelm::test {
namespace {

class DiagnosticWindowTest : public ToolFixture {
protected:
    void SetUp() override {
        ToolFixture::SetUp();
        BuildEngine(sim::SimKind::Std);
        ShellFlows flows;
        InstallDiagnosticWindow(flows);
        ShowOnline(flows);
        window_->Run(Command::Diagnostic);
        diag = DiagnosticWindow();
        ASSERT_NE(diag, nullptr);
    }
    QString Cell(int row, int column) { return diag->Grid().item(row, column)->text(); }
    const ParamTable& Table() { return window_->Driver().ActiveTable(); }
    QAction* Named(const char* name) {
        return window_->findChild<QAction*>(QString::fromLatin1(name));
    }
    bool MenuShown(const char* name) {
        return window_->findChild<QMenu*>(QString::fromLatin1(name))->menuAction()->isVisible();
    }
    // A visible row of a plain parameter the drive keeps.
    int WritableVisibleRow() {
        const VisibleRows visible = diag->Visible();
        for (int row = visible.Top; row < visible.Top + visible.Count; ++row) {
            const ParamEntry& e = Table().At(row);
            if (e.KindLetter == 'A' && e.Address > 6 && e.MaxValue > 200 && e.MinValue <= 0)
                return row;
        }
        return -1;
    }
    TFDiagnostic* diag = nullptr;
};

TEST_F(DiagnosticWindowTest, OpensWithTheWholeTableReducesTheMainWindowUntilClosed) {
    EXPECT_EQ(diag->windowTitle(), " Diagnostic");
    ASSERT_EQ(diag->Grid().rowCount(), Table().Count());
    ASSERT_EQ(diag->Grid().columnCount(), 7);
    const QStringList titles{"Desc.", "Address", "Min.", "Max.", "Read", "", "Write"};
    for (int c = 0; c < 7; ++c)
        EXPECT_EQ(diag->Grid().horizontalHeaderItem(c)->text(), titles[c]);
    const int last = Table().Count() - 1;
    const ParamEntry& entry = Table().At(last);
    EXPECT_EQ(std::tuple(Cell(last, 0), Cell(last, 1), Cell(last, 2).size(), Cell(last, 6),
                         window_->Driver().Mode()),
              std::tuple(entry.Name,
                         QStringLiteral("%1").arg(entry.Address, 4, 10, QLatin1Char('0')),
                         entry.MinValue < 0 ? 6 : 5, QString(), WorkerMode::Diagnostic));

    // The main window is reduced to its Diagnostic menu (the reduction is CommandsTest's).
    EXPECT_EQ(
        (std::vector{MenuShown("MFile"), MenuShown("MDiagnostic"), Named("BOpen")->isEnabled()}),
        (std::vector{false, true, false}));

    // A second command only brings it up.
    window_->Run(Command::Diagnostic);
    EXPECT_EQ(DiagnosticWindow(), diag);

    // Closing gives the main window back and takes the cycle off the drive model. The closed
    // window lives on until its deferred delete; a layout of the main window in between (a
    // flow that closes the child windows and then configures) must not reduce it again.
    window_->CloseChildWindows({});
    ASSERT_NE(DiagnosticWindow(), nullptr); // closed, not yet deleted
    window_->ConfigureForDevice();
    EXPECT_EQ((std::vector{MenuShown("MFile"), MenuShown("MDrive"), MenuShown("MDiagnostic"),
                           Named("BOpen")->isEnabled()}),
              (std::vector{true, true, false, true}));
    ASSERT_TRUE(WaitFor([] { return DiagnosticWindow() == nullptr; }));
    EXPECT_TRUE(MenuShown("MFile") && window_->Driver().Mode() == WorkerMode::StatusPoll);
    ClearRecords();
    WaitFor([] { return false; }, 300);
    EXPECT_TRUE(Records().empty());
    // The menu's Close command.
    window_->Run(Command::Diagnostic);
    ASSERT_NE(DiagnosticWindow(), nullptr);
    window_->Run(Command::DiagnosticClose);
    EXPECT_TRUE(WaitFor([] { return DiagnosticWindow() == nullptr; }));
}

TEST_F(DiagnosticWindowTest, PollsTheVisibleRowsAndFollowsTheScroll) {
    std::atomic<int> passes{0};
    diag->SetPassAction([&] { ++passes; });
    ASSERT_TRUE(WaitFor([&] { return !Cell(2, 4).isEmpty(); }));
    VisibleRows visible = diag->Visible();
    ASSERT_GT(visible.Count, 2);
    ASSERT_LT(visible.Count, Table().Count() - 10); // the table is longer than the grid
    EXPECT_TRUE(Cell(visible.Top + visible.Count + 2, 4).isEmpty());

    diag->Grid().verticalScrollBar()->setValue(Table().Count() - visible.Count);
    visible = diag->Visible();
    ASSERT_GT(visible.Top, 5);
    const int last = visible.Top + visible.Count - 1;
    ASSERT_TRUE(WaitFor([&] { return !Cell(last, 4).isEmpty(); }));

    // A value that changes at the drive shows in decimal and hexadecimal.
    for (const auto& [value, decimal, hex] :
         {std::tuple(0xFFFF, "-00001", "0xFFFF"), {0x00AB, "00171", "0x00AB"}}) {
        SetSimRegister(1, Table().At(last).Address, static_cast<std::uint16_t>(value));
        ASSERT_TRUE(WaitFor([&] { return Cell(last, 4) == decimal; })) << decimal;
        EXPECT_EQ(Cell(last, 5), hex);
    }
    // The counters follow the master.
    EXPECT_TRUE(diag->CounterText(0).toInt() > 10 && diag->CounterText(2) == "0" && passes > 2);
}

// On a drive answering in 120 ms the status poll of each pass runs on the worker: no request
// is made on the user-interface thread, which keeps answering, and closing the view waits for
// the request in progress, not for the rest of the pass's poll.
TEST_F(DiagnosticWindowTest, PassPollsOnTheWorkerAndTheWindowAnswersOnASlowLine) {
    std::atomic<int> onUi{0}, polls{0};
    Record([&](const sim::ExchangeRecord& r) {
        onUi += QThread::currentThread() == qApp->thread() ? 1 : 0;
        polls += r.firstRegister == 134 && r.count == 2 ? 1 : 0; // the poll's position read
    });
    Control(QStringLiteral("delay 120"));
    StallMeter meter;
    meter.Start();
    ASSERT_TRUE(WaitFor([&] { return polls >= 2; }, 60000));
    ASSERT_TRUE(WaitFor([&] { return polls >= 3; }, 60000)); // inside the third pass's poll
    QElapsedTimer closing;
    closing.start();
    window_->Run(Command::DiagnosticClose);
    const qint64 closeMs = closing.elapsed();
    meter.Stop();
    EXPECT_EQ(onUi.load(), 0);
    EXPECT_LT(meter.WorstMs(), 300);
    EXPECT_LT(closeMs, 800); // the rest of the poll is a dozen requests, over 1.4 s
    EXPECT_TRUE(WaitFor([] { return DiagnosticWindow() == nullptr; }));
}

TEST_F(DiagnosticWindowTest, EnterInTheWriteColumnOpensThePrompt) {
    const int row = WritableVisibleRow();
    ASSERT_GE(row, 0);
    diag->Grid().setCurrentCell(row, TFDiagnostic::ColRead);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(&diag->Grid(), &enter);
    EXPECT_TRUE(dialogs_->Executed().empty()); // not in the Write column
    dialogs_->OnNextDialog([](QDialog& d) {
        auto& prompt = static_cast<DiagValueDialog&>(d);
        EXPECT_EQ(prompt.windowTitle() + prompt.Field().text(), "Value");
        prompt.Field().setText(QStringLiteral("7"));
        prompt.accept();
    });
    diag->Grid().setCurrentCell(row, TFDiagnostic::ColWrite);
    QApplication::sendEvent(&diag->Grid(), &enter);
    ASSERT_EQ(dialogs_->Executed().size(), 1u);
    ASSERT_TRUE(WaitFor([&] { return SimRegister(1, Table().At(row).Address) == 7; }));
}

TEST(DiagValueDialog, KeepsTheRowsLimits) {
    RecordingMessages messages;
    DiagValueDialog dialog(-10, 10);
    EXPECT_TRUE(dialog.Field().IsNegative());
    EXPECT_FALSE(dialog.Accepted().has_value()); // empty text
    dialog.show();
    // Beyond a limit: refused with the limits shown, the prompt stays open.
    for (const char* typed : {"11", "-11", "-7"}) {
        dialog.Field().selectAll();
        QTest::keyClicks(&dialog.Field(), QString::fromLatin1(typed));
        QTest::keyClick(&dialog.Field(), Qt::Key_Return);
    }
    EXPECT_EQ(messages.Texts(), QStringList(2, "The value must lie between -10 and 10."));
    EXPECT_EQ(std::tuple(dialog.result(), dialog.Accepted()),
              std::tuple(int(QDialog::Accepted), std::optional<int>(-7)));
    DiagValueDialog positive(0, 100);
    EXPECT_FALSE(positive.Field().IsNegative());
}

} // namespace
} // namespace kelm::test
