#pragma once

#include "app/InstallFlows.h"
#include "common/SocatBridge.h"
#include "core/drive/TDriver.h"
#include "core/seams/RecordingMessages.h"
#include "sim/kelmsim/SimProcess.h"
#include "ui/drive/SelectDrive.h"
#include "ui/drive/TFConnectD.h"
#include "ui/drive/TFSelectDriver.h"
#include "ui/seams/ScriptedDialogs.h"
#include "ui/shell/ExtraLinkPorts.h"
#include "ui/shell/Principale.h"
#include "ui/shell/WaitFor.h"
#include "ui/status/StatusMonitor.h"
#include "ui/status/StatusPanelWidget.h"
#include "ui/tarnlink/TFTarnSel.h"
#include "ui/tarnlink/UnitPanel.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kelm::test {

// The program's main window offscreen against kelmsim of a kind as COM1 (or a TCP port
// bridged to it) (offered as a link
// port too, following the terminal a hang-up renews), with a settings file of its own; the
// selection and unit dialogs are answered and the connection's dialogs run to their end
// (with onlyConnectionWaited, the others are turned down).
struct ProgramOnSim : ::testing::Test {
    void Open(const QString& kind, int unit, DeviceKind expected) {
        const QString tty = dir.filePath("tty");
        ASSERT_TRUE(sim.Start({"--kind", kind, "--log", Log(), "--link-path", tty}, false));
        QString port = tty;
        if (overTcp) {
            bridge = std::make_unique<SocatBridge>(tty);
            port = bridge->Path();
            ASSERT_FALSE(port.isEmpty()) << "socat did not start (scripts/setup.sh)";
        }
        qputenv("KELM_COM1", port.toLocal8Bit());
        previousScan = InstallLinkPortScan([] { return ParseLinkPortList("1"); });
        dialogs.SetDefaultDialogHandler([this, kind, unit](QDialog& d) {
            if (auto* select = qobject_cast<TFSelectDriver*>(&d)) {
                select->EId->setText(QStringLiteral("1"));
                (kind == "std" ? select->BStdOk : select->BLinkOk)->click();
            } else if (auto* overview = qobject_cast<TFTarnSel*>(&d)) {
                WaitFor([overview] { return !overview->Panel(1).CanId->text().isEmpty(); });
                overview->Panel(unit).SelectButton->click();
            } else if (!onlyConnectionWaited || qobject_cast<TFConnectD*>(&d)) {
                ScriptedDialogs::WaitClosed(d, 60000); // connection and transfers
            }
        });
        ClearTerminateRequest();
        PrincipaleOptions options;
        options.ExecutableFolder = QStringLiteral(KELM_RUNTIME_DIR "/");
        options.SettingsFile = dir.filePath("settings.ini");
        options.Arguments = {QStringLiteral("kelmdrive")};
        window = std::make_unique<TFPrincipale>(ProgramFlows(), options);
        ASSERT_FALSE(TerminateRequested()) << messages.Texts().join('|').toStdString();
        window->show();
        const auto read = [&] {
            return window->Driver().Mode() == WorkerMode::StatusPoll &&
                   window->Driver().CurrentKind() == expected;
        };
        ASSERT_TRUE(WaitFor(read, 60000)) << messages.Texts().join('|').toStdString();
        ASSERT_TRUE(WaitFor([&] { return !Panel().LBus->text().isEmpty(); })); // polled
    }
    void TearDown() override {
        window.reset();
        InstallLinkPortScan(previousScan);
        qunsetenv("KELM_COM1");
        EXPECT_EQ(dialogs.UnexpectedCount(), 0);
    }
    QString Log() const { return dir.filePath("sim.log"); }
    StatusPanelWidget& Panel() { return dynamic_cast<StatusMonitor&>(window->Panel()).Panel(); }

    QTemporaryDir dir;
    sim::test::SimProcess sim;
    RecordingMessages messages;
    ScriptedDialogs dialogs;
    LinkPortScan previousScan;
    bool onlyConnectionWaited = false;
    bool overTcp = false; // COM1 is a TCP port bridged to the terminal
    std::unique_ptr<SocatBridge> bridge;
    std::unique_ptr<TFPrincipale> window;
};

} // namespace kelm::test
