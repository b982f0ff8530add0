// The profile editor on a simulated drive: task switching and Cancel, Apply, flash, files
// and the drive going off line.
#include "ToolFixture.h"

#include "core/drive/TDriver.h"
#include "ui/drive/TFConnectD.h"
#include "ui/pages/DialogPage.h"
#include "ui/pages/DialogPages.h"
#include "ui/profile/ProfileChart.h"
#include "ui/profile/ProfileWindow.h"
#include "ui/profile/TFProfile.h"
#include "ui/widgets/ChildFrame.h"
#include "ui/widgets/TPNumEdit.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>

namespace kelm::test {
namespace {

constexpr std::uint16_t Task1 = 320, Task5 = 384, Task6 = 400;

class ProfileEditorTest : public ToolFixture {
protected:
    void SetUp() override {
        ToolFixture::SetUp();
        BuildEngine(sim::SimKind::Std);
        SetSimRegister(1, 31, 8000);         // the speed limit
        SetSimRegister(1, Task1 + 2, 7000);  // over the maximum position speed
        SetSimRegister(1, Task1 + 7, 40000); // window time, unsigned
        SetSimRegister(1, Task5 + 8, 40);    // no such successor
        dialogs_->SetDefaultDialogHandler(
            [](QDialog& d) { ScriptedDialogs::WaitClosed(d, 30000); });
        ShellFlows flows;
        flows.RunTransfer = &TFConnectD::RunTransfer;
        InstallProfileWindow(flows);
        ShowOnline(flows);
        window_->Run(Command::ProfileTool);
        editor = ProfileWindow();
        ASSERT_NE(editor, nullptr);
        ASSERT_TRUE(WaitFor([&] { return editor->isEnabled(); })); // after the speed error
    }
    ParamEntry& Reg(std::uint16_t address) {
        return *window_->Driver().ProfileTable().FindByAddress(address);
    }
    std::vector<std::uint16_t> Writes() {
        std::vector<std::uint16_t> out;
        for (const sim::ExchangeRecord& r : Records())
            if (r.function == 16)
                out.push_back(r.firstRegister);
        return out;
    }
    bool Said(const QString& text) { return messages_.Texts().contains(text); }

