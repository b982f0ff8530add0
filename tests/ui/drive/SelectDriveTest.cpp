#include "FakeShell.h"

#include "ui/drive/SelectDrive.h"
#include "ui/drive/TFConnectD.h"
#include "ui/drive/TFOffLineSel.h"
#include "ui/drive/TFSelectDriver.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <map>

namespace kelm::test {
namespace {

// The selection dialog's handler: what the user does in it.
ScriptedDialogs::DialogHandler Enter(const QString& id) {
    return [id](QDialog& d) {
        auto& dialog = static_cast<TFSelectDriver&>(d);
        dialog.EId->setText(id);
        dialog.BStdOk->click();
    };
}

struct ScanGuard {
    explicit ScanGuard(std::vector<DiscoveredPort> ports)
        : previous(InstallLinkPortScan([ports] { return ports; })) {}
    ~ScanGuard() { InstallLinkPortScan(previous); }
    LinkPortScan previous;
};

// A plain drive at address 1, no link ports.
struct SelectStd : ::testing::Test {
    void Select(const QString& id) {
        shell.dialogs.OnNextDialog(Enter(id));
        shell.SelectDrive();
    }
    ScanGuard scan{{}};
    FakeShell shell;
};
using SelectStdDialog = SelectStd;
using SelectStdTransfer = SelectStd;

int ExecutedCount(const FakeShell& shell, const char* className) {
    int count = 0;
    for (const auto& record : shell.dialogs.Executed())
        count += record.ClassName == className;
    return count;
}

TEST_F(SelectStd, StandardConnectsReadsTheTableAndGoesOnLine) {
    shell.Settings().ComPort = 3;
    shell.Driver().CurrentFileName = "/tmp/old.dev";
    shell.SetStatusPanelText(StatusPanel::DeviceFile, "old.dev");
    shell.dialogs.OnNextDialog(Enter("1"));
    int shownMaximum = -1;
    int shownPosition = -1;
    shell.dialogs.OnNextDialog([&](QDialog& d) {
        auto& progress = static_cast<TFConnectD&>(d);
        EXPECT_EQ(progress.LText->text(), "Reading from device Nr. 1");
        ScriptedDialogs::WaitClosed(d, 30000);
        shownMaximum = progress.Maximum();
        shownPosition = progress.Position();
    });
    shell.SelectDrive();

    ASSERT_EQ(shell.dialogs.Executed().size(), 2u);
    EXPECT_EQ(shell.dialogs.Executed()[0].Title, " Select Driver ");
    EXPECT_TRUE(shell.Driver().Online());
    EXPECT_EQ(shell.Master().GetPort(), 3);
    EXPECT_FALSE(shell.Master().IsLinkMode());
    EXPECT_EQ(shell.Master().DeviceAddress, 1);
    EXPECT_EQ(shell.Channel().AppliedSettings().BaudRate, 19200u);
    EXPECT_EQ(shownMaximum, shell.Driver().ActiveTable().Count());
    EXPECT_EQ(shownPosition, shownMaximum);
    EXPECT_TRUE(shell.Driver().CurrentFileName.isEmpty());
    EXPECT_TRUE(shell.StatusPanelText(StatusPanel::DeviceFile).isEmpty());
    EXPECT_EQ(shell.StatusPanelText(StatusPanel::LineState), "On Line");
    EXPECT_EQ(shell.fileDialogSetups, 1);
    ASSERT_FALSE(shell.closedChildren.empty());
    EXPECT_EQ(shell.closedChildren.back(), std::make_pair(false, true));
    EXPECT_TRUE(shell.messages.Texts().isEmpty()) << shell.messages.Texts().join("|").toStdString();
}

TEST_F(SelectStd, SamePortIsNotReopenedButLeavingATarnKindReopensPlain) {
    Select("1");
    ASSERT_TRUE(shell.Driver().Online());
    EXPECT_EQ(shell.Channel().opens, 1);
    // The status bar shows "001": the dialog comes preset with that number.
    shell.dialogs.OnNextDialog([](QDialog& d) {
        auto& dialog = static_cast<TFSelectDriver&>(d);
        EXPECT_EQ(dialog.EId->text(), "1");
        dialog.BStdOk->click();
    });
    shell.SelectDrive();
    EXPECT_EQ(shell.Channel().opens, 1);
    EXPECT_TRUE(shell.Driver().Online());

    // A Tarn kind in use: Standard closes the port and opens it again in plain mode.
    shell.Driver().WaitIdle();
    shell.Driver().SelectDeviceKind(DeviceKind::Power, false);
    shell.Master().OpenPort(shell.Settings().ComPort, 57600, true, 0);
    const int opens = shell.Channel().opens;
    Select("1");
    EXPECT_EQ(shell.Channel().opens, opens + 1);
    EXPECT_EQ(shell.Driver().CurrentKind(), DeviceKind::Std);
    EXPECT_FALSE(shell.Master().IsLinkMode());
    EXPECT_TRUE(shell.Driver().Online());
}

TEST_F(SelectStd, CancelAndEmptyNumberChangeNothingNumberZeroStaysOffLine) {
    shell.dialogs.OnNextDialog([](QDialog& d) { d.reject(); });
    shell.SelectDrive();
    Select("");
    EXPECT_EQ(shell.dialogs.Executed().size(), 2u);
    EXPECT_EQ(shell.dialogs.Executed()[1].Result, TFSelectDriver::Cancel);
    EXPECT_FALSE(shell.Master().IsPortOpen());
    EXPECT_EQ(shell.Channel().opens, 0);
    EXPECT_EQ(shell.fileDialogSetups, 0);
    EXPECT_EQ(shell.configures, 0);
    // Number 0 opens the port but stays off line.
    Select("0");
    EXPECT_TRUE(shell.Master().IsPortOpen());
    EXPECT_FALSE(shell.Driver().Online());
    EXPECT_EQ(ExecutedCount(shell, "kelm::TFConnectD"), 0); // no read attempted
    EXPECT_EQ(shell.Channel().BytesWritten(), 0u);
    EXPECT_EQ(shell.StatusPanelText(StatusPanel::LineState), "Off Line");
}

TEST_F(SelectStd, OffLineChoosesTheKindAndClosesThePort) {
    Select("1");
    ASSERT_TRUE(shell.Master().IsPortOpen());
    QString numberAfterOffLine;
    shell.dialogs.OnNextDialog([&](QDialog& d) {
        auto& dialog = static_cast<TFSelectDriver&>(d);
        dialog.BOffLine->click();
        numberAfterOffLine = dialog.EId->text();
    });
    shell.dialogs.OnNextDialog([](QDialog& d) {
        EXPECT_EQ(d.metaObject()->className(), QString("kelm::TFOffLineSel"));
        static_cast<TFOffLineSel&>(d).Buttons[2]->click();
    });
    shell.SelectDrive();
    EXPECT_EQ(numberAfterOffLine, "0");
    EXPECT_EQ(shell.Driver().CurrentKind(), DeviceKind::Drive);
    EXPECT_FALSE(shell.Master().IsPortOpen());
    EXPECT_FALSE(shell.Driver().Online());
    EXPECT_EQ(shell.StatusPanelText(StatusPanel::LineState), "Off Line");
    EXPECT_EQ(shell.fileDialogSetups, 2);
}

// Escape in the chooser goes back to the dialog, Escape there cancels: nothing dropped.
TEST_F(SelectStd, EscapeInTheChooserThenInTheDialogKeepsTheConnection) {
    Select("1");
    shell.dialogs.OnNextDialog([&](QDialog& d) {
        static_cast<TFSelectDriver&>(d).BOffLine->click();
        EXPECT_TRUE(d.isVisible());
        QTest::keyClick(&d, Qt::Key_Escape);
    });
    shell.dialogs.OnNextDialog([](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); });
    shell.SelectDrive();
    EXPECT_TRUE(shell.Driver().Online());
    EXPECT_TRUE(shell.Master().IsPortOpen());
}

TEST_F(SelectStd, APortThatCannotBeOpenedSaysWhyOnce) {
    shell.Channel().refusal = QStringLiteral("permission denied; the group \"dialout\"");
    Select("1");
    EXPECT_EQ(shell.messages.Texts(), QStringList{"The port could not be opened:\rCOM1 "
                                                  "(/dev/sim1): " +
                                                  shell.Channel().refusal});
    EXPECT_EQ(shell.StatusPanelText(StatusPanel::LineState), "Off Line");
}

TEST(SelectDrive, OrcaSignatureSelectsOrcaAtAddressTwoWithoutTheOverview) {
    ScanGuard scan({DiscoveredPort{7, 1}});
    FakeShell shell(sim::SimKind::Orca);
    shell.dialogs.OnNextDialog([](QDialog& d) {
        auto& dialog = static_cast<TFSelectDriver&>(d);
        EXPECT_TRUE(dialog.BLinkOk->isEnabled());
        EXPECT_EQ(dialog.CPort->currentText(), "Tarn Bus (Id: 7)");
        EXPECT_TRUE(dialog.BLinkOk->isDefault());
        QTest::keyClick(dialog.BLinkOk, Qt::Key_Return); // the focus starts there
    });
    shell.SelectDrive();
    EXPECT_EQ(shell.Driver().CurrentKind(), DeviceKind::Orca230);
    EXPECT_EQ(shell.Master().DeviceAddress, 2);
    EXPECT_TRUE(shell.Master().IsLinkMode());
    EXPECT_EQ(shell.Master().GetPort(), 7);
    ASSERT_EQ(shell.Driver().LinkPorts.size(), 1u);
    EXPECT_EQ(shell.Driver().LinkPorts[0].UnitKind, 3);
    EXPECT_TRUE(shell.Driver().Online());
    EXPECT_EQ(ExecutedCount(shell, "kelm::TFConnectD"), 1);
    const std::uint32_t baud = static_cast<std::uint32_t>(
        shell.Driver().KindTable(DeviceKind::Power).FindByAddress(5)->DefaultValue * 100);
    EXPECT_EQ(shell.Channel().AppliedSettings().BaudRate, baud);
    EXPECT_EQ(shell.Channel().AppliedSettings().ParityCode, 0);
}

TEST(SelectDrive, SelectLinkDirectUsesTheCurrentPortIfListedElseShowsTheDialog) {
    ScanGuard scan({DiscoveredPort{4, 1}, DiscoveredPort{7, 1}});
    FakeShell shell(sim::SimKind::Orca);
    shell.Settings().ComPort = 7;
    SelectLinkDirect(shell);
    EXPECT_EQ(ExecutedCount(shell, "kelm::TFSelectDriver"), 0);
    EXPECT_EQ(shell.LinkSelectPort(), 0); // the tag is reset
    EXPECT_EQ(shell.Driver().CurrentKind(), DeviceKind::Orca230);
    EXPECT_EQ(shell.Master().GetPort(), 7);
    EXPECT_EQ(shell.Driver().LinkPorts[1].UnitKind, 3);

    ScanGuard unlisted({DiscoveredPort{4, 1}});
    shell.Settings().ComPort = 9;
    shell.dialogs.OnNextDialog([](QDialog& d) { d.reject(); });
    SelectLinkDirect(shell);
    EXPECT_EQ(ExecutedCount(shell, "kelm::TFSelectDriver"), 1);
    EXPECT_EQ(shell.LinkSelectPort(), 0);
}

TEST_F(SelectStd, ClosingTheProgressDialogEarlyLeavesTheToolOffLine) {
    shell.Engine().LineFaults().delayMs = 30; // a slow drive: the read takes a while
    shell.dialogs.OnNextDialog(Enter("1"));
    int positionAtClose = -1;
    shell.dialogs.OnNextDialog([&](QDialog& d) {
        auto& progress = static_cast<TFConnectD&>(d);
        WaitFor([&] { return progress.Position() > 0; }, 20000);
        positionAtClose = progress.Position();
        d.close(); // the close box
    });
    shell.SelectDrive();
    EXPECT_GT(positionAtClose, 0);
    EXPECT_LT(positionAtClose, shell.Driver().ActiveTable().Count());
    EXPECT_FALSE(shell.Driver().Online());
    EXPECT_TRUE(shell.WaitWorkerIdle());
    EXPECT_FALSE(shell.Driver().Online());
    EXPECT_EQ(shell.Driver().ModeLetter(), 0);
}

TEST(TFSelectDriver, RescanAddsAPluggedInAdapterAndKeepsAnUnchangedList) {
    std::vector<DiscoveredPort> present;
    FakeShell shell;
    int scans = 0;
    TFSelectDriver dialog(shell.Driver(), [&] {
        ++scans;
        return present;
    });
    dialog.show();
    EXPECT_FALSE(dialog.BLinkOk->isEnabled());
    dialog.RescanTick();
    EXPECT_TRUE(dialog.RescanActive());
    EXPECT_EQ(dialog.CPort->count(), 0);
    present = {DiscoveredPort{12, 1}};
    // The timer itself finds it within about a second.
    WaitFor([&] { return dialog.CPort->count() > 0; }, 5000);
    ASSERT_EQ(dialog.CPort->count(), 1);
    EXPECT_EQ(dialog.CPort->itemText(0), "Tarn Bus (Id: 12)");
    EXPECT_TRUE(dialog.BLinkOk->isEnabled());
    EXPECT_EQ(shell.Driver().LinkPorts.size(), 1u);
    EXPECT_GE(scans, 3);
    dialog.reject();
    EXPECT_FALSE(dialog.RescanActive());
}

TEST(TFConnectD, ModesAndTheScanningWindow) {
    EXPECT_EQ(TransferModeOf('W').Label, "Writing to device Nr. ");
    EXPECT_TRUE(TransferModeOf('W').Write);
    EXPECT_FALSE(TransferModeOf('X').Valid);
    FakeShell shell;
    shell.Driver().SetOnline(true);
    TFConnectD* scanning = TFConnectD::ShowScanning(shell.Driver(), shell.Window());
    EXPECT_EQ(scanning->LText->text(), "Scanning Tarn Link...");
    EXPECT_TRUE(scanning->EndReached());
    scanning->close();
    EXPECT_TRUE(shell.Driver().Online());
    TFConnectD profiles(shell.Driver(), 'P', {});
    EXPECT_EQ(profiles.Maximum(), shell.Driver().ProfileTable().Count());
}

TEST_F(SelectStdDialog, EnterInTheNumberFieldIsTheStandardOkAndBadNumbersCancel) {
    TFSelectDriver dialog(shell.Driver(), [] { return std::vector<DiscoveredPort>(); });
    dialog.show();
    dialog.EId->setText("17");
    QTest::keyClick(dialog.EId, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), TFSelectDriver::Standard);
    EXPECT_EQ(dialog.DeviceNumber(), 17);
    TFSelectDriver tooBig(shell.Driver(), {});
    tooBig.EId->setText("300");
    EXPECT_EQ(tooBig.DeviceNumber(), -1);
    tooBig.BStdOk->click();
    EXPECT_EQ(tooBig.result(), TFSelectDriver::Cancel);
}

