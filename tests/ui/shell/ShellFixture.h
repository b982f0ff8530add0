#pragma once

#include "core/drive/TDriver.h"
#include "ui/diagnostic/ToolFixture.h"

#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace kelm::test {

// A window flow that puts an empty widget named `name` into the frame (deleted on close)
// and counts the windows it made.
inline std::function<void(ShellHost&)> FakeWindowFlow(const QString& name, int* created = nullptr) {
    return [name, created](ShellHost& shell) {
        if (created)
            ++*created;
        auto* widget = new QWidget;
        widget->setObjectName(name);
        QMdiSubWindow* sub = shell.Frame()->addSubWindow(widget);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->show();
    };
}

// A main window on an in-memory simulated plain drive at address 1 (the window's Com1),
// built but not shown, at the level its arguments give.
class ShellFixture : public ToolFixture {
protected:
    void SetUp() override {
        ToolFixture::SetUp();
        BuildEngine(sim::SimKind::Std);
    }
    // Builds the window (not shown). With everyWindow, a window or the port dialog not in
    // flows is an empty stand-in (commands stay disabled without their window); other flows
    // left empty use the main window's fallbacks.
    void Build(ShellFlows flows = {}, QStringList arguments = {QStringLiteral("kelmdrive")},
               bool everyWindow = true) {
        for (QString name :
             {"TFCompDev", "TFCompDevDrive", "TFDiagnostic", "TFProfile", "TFOscillo", "TFGenInfo",
              "MotorPhasing", "SpeedOffset", "TorqueOffset"})
            if (everyWindow && !flows.Windows.count(name))
                flows.Windows[name] = FakeWindowFlow(name);
        if (everyWindow && !flows.ComSettings)
            flows.ComSettings = [](ShellHost&, bool) { return false; };
        MakeWindow(std::move(flows), std::move(arguments));
    }
    // Selects the drive at address 1 through the fallback selection and reads the table.
    void GoOnline() {
        window_->Run(Command::SelectDrive);
        ASSERT_TRUE(window_->Driver().Online());
        ASSERT_EQ(window_->StatusPanelText(StatusPanel::LineState), QStringLiteral("On Line"));
    }
    // Takes shipped files out of the installation (before Build).
    void LeaveOut(const QStringList& names) {
        for (const QString& name : names)
            QFile::remove(Folder() + QStringLiteral("Bin/") + name);
    }
};

} // namespace kelm::test
