#pragma once

#include "core/common/DeviceKind.h"
#include "core/params/ParamTable.h"

#include <QLocale>
#include <QString>
#include <array>
#include <cstdint>

namespace kelm {

// Register addresses of the live values of a drive-like kind (Std, Orca230, Drive).
struct StatusRegisters {
    std::uint16_t Speed;
    std::uint16_t Angle;
    std::uint16_t Current;
    std::uint16_t BusVoltage;
    std::uint16_t Temperature;
    std::uint16_t PositionHigh;
    std::uint16_t PositionLow;
    std::array<std::uint16_t, 2> Selector;    // selected signal of analog output 1 / 2
    std::array<std::uint16_t, 2> OutputValue; // value of analog output 1 / 2
    std::uint16_t DriveState;                 // bit 0 = enabled
    std::uint16_t EnableRequest;
    std::uint16_t DisableRequest;
};

// Std and Orca230 share their numbers; every kind other than Drive maps to them.
StatusRegisters StatusRegistersOf(DeviceKind kind);

// Everything the status panel shows after one poll, already formatted. Built from the
// DriveValue column only.
struct StatusView {
    DeviceKind Kind = DeviceKind::Std;
    // Drive status group (Std, Orca230, Drive).
    QString Speed, Angle, Current, BusVoltage, Temperature, Position;
    std::int32_t PositionValue = 0;
    std::array<int, 2> SelectorValue{}; // register value the selectors follow
    std::array<QString, 2> OutputValue;
    bool DriveEnabled = false;
    // Orca230 extra rows and LCD copy.
    QString IqRef, I2tRegen, Lcd1, Lcd2;
    // Power status group.
    QString PowerBusVoltage, BackupVoltage, PowerCurrent, I2tCurrent, PowerI2tRegen,
        PowerTemperature;
    bool Alarm = false;
};

// A missing register reads as 0.
StatusView BuildStatusView(const ParamTable& table, DeviceKind kind, const QLocale& locale);

} // namespace kelm
