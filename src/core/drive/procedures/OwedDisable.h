#pragma once

#include "core/drive/WriteGate.h"

#include <QString>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

namespace kelm {

class TDriver;

// The closing requests a procedure could not write to the unit it ran on (the line was
// lost, or another unit was in use by then): the disable request of a phasing and the
// withdrawal of its request bit. They are safety writes for that unit alone, kept until
// the line answers again.
struct OwedDisable {
    UnitInUse Unit;
    QString Action;                   // the procedure ("Motor Phasing")
    std::uint16_t DisableRequest = 0; // 0: nothing to disable (offset tuning)
    std::uint16_t Control = 0;
    std::uint16_t Bit = 0;          // request bit to withdraw while the drive still holds it
    std::uint16_t ZeroRegister = 0; // set back to 0 (the speed reference a step left)
};

// What the user is told when the owed requests could not be written.
QString OwedDisableText(const OwedDisable& owed);

// The owed requests, at most one per unit (a later one replaces an earlier one).
class OwedDisables {
public:
    void Add(const OwedDisable& owed);
    // Takes out what is owed to unit.
    std::optional<OwedDisable> Take(const UnitInUse& unit);
    bool Owed(const UnitInUse& unit) const;
    bool Empty() const;
    void Clear();

private:
    mutable std::mutex mutex_;
    std::vector<OwedDisable> owed_;
};

// The record of the process (there is one drive model per process).
OwedDisables& ProcessOwedDisables();

// Right after the line answers again (a selection that found the drive, a command line
// that got its line back), before anything else is sent: writes what is owed to the unit
// now in use, once: the disable request, then the request bit withdrawn if the drive still
// holds it. Nothing owed to this unit: true, nothing sent. A request that cannot be written
// is reported (OwedDisableText) and not tried again; false then. Stops the worker while it
// writes and puts the previous mode back.
bool SettleOwedDisable(TDriver& driver, OwedDisables& owed = ProcessOwedDisables());

// The closing writes themselves on the unit in use, under an origin of now; see
// SettleOwedDisable. withdrawAlways: write the control register without the bit even when
// the drive no longer holds it (a failed read counts as 0). Returns what is still owed.
std::optional<OwedDisable> WriteClosingRequests(TDriver& driver, const OwedDisable& closing,
                                                bool withdrawAlways);

} // namespace kelm
