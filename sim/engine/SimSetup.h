#pragma once

#include "sim/engine/Engine.h"
#include "sim/engine/KindTables.h"

#include <QString>
#include <memory>

namespace kelm::sim {

// What the simulator plays: one plain drive, a Tarn Orca 230 on a link port, or a Tarn
// link (Power unit and its Drive units).
enum class SimKind { Std, Orca, Link };

struct SetupOptions {
    SimKind kind = SimKind::Std;
    std::uint8_t address = 1; // the plain drive's address
    int units = -1;           // link: Drive units; -1 = Power register 6's default
    int model = -1;           // register 0 of every device; -1 = the kind's usual model
    QString eepromFile;       // empty: the EEPROM lives in memory only
    std::uint32_t commandDelayMs = 30;
};

// The kinds whose tables a setup needs (Orca: also Power, for the link's base address).
std::vector<DeviceKind> KindsNeeded(SimKind kind);
// Loads KindsNeeded from binFolder.
bool LoadTablesFor(SimKind kind, const QString& binFolder, KindTables& tables, QString& error);

// One device with the standard behaviours: EEPROM image, command handshake, reset,
// historic alarms, profile flash (kinds with profiles), oscilloscope recorder (not on the
// Power unit), live status.
std::unique_ptr<Device> MakeDevice(DeviceKind kind, std::uint8_t address, const ParamTable& table,
                                   const SetupOptions& options, std::uint32_t nowMs);

// A ready engine. Std: one plain device at options.address. Orca: a link-mode device at
// address 2 (also answering at the Power base address) showing the Orca signature in
// registers 249/250. Link: the Power unit at the Power table's register 4 default A and
// N Drive units at A+1..A+N; the Power unit's register 6 reads N.
// nullptr with `error` set when the tables do not allow it.
std::unique_ptr<Engine> BuildEngine(const SetupOptions& options, const KindTables& tables,
                                    std::uint32_t nowMs, QString& error);

} // namespace kelm::sim
