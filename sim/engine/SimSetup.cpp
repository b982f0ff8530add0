#include "sim/engine/SimSetup.h"

#include "sim/engine/LinkIdentities.h"
#include "sim/engine/behaviours/CommandHandshake.h"
#include "sim/engine/behaviours/DriveProcedures.h"
#include "sim/engine/behaviours/EepromImage.h"
#include "sim/engine/behaviours/HistoricAlarms.h"
#include "sim/engine/behaviours/LiveStatus.h"
#include "sim/engine/behaviours/Motor.h"
#include "sim/engine/behaviours/ProfileFlash.h"
#include "sim/engine/behaviours/ResetCommand.h"
#include "sim/engine/behaviours/ScopeRecorder.h"

namespace kelm::sim {

namespace {

const ParamTable& TableOf(const KindTables& tables, DeviceKind kind) {
    return tables[static_cast<std::size_t>(KindIndex(kind))];
}

// The default of a register in a table, or nothing when the table does not name it.
std::optional<int> DefaultOf(const ParamTable& table, std::uint16_t address) {
    const ParamEntry* entry = table.FindByAddress(address);
    if (entry == nullptr) {
        return std::nullopt;
    }
    return entry->DefaultValue;
}

} // namespace

std::vector<DeviceKind> KindsNeeded(SimKind kind) {
    switch (kind) {
    case SimKind::Orca:
        return {DeviceKind::Orca230, DeviceKind::Power};
    case SimKind::Link:
        return {DeviceKind::Power, DeviceKind::Drive};
    case SimKind::Std:
        break;
    }
    return {DeviceKind::Std};
}

bool LoadTablesFor(SimKind kind, const QString& binFolder, KindTables& tables, QString& error) {
    for (const DeviceKind needed : KindsNeeded(kind)) {
        if (!LoadKindTable(needed, binFolder, tables[static_cast<std::size_t>(KindIndex(needed))],
                           error)) {
            return false;
        }
    }
    return true;
}

std::unique_ptr<Device> MakeDevice(DeviceKind kind, std::uint8_t address, const ParamTable& table,
                                   const SetupOptions& options, std::uint32_t nowMs) {
    auto device = std::make_unique<Device>(kind, address, table);
    device->AddBehaviour(std::make_unique<EepromImage>(options.eepromFile), nowMs);
    auto& handshake = static_cast<CommandHandshake&>(
        device->AddBehaviour(std::make_unique<CommandHandshake>(options.commandDelayMs), nowMs));
    device->AddBehaviour(std::make_unique<ResetCommand>(), nowMs);
    device->AddBehaviour(std::make_unique<HistoricAlarms>(), nowMs);
    if (device->Layout().hasProfiles) {
        device->AddBehaviour(std::make_unique<ProfileFlash>(), nowMs);
    }
    if (kind != DeviceKind::Power) {
        // The motor steps before the recorder and the live values look at it.
        device->AddBehaviour(std::make_unique<Motor>(), nowMs);
        device->AddBehaviour(std::make_unique<ScopeRecorder>(), nowMs);
    }
    if (kind != DeviceKind::Power) {
        device->AddBehaviour(std::make_unique<DriveProcedures>(), nowMs);
        handshake.SetLeftBits(DriveProcedures::AllBits);
    }
    device->AddBehaviour(std::make_unique<LiveStatus>(), nowMs);
    // Model code: --model, else the configured default, else the kind's usual model.
    int model = options.model;
    if (model < 0) {
        model = DefaultOf(table, 0).value_or(0);
        model = model != 0 ? model & 0xFFFF : device->Layout().defaultModel;
    }
    device->Registers().Set(0, static_cast<std::uint16_t>(model));
    return device;
}

std::unique_ptr<Engine> BuildEngine(const SetupOptions& options, const KindTables& tables,
                                    std::uint32_t nowMs, QString& error) {
    if (options.kind == SimKind::Std) {
        if (options.address == 0) {
            error = QStringLiteral("address 0 is the broadcast address");
            return nullptr;
        }
        auto engine = std::make_unique<Engine>(FrameVariant::Plain);
        Device& device = engine->AddDevice(MakeDevice(
            DeviceKind::Std, options.address, TableOf(tables, DeviceKind::Std), options, nowMs));
        // Register 2 shows the address the drive answers to.
        device.Registers().Set(StdAddressRegister, options.address);
        if (auto* eeprom = device.Find<EepromImage>()) {
            eeprom->Adopt(device, StdAddressRegister);
        }
        return engine;
    }

    const ParamTable& power = TableOf(tables, DeviceKind::Power);
    const std::optional<int> base = DefaultOf(power, PowerBaseAddressRegister);
    auto engine = std::make_unique<Engine>(FrameVariant::Link);
    if (options.kind == SimKind::Orca) {
        Device& orca =
            engine->AddDevice(MakeDevice(DeviceKind::Orca230, OrcaLinkAddress,
                                         TableOf(tables, DeviceKind::Orca230), options, nowMs));
        // The tool identifies the unit at the link's base address before it switches to 2.
        if (base && *base > 0 && *base < 256) {
            orca.AddAlias(static_cast<std::uint8_t>(*base));
        }
        orca.Registers().Set(OrcaSignatureRegister, OrcaSignatureLow);
        orca.Registers().Set(OrcaSignatureRegister + 1, OrcaSignatureHigh);
        return engine;
    }

    if (!base || *base <= 0 || *base > 254) {
        error = QStringLiteral("the Power configuration gives no valid base address (register 4)");
        return nullptr;
    }
    Device& powerUnit = engine->AddDevice(
        MakeDevice(DeviceKind::Power, static_cast<std::uint8_t>(*base), power, options, nowMs));
    // Without --units the link has as many Drive units as the Power unit says it has
    // (its EEPROM image, else the configured default).
    const int units =
        options.units >= 0 ? options.units : powerUnit.Registers().Get(PowerUnitCountRegister);
    if (*base + units > 255) {
        error = QStringLiteral("%1 Drive units do not fit after address %2").arg(units).arg(*base);
        return nullptr;
    }
    powerUnit.Registers().Set(PowerUnitCountRegister, static_cast<std::uint16_t>(units));
    if (auto* eeprom = powerUnit.Find<EepromImage>()) {
        eeprom->Adopt(powerUnit, PowerUnitCountRegister);
    }
    for (int i = 1; i <= units; ++i) {
        engine->AddDevice(MakeDevice(DeviceKind::Drive, static_cast<std::uint8_t>(*base + i),
                                     TableOf(tables, DeviceKind::Drive), options, nowMs));
    }
    NumberLinkUnits(*engine);
    return engine;
}

} // namespace kelm::sim
