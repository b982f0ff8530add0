#pragma once

#include "sim/engine/Engine.h"

#include <QString>
#include <cstdint>
#include <limits>
#include <set>
#include <vector>

namespace kelm::test {

// What a user asked of the line, kept by the random walk itself (it knows nothing of the
// program's gate): which unit the screen showed, which registers the action may write, and
// the time span in which its writes may arrive.
struct AskedWrite {
    QString Action;
    int Unit = -1;
    std::set<std::uint16_t> Registers;
    std::uint32_t From = 0;
    std::uint32_t Until = std::numeric_limits<std::uint32_t>::max(); // open while pending
};

// What the screen showed from a moment on: the unit's address, -1 while "Off Line".
struct ShownUnit {
    std::uint32_t Ms = 0;
    int Unit = -1;
};

// The oracle: every write the simulator received belongs to an action the walk performed on
// the unit shown at that moment, to a register that action may write, and arrived before
// the next change of state.
class WriteOracle {
public:
    void Shown(std::uint32_t ms, int unit) {
        if (shown_.empty() || shown_.back().Unit != unit)
            shown_.push_back({ms, unit});
    }
    int ShownAt(std::uint32_t ms) const {
        int unit = -1;
        for (const ShownUnit& s : shown_)
            if (s.Ms <= ms)
                unit = s.Unit;
        return unit;
    }
    void Ask(AskedWrite asked) { asks_.push_back(std::move(asked)); }
    // A change of state: every pending request ends here.
    void Transition(std::uint32_t ms) {
        for (AskedWrite& a : asks_)
            if (a.Until > ms)
                a.Until = ms;
    }
    // Closes an immediate action's span.
    void Done(std::uint32_t ms) {
        if (!asks_.empty() && asks_.back().Until > ms)
            asks_.back().Until = ms;
    }

    // The first write that breaks the rules, described; empty when none.
    QString Check(const std::vector<sim::ExchangeRecord>& records) const {
        for (const sim::ExchangeRecord& r : records) {
            if (r.function != 16)
                continue;
            const int shown = ShownAt(r.ms);
            if (shown != r.address)
                return QStringLiteral("write of register %1 to unit %2 at %3 ms while the screen "
                                      "showed unit %4")
                    .arg(r.firstRegister)
                    .arg(r.address)
                    .arg(r.ms)
                    .arg(shown);
            if (!Explained(r))
                return QStringLiteral("write of register %1 (%2 registers) to unit %3 at %4 ms "
                                      "that no action asked for")
                    .arg(r.firstRegister)
                    .arg(r.count)
                    .arg(r.address)
                    .arg(r.ms);
        }
        return {};
    }

private:
    bool Explained(const sim::ExchangeRecord& r) const {
        for (const AskedWrite& a : asks_) {
            if (a.Unit != r.address || r.ms < a.From || r.ms > a.Until)
                continue;
            bool all = true;
            for (int i = 0; i < std::max<int>(r.count, 1); ++i)
                all = all && a.Registers.count(static_cast<std::uint16_t>(r.firstRegister + i));
            if (all)
                return true;
        }
        return false;
    }

    std::vector<ShownUnit> shown_;
    std::vector<AskedWrite> asks_;
};

} // namespace kelm::test
