// The profile editor's wiring on a simulated drive: fields to the session, the speed check,
// Apply, flash, files, the speed page's limit and the drive going off line. The rules are
// ProfileSessionTest's.
#include "ToolFixture.h"

#include "core/drive/TDriver.h"
#include "ui/drive/TFConnectD.h"
#include "ui/pages/DialogPage.h"
#include "ui/pages/DialogPages.h"
#include "ui/profile/ProfileWindow.h"
#include "ui/profile/TFProfile.h"
#include "ui/widgets/ChildFrame.h"
#include "ui/widgets/TPNumEdit.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace kelm::test {
namespace {

constexpr std::uint16_t Task1 = 320, Task5 = 384, Task6 = 400;

class ProfileEditorTest : public ToolFixture {
protected:
    void SetUp() override {
        ToolFixture::SetUp();
        BuildEngine(sim::SimKind::Std);
        SetSimRegister(1, 31, 8000);        // the speed limit
        SetSimRegister(1, Task1 + 2, 7000); // over the maximum position speed
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
    template <typename W = TPNumEdit> W* Find(const char* name) {
        return editor->findChild<W*>(QString::fromLatin1(name));
    }
    void Click(const char* name) { Find<QPushButton>(name)->click(); }
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

TEST_F(ProfileEditorTest, FieldsApplyFlashFilesAndGoingOffLine) {
    EXPECT_EQ((QStringList{Find<QLineEdit>("MSpeed")->text(), Find("ESpd")->text()}),
              (QStringList{"6000", "7000"}));
    EXPECT_TRUE(Said("Speed Value Over Max Speed !\rSpeed = 7000\rMax Position Speed = 6000"));

    // Task 5 chained to 6: only the changed registers go out.
    ClearRecords();
    Find<QComboBox>("CActProf")->setCurrentIndex(4);
    Find<QComboBox>("CSucc")->setCurrentIndex(6);
    Find<QComboBox>("CActProf")->setCurrentIndex(5);
    Find("ESpd")->WrValore(2000);
    EXPECT_TRUE(Writes().empty()); // kept until Apply
    Click("BApply");
    EXPECT_EQ(Writes(), (std::vector<std::uint16_t>{Task5 + 8, Task6 + 2}));
    if (const QString shots = qEnvironmentVariable("KELM_SCREENSHOT_DIR"); !shots.isEmpty())
        ChildFrame(editor)->grab().save(shots + QStringLiteral("/TFProfile-task6.png"));
    Find("EAcc")->WrValore(1200);
    Click("BCancel");
    EXPECT_FALSE(Find("ESpd")->IsMarked() || Find("EAcc")->RdValore() == 1200);

    messages_.SetDefaultAnswer(true);
    Click("BSaveFl");
    SetSimRegister(1, Task6 + 2, 100);
    Click("BLoadFl");
    EXPECT_TRUE(Said("Profiles Saved !") && Said("Profiles Data Loaded !"));
    EXPECT_EQ(Find("ESpd")->text(), "2000");

    // Saved, then opened on a drive holding another value: the file reaches the drive.
    const QString file = Folder() + QStringLiteral("chain.bcp");
    dialogs_->AnswerNextFile(file);
    Click("BSaveAs");
    SetSimRegister(1, Task6 + 2, 100);
    dialogs_->AnswerNextFile(file);
    Click("BOpen");
    EXPECT_EQ(SimRegister(1, Task6 + 2), 2000);

    // The speed page's Apply hands the new limit on.
    OpenSpeedPage(*window_);
    DialogPage* speed = OpenDialogPage(QStringLiteral("TFSpeed"));
    ASSERT_NE(speed, nullptr);
    speed->findChild<TPNumEdit*>(QStringLiteral("ESpeed"))->setText(QStringLiteral("3000"));
    ASSERT_TRUE(speed->Apply());
    EXPECT_EQ(Find<QLineEdit>("MSpeed")->text(), "3000");

    Find("ESpd")->WrValore(2500);
    Control("silent 1 on");
    Click("BApply");
    EXPECT_TRUE(WaitFor([] { return ProfileWindow() == nullptr; }));
    EXPECT_FALSE(window_->Driver().Online());
}

} // namespace
} // namespace kelm::test
