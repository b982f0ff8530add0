#include "ToolFixture.h"

#include "core/common/Ticks.h"
#include "core/drive/TDriver.h"
#include "core/seams/Messages.h"
#include "sim/channel/SimChannel.h"
#include "sim/engine/ControlCommands.h"
#include "ui/drive/SelectDrive.h"
#include "ui/drive/TFConnectD.h"
#include "ui/drive/TFSelectDriver.h"

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
    sim::SetupOptions options;
    options.kind = kind;
    sim::KindTables tables;
    QString error;
    ASSERT_TRUE(sim::LoadTablesFor(kind, Folder() + QStringLiteral("Bin"), tables, error))
        << error.toStdString();
    engine_ = std::shared_ptr<sim::Engine>(sim::BuildEngine(options, tables, TickCount(), error));
    ASSERT_TRUE(engine_) << error.toStdString();
    engine_->SetObserver([this](const sim::ExchangeRecord& record) {
        const std::lock_guard lock(recordsMutex_);
        records_.push_back(record);
    });
}

void ToolFixture::ShowWindow(ShellFlows flows) {
    // Commands are disabled without their window: empty ones stand in.
    for (QString name : {"TFGenInfo", "TFOscillo", "TFProfile"})
        if (!flows.Windows.count(name))
            flows.Windows[name] = [](ShellHost&) {};
    MakeWindow(std::move(flows), {QStringLiteral("kelmdrive"), QStringLiteral("travik")});
    window_->resize(1000, 700);
    window_->show();
}

void ToolFixture::MakeWindow(ShellFlows flows, QStringList arguments) {
    PrincipaleOptions options;
    options.ExecutableFolder = Folder();
    options.SettingsFile = Folder() + QStringLiteral("settings.ini");
    options.Arguments = std::move(arguments);
    std::shared_ptr<sim::Engine> engine = engine_;
    options.MakeChannel = [this, engine] {
        auto channel = std::make_unique<CountingChannel>(engine, portOpens_);
        channel_ = channel.get();
        return channel;
    };
    options.OpenExternal = [this](const QString& path) { return launched_ << path, true; };
    options.StartDelayMs = 20;
    options.BootPauseMs = 100;
    window_ = std::make_unique<TFPrincipale>(std::move(flows), std::move(options));
}

void ToolFixture::ShowOnline(ShellFlows flows) {
    ShowWindow(std::move(flows));
    ASSERT_TRUE(WaitFor([this] { return window_->Started(); }));
    ASSERT_TRUE(WaitFor(
        [this] { return window_->Driver().Online() && window_->Driver().ModeLetter() == 'I'; }));
    messages_.Clear();
}

void ToolFixture::ShowCancelled(ShellFlows flows) {
    if (!flows.SelectDrive)
        flows.SelectDrive = &SelectDrive;
    if (!flows.RunTransfer)
        flows.RunTransfer = &TFConnectD::RunTransfer;
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

void ToolFixture::Control(const QString& line) {
    auto lock = engine_->Lock();
    const sim::ControlResult result = sim::ApplyControlCommand(*engine_, line, TickCount());
    EXPECT_TRUE(result.ok) << result.message.toStdString();
}

std::uint16_t ToolFixture::SimRegister(std::uint8_t address, std::uint16_t reg) {
    auto lock = engine_->Lock();
    sim::Device* device = engine_->FindDevice(address);
    return device != nullptr ? device->Registers().Get(reg) : 0;
}

void ToolFixture::SetSimRegister(std::uint8_t address, std::uint16_t reg, std::uint16_t value) {
    auto lock = engine_->Lock();
    if (sim::Device* device = engine_->FindDevice(address))
        device->Registers().Set(reg, value);
}

std::vector<sim::ExchangeRecord> ToolFixture::Records() {
    const std::lock_guard lock(recordsMutex_);
    return records_;
}

void ToolFixture::ClearRecords() {
    const std::lock_guard lock(recordsMutex_);
    records_.clear();
}

} // namespace kelm::test
