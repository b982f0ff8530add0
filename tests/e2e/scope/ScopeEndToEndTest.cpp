// The oscilloscope as a user meets it: the main window offscreen, kelmsim on a pseudo-terminal
// as COM1. One capture per kind, each with another trigger, plotted exactly as the drive
// recorded it; a link lost in the middle of an upload.
#include "app/InstallFlows.h"
#include "core/drive/TDriver.h"
#include "core/link/ModbusMaster.h"
#include "core/seams/RecordingMessages.h"
#include "sim/kelmsim/SimProcess.h"
#include "ui/drive/SelectDrive.h"
#include "ui/drive/TFSelectDriver.h"
#include "ui/scope/OscilloWindow.h"
#include "ui/scope/TFOscillo.h"
#include "ui/seams/ScriptedDialogs.h"
#include "ui/shell/ExtraLinkPorts.h"
#include "ui/shell/Principale.h"
#include "ui/shell/WaitFor.h"
#include "ui/status/StatusMonitor.h"
#include "ui/tarnlink/TFTarnSel.h"
#include "ui/tarnlink/UnitPanel.h"
#include "ui/widgets/TPNumEdit.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>

namespace kelm {
namespace {

using test::WaitFor;

struct ScopeRun : ::testing::Test {
    // kelmsim of a kind as COM1 (offered as a link port), the window on line with the unit.
    void Connect(const QString& kind, int unit, DeviceKind expected) {
        ASSERT_TRUE(sim.Start({"--kind", kind, "--log", dir.filePath("sim.log")}, false));
        qputenv("KELM_COM1", sim.Path().toLocal8Bit());
        previousScan = InstallLinkPortScan([] { return ParseLinkPortList("1"); });
        dialogs.SetDefaultDialogHandler([kind, unit](QDialog& d) {
            if (auto* select = qobject_cast<TFSelectDriver*>(&d)) {
                select->EId->setText(QStringLiteral("1"));
                (kind == "std" ? select->BStdOk : select->BLinkOk)->click();
            } else if (auto* overview = qobject_cast<TFTarnSel*>(&d)) {
                WaitFor([overview] { return !overview->Panel(1).CanId->text().isEmpty(); });
                overview->Panel(unit).SelectButton->click();
            } else {
                ScriptedDialogs::WaitClosed(d, 60000); // connection and transfers
            }
        });
        PrincipaleOptions options;
        options.ExecutableFolder = QStringLiteral(KELM_RUNTIME_DIR "/");
        options.SettingsFile = dir.filePath("settings.ini");
        window = std::make_unique<TFPrincipale>(ProgramFlows(), options);
        window->show();
        ASSERT_TRUE(WaitFor(
            [&] {
                TDriver& driver = window->Driver();
                return driver.ModeLetter() == 'I' && driver.CurrentKind() == expected;
            },
            60000))
            << messages.Texts().join('|').toStdString();
        window->Run(Command::Oscilloscope);
        scope = OscilloWindow();
        ASSERT_NE(scope, nullptr);
    }
    void TearDown() override {
        window.reset();
        InstallLinkPortScan(previousScan);
        qunsetenv("KELM_COM1");
    }
    StatusPanelWidget& Panel() { return dynamic_cast<StatusMonitor&>(window->Panel()).Panel(); }
    // The sizes of the reads of a channel's sample memory, in order (the simulator's log).
    std::vector<int> BlockReads(int first) {
        QFile log(dir.filePath("sim.log"));
        std::vector<int> sizes;
        if (log.open(QIODevice::ReadOnly))
            for (const QByteArray& line : log.readAll().split('\n'))
                if (const QList<QByteArray> f = line.split(' ');
                    f.size() == 6 && f[2] == "3" && f[3].toInt() / 1000 == first)
                    sizes.push_back(f[4].toInt());
        return sizes;
    }

