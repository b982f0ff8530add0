#include "ToolFixture.h"

#include "core/drive/TDriver.h"
#include "core/seams/Messages.h"
#include "ui/drive/SelectDrive.h"
#include "ui/drive/TFConnectD.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

namespace kelm::test {

namespace {

// The simulated line, counting the opens of its port.
class CountingChannel final : public sim::SimChannel {
public:
    CountingChannel(std::shared_ptr<sim::Engine> engine, int& opens)
        : SimChannel(std::move(engine)), opens_(opens) {}
    bool Open(const QString& path) override { return ++opens_, SimChannel::Open(path); }

private:
    int& opens_;
};

} // namespace

void ToolFixture::SetUp() {
    ClearTerminateRequest();
    const QDir shipped(QStringLiteral(KELM_RUNTIME_DIR "/Bin"));
    QDir(install_.path()).mkpath(QStringLiteral("Bin"));
    for (const QString& name : shipped.entryList(QDir::Files))
        QFile::copy(shipped.filePath(name), install_.path() + QStringLiteral("/Bin/") + name);
    dialogs_ = std::make_unique<ScriptedDialogs>();
}

void ToolFixture::TearDown() {
    window_.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    dialogs_.reset();
    ClearTerminateRequest();
    if (previousScan_)
        InstallLinkPortScan(*previousScan_);
}

void ToolFixture::ScanLinkPorts(LinkPortScan scan) {
    const LinkPortScan previous = InstallLinkPortScan(std::move(scan));
    if (!previousScan_)
        previousScan_ = previous;
}

void ToolFixture::BuildEngine(sim::SimKind kind) {
    BuildSim(kind, Folder() + QStringLiteral("Bin"));
}

void ToolFixture::ShowWindow(ShellFlows flows) {
    MakeWindow(std::move(flows), {QStringLiteral("kelmdrive"), QStringLiteral("travik")});
    window_->resize(1000, 700);
    window_->show();
}

void ToolFixture::MakeWindow(ShellFlows flows, QStringList arguments) {
    PrincipaleOptions options;
    options.ExecutableFolder = Folder();
    options.SettingsFile = Folder() + QStringLiteral("settings.ini");
    options.Arguments = std::move(arguments);
    options.MakeChannel = [this, engine = engine] {
        auto channel = std::make_unique<CountingChannel>(engine, portOpens_);
        channel_ = channel.get();
        return channel;
    };
    options.OpenExternal = [this](const QString& path) { return launched_ << path, true; };
    options.StartDelayMs = 20;
    options.BootPauseMs = 100;
    CompleteFlows(flows);
    window_ = std::make_unique<TFPrincipale>(std::move(flows), std::move(options));
}

void ToolFixture::ShowOnline(ShellFlows flows) {
    {
        ScriptedDialogs start; // over dialogs_ until the window is on line
        start.OnNextDialog(EnterNumber(QStringLiteral("1")));
        start.OnNextDialog([](QDialog& dialog) { ScriptedDialogs::WaitClosed(dialog, 30000); });
        ShowWindow(std::move(flows));
        ASSERT_TRUE(WaitFor([this] { return window_->Started(); }));
        ASSERT_TRUE(WaitFor([this] {
            return window_->Driver().Online() && window_->Driver().Mode() == WorkerMode::StatusPoll;
        }));
        ASSERT_EQ(start.PendingCount(), 0);
    }
    messages_.Clear();
}

void ToolFixture::ShowCancelled(ShellFlows flows) {
    dialogs_->SetDefaultDialogHandler([](QDialog& dialog) {
        if (qobject_cast<TFConnectD*>(&dialog))
            ScriptedDialogs::WaitClosed(dialog, 30000);
    });
    dialogs_->OnNextDialog([](QDialog& dialog) { dialog.reject(); });
    const std::size_t before = dialogs_->Executed().size();
    ShowWindow(std::move(flows));
    ASSERT_TRUE(
        WaitFor([&] { return window_->Started() && dialogs_->Executed().size() > before; }));
}

void ToolFixture::SelectWith(ScriptedDialogs::DialogHandler handler,
                             ScriptedDialogs::DialogHandler next) {
    dialogs_->OnNextDialog(std::move(handler));
    if (next)
        dialogs_->OnNextDialog(std::move(next));
    window_->Run(Command::SelectDrive);
}

ScriptedDialogs::DialogHandler ToolFixture::EnterNumber(const QString& number) {
    return [number](QDialog& d) {
        auto& dialog = static_cast<TFSelectDriver&>(d);
        dialog.EId->setText(number);
        dialog.BStdOk->click();
    };
}

int ToolFixture::Executed(const char* className) const {
    int count = 0;
    for (const auto& record : dialogs_->Executed())
        count += record.ClassName == QLatin1String(className);
    return count;
}

} // namespace kelm::test
