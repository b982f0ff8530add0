#include "core/link/ModbusMaster.h"

#include "core/common/Ticks.h"
#include "core/link/RegisterFrames.h"
#include "core/seams/Messages.h"

#include <algorithm>
#include <cassert>
#include <chrono>
#include <span>

namespace kelm {

// Marks the master as used by the calling thread for the length of a scope. Nested scopes on
// the same thread are fine; a second thread entering trips the assertion in debug builds.
class ModbusMaster::UseCheck {
public:
    explicit UseCheck([[maybe_unused]] std::atomic<std::thread::id>& user) {
#ifndef NDEBUG
        const std::thread::id self = std::this_thread::get_id();
        std::thread::id expected{};
        if (user.compare_exchange_strong(expected, self)) {
            owner_ = &user;
        } else {
            assert(expected == self && "ModbusMaster used by two threads at once");
        }
#endif
    }
    ~UseCheck() {
        if (owner_ != nullptr) {
            owner_->store(std::thread::id{});
        }
    }
    UseCheck(const UseCheck&) = delete;
    UseCheck& operator=(const UseCheck&) = delete;

private:
    std::atomic<std::thread::id>* owner_ = nullptr;
};

ModbusMaster::ModbusMaster(std::unique_ptr<SerialChannel> channel, PortResolver resolver)
    : channel_(std::move(channel)), resolver_(std::move(resolver)) {}

ModbusMaster::~ModbusMaster() {
    ClosePort();
}

QString ModbusMaster::BuildSettingsString(std::uint32_t baud, std::uint8_t parity) {
    static constexpr char Letters[] = {'N', 'O', 'E', 'M'};
    return QStringLiteral("baud=%1 data=8 parity=%2 stop=1")
        .arg(baud)
        .arg(QChar::fromLatin1(Letters[EffectiveParity(parity)]));
}

bool ModbusMaster::OpenPort(std::uint8_t port, std::uint32_t baud, bool linkMode,
                            std::uint8_t parity) {
    const UseCheck use(user_);
    if (IsPortOpen()) {
        ClosePort();
    }
    if (port != port_) {
        lateReplies_ = LateReplyGuard(); // another line: nothing of the old one is on its way
    }
    port_ = port;
    linkMode_ = linkMode;
    const QString path = resolver_ ? resolver_(port) : QString();
    const QString name = QStringLiteral("COM%1").arg(port);
    if (path.isEmpty()) {
        openError_ = name + QStringLiteral(": no device is assigned to this port number");
        return false;
    }
    const auto fail = [this, &name, &path](const QString& reason) {
        openError_ = QStringLiteral("%1 (%2): %3").arg(name, path, reason);
        return false;
    };
    if (!channel_->Open(path)) {
        const QString reason = channel_->OpenError();
        return fail(reason.isEmpty() ? QStringLiteral("the port cannot be opened") : reason);
    }
    lineChanged_ = false;
    settingsString_ = BuildSettingsString(baud, parity);
    settings_ = LineSettings{baud, EffectiveParity(parity)};
    if (!channel_->ApplyLineSettings(settings_)) {
        RestoreLineSettings();
        channel_->Close();
        return fail(QStringLiteral("the port refuses the line settings ") + settingsString_);
    }
    lineChanged_ = true;
    timeoutsChanged_ = false;
    if (!channel_->ApplyTimeouts(ChannelTimeoutMs)) {
        RestoreLineSettings();
        channel_->Close();
        return fail(QStringLiteral("the port refuses the read and write timeouts"));
    }
    timeoutsChanged_ = true;
    channel_->Purge();
    openError_.clear();
    return true;
}

void ModbusMaster::RestoreLineSettings() {
    if (lineChanged_) {
        lineChanged_ = false;
        channel_->RestoreLineSettings();
    }
    if (timeoutsChanged_) {
        timeoutsChanged_ = false;
        channel_->RestoreTimeouts();
    }
}

void ModbusMaster::ClosePort() {
    const UseCheck use(user_);
    if (!IsPortOpen()) {
        return;
    }
    channel_->Purge();
    RestoreLineSettings();
    channel_->Close();
}

void ModbusMaster::ReopenPort() {
    const UseCheck use(user_);
    const LineSettings settings = settings_;
    ClosePort();
    OpenPort(port_, settings.BaudRate, linkMode_, settings.ParityCode);
}

bool ModbusMaster::IsPortOpen() const {
    return channel_->IsOpen();
}

namespace {

// True once `tick` has reached `mark`; survives a wrapping tick counter.
bool Reached(std::uint32_t tick, std::uint32_t mark) {
    return static_cast<std::int32_t>(tick - mark) >= 0;
}

} // namespace

// The pause after a failed attempt: more than 100 ms, and on until the line has been quiet
// for one reply window, so that the rest of a bad reply or a late one is not read as the
// answer to the next try.
void ModbusMaster::PauseAfterFailure(std::uint32_t windowMs) {
    const std::uint32_t failedAt = TickCount();
    DrainUntilQuiet(failedAt + RetryPauseMs + 1, windowMs);
    // A failing channel ends the drain at once; the pause itself is kept.
    while (TickCount() - failedAt <= RetryPauseMs) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

bool ModbusMaster::DrainUntilQuiet(std::uint32_t notBefore, std::uint32_t quietMs) {
    const UseCheck use(user_);
    const std::uint32_t start = TickCount();
    const std::uint32_t giveUp = (Reached(start, notBefore) ? start : notBefore) + QuietLimitMs;
    std::uint32_t lastByte = start;
    for (;;) {
        const std::uint32_t now = TickCount();
        if (Reached(now, notBefore) && now - lastByte >= quietMs) {
            return true;
        }
        if (Reached(now, giveUp)) {
            return false;
        }
        std::uint8_t byte = 0;
        const int got = channel_->ReadByte(byte, ByteReadWaitMs);
        if (got < 0) {
            return false;
        }
        if (got > 0) {
            lastByte = TickCount(); // a byte read here is thrown away
        }
    }
}

void ModbusMaster::SettleBefore(std::span<const std::uint8_t> request, std::uint32_t windowMs) {
    if (linkMode_ || !lateReplies_.MustSettle(request)) {
        return;
    }
    // Long after everything was due, the purge before the request drops whatever came.
    const bool overdue = Reached(TickCount(), lateReplies_.DueBy() + windowMs);
    if (overdue || DrainUntilQuiet(lateReplies_.DueBy(), windowMs)) {
        lateReplies_.Settled();
    }
}

bool ModbusMaster::Exchange(std::size_t requestSize, std::uint16_t replySize,
                            std::uint32_t timeoutMs) {
    channel_->Purge();
    // A short or failed write shows as a missing reply.
    channel_->Write(frame_.data(), requestSize);
    // Noted before the reply overwrites the request in the frame buffer.
    lateReplies_.Sent(std::span(frame_.data(), requestSize), TickCount());
    if (!ReceiveReply(replySize, timeoutMs, channel_->ReplyAllowanceMs(requestSize))) {
        lateReplies_.ReplyMissing();
        return false;
    }
    return true;
}

// The retry policy shared by reads and writes: closed port fails at once, count 0
// succeeds at once, at most 40 registers, three tries with a pause after each failure,
// then (when asked) the port is closed and the user told.
bool ModbusMaster::Transfer(std::uint8_t count, std::uint32_t timeoutMs, bool reportFailure,
                            const std::function<bool(std::uint8_t)>& attempt) {
    const UseCheck use(user_);
    if (!IsPortOpen()) {
        return false;
    }
    if (count == 0) {
        return true;
    }
    count = std::min<std::uint8_t>(count, MaxRegisters);
    for (std::uint32_t triesLeft = Tries; triesLeft > 0; --triesLeft) {
        if (attempt(count)) {
            return true;
        }
        // An unplugged adapter answers no retry: said at once instead of after three.
        if (channel_->Removed()) {
            break;
        }
        PauseAfterFailure(ReplyWindowMs(timeoutMs));
    }
    if (reportFailure) {
        ReportFailure(CloseAfterFailure());
    }
    return false;
}

bool ModbusMaster::CloseAfterFailure() {
    const bool removed = channel_->Removed();
    ClosePort();
    return removed;
}

void ModbusMaster::ReportFailure(bool removed) {
    if (removed) {
        ReportRemoved();
    } else {
        ReportNoResponse();
    }
}

bool ModbusMaster::ReadRegisters(std::uint16_t address, std::uint16_t* destination,
                                 std::uint8_t count, std::uint32_t timeoutMs, bool reportFailure) {
    return Transfer(count, timeoutMs, reportFailure, [&](std::uint8_t n) {
        return ReadRegistersOnce(address, destination, n, timeoutMs);
    });
}

bool ModbusMaster::WriteRegisters(std::uint16_t address, const std::uint16_t* source,
                                  std::uint8_t count, std::uint32_t timeoutMs, bool reportFailure) {
    return Transfer(count, timeoutMs, reportFailure, [&](std::uint8_t n) {
        return WriteRegistersOnce(address, source, n, timeoutMs);
    });
}

bool ModbusMaster::CountedAttempt(std::uint8_t count,
                                  const std::function<bool(std::uint8_t)>& exchange) {
    const UseCheck use(user_);
    if (!IsPortOpen()) {
        return false;
    }
    // The frame buffer holds at most 40 registers.
    count = std::min<std::uint8_t>(count, MaxRegisters);
    ++counts_.Requests;
    ++counts_.Failures;
    if (!exchange(count)) {
        return false;
    }
    --counts_.Failures;
    ++counts_.Replies;
    return true;
}

bool ModbusMaster::ReadRegistersOnce(std::uint16_t address, std::uint16_t* destination,
                                     std::uint8_t count, std::uint32_t timeoutMs) {
    return CountedAttempt(count, [&](std::uint8_t n) {
        const std::size_t size =
            frames::BuildReadRequest(linkMode_, unitAddress_, address, n, frame_.data());
        SettleBefore(std::span(frame_.data(), size), ReplyWindowMs(timeoutMs));
        const std::size_t replySize = frames::ReadReplySize(linkMode_, n);
        if (!Exchange(size, static_cast<std::uint16_t>(replySize), timeoutMs)) {
            return false;
        }
        const std::span<const std::uint8_t> reply(frame_.data(), replySize);
        const frames::ReplyCheck check =
            frames::CheckReadReply(linkMode_, reply, unitAddress_, address, n);
        if (check != frames::ReplyCheck::Ok) {
            if (check == frames::ReplyCheck::BadByteCount && !linkMode_) {
                ShowError(QStringLiteral("[05] Numero di byte"));
            }
            return false;
        }
        frames::ExtractRegisters(linkMode_, reply, std::span<std::uint16_t>(destination, n));
        return true;
    });
}

bool ModbusMaster::WriteRegistersOnce(std::uint16_t address, const std::uint16_t* source,
                                      std::uint8_t count, std::uint32_t timeoutMs) {
    return CountedAttempt(count, [&](std::uint8_t n) {
        const std::size_t size =
            frames::BuildWriteRequest(linkMode_, unitAddress_, address,
                                      std::span<const std::uint16_t>(source, n), frame_.data());
        if (!Exchange(size, frames::WriteReplySize, timeoutMs)) {
            return false;
        }
        const std::span<const std::uint8_t> reply(frame_.data(), frames::WriteReplySize);
        return frames::CheckWriteReply(linkMode_, reply, unitAddress_, address, n) ==
               frames::ReplyCheck::Ok;
    });
}

bool ModbusMaster::ReceiveReply(std::uint16_t count, std::uint32_t timeoutMs,
                                std::uint32_t allowanceMs) {
    const UseCheck use(user_);
    if (count > FrameSize) {
        return false;
    }
    std::uint16_t remaining = count;
    std::size_t cursor = 0;
    const std::uint32_t interByte =
        std::max<std::uint32_t>(timeoutMs / 2, 70) + (allowanceMs > 0 ? NetworkGapMs : 0);
    std::uint32_t deadline = TickCount() + std::max<std::uint32_t>(timeoutMs, 150) + allowanceMs;
    // Signed difference so that the comparison survives a wrapping tick counter.
    while (remaining != 0 && static_cast<std::int32_t>(deadline - TickCount()) >= 0) {
        const int got = channel_->ReadByte(frame_[cursor], ByteReadWaitMs);
        if (got < 0) {
            break;
        }
        if (got > 0) {
            ++cursor;
            --remaining;
            deadline = TickCount() + interByte;
        }
    }
    return remaining == 0;
}

void ModbusMaster::ReportRemoved() {
    if (progressHook_) {
        progressHook_(false);
    }
    const QString path = resolver_ ? resolver_(port_) : QString();
    Messages().ShowBox(QStringLiteral("Error"),
                       path.isEmpty() ? QStringLiteral("The port was removed")
                                      : QStringLiteral("%1: the port was removed").arg(path),
                       MessageIcon::Error);
    if (progressHook_) {
        progressHook_(true);
    }
}

void ModbusMaster::ReportNoResponse() {
    if (progressHook_) {
        progressHook_(false);
    }
    Messages().Beep();
    Messages().ShowBox(QStringLiteral(" Error"), QStringLiteral("Device not Respondig"),
                       MessageIcon::Error);
    if (progressHook_) {
        progressHook_(true);
    }
}

} // namespace kelm