    QTemporaryDir dir;
    sim::test::SimProcess sim;
    RecordingMessages messages;
    ScriptedDialogs dialogs;
    LinkPortScan previousScan;
    std::unique_ptr<TFPrincipale> window;
    TFOscillo* scope = nullptr;
};

struct KindCase {
    const char* Kind;
    DeviceKind Expected;
    int Unit, Edge, Factor; // overview panel, trigger, channel 1 factor register
};
class ScopeKinds : public ScopeRun, public ::testing::WithParamInterface<KindCase> {};

// Both traces hold the drive's samples through the factor rule, then the closing point;
// the status panel's Enable request pressed during the upload goes out inside it.
TEST_P(ScopeKinds, PlotsWhatTheDriveRecorded) {
    const KindCase c = GetParam();
    ASSERT_NO_FATAL_FAILURE(Connect(c.Kind, c.Unit, c.Expected));
    const int address = window->Master().DeviceAddress;
    ASSERT_TRUE(sim.Command(QStringLiteral("set %1 50012 %2").arg(address).arg(c.Factor)));
    ASSERT_TRUE(sim.Command(QStringLiteral("delay 10"))); // room to press Enable mid-upload
    scope->EdgeButton(c.Edge)->click();
    scope->StartButton()->click();
    ASSERT_TRUE(WaitFor([&] { return scope->Session().Uploading(); }, 30000));
    EXPECT_FALSE(Panel().BAllarm->isEnabled());
    Panel().BDEn->click(); // written by the upload: the button comes up before it ends
    ASSERT_TRUE(WaitFor([&] { return !Panel().BDEn->isChecked(); }));
    EXPECT_TRUE(scope->Session().Uploading());
    ASSERT_TRUE(WaitFor([&] { return !scope->Session().Running(); }, 30000));
    EXPECT_TRUE(Panel().BAllarm->isEnabled());

    for (const int first : {51, 52}) { // 32 registers a request for Std, 16 for the others
        const std::vector<int> sizes = BlockReads(first);
        EXPECT_EQ(sizes.size(), c.Expected == DeviceKind::Std ? 16U : 32U);
        EXPECT_EQ(sizes.back(), c.Expected == DeviceKind::Std ? 20 : 4);
    }
    TDriver& driver = window->Driver();
    const int n = scope->Capture().SampleCount();
    ASSERT_EQ(n, 500);
    driver.WaitIdle();
    for (int ch = 0; ch < 2; ++ch) {
        std::vector<std::uint16_t> raw(n);
        for (int i = 0; i < n; i += 25)
            ASSERT_TRUE(driver.ReadRegs(static_cast<std::uint16_t>(51000 + 1000 * ch + i),
                                        raw.data() + i, true, 100, 25, nullptr));
        const auto factor = driver.ScopeSettingsTable().FindByAddress(50012 + ch)->DriveValue;
        EXPECT_EQ(factor, ch == 0 ? c.Factor : 2);
        const QList<QPointF> points = scope->Trace(ch)->points();
        ASSERT_EQ(points.size(), n + 1);
        for (int i = 0; i < n; ++i)
            ASSERT_EQ(points[i].y(), scope::ScaledSample(static_cast<std::int16_t>(raw[i]), factor,
                                                         scope->OffsetField(ch)->RdValore()))
                << ch << ":" << i;
        EXPECT_EQ(points[n], QPointF(driver.ScopeSettingsTable().FindByAddress(50001)->DriveValue,
                                     points[n - 1].y()));
    }
    driver.SetMode('I');
    EXPECT_TRUE(messages.Texts().isEmpty()) << messages.Texts().join('|').toStdString();
}

INSTANTIATE_TEST_SUITE_P(, ScopeKinds,
                         ::testing::Values(KindCase{"std", DeviceKind::Std, 0, 1, 5},
                                           KindCase{"orca", DeviceKind::Orca230, 0, 2, 4},
                                           KindCase{"link", DeviceKind::Drive, 1, 3, 2}),
                         [](const auto& info) { return std::string(info.param.Kind); });

// The drive falls silent while the samples come in: the upload ends, nothing is plotted,
// Start is free again and the other windows are given back.
TEST_F(ScopeRun, LinkLostDuringUploadGivesEverythingBack) {
    ASSERT_NO_FATAL_FAILURE(Connect("std", 0, DeviceKind::Std));
    ASSERT_TRUE(sim.Command(QStringLiteral("delay 10")));
    QMdiSubWindow* mainPage = window->FindChildWindow(QStringLiteral("TFMainDev"));
    ASSERT_NE(mainPage, nullptr);
    scope->StartButton()->click();
    ASSERT_TRUE(WaitFor([&] { return scope->Session().Uploading(); }, 30000));
    EXPECT_FALSE(mainPage->isEnabled());
    ASSERT_TRUE(sim.Command(QStringLiteral("silent * on")));
    ASSERT_TRUE(WaitFor(
        [&] { return !scope->Session().Running() && !scope->Session().PostProcessingPending(); },
        30000));
    EXPECT_FALSE(window->Driver().Online());
    EXPECT_EQ(scope->Trace(0)->count(), 0);
    EXPECT_FALSE(scope->StartButton()->isChecked());
    EXPECT_TRUE(scope->StartButton()->isEnabled());
    EXPECT_TRUE(mainPage->isEnabled());
    EXPECT_EQ(messages.Texts(), QStringList{"Device not Respondig"});
}

} // namespace
} // namespace kelm
