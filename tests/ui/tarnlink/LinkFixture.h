#pragma once

#include "ui/diagnostic/ToolFixture.h"

#include "core/drive/TDriver.h"
#include "core/link/ModbusMaster.h"
#include "ui/drive/SelectDrive.h"
#include "ui/drive/TFConnectD.h"
#include "ui/status/StatusMonitor.h"
#include "ui/tarnlink/TFTarnSel.h"
#include "ui/tarnlink/UnitPanel.h"

#include <QPushButton>

namespace kelm::test {

// The main window on a simulated link (Power unit at 1, Drive units at 2, 3 and 4, live
// values off) whose adapter the selection dialog sees on COM10.
class LinkFixture : public ToolFixture {
protected:
    void SetUp() override {
        ToolFixture::SetUp();
        BuildEngine(sim::SimKind::Link);
        Control(QStringLiteral("live * off"));
        ScanLinkPorts([] { return std::vector{DiscoveredPort{10, 1}}; });
    }

    // Starts the main window, or with `again` runs Select Drive; the selection picks the link
    // port, then `overview` runs inside the link overview, then the table read (if any) runs
    // to its end.
    void SelectThroughOverview(const std::function<void(TFTarnSel&)>& overview,
                               bool again = false) {
        dialogs_->OnNextDialog(
            [](QDialog& d) { static_cast<TFSelectDriver&>(d).BLinkOk->click(); });
        dialogs_->OnNextDialog([this, overview](QDialog& d) {
            auto& dialog = static_cast<TFTarnSel&>(d);
            EXPECT_EQ(dialog.windowTitle(), "Select Tarn Device");
            overview(dialog);
        });
        dialogs_->SetDefaultDialogHandler(
            [](QDialog& d) { ScriptedDialogs::WaitClosed(d, 30000); });
        if (again) {
            window_->Run(Command::SelectDrive);
        } else {
            ShellFlows flows;
            flows.SelectDrive = &SelectDrive;
            flows.RunTransfer = &TFConnectD::RunTransfer;
            flows.MakeStatusPanel = &StatusMonitor::Make;
            ShowWindow(flows);
            ASSERT_TRUE(WaitFor([this] { return window_->Started(); }));
        }
        ASSERT_TRUE(WaitFor([this] { return dialogs_->PendingCount() == 0; }, 30000));
        ASSERT_TRUE(
            WaitFor([&] { return window_->Driver().Mode() != WorkerMode::TableRead; }, 30000));
    }
};

} // namespace kelm::test
