#include "ui/diagnostic/ToolFixture.h"

#include "core/drive/TDriver.h"
#include "core/link/ModbusMaster.h"
#include "core/settings/SettingsStore.h"
#include "ui/drive/SelectDrive.h"
#include "ui/drive/TFConnectD.h"
#include "ui/drive/TFOffLineSel.h"
#include "ui/drive/TFSelectDriver.h"
#include "ui/status/StatusMonitor.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace kelm::test {
namespace {

// The main window with the program's selection; the selection dialog sees `ports`.
struct SelectDriveTest : ToolFixture {
    void SetUp() override {
        ToolFixture::SetUp();
        ScanLinkPorts([this] { return ports; });
    }
    // Shows the window on a drive of `kind`, the start selection cancelled.
    void Start(sim::SimKind kind = sim::SimKind::Std, ShellFlows flows = {}) {
        BuildEngine(kind);
        flows.SelectLinkDirect = &SelectLinkDirect;
        ShowCancelled(flows);
    }
    // Drive > Select Drive of the drive at 1, its table read to the end; then polling.
    bool Reselect() {
        SelectWith(EnterNumber("1"), [](QDialog& d) { ScriptedDialogs::WaitClosed(d, 30000); });
        return WaitFor([&] { return Polling(); });
    }
    // Closes the progress dialog with its close box once the transfer has begun (a slow
    // drive: it takes a while); where it was then.
    ScriptedDialogs::DialogHandler CloseMidway(int& position) {
        engine->LineFaults().delayMs = 30;
        return [&position](QDialog& d) {
            auto& progress = static_cast<TFConnectD&>(d);
            WaitFor([&] { return progress.Position() > 0; }, 20000);
            position = progress.Position();
            d.close();
        };
    }
    TDriver& Driver() { return window_->Driver(); }
    ModbusMaster& Master() { return window_->Master(); }
    QString LineState() { return window_->StatusPanelText(StatusPanel::LineState); }
    bool WaitWorkerIdle() {
        return WaitFor([this] { return Driver().Mode() == WorkerMode::Idle; }, 20000);
    }
    bool Polling() { return Driver().Online() && Driver().Mode() == WorkerMode::StatusPoll; }

    std::vector<DiscoveredPort> ports;
};

TEST_F(SelectDriveTest, StandardReadsTheTableGoesOnLineAndKeepsAnOpenPort) {
    Start();
    window_->Settings().ComPort = 3;
    Driver().CurrentFileName = "/tmp/old.dev";
    window_->ShowDeviceFileName(); // "old.dev"
    int shownMaximum = -1, shownPosition = -1;
    SelectWith(EnterNumber("1"), [&](QDialog& d) {
        auto& progress = static_cast<TFConnectD&>(d);
        EXPECT_EQ(progress.LText->text(), "Reading from device Nr. 1");
        ScriptedDialogs::WaitClosed(d, 30000);
        shownMaximum = progress.Maximum();
        shownPosition = progress.Position();
    });
    EXPECT_EQ(dialogs_->Executed()[1].Title, " Select Driver ");
    EXPECT_EQ(std::tuple(Driver().Online(), Master().GetPort(), Master().IsLinkMode(),
                         channel_->AppliedSettings().BaudRate, portOpens_),
              std::tuple(true, 3, false, 19200u, 1));
    const int count = Driver().ActiveTable().Count();
    EXPECT_EQ(std::tuple(shownMaximum, shownPosition), std::tuple(count, count));
    EXPECT_EQ(Driver().CurrentFileName + window_->StatusPanelText(StatusPanel::DeviceFile), "");
    EXPECT_EQ(LineState(), "On Line");
    EXPECT_TRUE(messages_.Texts().isEmpty()) << messages_.Texts().join("|").toStdString();

    // Again: the dialog comes preset with the status bar's "001"; the port stays open.
    SelectWith([](QDialog& d) {
        auto& dialog = static_cast<TFSelectDriver&>(d);
        EXPECT_EQ(dialog.EId->text(), "1");
        dialog.BStdOk->click();
    });
    EXPECT_EQ(portOpens_, 1);
    // A Tarn kind in use: Standard closes the port and opens it again in plain mode.
    Driver().WaitIdle();
    Driver().SelectDeviceKind(DeviceKind::Power, false);
    Master().OpenPort(3, 57600, true, 0);
    SelectWith(EnterNumber("1"));
    EXPECT_EQ(
        std::tuple(portOpens_, Driver().CurrentKind(), Master().IsLinkMode(), Driver().Online()),
        std::tuple(3, DeviceKind::Std, false, true));
}

TEST_F(SelectDriveTest, CancelChangesNothingAFailedOpenSaysWhyNumberZeroStaysOffLine) {
    Start(); // cancelled
    SelectWith(EnterNumber(""));
    EXPECT_EQ(dialogs_->Executed()[1].Result, TFSelectDriver::Cancel);
    EXPECT_EQ(std::tuple(Master().IsPortOpen(), portOpens_), std::tuple(false, 0));
    channel_->SetOpenFails(true);
    SelectWith(EnterNumber("1"));
    EXPECT_EQ(messages_.Texts(), QStringList{"The port could not be opened:\rCOM1 (/dev/ttyS0): "
                                             "the port cannot be opened"});
    channel_->SetOpenFails(false);
    SelectWith(EnterNumber("0"));
    EXPECT_EQ(std::tuple(Master().IsPortOpen(), Driver().Online(), Executed("kelm::TFConnectD"),
                         channel_->BytesWritten(), LineState()),
              std::tuple(true, false, 0, 0u, QString("Off Line")));
}

// Escape in the chooser goes back to the dialog, Escape there cancels: nothing dropped.
// Off Line then takes the chosen kind and closes the port.
TEST_F(SelectDriveTest, EscapeKeepsTheConnectionOffLineChoosesTheKind) {
    Start();
    SelectWith(EnterNumber("1"));
    SelectWith(
        [](QDialog& d) {
            static_cast<TFSelectDriver&>(d).BOffLine->click();
            EXPECT_TRUE(d.isVisible());
            QTest::keyClick(&d, Qt::Key_Escape);
        },
        [](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); });
    EXPECT_TRUE(Driver().Online() && Master().IsPortOpen());
    QString numberAfterOffLine;
    SelectWith(
        [&](QDialog& d) {
            auto& dialog = static_cast<TFSelectDriver&>(d);
            dialog.BOffLine->click();
            numberAfterOffLine = dialog.EId->text();
        },
        [](QDialog& d) {
            EXPECT_EQ(d.metaObject()->className(), QString("kelm::TFOffLineSel"));
            static_cast<TFOffLineSel&>(d).Buttons[2]->click();
        });
    EXPECT_EQ(std::tuple(numberAfterOffLine, Driver().CurrentKind(), Master().IsPortOpen(),
                         Driver().Online(), LineState(), window_->DeviceDialogExtension()),
              std::tuple(QString("0"), DeviceKind::Drive, false, false, QString("Off Line"),
                         QString("tnd"))); // the file dialogs follow the kind
}

