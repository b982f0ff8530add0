#pragma once

#include "core/drive/WorkerMode.h"
#include "core/files/Comparison.h"
#include "core/machine/RestoreCheck.h"
#include "core/params/ParamTable.h"

#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace kelm {

class TDriver;

// How one whole-table transfer of the unit in use ended.
struct TransferOutcome {
    bool Done = false;      // completed with the unit on line
    int Steps = 0;          // registers transferred
    bool Cancelled = false; // the user (or a stop signal) ended it: the run stops
};

// What the front end lends a machine run: its way of running one transfer (kelmctl waits
// for it, the program shows its progress dialog) and of following the units.
struct MachineFrontEnd {
    std::function<TransferOutcome(bool write, TransferTarget target)> Transfer;
    // A unit's turn begins: index among count units.
    std::function<void(int index, int count, std::uint8_t address)> UnitStarted;
    // The restore's checks passed (Forcible may name what force let through): the last
    // question before the first write. Not set: the restore goes on.
    std::function<bool(const RestoreVerdict& verdict)> ConfirmRestore;
};

// One unit's line of a run's report.
struct UnitReport {
    std::uint8_t Address = 0;
    DeviceKind Kind = DeviceKind::Drive;
    bool Ok = false;
    QString Text; // "restored", "missing: it does not answer", "30 of 73 registers written", ...
};

struct BackupResult {
    bool LinkAnswered = false;
    bool Cancelled = false;
    MachineManifest Manifest; // complete when every unit's files were written
    bool FilesWritten = false;
    std::vector<UnitReport> Units;
    int MissingUnits() const;
};

struct UnitComparison {
    MachineUnit Unit;
    Comparison Rows;
    int Different() const;
};
struct CompareResult {
    QStringList Trouble; // units that could not be compared, and why
    bool Cancelled = false;
    std::vector<UnitComparison> Units;
    bool AnyDifferent() const;
};

struct RestoreResult {
    QStringList Trouble; // before the check: the link did not answer, a bad manifest
    RestoreVerdict Verdict;
    bool Started = false; // the check passed and writing began
    bool Cancelled = false;
    std::vector<UnitReport> Units;
    bool AllRestored() const;
};

// Backup, comparison and restore of every unit of a Tarn link, through the drive model's
// own one-unit steps: the whole-table transfers, the device and profiles files, the
// comparison. The driver must be on a port open in link mode. The unit in use changes
// from unit to unit; every write of a unit goes out under an origin asked for that unit
// when its turn begins, named by `action`.
class MachineRunner {
public:
    MachineRunner(TDriver& driver, MachineFrontEnd frontEnd);

    // Saves every answering unit into folder (the caller's temporary folder).
    BackupResult Backup(const QString& folder, const MachinePort& port, const QString& toolVersion);
    // Compares every unit of the backup with its parameter file.
    CompareResult Compare(const QString& folder, const MachineManifest& manifest);
    // Checks the link and every file first; writes nothing unless the check passes (with
    // force: replaced units and values outside limits too).
    RestoreResult Restore(const QString& folder, const MachineManifest& manifest, bool force,
                          const QString& action);

private:
    struct LinkRef {
        std::uint8_t Address = 0;
        DeviceKind Kind = DeviceKind::Drive;
    };
    std::optional<std::vector<LinkRef>> ScanLink();
    // Makes the unit the one in use and probes it quietly: true when it answers.
    bool Select(const LinkRef& unit);
    TransferOutcome Read(TransferTarget target);
    // Select, then its table (and its profiles when asked); not Done when it is silent.
    TransferOutcome SelectAndRead(const LinkRef& unit, bool withProfiles);
    // Tells the front end which unit of how many is next.
    void Started(int index, int count, std::uint8_t address);
    MachineIdentity Identity() const;
    UnitReport WriteUnit(const QString& folder, const MachineUnit& unit, const ParamTable& table,
                         const QString& action, bool& cancelled);

    TDriver& driver_;
    MachineFrontEnd frontEnd_;
};

} // namespace kelm
