#include "ToolFixture.h"

#include "core/drive/TDriver.h"
#include "core/seams/RecordingMessages.h"
#include "ui/diagnostic/DiagValueDialog.h"
#include "ui/diagnostic/DiagnosticWindow.h"
#include "ui/diagnostic/TFDiagnostic.h"
#include "ui/widgets/TPNumEdit.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <set>

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
    std::set<std::uint16_t> ReadAddresses() {
        std::set<std::uint16_t> out;
        for (const sim::ExchangeRecord& r : Records())
            if (r.function == 3)
                out.insert(r.firstRegister);
        return out;
    }
    void Answer(const QString& text) {
        dialogs_->OnNextDialog([text](QDialog& d) {
            auto& prompt = static_cast<DiagValueDialog&>(d);
            EXPECT_EQ(prompt.windowTitle(), "Value");
            EXPECT_TRUE(prompt.Field().text().isEmpty());
            prompt.Field().setText(text);
            prompt.accept();
        });
    }

    TFDiagnostic* diag = nullptr;
};

TEST_F(DiagnosticWindowTest, OpensWithTheWholeTableAndReducesTheMainWindow) {
    EXPECT_EQ(diag->windowTitle(), " Diagnostic");
    ASSERT_EQ(diag->Grid().rowCount(), Table().Count());
    ASSERT_EQ(diag->Grid().columnCount(), 7);
    const QStringList titles{"Desc.", "Address", "Min.", "Max.", "Read", "", "Write"};
    for (int c = 0; c < 7; ++c)
        EXPECT_EQ(diag->Grid().horizontalHeaderItem(c)->text(), titles[c]);
    const int last = Table().Count() - 1;
    const ParamEntry& entry = Table().At(last);
    EXPECT_EQ(Cell(last, 0), entry.Name);
    EXPECT_EQ(Cell(last, 1), QStringLiteral("%1").arg(entry.Address, 4, 10, QLatin1Char('0')));
    EXPECT_EQ(Cell(last, 2).size(), entry.MinValue < 0 ? 6 : 5);
    EXPECT_TRUE(Cell(last, 6).isEmpty());
    EXPECT_EQ(window_->Driver().ModeLetter(), 'D');

    // The main window shows the Diagnostic menu only.
    EXPECT_TRUE(MenuShown("MDiagnostic"));
    for (const char* menu : {"MFile", "MUsers", "MSettings", "MDrive", "MTuning"})
        EXPECT_FALSE(MenuShown(menu)) << menu;
    EXPECT_FALSE(Named("MAbout")->isVisible());
    for (const char* button : {"BOpen", "BSaveAs", "BSetId", "BSaveEE", "BLoadEE", "BLoadDef",
                               "BPos", "BReset", "BInfo", "BOscillo"})
        EXPECT_FALSE(Named(button)->isEnabled()) << button;
    // Placed 20 pixels from the top, 500 wide.
    auto* sub = qobject_cast<QMdiSubWindow*>(diag->parentWidget());
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->y(), 20);
    EXPECT_EQ(sub->width(), 500);

    // A second command only brings it up.
    window_->Run(Command::Diagnostic);
    EXPECT_EQ(DiagnosticWindow(), diag);
}

TEST_F(DiagnosticWindowTest, PollsTheVisibleRowsAndFollowsTheScroll) {
    int passes = 0;
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
    ClearRecords();
    WaitFor([] { return false; }, 400);
    ASSERT_TRUE(WaitFor([&] { return Records().size() > 8; }));
    std::set<std::uint16_t> shown;
    for (int row = visible.Top; row <= last; ++row)
        shown.insert(Table().At(row).Address);
    for (std::uint16_t address : ReadAddresses())
        EXPECT_TRUE(shown.count(address)) << "register " << address << " is not visible";

    // A value that changes at the drive shows in decimal and hexadecimal.
    const std::uint16_t address = Table().At(last).Address;
    SetSimRegister(1, address, 0xFFFF);
    ASSERT_TRUE(WaitFor([&] { return Cell(last, 4) == "-00001"; }));
    EXPECT_EQ(Cell(last, 5), "0xFFFF");
    SetSimRegister(1, address, 0x00AB);
    ASSERT_TRUE(WaitFor([&] { return Cell(last, 4) == "00171"; }));
    EXPECT_EQ(Cell(last, 5), "0x00AB");
    // The counters follow the master.
    EXPECT_GT(diag->CounterText(0).toInt(), 10);
    EXPECT_EQ(diag->CounterText(2), "0");
    EXPECT_GT(passes, 2);
}

