#include "core/rules/DigitalForceSession.h"

namespace kelm {

namespace {
constexpr int RefreshesBeforeLive = 2;
} // namespace

bool DigitalForceSession::Show() {
    if (shown_)
        return false;
    shown_ = true;
    if (phase_ != Phase::Starting)
        return false;
    countdown_ = RefreshesBeforeLive;
    return true;
}

void DigitalForceSession::GoOffLine() {
    phase_ = Phase::OffLine;
    countdown_ = 0;
    requests_.DropAll();
}

bool DigitalForceSession::Restart() {
    if (phase_ != Phase::OffLine)
        return false;
    // The switches are set from two fresh refreshes before anything is live.
    phase_ = Phase::Starting;
    if (shown_)
        countdown_ = RefreshesBeforeLive;
    return true;
}

bool DigitalForceSession::Close() {
    const bool speedPending = requests_.SpeedPending();
    requests_.DropAll();
    return speedPending;
}

DigitalForceSession::Refresh
DigitalForceSession::OnRefresh(const States& hardware, const States& effective,
                               const DigitalRequests::Current& current) {
    Refresh step;
    if (!shown_ || phase_ == Phase::OffLine)
        return step;
    if (countdown_ != 0) {
        step.Counted = true;
        for (int i = 0; i < DigitalInputCount; ++i)
            switches_[Index(i)].On = InitialSwitchState(hardware[Index(i)], effective[Index(i)]);
        if (--countdown_ != 0) {
            step.PollAgain = true;
        } else {
            phase_ = Phase::Live;
            step.BecameLive = true;
        }
        return step;
    }
    // A switch with a request not yet sent keeps what the user made of it.
    for (int i = 0; i < DigitalInputCount; ++i)
        if (!requests_.ForcePending(i)) {
            Switch& s = switches_[Index(i)];
            s.On = ShownSwitchState(s.On, hardware[Index(i)], effective[Index(i)]);
        }
    // The poll writes the masks right after this, in the same cycle: only requests asked
    // since the last transition go into them.
    step.MasksTaken = true;
    step.Masks = requests_.TakeMasks(current);
    return step;
}

void DigitalForceSession::SetSwitchType(int row, bool momentary) {
    if (!InRange(row))
        return;
    Switch& s = switches_[Index(row)];
    if (momentary && !s.Momentary)
        s.On = false;
    s.Momentary = momentary;
}

bool DigitalForceSession::Click(int row, bool on, const WriteOrigin& origin) {
    if (!InRange(row) || !Live())
        return false;
    requests_.Force(row, on ? SwitchRequest::On : SwitchRequest::Off, origin);
    Switch& s = switches_[Index(row)];
    s.On = on && !s.Momentary; // a push button springs back
    return true;
}

} // namespace kelm
