#pragma once

#include "core/common/Ticks.h"
#include "core/link/SerialChannel.h"
#include "sim/engine/Frames.h"

#include <QStringList>
#include <chrono>
#include <deque>
#include <functional>
#include <span>
#include <thread>
#include <vector>

namespace kelm::test {

// The frame followed by its CRC, low byte first, as the simulator's own bit-by-bit CRC
// gives it (independent of the master's tables).
inline std::vector<std::uint8_t> WithCrc(std::vector<std::uint8_t> bytes) {
    sim::AppendCrc(bytes);
    return bytes;
}

// A reply as the fake line delivers it: the bytes, when the first one becomes readable
// after the request, and the gap between the following ones.
struct Delivery {
    std::vector<std::uint8_t> Bytes;
    std::uint32_t FirstDelayMs = 0;
    std::uint32_t GapMs = 0;
};

// Scripted serial channel. Every port call is logged; the one named by Refuse ("open",
// "line", "timeouts", "read") fails. Every Write is recorded and handed to the responder,
// whose Delivery becomes readable input. Silence (no bytes) makes ReadByte wait its timeout.
class FakeSerialChannel final : public SerialChannel {
public:
    using Responder = std::function<Delivery(std::span<const std::uint8_t> request)>;

    bool Open(const QString& devicePath) override {
        if (!Step("open " + devicePath, "open") || open_)
            return false;
        return open_ = true;
    }
    bool IsOpen() const override { return open_; }
    QString OpenError() const override { return Refuse == "open" ? "permission denied" : ""; }
    bool ApplyLineSettings(const LineSettings& settings) override {
        return Step(QStringLiteral("line %1 %2").arg(settings.BaudRate).arg(settings.ParityCode),
                    "line");
    }
    bool ApplyTimeouts(std::uint32_t ms) override {
        return Step(QStringLiteral("timeouts %1").arg(ms), "timeouts");
    }
    bool RestoreLineSettings() override { return Step("restore line"); }
    bool RestoreTimeouts() override { return Step("restore timeouts"); }
    void Purge() override {
        Step("purge");
        input_.clear();
    }
    long Write(const std::uint8_t* data, std::size_t length) override {
        if (!open_)
            return -1;
        Requests.emplace_back(data, data + length);
        RequestTicks.push_back(TickCount());
        if (Reply)
            Queue(Reply(Requests.back()));
        return static_cast<long>(length);
    }
    int ReadByte(std::uint8_t& byte, std::uint32_t timeoutMs) override {
        if (!open_ || Refuse == "read" || Unplugged)
            return -1;
        const std::uint32_t start = TickCount();
        for (;;) {
            if (!input_.empty() &&
                static_cast<std::int32_t>(TickCount() - input_.front().ReadyAt) >= 0) {
                byte = input_.front().Byte;
                input_.pop_front();
                return 1;
            }
            if (TickCount() - start >= timeoutMs)
                return 0;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    void Close() override {
        Step("close");
        open_ = false;
    }

    void Queue(const Delivery& delivery) {
        std::uint32_t at = TickCount() + delivery.FirstDelayMs;
        for (const std::uint8_t b : delivery.Bytes) {
            input_.push_back({b, at});
            at += delivery.GapMs;
        }
    }

    bool Removed() const override { return Unplugged; }

    Responder Reply;
    QString Refuse;
    bool Unplugged = false; // every read fails and the device is gone
    QStringList Log;
    std::vector<std::vector<std::uint8_t>> Requests;
    std::vector<std::uint32_t> RequestTicks;

private:
    struct Pending {
        std::uint8_t Byte;
        std::uint32_t ReadyAt;
    };

    // Logs a call; it succeeds unless refused or (opening aside) the channel is closed.
    bool Step(const QString& entry, const char* name = nullptr) {
        Log << entry;
        return (open_ || entry.startsWith("open")) && (!name || Refuse != QLatin1String(name));
    }

    bool open_ = false;
    std::deque<Pending> input_;
};

} // namespace kelm::test