TEST_F(SelectDriveTest, SelectLinkDirectUsesTheCurrentPortIfListedElseShowsTheDialog) {
    ports = {DiscoveredPort{4, 1}, DiscoveredPort{7, 1}};
    Start(sim::SimKind::Orca);
    window_->Settings().ComPort = 7;
    window_->Run(Command::SelectTarnLink);
    // The start's selection dialog only; the tag is reset. The Orca signature selects the Orca
    // at address 2 without the overview, at the link's rate from the Power table.
    const auto baud = static_cast<std::uint32_t>(
        Driver().KindTable(DeviceKind::Power).FindByAddress(5)->DefaultValue * 100);
    EXPECT_EQ(std::tuple(Executed("kelm::TFSelectDriver"), window_->LinkSelectPort(),
                         Driver().CurrentKind(), Master().GetPort(),
                         Driver().LinkPorts.at(1).UnitKind, int(Master().UnitAddress())),
              std::tuple(1, 0, DeviceKind::Orca230, 7, 3, 2));
    EXPECT_EQ(std::tuple(Master().IsLinkMode(), Driver().Online(), Executed("kelm::TFConnectD"),
                         channel_->AppliedSettings().BaudRate,
                         channel_->AppliedSettings().ParityCode),
              std::tuple(true, true, 1, baud, 0));

    ports = {DiscoveredPort{4, 1}};
    window_->Settings().ComPort = 9;
    dialogs_->OnNextDialog([](QDialog& d) { d.reject(); });
    window_->Run(Command::SelectTarnLink);
    EXPECT_EQ(std::tuple(Executed("kelm::TFSelectDriver"), window_->LinkSelectPort()),
              std::tuple(2, 0));
}

// A read closed early by the user leaves the tool off line. (A drive falling silent during
// the read is TransferTest's.)
TEST_F(SelectDriveTest, ClosingTheProgressLeavesTheToolOffLine) {
    Start();
    int positionAtClose = -1;
    SelectWith(EnterNumber("1"), CloseMidway(positionAtClose));
    EXPECT_TRUE(positionAtClose > 0 && positionAtClose < Driver().ActiveTable().Count());
    EXPECT_TRUE(WaitWorkerIdle());
    EXPECT_EQ(std::tuple(Driver().Online(), messages_.Texts(), LineState()),
              std::tuple(false, QStringList(), QString("Off Line")));
}

