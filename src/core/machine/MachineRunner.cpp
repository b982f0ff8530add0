#include "core/machine/MachineRunner.h"

#include "core/common/KindDescriptor.h"
#include "core/drive/DriveOwnedRegisters.h"
#include "core/drive/LinkIdentification.h"
#include "core/drive/TDriver.h"
#include "core/drive/TableTransfer.h"
#include "core/drive/WriteGate.h"
#include "core/drive/linkscan/LinkScan.h"
#include "core/files/DeviceFile.h"
#include "core/files/ProfilesFile.h"
#include "core/link/ModbusMaster.h"
#include "core/params/LimitCheck.h"
#include "core/rules/UnitIdentity.h"

#include <QDir>
#include <algorithm>

namespace kelm {
namespace {

constexpr std::uint32_t ProbeTimeoutMs = 100;

// The registers a whole-table write of target sends, among the first `steps` of the table.
int SentCount(const TDriver& driver, const ParamTable& table, TransferTarget target, int steps) {
    const auto last = table.begin() + std::clamp(steps, 0, table.Count());
    return static_cast<int>(std::count_if(table.begin(), last, [&](const ParamEntry& entry) {
        return target == TransferTarget::Profiles ? entry.SentByTableWrite()
                                                  : IsSentByTableWrite(driver.CurrentKind(), entry);
    }));
}

UnitReport ReportFor(std::uint8_t address, DeviceKind kind) {
    UnitReport report;
    report.Address = address;
    report.Kind = kind;
    return report;
}

QString FilePath(const QString& folder, const MachineFile& file) {
    return QDir(folder).filePath(file.Name);
}

} // namespace

int BackupResult::MissingUnits() const {
    return static_cast<int>(std::count_if(Manifest.Units.begin(), Manifest.Units.end(),
                                          [](const MachineUnit& unit) { return unit.Missing; }));
}

int UnitComparison::Different() const {
    return static_cast<int>(
        std::count_if(Rows.Rows().begin(), Rows.Rows().end(),
                      [](const auto& row) { return row.State() == RowState::Different; }));
}

bool CompareResult::AnyDifferent() const {
    return std::any_of(Units.begin(), Units.end(),
                       [](const UnitComparison& unit) { return unit.Different() > 0; });
}

bool RestoreResult::AllRestored() const {
    return Started && !Cancelled &&
           std::all_of(Units.begin(), Units.end(), [](const UnitReport& unit) { return unit.Ok; });
}

MachineRunner::MachineRunner(TDriver& driver, MachineFrontEnd frontEnd)
    : driver_(driver), frontEnd_(std::move(frontEnd)) {}

std::optional<std::vector<MachineRunner::LinkRef>> MachineRunner::ScanLink() {
    driver_.SelectDeviceKind(DeviceKind::Power, false);
    const LinkIdentity link = IdentifyLink(driver_);
    if (!link.Answered || link.Orca)
        return std::nullopt;
    std::vector<LinkRef> units{{link.PowerAddress, DeviceKind::Power}};
    const LinkLayout layout = LinkLayoutOf(driver_.KindTable(DeviceKind::Power));
    for (int i = 1; i <= layout.DriveUnits; ++i)
        units.push_back({static_cast<std::uint8_t>(layout.Base + i), DeviceKind::Drive});
    return units;
}

bool MachineRunner::Select(const LinkRef& unit) {
    ModbusMaster& master = driver_.Master();
    if (!master.IsPortOpen())
        master.ReopenPort();
    driver_.SelectDeviceKind(unit.Kind, false);
    master.SelectUnit(unit.Address);
    driver_.SetOnline(false);
    driver_.SetOnline(master.IsLinkReady());
    // The link overview's probe: one quiet read that a silent unit does not answer.
    const std::uint16_t probe = unit.Kind == DeviceKind::Power ? 11 : 103;
    std::uint16_t word = 0;
    const bool answers = driver_.ReadRegs(probe, &word, false, ProbeTimeoutMs, 1, nullptr);
    if (!answers)
        driver_.SetOnline(false);
    return answers;
}

TransferOutcome MachineRunner::Read(TransferTarget target) {
    return frontEnd_.Transfer(false, target);
}

TransferOutcome MachineRunner::SelectAndRead(const LinkRef& unit, bool withProfiles) {
    if (!Select(unit))
        return {};
    TransferOutcome read = Read(TransferTarget::ActiveTable);
    if (read.Done && withProfiles)
        read = Read(TransferTarget::Profiles);
    return read;
}

void MachineRunner::Started(int index, int count, std::uint8_t address) {
    if (frontEnd_.UnitStarted)
        frontEnd_.UnitStarted(index, count, address);
}

MachineIdentity MachineRunner::Identity() const {
    const JournalIdentity id = IdentityOf(driver_.CurrentKind(), driver_.ActiveTable());
    return {id.Model, id.Size, id.Firmware};
}

BackupResult MachineRunner::Backup(const QString& folder, const MachinePort& port,
                                   const QString& toolVersion) {
    BackupResult result;
    // Local time with its offset from UTC, so the manifest's date reads the same anywhere.
    result.Manifest.Date = QDateTime::currentDateTime();
    result.Manifest.Date.setOffsetFromUtc(result.Manifest.Date.offsetFromUtc());
    result.Manifest.ToolVersion = toolVersion;
    result.Manifest.Port = port;
    const auto units = ScanLink();
    if (!units)
        return result;
    result.LinkAnswered = true;
    result.FilesWritten = true;
    const int count = static_cast<int>(units->size());
    for (int i = 0; i < count && !result.Cancelled; ++i) {
        const LinkRef& ref = (*units)[static_cast<std::size_t>(i)];
        Started(i, count, ref.Address);
        MachineUnit unit;
        unit.Address = ref.Address;
        unit.Kind = ref.Kind;
        UnitReport report = ReportFor(ref.Address, ref.Kind);
        const TransferOutcome read = SelectAndRead(ref, KeepsProfiles(ref.Kind));
        result.Cancelled = read.Cancelled;
        if (!read.Done) {
            unit.Missing = true;
            report.Text = QStringLiteral("missing: it does not answer");
            result.Manifest.Units.push_back(unit);
            result.Units.push_back(report);
            continue;
        }
        unit.Identity = Identity();
        unit.Parameters.Name = UnitParameterFileName(ref.Address, ref.Kind);
        bool saved =
            SaveDeviceFile(driver_.ActiveTable(), ref.Kind, FilePath(folder, unit.Parameters));
        unit.Parameters.Sha256 = FileSha256(FilePath(folder, unit.Parameters));
        if (saved && KeepsProfiles(ref.Kind)) {
            unit.Profiles.Name = UnitProfilesFileName(ref.Address);
            saved = SaveProfilesFile(driver_.ProfileTable(), FilePath(folder, unit.Profiles));
            unit.Profiles.Sha256 = FileSha256(FilePath(folder, unit.Profiles));
        }
        result.FilesWritten = result.FilesWritten && saved;
        report.Ok = saved;
        report.Text = saved ? QStringLiteral("saved (%1)").arg(unit.Identity.Text())
                            : QStringLiteral("its file could not be written");
        result.Manifest.Units.push_back(unit);
        result.Units.push_back(report);
    }
    return result;
}

CompareResult MachineRunner::Compare(const QString& folder, const MachineManifest& manifest) {
    CompareResult result;
    const auto units = ScanLink();
    if (!units) {
        result.Trouble << QStringLiteral("the link does not answer");
        return result;
    }
    const int count = static_cast<int>(manifest.Units.size());
    for (int i = 0; i < count && !result.Cancelled; ++i) {
        const MachineUnit& saved = manifest.Units[static_cast<std::size_t>(i)];
        Started(i, count, saved.Address);
        if (saved.Missing)
            continue;
        const auto found = std::find_if(units->begin(), units->end(), [&](const LinkRef& ref) {
            return ref.Address == saved.Address;
        });
        if (found == units->end() || found->Kind != saved.Kind) {
            result.Trouble << QStringLiteral("unit %1: the link has no %2 there")
                                  .arg(saved.Address)
                                  .arg(QLatin1String(Describe(saved.Kind).Text));
            continue;
        }
        const TransferOutcome read = SelectAndRead(*found, false);
        result.Cancelled = read.Cancelled;
        if (!read.Done) {
            result.Trouble << QStringLiteral("unit %1: does not answer").arg(saved.Address);
            continue;
        }
        UnitComparison unit{saved, {}};
        unit.Rows.Load(driver_.ActiveTable(), saved.Kind, QString(),
                       FilePath(folder, saved.Parameters));
        result.Units.push_back(std::move(unit));
    }
    return result;
}

RestoreResult MachineRunner::Restore(const QString& folder, const MachineManifest& manifest,
                                     bool force, const QString& action) {
    RestoreResult result;
    // The files first: a changed or unreadable file stops everything before the line is used.
    CheckManifestFiles(manifest, folder, result.Verdict);
    if (!result.Verdict.Refusals.isEmpty())
        return result;
    const auto units = ScanLink();
    if (!units) {
        result.Trouble << QStringLiteral("the link does not answer");
        return result;
    }
    // Every unit is read and its file loaded into a copy of its table: identity, kind and
    // limits are known for all before the first write.
    std::vector<FoundUnit> found;
    std::vector<std::pair<const MachineUnit*, ParamTable>> loaded;
    const int count = static_cast<int>(units->size());
    for (int i = 0; i < count; ++i) {
        const LinkRef& ref = (*units)[static_cast<std::size_t>(i)];
        Started(i, count, ref.Address);
        FoundUnit unit;
        unit.Address = ref.Address;
        unit.Kind = ref.Kind;
        const TransferOutcome read = SelectAndRead(ref, false);
        if (read.Cancelled) {
            result.Cancelled = true;
            return result;
        }
        unit.Answering = read.Done;
        if (unit.Answering)
            unit.Identity = Identity();
        found.push_back(unit);
        const MachineUnit* saved = manifest.Find(ref.Address);
        if (!unit.Answering || saved == nullptr || saved->Missing || saved->Kind != ref.Kind)
            continue;
        ParamTable& table = driver_.ActiveTable();
        const QString path = FilePath(folder, saved->Parameters);
        if (!OpenDeviceFile(table, ref.Kind, path, true)) {
            result.Verdict.Refusals << QStringLiteral("unit %1: %2 cannot be used")
                                           .arg(ref.Address)
                                           .arg(saved->Parameters.Name);
            continue;
        }
        const DeviceKind kind = ref.Kind;
        const auto outside = ValuesOutsideLimits(
            table, [kind](const ParamEntry& e) { return IsSentByTableWrite(kind, e); });
        for (const OutOfLimitValue& value : outside)
            result.Verdict.Forcible << QStringLiteral("unit %1: outside its limits: %2")
                                           .arg(ref.Address)
                                           .arg(OutOfLimitLines({value}));
        ParamTable copy;
        copy.CopyFrom(table);
        loaded.emplace_back(saved, std::move(copy));
    }
    CheckLinkAgainstManifest(manifest, found, result.Verdict);
    if (!result.Verdict.Allowed(force))
        return result;
    if (frontEnd_.ConfirmRestore && !frontEnd_.ConfirmRestore(result.Verdict)) {
        result.Cancelled = true;
        return result;
    }
    result.Started = true;
    for (std::size_t i = 0; i < loaded.size() && !result.Cancelled; ++i) {
        Started(static_cast<int>(i), static_cast<int>(loaded.size()), loaded[i].first->Address);
        result.Units.push_back(
            WriteUnit(folder, *loaded[i].first, loaded[i].second, action, result.Cancelled));
    }
    return result;
}

UnitReport MachineRunner::WriteUnit(const QString& folder, const MachineUnit& unit,
                                    const ParamTable& table, const QString& action,
                                    bool& cancelled) {
    UnitReport report = ReportFor(unit.Address, unit.Kind);
    if (!Select({unit.Address, unit.Kind})) {
        report.Text = QStringLiteral("does not answer: nothing written");
        return report;
    }
    driver_.ActiveTable().CopyFrom(table);
    // Registers the profiles file does not name keep the drive's values.
    const bool profiles = unit.Profiles.IsSet();
    if (profiles) {
        const TransferOutcome read = Read(TransferTarget::Profiles);
        cancelled = read.Cancelled;
        if (!read.Done ||
            !OpenProfilesFile(driver_.ProfileTable(), FilePath(folder, unit.Profiles))) {
            report.Text = QStringLiteral("its profiles could not be read: nothing written");
            return report;
        }
    }
    // Asked now, for this unit: a transition in between (the dialog closed, the line lost)
    // voids the rest of this unit's writes.
    const WriteGate::Scope scope(
        driver_.Gate(), driver_.Ask(QStringLiteral("%1: unit %2").arg(action).arg(unit.Address)));
    for (const TransferTarget target : {TransferTarget::ActiveTable, TransferTarget::Profiles}) {
        if (target == TransferTarget::Profiles && !profiles)
            break;
        const TransferOutcome write = frontEnd_.Transfer(true, target);
        cancelled = write.Cancelled;
        if (!write.Done) {
            const ParamTable& sent =
                target == TransferTarget::Profiles ? driver_.ProfileTable() : driver_.ActiveTable();
            // A unit that fell silent was counted up to the register it did not take.
            const int done = driver_.Online() ? write.Steps : write.Steps - 1;
            report.Text =
                TableTransfer::PartialWriteText(SentCount(driver_, sent, target, done),
                                                SentCount(driver_, sent, target, sent.Count()));
            if (target == TransferTarget::Profiles)
                report.Text = QStringLiteral("parameters written; profiles: ") + report.Text;
            return report;
        }
    }
    report.Ok = true;
    report.Text = QStringLiteral("restored");
    return report;
}

} // namespace kelm
