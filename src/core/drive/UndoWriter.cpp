#include "core/drive/UndoWriter.h"

#include "core/drive/DriveOwnedRegisters.h"
#include "core/drive/TDriver.h"
#include "core/drive/WriteGate.h"

namespace kelm {

QStringList UndoProblems(const TDriver& driver, const UndoPlan& plan) {
    QStringList problems;
    for (const UndoWrite& write : plan.Writes) {
        const ParamEntry* entry = driver.ActiveTable().FindByAddress(write.Register);
        if (entry != nullptr && (write.Value < entry->MinValue || write.Value > entry->MaxValue))
            problems << QStringLiteral("%1 (%2): %3, limits %4 to %5")
                            .arg(entry->Name)
                            .arg(write.Register)
                            .arg(write.Value)
                            .arg(entry->MinValue)
                            .arg(entry->MaxValue);
    }
    return problems;
}

UndoOutcome WriteUndo(TDriver& driver, const UndoPlan& plan) {
    UndoOutcome outcome;
    if (plan.Refused()) {
        outcome.Failure = plan.Refusal;
        return outcome;
    }
    if (const QStringList problems = UndoProblems(driver, plan); !problems.isEmpty()) {
        outcome.Failure =
            QStringLiteral("values outside their limits: ") + problems.join(QStringLiteral("; "));
        return outcome;
    }
    if (!driver.Online()) {
        outcome.Failure = QStringLiteral("the drive is not on line");
        return outcome;
    }
    const WriteOrigin origin = driver.Ask(plan.Action);
    driver.WaitIdle();
    std::vector<std::uint16_t> addresses;
    bool ok = true;
    {
        const WriteGate::Scope scope(driver.Gate(), origin);
        for (const UndoWrite& write : plan.Writes) {
            ParamEntry* entry = driver.ActiveTable().FindByAddress(write.Register);
            // Only the table's settings go back: a register outside it (a raw write) has no
            // limits to check and its write would not be journalled.
            if (entry == nullptr) {
                outcome.LeftOut << QStringLiteral("register %1: not a parameter of the table, "
                                                  "not written back")
                                       .arg(write.Register);
                continue;
            }
            if (IsDriveOwned(driver.CurrentKind(), write.Register)) {
                outcome.LeftOut << QStringLiteral("%1 (%2): the drive's own register, not "
                                                  "written back")
                                       .arg(entry->Name)
                                       .arg(write.Register);
                continue;
            }
            // What the drive holds now decides whether the write is needed.
            ok = ok && driver.ReadEntry(*entry, true, 100, false);
            entry->Value = static_cast<std::int16_t>(write.Value);
            addresses.push_back(write.Register);
        }
        ok = ok && driver.WriteParams(addresses);
    }
    if (!ok)
        driver.SetMode(WorkerMode::StatusPoll);
    for (const std::uint16_t address : addresses) {
        ParamEntry* entry = driver.ActiveTable().FindByAddress(address);
        outcome.Written += entry->DriveValue == entry->Value ? 1 : 0;
        entry->Value = entry->DriveValue; // the table shows what the drive holds
    }
    outcome.Ok = ok && driver.Online();
    if (!outcome.Ok)
        outcome.Failure = driver.StillCurrent(origin) ? QStringLiteral("the drive did not answer")
                                                      : WriteGate::DroppedNote(plan.Action);
    return outcome;
}

} // namespace kelm
