#pragma once

#include "core/drive/WriteGate.h"
#include "core/rules/IoRules.h"

#include <array>
#include <functional>
#include <optional>

namespace kelm {

// What the digital I/O page was asked to write and has not written yet: per input a force
// or release request (the next status poll carries it as a bit of a mask), and the speed
// slider's position (written when its 200 ms window has passed or the drag ends). Each
// request keeps the origin it was asked at; one whose origin is no longer current when its
// turn comes is dropped, never written. The page's widgets only show these requests.
class DigitalRequests {
public:
    // Whether an origin is still current (TDriver::StillCurrent).
    using Current = std::function<bool(const WriteOrigin&)>;
    static constexpr std::int64_t ThrottleMs = 200;

    // A click on the switch of row: replaces any request of that row.
    void Force(int row, SwitchRequest request, const WriteOrigin& origin);
    bool ForcePending(int row) const;
    // The masks of the requests still current; every force request is consumed.
    RequestMasks TakeMasks(const Current& current);

    struct Speed {
        int Position = 0;
        WriteOrigin Origin;
    };
    // A slider move at nowMs (dragging: the thumb is held). True when the position is due
    // now: a step of the keyboard or wheel, or the first move of a drag after its window
    // has passed (which opens the next window).
    bool MoveSpeed(int position, const WriteOrigin& origin, bool dragging, std::int64_t nowMs);
    bool SpeedPending() const { return speed_.has_value(); }
    // The pending position when its origin is still current; consumed either way. The end
    // of a drag also closes its window.
    std::optional<Speed> TakeSpeed(const Current& current, bool dragEnded = false);

    // A transition of the session or the page closing: nothing pending survives.
    void DropAll();

private:
    struct ForceRequest {
        SwitchRequest Request = SwitchRequest::None;
        WriteOrigin Origin;
    };
    std::array<ForceRequest, DigitalRowCount> force_{};
    std::optional<Speed> speed_;
    std::int64_t windowStart_ = -1; // ms mark of the drag's current window, -1 when none
};

} // namespace kelm