TEST_F(SelectStdTransfer, EveryTransferModeRunsToItsEndOnTheDrive) {
    Select("1");
    ASSERT_TRUE(shell.Driver().Online());
    const std::map<char, QString> labels = {{'P', "Reading Profiles Data from device Nr. 1"},
                                            {'O', "Reading Oscilloscope Data from device Nr. 1"},
                                            {'p', "Writing Profiles Data to device Nr. 1"}};
    for (const auto& [mode, expected] : labels) {
        int maximum = -1;
        int position = -2;
        QString label;
        shell.dialogs.OnNextDialog([&](QDialog& d) {
            auto& progress = static_cast<TFConnectD&>(d);
            label = progress.LText->text();
            EXPECT_TRUE(ScriptedDialogs::WaitClosed(d, 30000));
            maximum = progress.Maximum();
            position = progress.Position();
            EXPECT_TRUE(progress.EndReached());
        });
        TFConnectD::RunTransfer(shell, mode);
        EXPECT_EQ(label, expected);
        EXPECT_EQ(position, maximum) << mode;
        EXPECT_GT(maximum, 0) << mode;
        EXPECT_TRUE(shell.Driver().Online()) << mode;
    }
}

TEST_F(SelectStd, SilentDriveDuringTheReadEndsOffLineWithOneMessage) {
    shell.dialogs.OnNextDialog(Enter("1"));
    shell.dialogs.OnNextDialog([this](QDialog& d) {
        {
            const auto lock = shell.Engine().Lock();
            shell.Engine().FindDevice(1)->SetSilent(true);
        }
        EXPECT_TRUE(ScriptedDialogs::WaitClosed(d, 30000));
    });
    shell.SelectDrive();
    EXPECT_TRUE(shell.WaitWorkerIdle());
    EXPECT_FALSE(shell.Driver().Online());
    EXPECT_FALSE(shell.Master().IsPortOpen());
    EXPECT_EQ(shell.messages.Texts(), QStringList{"Device not Respondig"});
    EXPECT_EQ(shell.StatusPanelText(StatusPanel::LineState), "Off Line");
}

} // namespace
} // namespace kelm::test
