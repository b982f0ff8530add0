#include "sim/channel/SimChannel.h"

#include "core/common/Ticks.h"

#include <chrono>
#include <thread>

namespace kelm::sim {

SimChannel::SimChannel(std::shared_ptr<Engine> engine, Clock clock)
    : engine_(std::move(engine)), clock_(std::move(clock)) {}

std::uint32_t SimChannel::Now() const {
    return clock_ ? clock_() : TickCount();
}

bool SimChannel::Open(const QString& devicePath) {
    std::lock_guard lock(mutex_);
    if (open_ || openFails_) {
        return false;
    }
    open_ = true;
    path_ = devicePath;
    input_.clear();
    return true;
}

bool SimChannel::ApplyLineSettings(const LineSettings& settings) {
    std::lock_guard lock(mutex_);
    if (!open_ || applyFails_) {
        return false;
    }
    settings_ = settings;
    return true;
}

bool SimChannel::ApplyTimeouts(std::uint32_t ms) {
    std::lock_guard lock(mutex_);
    if (!open_) {
        return false;
    }
    timeoutMs_ = ms;
    return true;
}

void SimChannel::Purge() {
    std::lock_guard lock(mutex_);
    if (!open_) {
        return;
    }
    ++purges_;
    const std::uint32_t now = Now();
    std::erase_if(input_, [now](const Incoming& in) {
        return static_cast<std::int32_t>(now - in.readyAt) >= 0;
    });
}

long SimChannel::Write(const std::uint8_t* data, std::size_t length) {
    std::lock_guard lock(mutex_);
    if (!open_) {
        return -1;
    }
    bytesWritten_ += length;
    const std::uint32_t now = Now();
    for (const Reply& reply : engine_->Feed(data, length, now)) {
        for (const std::uint8_t byte : reply.bytes) {
            input_.push_back({now + reply.delayMs, byte});
        }
    }
    return static_cast<long>(length);
}

int SimChannel::ReadByte(std::uint8_t& byte, std::uint32_t timeoutMs) {
    std::unique_lock lock(mutex_);
    if (!open_) {
        return -1;
    }
    engine_->Tick(Now());
    // The wait is measured on the real clock, so an injected clock that stands still
    // cannot hang the reader.
    const std::uint32_t waitStart = TickCount();
    for (;;) {
        const std::uint32_t now = Now();
        if (!input_.empty() && static_cast<std::int32_t>(now - input_.front().readyAt) >= 0) {
            byte = input_.front().byte;
            input_.pop_front();
            return 1;
        }
        if (TickCount() - waitStart >= timeoutMs) {
            return 0;
        }
        lock.unlock();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        lock.lock();
        if (!open_) {
            return -1;
        }
    }
}

void SimChannel::Close() {
    std::lock_guard lock(mutex_);
    open_ = false;
    input_.clear();
}

} // namespace kelm::sim
