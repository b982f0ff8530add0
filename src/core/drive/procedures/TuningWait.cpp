#include "core/drive/procedures/TuningWait.h"

namespace kelm {

TuningWait::TuningWait(Reader read, std::uint16_t statusRegister, std::uint16_t controlRegister,
                       std::uint16_t bit, bool twoPhase)
    : read_(std::move(read)), statusRegister_(statusRegister), controlRegister_(controlRegister),
      bit_(bit), twoPhase_(twoPhase) {}

bool TuningWait::End(bool success) {
    if (!success)
        lastControl_ |= bit_;
    finished_ = true;
    return false;
}

bool TuningWait::Poll() {
    if (finished_)
        return false;
    if (cancelled_ || !read_(controlRegister_, lastControl_))
        return End(false);
    const bool requested = (lastControl_ & bit_) != 0;
    if (!twoPhase_)
        return requested ? true : End(true);

    if (!read_(statusRegister_, lastStatus_))
        return End(false);
    const bool enabled = (lastStatus_ & 0x01) != 0;
    if (!secondPhase_) {
        if (!(requested && enabled))
            secondPhase_ = true;
        return true;
    }
    return End(!requested && !enabled);
}

QString TuningCaption(std::uint16_t bit) {
    switch (bit) {
    case 0x08:
        return QStringLiteral("Tuning Analog Input 1 (Speed) ...Wait");
    case 0x10:
        return QStringLiteral("Motor Phasing...Wait");
    case 0x100:
        return QStringLiteral("Tuning Analog Input 2 (Torque) ...Wait");
    default:
        return {};
    }
}

void PacedWaiter::Run(TuningWait& wait) {
    std::uint32_t waited = 0;
    while (!wait.Finished()) {
        sleep_(TuningWait::PollMs);
        waited += TuningWait::PollMs;
        if (!wait.Cancelled() && stop_ && stop_()) {
            stopped_ = true;
            wait.Cancel();
        } else if (limitMs_ != 0 && waited >= limitMs_ && !wait.Cancelled()) {
            timedOut_ = true;
            wait.Cancel();
        }
        wait.Poll();
        if (onPoll_)
            onPoll_();
    }
}

} // namespace kelm
