#pragma once

#include "core/drive/TDriver.h"
#include "ui/diagnostic/ToolFixture.h"

#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace kelm::test {

// A main window on an in-memory simulated plain drive at address 1 (the window's Com1),
// built but not shown, at the level its arguments give. Progress dialogs run to their end.
class ShellFixture : public ToolFixture {
protected:
    void SetUp() override {
        ToolFixture::SetUp();
        BuildEngine(sim::SimKind::Std);
        dialogs_->SetDefaultDialogHandler([](QDialog& dialog) {
            if (qobject_cast<TFConnectD*>(&dialog))
                ScriptedDialogs::WaitClosed(dialog, 30000);
        });
    }
    // Builds the window (not shown). The command windows not in flows are empty stand-ins
    // in the frame; the other flows left empty are the program's selection and transfers
    // and do-nothing stand-ins.
    void Build(ShellFlows flows = {}, QStringList arguments = {QStringLiteral("kelmdrive")}) {
        for (QString name :
             {"TFCompDev", "TFCompDevDrive", "TFDiagnostic", "TFProfile", "TFOscillo", "TFGenInfo",
              "MotorPhasing", "SpeedOffset", "TorqueOffset"})
            if (!flows.Windows.count(name))
                flows.Windows[name] = FakeWindowFlow(name);
        MakeWindow(std::move(flows), std::move(arguments));
    }
    // Drive > Select Drive: the drive at address 1, its table read.
    void GoOnline() {
        SelectWith(EnterNumber(QStringLiteral("1")));
        ASSERT_TRUE(window_->Driver().Online());
        ASSERT_EQ(window_->StatusPanelText(StatusPanel::LineState), QStringLiteral("On Line"));
    }
    // Runs `command` with its questions answered by `answers`; the boxes it showed.
    QStringList RunAnswering(Command command, std::initializer_list<bool> answers) {
        messages_.Clear();
        messages_.ScriptAnswers(answers);
        window_->Run(command);
        return messages_.Texts();
    }
    // Flows whose drive selection only counts itself in selections_.
    ShellFlows CountingSelections() {
        ShellFlows flows;
        flows.SelectDrive = [this](ShellHost&) { ++selections_; };
        return flows;
    }
    // The main window lays itself out for a line state the drive model took (as when a
    // transfer fails), with nothing of the poll in between.
    void LineGoes(bool online) {
        window_->Driver().SetOnline(online);
        window_->ConfigureForDevice();
    }
    // Takes shipped files out of the installation (before Build).
    void LeaveOut(const QStringList& names) {
        for (const QString& name : names)
            QFile::remove(Folder() + QStringLiteral("Bin/") + name);
    }

    int selections_ = 0;
};

} // namespace kelm::test
