// TDriver: writing back changed entries, the command-register handshake and the commands
// built on it.
#include "core/common/Ticks.h"
#include "core/drive/DriveOwnedRegisters.h"
#include "core/drive/DriverHost.h"
#include "core/drive/TDriver.h"
#include "core/drive/scope/ScopeRegisters.h"
#include "core/seams/Messages.h"

#include <QStringList>
#include <algorithm>
#include <utility>

namespace kelm {

namespace {

constexpr std::uint32_t CommandTimeoutMs = 3000;

// The command the bits of the command register ask for, as the journal names it.
QString CommandName(std::uint16_t bits) {
    static const std::pair<std::uint16_t, const char*> names[] = {
        {TDriver::CmdReloadEeprom, "Load Data From EEPROM"},
        {TDriver::CmdSaveEeprom, "Save Data To EEPROM"},
        {TDriver::CmdLoadDefaults, "Load Default Data"},
        {TDriver::CmdSpeedOffset, "Speed Offset"},
        {TDriver::CmdSaveProfiles, "Save Profiles To Flash"},
        {TDriver::CmdLoadProfiles, "Load Profiles From Flash"},
        {TDriver::CmdReset, "Reset Drive"},
        {TDriver::CmdTorqueOffset, "Torque Offset"},
    };
    QStringList parts;
    for (const auto& [bit, name] : names)
        if ((bits & bit) != 0)
            parts << QLatin1String(name);
    return parts.isEmpty() ? QStringLiteral("Command 0x%1").arg(bits, 0, 16)
                           : parts.join(QStringLiteral(", "));
}

} // namespace

TDriver::CommandMark::CommandMark(TDriver& driver, const QString& name) : driver_(driver) {
    const std::lock_guard lock(driver_.commandMutex_);
    previous_ = std::exchange(driver_.command_, name);
}

TDriver::CommandMark::~CommandMark() {
    const std::lock_guard lock(driver_.commandMutex_);
    driver_.command_ = previous_;
}

bool TDriver::WriteChangedParams() {
    return WriteChanged(activeTable_, true, -1);
}

bool TDriver::WriteParams(const std::vector<std::uint16_t>& addresses) {
    if (!Online())
        return false;
    WaitIdle();
    for (ParamEntry& entry : activeTable_) {
        if (!Online())
            break;
        if (std::find(addresses.begin(), addresses.end(), entry.Address) == addresses.end())
            continue;
        if (IsDriveOwned(currentKind_, entry.Address)) {
            entry.Value = entry.DriveValue;
            continue;
        }
        if (entry.Value != entry.DriveValue)
            WriteEntry(entry, true, 100);
    }
    if (!Online())
        RunSynchronized([this] { host_.ConfigureForDevice(); });
    SetMode(WorkerMode::StatusPoll);
    return Online();
}

bool TDriver::WriteChangedProfiles() {
    return WriteChanged(profileTable_, true, -1);
}

// The scope control register starts the recorder, so it goes last, after the settings it
// depends on.
bool TDriver::WriteChangedScopeSettings() {
    return WriteChanged(scopeSettingsTable_, false, scope::Command);
}

bool TDriver::WriteChanged(ParamTable& table, bool stopWhenOffline, int lastAddress) {
    if (!Online())
        return false;
    WaitIdle();
    const bool activeTable = &table == &activeTable_;
    for (ParamEntry& entry : table) {
        if (stopWhenOffline && !Online())
            break;
        if (static_cast<int>(entry.Address) == lastAddress)
            continue;
        // The drive's own values are never sent back: the last value read stands.
        if ((activeTable && IsDriveOwned(currentKind_, entry.Address)) ||
            (&table == &scopeSettingsTable_ && scope::IsSetByDrive(entry.Address))) {
            entry.Value = entry.DriveValue;
            continue;
        }
        if (entry.Value != entry.DriveValue)
            WriteEntry(entry, true, 100);
    }
    if (lastAddress >= 0) {
        ParamEntry* last = table.FindByAddress(static_cast<std::uint16_t>(lastAddress));
        if (last != nullptr && last->Value != last->DriveValue)
            WriteEntry(*last, true, 100);
    }
    if (!Online())
        RunSynchronized([this] { host_.ConfigureForDevice(); });
    SetMode(WorkerMode::StatusPoll);
    return Online();
}

bool TDriver::ExecCommand(std::uint16_t bits) {
    if (!Online())
        return false;
    const KindRegisters regs = Registers();
    ParamEntry* command = activeTable_.FindByAddress(regs.Command);
    ParamEntry* status = activeTable_.FindByAddress(regs.Status);
    if (command == nullptr || status == nullptr)
        return false;
    // Every command of the drive model passes here: the journal records it once, by name.
    const CommandMark mark(*this, CommandName(bits));

    if (!ReadEntry(*command, true, 100, true))
        return false;
    std::uint16_t word = static_cast<std::uint16_t>(command->DriveValue) | bits;
    if (!WriteReg(regs.Command, word, true, 200, nullptr))
        return false;

    // The drive clears the bits when it has finished; poll without pause.
    const std::uint32_t start = TickCount();
    while ((word & bits) != 0 && TickCount() - start < CommandTimeoutMs) {
        std::uint16_t reply = 0;
        if (ReadRegs(regs.Command, &reply, false, 100, 1, nullptr))
            word = reply;
        if (!Online())
            return false;
    }
    if ((word & bits) != 0)
        return false;

    if (!ReadEntry(*status, true, 100, true))
        return false;
    return (static_cast<std::uint16_t>(status->DriveValue) & 0x01) == 0;
}

bool TDriver::EepromCommand(std::uint16_t bits, WindowsToClose windows) {
    if (!Online())
        return false;
    WaitIdle();
    host_.CloseChildWindows(windows);
    const bool ok = ExecCommand(bits);
    if (!ok)
        ShowError(QStringLiteral("Device not perform\rEEPROM operation!"));
    // After a reload or defaults the caller reads the whole table, which restarts polling.
    if ((bits & CmdSaveEeprom) != 0 || !ok)
        SetMode(WorkerMode::StatusPoll);
    return ok;
}

bool TDriver::FlashCommand(std::uint16_t bits) {
    if (!Online())
        return false;
    WaitIdle();
    const bool ok = ExecCommand(bits);
    if (!ok)
        ShowError(QStringLiteral("Device not perform\rFLASH operation!"));
    SetMode(WorkerMode::StatusPoll);
    return ok;
}

bool TDriver::ResetDrive() {
    if (!Online())
        return false;
    WaitIdle();
    const bool ok = ExecCommand(CmdReset);
    SetMode(WorkerMode::StatusPoll);
    return ok;
}

bool TDriver::ResetAlarms() {
    if (!Online())
        return false;
    const WorkerMode previous = WaitIdle();
    const KindRegisters regs = Registers();
    for (const std::uint16_t address : {regs.HistoricAlarmLow, regs.HistoricAlarmHigh}) {
        ParamEntry* entry = activeTable_.FindByAddress(address);
        if (entry == nullptr)
            continue;
        entry->Value = 0;
        WriteEntry(*entry, true, 100);
    }
    // Restore what ran before; nothing ran: stay idle.
    if (previous != WorkerMode::Idle)
        SetMode(previous);
    return Online();
}

} // namespace kelm