// A write closed early (File > Open on a slow drive) says how far it got and goes visibly
// off line: the window no longer shows "On Line" over a line that sends nothing.
TEST_F(SelectDriveTest, ClosingAWriteGoesVisiblyOffLine) {
    Start();
    ASSERT_TRUE(Reselect());
    ASSERT_EQ(LineState(), "On Line");
    const std::uint64_t generation = Driver().Connection().Generation();
    int position = -1;
    dialogs_->OnNextDialog(CloseMidway(position));
    TFConnectD::RunTransfer(*window_, ProgressMode::WriteTable);
    EXPECT_TRUE(WaitWorkerIdle());
    EXPECT_EQ(std::tuple(Driver().Online(), LineState()), std::tuple(false, QString("Off Line")));
    EXPECT_GT(Driver().Connection().Generation(), generation);
    ASSERT_EQ(messages_.Texts().size(), 1);
    EXPECT_TRUE(messages_.Texts().front().contains(" registers written; "));
}

// An Enable pending when the drive is selected again is not written after the selection,
// though the poll resumes before the progress dialog has gone.
TEST_F(SelectDriveTest, AnEnableAskedBeforeASelectionIsNotWrittenAfterIt) {
    ShellFlows flows;
    flows.MakeStatusPanel = &StatusMonitor::Make;
    Start(sim::SimKind::Std, flows);
    ASSERT_TRUE(Reselect());
    Driver().WaitIdle(); // the request stays pending until the next poll
    window_->Run(Command::Enable);
    const int dropped = Driver().Gate().DroppedCount();
    ClearRecords();
    ASSERT_TRUE(Reselect());
    QTest::qWait(1200); // two poll cycles
    for (const sim::ExchangeRecord& r : Records())
        EXPECT_NE(r.function, 16) << "register " << r.firstRegister;
    EXPECT_GT(Driver().Gate().DroppedCount(), dropped);
}

TEST_F(SelectDriveTest, DialogsRescanTakeEnterAndShowTheScanning) {
    Start();
    std::vector<DiscoveredPort> present;
    int scans = 0;
    TFSelectDriver dialog(Driver(), [&] { return ++scans, present; });
    dialog.show();
    dialog.RescanTick();
    EXPECT_TRUE(!dialog.BLinkOk->isEnabled() && dialog.RescanActive() &&
                dialog.CPort->count() == 0);
    present = {DiscoveredPort{12, 1}};
    // The timer itself finds a plugged-in adapter within about a second.
    WaitFor([&] { return dialog.CPort->count() > 0; }, 5000);
    ASSERT_EQ(dialog.CPort->count(), 1);
    EXPECT_EQ(dialog.CPort->itemText(0), "Tarn Bus (Id: 12)");
    EXPECT_TRUE(dialog.BLinkOk->isEnabled() && dialog.BLinkOk->isDefault() &&
                Driver().LinkPorts.size() == 1 && scans >= 3);
    // Enter in the number field is the Standard Ok; a bad number cancels.
    dialog.EId->setText("17");
    QTest::keyClick(dialog.EId, Qt::Key_Return);
    EXPECT_EQ(std::tuple(dialog.result(), dialog.DeviceNumber(), dialog.RescanActive()),
              std::tuple(int(TFSelectDriver::Standard), 17, false));
    TFSelectDriver tooBig(Driver(), {});
    tooBig.EId->setText("300");
    tooBig.BStdOk->click();
    EXPECT_EQ(std::tuple(tooBig.DeviceNumber(), tooBig.result()),
              std::tuple(-1, int(TFSelectDriver::Cancel)));

    // The progress caption per transfer mode; the drive's number follows it.
    const std::pair<ProgressMode, const char*> labels[] = {
        {ProgressMode::WriteTable, "Writing to device Nr. "},
        {ProgressMode::ReadProfiles, "Reading Profiles Data from device Nr. "},
        {ProgressMode::ReadScopeSettings, "Reading Oscilloscope Data from device Nr. "},
        {ProgressMode::WriteProfiles, "Writing Profiles Data to device Nr. "}};
    for (const auto& [mode, label] : labels)
        EXPECT_EQ(TransferModeOf(mode).Label, label) << label;
    Driver().SetOnline(true);
    TFConnectD* scanning = TFConnectD::ShowScanning(Driver(), window_.get());
    EXPECT_EQ(scanning->LText->text(), "Scanning Tarn Link...");
    EXPECT_TRUE(scanning->EndReached()); // nothing to wait for
    scanning->close();
    EXPECT_TRUE(Driver().Online());
}

} // namespace
} // namespace kelm::test
