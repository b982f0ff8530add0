#pragma once

#include "core/files/ScopeRecording.h"

#include <QDateTime>
#include <QString>
#include <vector>

namespace kelm {

// One loop setting as it stood when a record was taken.
struct GainValue {
    QString Name; // as the legend shows it, e.g. "Speed KI"
    int Value = 0;
    bool operator==(const GainValue&) const = default;
};
using GainSnapshot = std::vector<GainValue>;

// A record held for comparison: both channels as they were shown, when it was taken, and
// the loop settings of that moment (empty for a record opened from a file).
struct ReferenceTrace {
    ScopeRecording Record;
    QDateTime Captured;
    GainSnapshot Gains;
    QString Source; // the file it came from; empty when held from the live record
    int Number = 0; // "Ref N", given by the set, never reused while the set lives
};

// The references of one chart: at most Capacity, the oldest replaced by a new one. They are
// shown or hidden together.
class ReferenceSet {
public:
    static constexpr int Capacity = 4;

    // Keeps the reference. Returns the number of the one it replaced (0 when none was).
    int Hold(ReferenceTrace reference);
    void Clear() { references_.clear(); }
    void SetShown(bool shown) { shown_ = shown; }
    bool Shown() const { return shown_; }
    const std::vector<ReferenceTrace>& All() const { return references_; }
    bool Empty() const { return references_.empty(); }

    // "Ref 2  14:03:07  Speed KI 200 (100)": the number, the time taken, and each setting
    // that differs from the live record's, with the live value in brackets.
    static QString Legend(const ReferenceTrace& reference, const GainSnapshot& live);
    // The settings of `held` that differ from `live` (a setting live lacks counts as
    // differing), as "Name value (live value)" joined by ", ".
    static QString GainDifferences(const GainSnapshot& held, const GainSnapshot& live);

private:
    std::vector<ReferenceTrace> references_; // oldest first
    bool shown_ = true;
    int nextNumber_ = 1;
};

} // namespace kelm
