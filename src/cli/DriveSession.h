#pragma once

#include "cli/CommandLine.h"
#include "cli/ConnectionOptions.h"
#include "core/common/DeviceKind.h"
#include "core/drive/CliDriverHost.h"
#include "core/drive/TDriver.h"
#include "core/drive/UnsavedChanges.h"
#include "core/drive/WriteJournal.h"
#include "core/link/ModbusMaster.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <optional>

namespace kelm::cli {

// Text in the local encoding, for printing.
QByteArray Local(const QString& text);

// The --kind word of a kind ("std", "power", "drive", "orca230").
const char* KindWord(DeviceKind kind);

// A connected drive model: the master on the chosen line, a windowless host, the driver
// with the configuration of the Bin folder beside kelmctl, and the kind the drive is.
class DriveSession {
public:
    DriveSession() = default;
    DriveSession(const DriveSession&) = delete;
    DriveSession& operator=(const DriveSession&) = delete;
    // A drive lost during the command: name the address and the port tried.
    ~DriveSession();

    // The option every drive command takes beside the connection options.
    static void AddOptions(CommandLine& line);

    // Takes --kind, the connection options and the positional words of a parsed command
    // line. Returns 0 when they are well formed, else the exit code.
    int Open(const CommandLine& line);

    // Connects (after the caller checked its arguments) and identifies the drive as the
    // drive selection does; a --kind the drive contradicts is refused before anything but
    // the identification reads is sent. 0 or the exit code.
    int Connect();

    // The first half of Connect: the port opened and the driver made, nothing sent yet
    // (a machine command then walks the units of the link itself). 0 or the exit code.
    int OpenDriver();

    // Connect for a feature the Tarn Power unit does not have (named in the refusal).
    int ConnectTo(const char* feature);

    // After a lost line: opens the port again and reads quietly until the drive answers
    // (true, the driver back on line), limitMs passes or a stop signal comes.
    bool AwaitLine(int limitMs);

    // A whole-table transfer through the worker, waiting for its end. true when it ended
    // with its completion and the drive still on line. A stop signal ends it after the
    // register in hand, saying how far it got ("41 of 73 registers written; ...").
    // steps (when given) receives the number of registers transferred.
    bool Transfer(bool write, TransferTarget target, const QString& label, int* steps = nullptr);

    bool ReadTable() {
        return Transfer(false, TransferTarget::ActiveTable,
                        QStringLiteral("Reading from device Nr. "));
    }

    std::optional<DeviceKind> RequestedKind() const { return requested_; } // --kind
    TDriver& Driver() { return *driver_; }
    DeviceKind Kind() const { return kind_; }
    const QString& PortText() const { return portText_; }
    unsigned Address() const { return connection_.Address; }
    const QStringList& Words() const { return words_; }
    bool LinkMode() const { return connection_.LinkMode; }
    // The drive as the journal names it, read once at connection.
    const JournalIdentity& Identity() const { return identity_; }
    QString KindText() const;

private:
    // What the drive is: a plain port carries a plain drive; on a link the identification
    // reads find the Power unit, its Drive units or a Tarn Orca 230. nullopt after printing
    // why (nothing answers, no unit at the address).
    std::optional<DeviceKind> Identify();

    std::optional<DeviceKind> requested_; // --kind
    DeviceKind kind_ = DeviceKind::Std;
    QStringList words_;
    ConnectionOptions connection_;
    QString portText_;
    JournalIdentity identity_;
    bool wasOnline_ = false;
    QTemporaryDir devices_;
    std::unique_ptr<ModbusMaster> master_;
    CliDriverHost host_;
    std::unique_ptr<WriteJournal> journal_;
    UnsavedChanges unsaved_;          // reported at the end for the reminder to save to EEPROM
    std::unique_ptr<TDriver> driver_; // last: goes before the master and the host
};

// Parses the command line into the session and checks that exactly `count` positional
// words remain. nullopt when the command goes on, else its exit code.
std::optional<int> Prepare(DriveSession& session, CommandLine& line, const QStringList& arguments,
                           int count);

// --timeout S of the commands that wait for the drive.
inline constexpr int MaxTimeoutS = 3600;
void AddTimeoutOption(CommandLine& line, int fallback);

} // namespace kelm::cli