TEST_F(DiagnosticWindowTest, OneStatusPollPerPassOverTheVisibleRows) {
    diag->Grid().scrollToBottom();
    const VisibleRows visible = diag->Visible();
    const int last = visible.Top + visible.Count - 1;
    ASSERT_TRUE(WaitFor([&] { return !Cell(last, 4).isEmpty(); }));
    ClearRecords();
    WaitFor([] { return false; }, 800);
    const std::uint16_t top = Table().At(visible.Top).Address;
    int topReads = 0;
    int positionReads = 0;
    for (const sim::ExchangeRecord& r : Records()) {
        if (r.function != 3)
            continue;
        topReads += r.firstRegister == top && r.count == 1;
        // The plain drive's status poll reads the position pair 134/135 in one request;
        // the diagnostic rows are read one register at a time.
        positionReads += r.firstRegister == 134 && r.count == 2;
    }
    EXPECT_GT(positionReads, 0);
    EXPECT_LE(positionReads, topReads + 1);
    EXPECT_GE(positionReads, topReads - 1);
}

TEST_F(DiagnosticWindowTest, QueuedWriteReachesTheDrive) {
    const int row = WritableVisibleRow();
    ASSERT_GE(row, 0);
    const std::uint16_t address = Table().At(row).Address;
    Answer(QStringLiteral("123"));
    emit diag->Grid().cellClicked(row, TFDiagnostic::ColWrite);
    ASSERT_TRUE(WaitFor([&] { return SimRegister(1, address) == 123; }));
    ASSERT_TRUE(WaitFor([&] { return Cell(row, 6).isEmpty() && Cell(row, 4) == "00123"; }));
    EXPECT_EQ(dialogs_->UnexpectedCount(), 0);

    // Cancel or an empty text queue nothing.
    dialogs_->OnNextDialog([](QDialog& d) { d.reject(); });
    diag->EditWriteCell(row);
    Answer(QString());
    diag->EditWriteCell(row);
    EXPECT_FALSE(diag->Cycle().PendingWrite(row).has_value());
    EXPECT_TRUE(Cell(row, 6).isEmpty());
}

TEST_F(DiagnosticWindowTest, EnterInTheWriteColumnOpensThePrompt) {
    const int row = WritableVisibleRow();
    ASSERT_GE(row, 0);
    diag->Grid().setCurrentCell(row, TFDiagnostic::ColRead);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(&diag->Grid(), &enter);
    EXPECT_TRUE(dialogs_->Executed().empty()); // not in the Write column
    Answer(QStringLiteral("7"));
    diag->Grid().setCurrentCell(row, TFDiagnostic::ColWrite);
    QApplication::sendEvent(&diag->Grid(), &enter);
    ASSERT_EQ(dialogs_->Executed().size(), 1u);
    EXPECT_EQ(dialogs_->Executed()[0].Title, "Value");
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
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Accepted(), std::optional<int>(-7));
    DiagValueDialog positive(0, 100);
    EXPECT_FALSE(positive.Field().IsNegative());
}

TEST_F(DiagnosticWindowTest, WriteOnAHiddenRowWaitsAndASecondClickDoesNothing) {
    const int hidden = Table().Count() - 1;
    ASSERT_GE(hidden, diag->Visible().Top + diag->Visible().Count);
    const ParamEntry& entry = Table().At(hidden);
    const int value = entry.MinValue < 0 ? -5 : entry.MinValue;
    Answer(QString::number(value));
    diag->EditWriteCell(hidden);
    ASSERT_FALSE(Cell(hidden, 6).isEmpty());
    const std::size_t executed = dialogs_->Executed().size();
    diag->EditWriteCell(hidden); // still queued: no prompt
    EXPECT_EQ(dialogs_->Executed().size(), executed);
    WaitFor([] { return false; }, 600);
    EXPECT_FALSE(Cell(hidden, 6).isEmpty());
    ASSERT_TRUE(diag->Cycle().PendingWrite(hidden).has_value());

    diag->Grid().scrollToBottom();
    ASSERT_TRUE(WaitFor([&] { return Cell(hidden, 6).isEmpty(); }));
    EXPECT_EQ(static_cast<std::int16_t>(SimRegister(1, entry.Address)), value);
}

