#include "ShellFixture.h"

#include "core/common/Ticks.h"
#include "core/drive/TDriver.h"
#include "core/seams/Messages.h"
#include "sim/channel/SimChannel.h"
#include "sim/engine/ControlCommands.h"
#include "sim/engine/SimSetup.h"

#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace kelm::test {

TestInstallation::TestInstallation(const QStringList& leaveOut) {
    const QDir shipped(QStringLiteral(KELM_RUNTIME_DIR "/Bin"));
    QDir(dir_.path()).mkpath(QStringLiteral("Bin"));
    for (const QString& name : shipped.entryList(QDir::Files))
        if (!leaveOut.contains(name))
            QFile::copy(shipped.filePath(name), dir_.path() + QStringLiteral("/Bin/") + name);
}

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
    ClearTerminateRequest();
    install_ = std::make_unique<TestInstallation>();
    dialogs_ = std::make_unique<ScriptedDialogs>();
    sim::SetupOptions options;
    sim::KindTables tables;
    QString error;
    ASSERT_TRUE(sim::LoadTablesFor(sim::SimKind::Std, install_->Folder() + QStringLiteral("Bin"),
                                   tables, error))
        << error.toStdString();
    engine_ = std::shared_ptr<sim::Engine>(sim::BuildEngine(options, tables, TickCount(), error));
    ASSERT_TRUE(engine_) << error.toStdString();
}

void ShellFixture::TearDown() {
    window_.reset();
    dialogs_.reset();
    ClearTerminateRequest();
}

void ShellFixture::Build(ShellFlows flows, QStringList arguments, bool everyWindow) {
    // Commands stay disabled without their window: stand in an empty one for each.
    for (QString name : {"TFCompDev", "TFCompDevDrive", "TFDiagnostic", "TFProfile", "TFOscillo",
                         "TFGenInfo", "MotorPhasing", "SpeedOffset", "TorqueOffset"})
        if (everyWindow && !flows.Windows.count(name))
            flows.Windows[name] = FakeWindowFlow(name);
    if (everyWindow && !flows.ComSettings)
        flows.ComSettings = [](ShellHost&, bool) { return false; };
    PrincipaleOptions options;
    options.ExecutableFolder = install_->Folder();
    options.SettingsFile = install_->SettingsFile();
    options.Arguments = std::move(arguments);
    std::shared_ptr<sim::Engine> engine = engine_;
    options.MakeChannel = [engine] { return std::make_unique<sim::SimChannel>(engine); };
    options.OpenExternal = [this](const QString& path) { return launched_ << path, true; };
    options.StartDelayMs = 50;
    options.BootPauseMs = 100;
    window_ = std::make_unique<TFPrincipale>(std::move(flows), std::move(options));
}

void ShellFixture::GoOnline() {
    window_->Run(Command::SelectDrive);
    ASSERT_TRUE(window_->Driver().Online());
    ASSERT_EQ(window_->StatusPanelText(StatusPanel::LineState), QStringLiteral("On Line"));
}

void ShellFixture::Control(const QString& line) {
    auto lock = engine_->Lock();
    const sim::ControlResult result = sim::ApplyControlCommand(*engine_, line, TickCount());
    EXPECT_TRUE(result.ok) << result.message.toStdString();
}

} // namespace kelm::test
