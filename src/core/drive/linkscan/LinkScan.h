#pragma once

#include "core/drive/linkscan/LinkUnit.h"

#include <functional>
#include <vector>

namespace kelm {

class TDriver;

// Addresses of a link: the Power unit at Base (DefaultValue of register 4 of the Power
// configuration), the Drive units at Base + 1 ... Base + DriveUnits (Value of register 6).
struct LinkLayout {
    int Base = 0;
    int DriveUnits = 0;
};
LinkLayout LinkLayoutOf(const ParamTable& powerTable);

// The link object of the overview: the units, their panels' data, and the link scan of
// mode LinkPoll, which polls one unit per paced cycle on the worker: the unit is polled as a
// copy there, and the copy replaces the unit on the user-interface thread (through the
// synchronized call), so the units change only on that thread. Every read here uses report
// off and a 100 ms time-out: a silent unit is only shown as silent.
class LinkScan {
public:
    static constexpr std::uint32_t ReplyTimeoutMs = 100;

    explicit LinkScan(TDriver& driver);
    // Takes the poll and start bodies of mode LinkPoll off the drive model.
    ~LinkScan();
    LinkScan(const LinkScan&) = delete;
    LinkScan& operator=(const LinkScan&) = delete;

    // Builds the Power unit (answering, variant from register 11 of the Power
    // configuration) and the Drive units, each probed once with register 103; every unit's
    // identification is marked as not read so that the first scan reads it. unitBuilt runs
    // after each unit (index 0 = Power unit).
    void Build(const std::function<void(int index)>& unitBuilt);
    // Installs the poll body and start body of mode LinkPoll on the drive model.
    void Install();
    // Called after every step with the index of the unit polled (user-interface thread).
    void SetUnitUpdated(std::function<void(int index)> fn) { unitUpdated_ = std::move(fn); }

    // Mode LinkPoll entered: the next step wraps to the first unit.
    void Restart() { currentIndex_ = static_cast<int>(units_.size()); }
    // One scan step: the next unit is polled and its panel data refreshed.
    void Step();

    std::vector<LinkUnit>& Units() { return units_; }
    const std::vector<LinkUnit>& Units() const { return units_; }
    int CurrentIndex() const { return currentIndex_; }
    std::uint32_t RunningTime() const { return runningTime_; }
    // Index of the unit with this address, -1 when none.
    int IndexOf(std::uint8_t address) const;

private:
    bool Read(LinkUnit& unit, std::uint16_t first, std::uint8_t count);
    bool ReadIdent(LinkUnit& unit);
    void PollPower(LinkUnit& unit);
    void PollDrive(LinkUnit& unit);
    void Probe(LinkUnit& unit);

    TDriver& driver_;
    std::vector<LinkUnit> units_;
    int currentIndex_ = 0;
    std::uint32_t runningTime_ = 0;
    bool installed_ = false;
    std::function<void(int)> unitUpdated_;
};

} // namespace kelm
