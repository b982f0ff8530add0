// TDriver: construction, start-up loading and kind selection.
#include "core/common/Ticks.h"
#include "core/config/ConfigurationSet.h"
#include "core/drive/DriveWorker.h"
#include "core/drive/DriverHost.h"
#include "core/drive/LineRunner.h"
#include "core/drive/MasterUseCheck.h"
#include "core/drive/TDriver.h"
#include "core/drive/TableTransfer.h"
#include "core/drive/scope/ScopeRegisters.h"

#include <algorithm>

namespace kelm {

namespace {

constexpr std::uint16_t FirstProfileRegister = 256;
constexpr std::uint16_t LastProfileRegister = 831;
constexpr std::uint16_t LastScopeRegister = 50013;

} // namespace

TDriver::TDriver(DriverHost& host, ModbusMaster& master)
    : host_(host), master_(master), config_(std::make_unique<ConfigurationSet>()),
      profileTable_(ParamTable::MakeSynthetic(QStringLiteral("P"), FirstProfileRegister,
                                              LastProfileRegister)),
      scopeSettingsTable_(
          ParamTable::MakeSynthetic(QStringLiteral("O"), scope::Command, LastScopeRegister)),
      masterCheck_(std::make_unique<MasterUseCheck>()),
      transfer_(std::make_unique<TableTransfer>(*this)),
      lineRunner_(std::make_unique<LineRunner>()),
      worker_(std::make_unique<DriveWorker>(
          [this](WorkerMode mode) { WorkerStep(mode); },
          [this] { tickMark_ = std::max<std::uint32_t>(TickCount(), 1); })) {}

TDriver::~TDriver() {
    // Bring the worker to rest while processing events (it may be waiting on a
    // synchronized call), then stop it before anything it uses goes away.
    WaitIdle();
    worker_.reset();
    // Going off line clears the mode without touching a pending pause; the host
    // must not call PauseElapsed on a driver that is gone.
    host_.StopPauseTimer();
}

bool TDriver::Initialize(const QString& installFolder, const QString& devicesFolder) {
    if (!config_->LoadAtDriverStart(installFolder, devicesFolder))
        return false;
    SelectDeviceKind(DeviceKind::Std, false);
    return true;
}

ParamTable& TDriver::KindTable(DeviceKind kind) {
    return config_->KindTable(kind);
}

void TDriver::SelectDeviceKind(DeviceKind kind, bool storeFirst) {
    if (storeFirst)
        StoreActiveTable();
    // Numbers outside 1..3 select Std.
    kind = DeviceKindFromNumber(static_cast<int>(kind));
    activeTable_.Clear();
    if (currentKind_ != kind)
        Gate().Advance();
    currentKind_ = kind;
    activeTable_.CopyFrom(config_->KindTable(kind));
    config_->SelectKindLists(kind);
}

void TDriver::StoreActiveTable() {
    config_->KindTable(currentKind_).UpdateValuesFrom(activeTable_);
}

} // namespace kelm
