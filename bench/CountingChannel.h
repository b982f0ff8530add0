#pragma once

#include "core/link/SerialChannel.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace kelm::bench {

// A serial channel that counts the bytes crossing it, around the real one: the wire-time
// limit of a case is computed from exactly the requests and replies that were exchanged.
// It also clocks the line's side of each exchange (from a request written to the last
// reply byte read); the rest of a case's time is the host's own.
class CountingChannel final : public SerialChannel {
public:
    explicit CountingChannel(std::unique_ptr<SerialChannel> inner) : inner_(std::move(inner)) {}

    bool Open(const QString& devicePath) override { return inner_->Open(devicePath); }
    QString OpenError() const override { return inner_->OpenError(); }
    bool IsOpen() const override { return inner_->IsOpen(); }
    bool ApplyLineSettings(const LineSettings& settings) override {
        return inner_->ApplyLineSettings(settings);
    }
    bool ApplyTimeouts(std::uint32_t ms) override { return inner_->ApplyTimeouts(ms); }
    bool RestoreLineSettings() override { return inner_->RestoreLineSettings(); }
    bool RestoreTimeouts() override { return inner_->RestoreTimeouts(); }
    void Purge() override { inner_->Purge(); }
    long Write(const std::uint8_t* data, std::size_t length) override;
    int ReadByte(std::uint8_t& byte, std::uint32_t timeoutMs) override;
    void Close() override { inner_->Close(); }

    // Bytes sent and received so far (either thread).
    std::uint64_t Bytes() const { return bytes_.load(); }
    // Nanoseconds spent waiting on the line (request handed over to its last reply byte), over
    // every exchange so far; read it while the master is idle.
    std::int64_t LineNs() const;

private:
    std::unique_ptr<SerialChannel> inner_;
    std::atomic<std::uint64_t> bytes_{0};
    std::int64_t closedLineNs_ = 0; // exchanges that a later request closed
    std::int64_t writtenNs_ = 0;    // the open exchange: its request handed over
    std::int64_t lastReadNs_ = 0;   // and its last byte read so far
};

} // namespace kelm::bench
