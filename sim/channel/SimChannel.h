#pragma once

#include "core/link/SerialChannel.h"
#include "sim/engine/Engine.h"

#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace kelm::sim {

// A serial channel wired straight to a simulator engine, for tests of the master and the
// drive model without a pseudo-terminal. Bytes written are fed to the engine at once; its
// replies become readable at once, or after the engine's delay fault. Purge drops only
// bytes that have already "arrived"; a delayed reply still comes in later, as on a line.
class SimChannel : public SerialChannel {
public:
    using Clock = std::function<std::uint32_t()>;

    explicit SimChannel(std::shared_ptr<Engine> engine, Clock clock = {});

    Engine& SimEngine() { return *engine_; }
    // Test switches: make Open or ApplyLineSettings fail.
    void SetOpenFails(bool fails) { openFails_ = fails; }
    void SetApplyFails(bool fails) { applyFails_ = fails; }
    QString OpenedPath() const { return path_; }
    LineSettings AppliedSettings() const { return settings_; }
    std::uint32_t AppliedTimeoutMs() const { return timeoutMs_; }
    std::size_t BytesWritten() const { return bytesWritten_; }
    int PurgeCount() const { return purges_; }

    bool Open(const QString& devicePath) override;
    bool IsOpen() const override { return open_; }
    bool ApplyLineSettings(const LineSettings& settings) override;
    bool ApplyTimeouts(std::uint32_t ms) override;
    bool RestoreLineSettings() override { return open_; }
    bool RestoreTimeouts() override { return open_; }
    void Purge() override;
    long Write(const std::uint8_t* data, std::size_t length) override;
    int ReadByte(std::uint8_t& byte, std::uint32_t timeoutMs) override;
    void Close() override;

private:
    struct Incoming {
        std::uint32_t readyAt;
        std::uint8_t byte;
    };

    std::uint32_t Now() const;

    std::shared_ptr<Engine> engine_;
    Clock clock_;
    mutable std::mutex mutex_;
    std::deque<Incoming> input_;
    bool open_ = false;
    bool openFails_ = false;
    bool applyFails_ = false;
    QString path_;
    LineSettings settings_;
    std::uint32_t timeoutMs_ = 0;
    std::size_t bytesWritten_ = 0;
    int purges_ = 0;
};

} // namespace kelm::sim
