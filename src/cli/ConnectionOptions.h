#pragma once

#include "core/link/ModbusMaster.h"

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>

namespace kelm::cli {

// How a command reaches a drive:
//   [--port N | --device PATH] [--baud B] [--parity none|odd|even]
//   [--address A] [--link]
// (--address 0, the broadcast address, only where the command line accepts it).
// Unset values come from the settings store: COM port, baud rate, parity. In link mode the
// parity is none and the baud rate is 100 times the default of register 5 of the Tarn Power
// configuration in the Bin folder beside the executable. The address defaults to 1.
struct ConnectionOptions {
    std::optional<int> Port; // COM number
    QString DevicePath;      // overrides the COM number's device
    std::optional<std::uint32_t> Baud;
    std::optional<int> Parity; // parity code 0..4
    std::uint8_t Address = 1;
    bool LinkMode = false;
    bool Verbose = false; // say the port, its settings and the adapter's latency
};

// The options above, for a parser: the global ones of kelmctl and those of each command.
QList<QCommandLineOption> ConnectionOptionList();
void AddConnectionOptions(QCommandLineParser& parser);

// Reads the options above from a parser that has parsed. On a bad value prints the reason
// to stderr and returns false.
bool ReadConnectionOptions(const QCommandLineParser& parser, ConnectionOptions& options);

// The link baud rate from binFolder (ending with '/'); nullopt after printing the reason.
std::optional<std::uint32_t> ReadLinkBaudRate(const QString& binFolder);

// Parses an unsigned number: decimal or 0x-prefixed hexadecimal, at most `max`.
std::optional<std::uint32_t> ParseNumber(const QString& text, std::uint32_t max);

// Opens the port as the options say (settings store for the rest) and sets the device
// address. Returns nullptr after printing the reason to stderr. `portText` receives the
// port as ReportNoAnswer names it ("/dev/ttyS0 (COM1)").
std::unique_ptr<ModbusMaster> OpenConnection(const ConnectionOptions& options,
                                             QString* portText = nullptr);

// The line printed when the drive does not answer: the address and the port tried.
void ReportNoAnswer(std::uint8_t address, const QString& portText);

} // namespace kelm::cli
