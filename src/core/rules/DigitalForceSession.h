#pragma once

#include "core/rules/DigitalRequests.h"

#include <array>

namespace kelm {

// What the digital I/O page decides between status polls, without its widgets: whether it
// is live, the two refreshes it counts down before it is, the state each input's switch
// shows (and whether it springs back), and the requests kept for later (DigitalRequests).
//
// The page is live from the second refresh after it is shown or comes back on line until
// it goes off line or closes. Off line and at closing every pending request is dropped.
class DigitalForceSession {
public:
    enum class Phase { Starting, Live, OffLine };

    explicit DigitalForceSession(bool online) : phase_(online ? Phase::Starting : Phase::OffLine) {}

    bool Live() const { return phase_ == Phase::Live; }
    Phase CurrentPhase() const { return phase_; }

    // The page was shown. True when the countdown starts now (the caller polls at once).
    bool Show();
    // The line went: nothing pending survives, nothing is live until the line comes back.
    void GoOffLine();
    // The line came back. True when the page was off line: it starts over (and counts
    // down at once when it is shown already, see Counting).
    bool Restart();
    // Counting the two refreshes down: each refresh is to follow at once.
    bool Counting() const { return countdown_ != 0; }
    // Returns whether a slider position was pending (it is dropped with everything else).
    bool Close();

    // What a status refresh does with the inputs' hardware and effective states.
    struct Refresh {
        bool Counted = false;   // a countdown refresh: the switches were set from the states
        bool PollAgain = false; // the countdown goes on: poll at once
        bool BecameLive = false;
        bool MasksTaken = false; // a live refresh: Masks go out with this poll
        RequestMasks Masks;
    };
    using States = std::array<bool, DigitalRowCount>;
    Refresh OnRefresh(const States& hardware, const States& effective,
                      const DigitalRequests::Current& current);

    // The switch of row shows on (checked).
    bool SwitchOn(int row) const { return InRange(row) && switches_[Index(row)].On; }
    bool Momentary(int row) const { return InRange(row) && switches_[Index(row)].Momentary; }
    // The row's function makes its switch a push button (momentary) or a force switch.
    void SetSwitchType(int row, bool momentary);
    // A click that leaves the switch at on; kept with its origin until the next live
    // refresh. False (nothing kept) while the page is not live.
    bool Click(int row, bool on, const WriteOrigin& origin);

    DigitalRequests& Requests() { return requests_; }
    const DigitalRequests& Requests() const { return requests_; }

private:
    struct Switch {
        bool On = false;
        bool Momentary = false;
    };
    static bool InRange(int row) { return row >= 0 && row < DigitalRowCount; }
    static std::size_t Index(int row) { return static_cast<std::size_t>(row); }

    Phase phase_;
    int countdown_ = 0;
    bool shown_ = false;
    std::array<Switch, DigitalRowCount> switches_{};
    DigitalRequests requests_;
};

} // namespace kelm
