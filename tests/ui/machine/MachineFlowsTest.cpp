// File > Save, Compare and Open Machine on a simulated link: the menu items run the whole
// link through the progress dialog, the comparison opens one tab per unit, the restore
// writes the changed value back and the unit in use is the same afterwards.
#include "ui/diagnostic/ToolFixture.h"

#include "core/drive/TDriver.h"
#include "core/link/ModbusMaster.h"
#include "ui/compare/CompareGrid.h"
#include "ui/drive/SelectDrive.h"
#include "ui/drive/TFConnectD.h"
#include "ui/machine/TFMachineCompare.h"
#include "ui/machine/TFMachineD.h"
#include "ui/status/StatusMonitor.h"
#include "ui/tarnlink/TFTarnSel.h"
#include "ui/tarnlink/UnitPanel.h"

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>

namespace kelm::test {
namespace {

class MachineFlowsTest : public ToolFixture {
protected:
    void SetUp() override {
        ToolFixture::SetUp();
        BuildEngine(sim::SimKind::Link);
        Control(QStringLiteral("live * off"));
        ScanLinkPorts([] { return std::vector{DiscoveredPort{10, 1}}; });
        // Drive unit 3 (address 3) chosen in the link overview, its table read.
        dialogs_->OnNextDialog(
            [](QDialog& d) { static_cast<TFSelectDriver&>(d).BLinkOk->click(); });
        dialogs_->OnNextDialog(
            [](QDialog& d) { static_cast<TFTarnSel&>(d).Panel(2).SelectButton->click(); });
        dialogs_->SetDefaultDialogHandler(
            [](QDialog& d) { ScriptedDialogs::WaitClosed(d, 30000); });
        ShellFlows flows;
        flows.SelectDrive = &SelectDrive;
        flows.RunTransfer = &TFConnectD::RunTransfer;
        flows.MakeStatusPanel = &StatusMonitor::Make;
        ShowWindow(flows);
        ASSERT_TRUE(WaitFor([this] { return dialogs_->PendingCount() == 0; }, 30000));
        ASSERT_TRUE(WaitFor([this] { return window_->Driver().Online(); }, 30000));
    }
    void Trigger(const QString& text) {
        QMenu* file = window_->findChild<QMenu*>(QStringLiteral("MFile"));
        ASSERT_NE(file, nullptr);
        emit file->aboutToShow();
        for (QAction* action : file->actions())
            if (action->text() == text) {
                ASSERT_TRUE(action->isEnabled());
                action->trigger();
                return;
            }
        FAIL() << text.toStdString();
    }
    int ProgressDialogs() const { return Executed("kelm::TFMachineD"); }
};

TEST_F(MachineFlowsTest, SaveCompareAndOpenTheWholeLink) {
    QTemporaryDir files;
    const QString dir = QDir(files.path()).filePath("machine");
    dialogs_->AnswerNextFile(dir);
    dialogs_->OnNextDialog([](QDialog& d) {
        QDir().mkpath("/tmp/shots-machine");
        ScriptedDialogs::WaitClosed(d, 30000);
        d.grab().save("/tmp/shots-machine/machine-progress.png");
    });
    Trigger(QStringLiteral("Save &Machine…"));
    EXPECT_TRUE(QFile::exists(QDir(dir).filePath("machine.json")));
    EXPECT_TRUE(messages_.Texts().join('\n').contains("Saved in " + dir));
    EXPECT_EQ(ProgressDialogs(), 4 + 3); // every unit's table, the Drive units' profiles

    SetSimRegister(4, 43, 777);
    dialogs_->AnswerNextFile(QDir(dir).filePath("machine.json"));
    Trigger(QStringLiteral("Compa&re Machine…"));
    TFMachineCompare* window = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* found = qobject_cast<TFMachineCompare*>(widget))
            window = found;
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(window->Tabs->count(), 4);
    EXPECT_EQ(window->Tabs->tabText(3), "Unit 4 Drive *");
    EXPECT_EQ(window->Tabs->tabText(2), "Unit 3 Drive");
    window->Tabs->setCurrentIndex(3);
    window->resize(640, 480);
    QDir().mkpath("/tmp/shots-machine");
    window->grab().save("/tmp/shots-machine/compare-machine.png");
    window->close();

    messages_.ScriptAnswers({true});
    dialogs_->AnswerNextFile(QDir(dir).filePath("machine.json"));
    Trigger(QStringLiteral("Open Mac&hine…"));
    EXPECT_EQ(SimRegister(4, 43), 500);
    EXPECT_TRUE(messages_.Texts().join('\n').contains("Unit 4 (Tarn Drive): restored"));
    // The unit in use before is in use again, on line.
    EXPECT_TRUE(WaitFor([this] { return window_->Driver().Online(); }, 30000));
    EXPECT_EQ(window_->Master().UnitAddress(), 3);
    EXPECT_EQ(dialogs_->UnexpectedCount(), 0);
}

} // namespace
} // namespace kelm::test