    TFProfile* editor = nullptr;
};

TEST_F(ProfileEditorTest, TaskSwitchingKeepsEditsAndCancelDropsThemAll) {
    EXPECT_EQ((QStringList{editor->MSpeed->text(), editor->EWTime->text(), editor->ESpd->text()}),
              (QStringList{"6000", "40000", "7000"}));
    ASSERT_TRUE(WaitFor([&] {
        return Said("Speed Value Over Max Speed !\rSpeed = 7000\rMax Position Speed = 6000");
    }));
    EXPECT_TRUE(editor->isEnabled());
    EXPECT_EQ(
        std::tuple(editor->LSpd->palette().color(QPalette::Window), editor->MyGraph->Points()[1].Y),
        std::tuple(QColor(Qt::red), 7000));

    editor->ESpd->WrValore(1500);
    editor->CActProf->setCurrentIndex(4);
    EXPECT_EQ(std::tuple(editor->CSucc->currentIndex(), Reg(Task5 + 8).Value), std::tuple(0, 0));
    editor->EPosEnd->WrValore(-1);
    editor->CActProf->setCurrentIndex(0);
    EXPECT_EQ(editor->ESpd->text(), "1500");
    EXPECT_TRUE(editor->ESpd->IsMarked() && Writes().empty());
    EXPECT_EQ(std::tuple(Reg(Task5).Value, Reg(Task5 + 1).Value), std::tuple(-1, -1));

    editor->BCancel->click();
    EXPECT_EQ(editor->ESpd->text(), "7000");
    EXPECT_FALSE(editor->ESpd->IsMarked());
    EXPECT_EQ(std::tuple(Reg(Task5).Value, Reg(Task1 + 2).Value),
              std::tuple(Reg(Task5).DriveValue, 7000));

    // The speed page's Apply hands the new limit on.
    OpenSpeedPage(*window_);
    DialogPage* speed = OpenDialogPage(QStringLiteral("TFSpeed"));
    ASSERT_NE(speed, nullptr);
    speed->findChild<TPNumEdit*>(QStringLiteral("ESpeed"))->setText(QStringLiteral("3000"));
    ASSERT_TRUE(speed->Apply());
    EXPECT_EQ(editor->MSpeed->text(), "3000");
}

TEST_F(ProfileEditorTest, ApplyFlashFilesAndGoingOffLine) {
    ClearRecords();
    editor->CActProf->setCurrentIndex(4);
    editor->CSucc->setCurrentIndex(5);
    editor->BApply->click();
    EXPECT_TRUE(Said("Profile Loop!\r\nApply Aborted"));
    // Tasks 5 and 6 chained to each other: only their changed registers go out.
    editor->CSucc->setCurrentIndex(6);
    editor->CActProf->setCurrentIndex(5);
    editor->CSucc->setCurrentIndex(5);
    editor->ESpd->WrValore(2000);
    editor->EAcc->WrValore(1200);
    editor->BApply->click();
    EXPECT_EQ(Writes(), (std::vector<std::uint16_t>{Task5 + 8, Task6 + 2, Task6 + 3, Task6 + 8}));
    if (const QString shots = qEnvironmentVariable("KELM_SCREENSHOT_DIR"); !shots.isEmpty())
        ChildFrame(editor)->grab().save(shots + QStringLiteral("/TFProfile-task6.png"));
    EXPECT_EQ(std::tuple(SimRegister(1, Task5 + 8), SimRegister(1, Task6 + 2)),
              std::tuple(6, 2000));
    EXPECT_FALSE(editor->ESpd->IsMarked());

    messages_.SetDefaultAnswer(true);
    editor->BSaveFl->click();
    EXPECT_TRUE(Said("Profiles Saved !"));
    SetSimRegister(1, Task6 + 2, 100);
    editor->BLoadFl->click();
    EXPECT_TRUE(Said("Profiles Data Loaded !"));
    EXPECT_EQ(
        std::tuple(SimRegister(1, Task6 + 2), Reg(Task6 + 2).DriveValue, Reg(Task6 + 2).FileValue),
        std::tuple(2000, 2000, 2000));

    // Saved, then opened on a drive holding other values: the file reaches the drive.
    const QString file = Folder() + QStringLiteral("chain.bcp");
    dialogs_->AnswerNextFile(file);
    editor->BSaveAs->click();
    ASSERT_TRUE(QFile::exists(file));
    SetSimRegister(1, Task6 + 2, 100);
    SetSimRegister(1, Task5 + 8, 0);
    dialogs_->AnswerNextFile(Folder() + QStringLiteral("chain.dev"));
    editor->BOpen->click();
    EXPECT_TRUE(Said("Different File Extensions\r" + Folder() + "chain.dev\rFile not processed!"));
    dialogs_->AnswerNextFile(file);
    editor->BOpen->click();
    EXPECT_EQ(
        std::tuple(SimRegister(1, Task6 + 2), SimRegister(1, Task5 + 8), editor->ESpd->text()),
        std::tuple(2000, 6, QString("2000")));

    Control("cmdfault 1 on");
    editor->BSaveFl->click();
    EXPECT_TRUE(Said("Device not perform\rFLASH operation!"));
    ASSERT_EQ(ProfileWindow(), editor); // still on line
    Control("cmdfault 1 off");

    editor->ESpd->WrValore(2500);
    Control("silent 1 on");
    editor->BApply->click();
    EXPECT_TRUE(WaitFor([] { return ProfileWindow() == nullptr; }));
    EXPECT_FALSE(window_->Driver().Online());
}

} // namespace
} // namespace kelm::test
