#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace kelm {

// Remembers that a reply may still be on its way, and decides which request must first wait
// for it. A drive that answers after the master's time-out still answers: its reply arrives
// while a later request waits for its own. A plain read reply names neither the register nor
// the block, so a read of another block of the same size would take it for its own; only such
// reads wait. A link reply names the unit and the register, and a write reply the register
// and the count: an old one passes only for the same request, which the drive has answered
// or carried out all the same.
class LateReplyGuard {
public:
    // A reply later than this after its request is not waited for.
    static constexpr std::uint32_t LateReplyMs = 3000;
    static constexpr std::size_t MaxRequestSize = 100;

    // A request went out at `tick`.
    void Sent(std::span<const std::uint8_t> request, std::uint32_t tick);
    // The request sent last got less than its whole reply in time: that reply may still come.
    void ReplyMissing();
    // True when the plain read `request` must wait until the replies on their way are due.
    bool MustSettle(std::span<const std::uint8_t> request) const;
    // Every reply still on its way has arrived by this tick or no longer counts.
    std::uint32_t DueBy() const { return lastTick_ + LateReplyMs; }
    // The line was quiet once everything was due: nothing more is expected.
    void Settled();
    bool Unsettled() const { return unsettled_; }

private:
    struct Request {
        std::array<std::uint8_t, MaxRequestSize> Bytes{};
        std::size_t Size = 0;
        bool Same(std::span<const std::uint8_t> other) const;
    };

    Request last_;
    std::uint32_t lastTick_ = 0;
    Request missing_; // the request whose reply went missing first
    bool unsettled_ = false;
    bool othersSent_ = false; // a request other than missing_ went out since
};

} // namespace kelm