TEST_F(DiagnosticWindowTest, ReconnectsAfterTheDriveFallsSilent) {
    ASSERT_TRUE(WaitFor([&] { return !Cell(1, 4).isEmpty(); }));
    Control(QStringLiteral("silent * on"));
    ASSERT_TRUE(WaitFor([&] { return !window_->Driver().Online(); }));
    ASSERT_TRUE(WaitFor([&] { return messages_.Texts().contains("Device not Respondig"); }));
    ASSERT_TRUE(WaitFor([&] { return diag->CounterText(2).toInt() > 0; }));
    EXPECT_EQ(window_->StatusPanelText(StatusPanel::LineState), "Off Line");
    EXPECT_EQ(DiagnosticWindow(), diag); // the window stays
    // Still reduced after the main window laid itself out for off line.
    EXPECT_FALSE(MenuShown("MFile"));
    EXPECT_FALSE(Named("BOpen")->isEnabled());

    SetSimRegister(1, Table().At(1).Address, 0x0102);
    Control(QStringLiteral("silent * off"));
    ASSERT_TRUE(WaitFor([&] { return window_->Driver().Online(); }));
    ASSERT_TRUE(WaitFor([&] { return Cell(1, 5) == "0x0102"; }));
    EXPECT_EQ(window_->StatusPanelText(StatusPanel::LineState), "On Line");
    EXPECT_EQ(window_->Driver().ModeLetter(), 'D');
    EXPECT_FALSE(MenuShown("MFile"));
}

TEST_F(DiagnosticWindowTest, ClosingRestoresTheMainWindow) {
    window_->Run(Command::DiagnosticClose);
    ASSERT_TRUE(WaitFor([] { return DiagnosticWindow() == nullptr; }));
    EXPECT_EQ(window_->Driver().ModeLetter(), 'I');
    EXPECT_FALSE(MenuShown("MDiagnostic"));
    for (const char* menu : {"MFile", "MUsers", "MSettings", "MDrive", "MTuning"})
        EXPECT_TRUE(MenuShown(menu)) << menu;
    EXPECT_TRUE(Named("MAbout")->isVisible());
    // (Save As follows the main parameter page's grant, which this test has not.)
    for (const char* button :
         {"BOpen", "BSetId", "BSaveEE", "BLoadEE", "BReset", "BInfo", "BOscillo", "BPos"})
        EXPECT_TRUE(Named(button)->isEnabled()) << button;
    // The diagnostic cycle is off the drive model: nothing reads the grid's rows any more.
    ClearRecords();
    WaitFor([] { return false; }, 300);
    EXPECT_TRUE(Records().empty());
}

// The closed window lives on until its deferred delete; a layout of the main window in
// between (a flow that closes the child windows and then configures) must not reduce the
// main window again.
TEST_F(DiagnosticWindowTest, LayoutBeforeTheDeferredDeleteKeepsTheMainWindowWhole) {
    window_->CloseChildWindows(false, false);
    ASSERT_NE(DiagnosticWindow(), nullptr); // closed, not yet deleted
    window_->ConfigureForDevice();
    EXPECT_TRUE(MenuShown("MFile"));
    EXPECT_TRUE(MenuShown("MDrive"));
    EXPECT_TRUE(Named("BOpen")->isEnabled());
    ASSERT_TRUE(WaitFor([] { return DiagnosticWindow() == nullptr; }));
    EXPECT_TRUE(MenuShown("MFile"));
}

TEST_F(DiagnosticWindowTest, CloseChildWindowsClosesIt) {
    window_->CloseChildWindows(false, false);
    ASSERT_TRUE(WaitFor([] { return DiagnosticWindow() == nullptr; }));
    EXPECT_TRUE(MenuShown("MFile"));
}

} // namespace
} // namespace kelm::test
