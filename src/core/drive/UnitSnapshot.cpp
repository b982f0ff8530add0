#include "core/drive/UnitSnapshot.h"

#include "core/drive/TDriver.h"
#include "core/link/ModbusMaster.h"

namespace kelm {

UnitSnapshot UnitSnapshot::Take(TDriver& driver) {
    UnitSnapshot snapshot;
    const ModbusMaster& master = driver.Master();
    snapshot.unit_ = driver.CurrentUnit();
    snapshot.settings_ = master.CurrentSettings();
    snapshot.portOpen_ = master.IsPortOpen();
    snapshot.state_ = driver.Connection().State();
    snapshot.table_ = driver.ActiveTable();
    return snapshot;
}

bool UnitSnapshot::Restore(TDriver& driver) const {
    driver.WaitIdle();
    ModbusMaster& master = driver.Master();
    const bool samePort = master.IsPortOpen() && master.GetPort() == unit_.Port &&
                          master.IsLinkMode() == unit_.Link &&
                          master.CurrentSettings().BaudRate == settings_.BaudRate &&
                          master.CurrentSettings().ParityCode == settings_.ParityCode;
    bool portBack = true;
    if (!portOpen_) {
        master.ClosePort();
    } else if (!samePort) {
        master.ClosePort();
        portBack =
            master.OpenPort(unit_.Port, settings_.BaudRate, unit_.Link, settings_.ParityCode);
    }
    if (driver.CurrentKind() != unit_.Kind)
        driver.SelectDeviceKind(unit_.Kind, false);
    driver.ActiveTable().CopyFrom(table_);
    master.SelectUnit(unit_.Address);
    SessionState state = state_;
    state.Online = state_.Online && portBack && master.IsLinkReady();
    state.Overview = false;
    driver.Connection().Restore(state);
    return portBack;
}

} // namespace kelm
