#pragma once

#include <QString>
#include <cstdint>
#include <functional>

namespace kelm {

// COM numbers (1 = COM1) as the program and its files speak of them, and the Linux device
// paths behind them. A number resolves, first match wins, through:
//   1. the environment variable KELM_COM<n> holding a device path;
//   2. the mapping of the settings store (a lookup returning "" for unmapped numbers);
//   3. the default rule:
//        COM1..COM20  -> /dev/ttyS0..ttyS19
//        COM21..COM30 -> /dev/ttyUSB0..ttyUSB9
//        COM31..COM40 -> /dev/ttyACM0..ttyACM9
//      Other numbers have no default device.
// The reverse direction (device path -> COM number, used by link-port discovery) checks the
// same three sources in the same order.
class PortNames {
public:
    using Mapping = std::function<QString(int comNumber)>;

    static constexpr int MaxComNumber = 255;

    PortNames() = default;
    explicit PortNames(Mapping mapping) : mapping_(std::move(mapping)) {}

    // The device path of a COM number; empty when nothing maps it.
    QString DevicePath(int comNumber) const;
    // The COM number of a device path; 0 when none maps to it.
    int ComNumber(const QString& devicePath) const;

    static QString DefaultDevicePath(int comNumber);
    static int DefaultComNumber(const QString& devicePath);
    static QString EnvironmentName(int comNumber); // "KELM_COM<n>"

private:
    QString ExplicitPath(int comNumber) const;

    Mapping mapping_;
};

} // namespace kelm
