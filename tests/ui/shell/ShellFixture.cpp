#include "ShellFixture.h"

#include "core/drive/TDriver.h"

#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace kelm::test {

std::function<void(ShellHost&)> FakeWindowFlow(const QString& name, int* created) {
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

void ShellFixture::SetUp() {
    ToolFixture::SetUp();
    BuildEngine(sim::SimKind::Std);
}

void ShellFixture::Build(ShellFlows flows, QStringList arguments, bool everyWindow) {
    // Commands stay disabled without their window: stand in an empty one for each.
    for (QString name : {"TFCompDev", "TFCompDevDrive", "TFDiagnostic", "TFProfile", "TFOscillo",
                         "TFGenInfo", "MotorPhasing", "SpeedOffset", "TorqueOffset"})
        if (everyWindow && !flows.Windows.count(name))
            flows.Windows[name] = FakeWindowFlow(name);
    if (everyWindow && !flows.ComSettings)
        flows.ComSettings = [](ShellHost&, bool) { return false; };
    MakeWindow(std::move(flows), std::move(arguments));
}

void ShellFixture::GoOnline() {
    window_->Run(Command::SelectDrive);
    ASSERT_TRUE(window_->Driver().Online());
    ASSERT_EQ(window_->StatusPanelText(StatusPanel::LineState), QStringLiteral("On Line"));
}

void ShellFixture::LeaveOut(const QStringList& names) {
    for (const QString& name : names)
        QFile::remove(Folder() + QStringLiteral("Bin/") + name);
}

} // namespace kelm::test
