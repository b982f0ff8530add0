#pragma once

#include "core/link/SerialChannel.h"

#include <memory>

namespace kelm {

// The channel for any port path, chosen at each Open: a serial device server's TCP port for
// "tcp:HOST:PORT", a serial device otherwise. Everything else passes to the channel opened.
class PortChannel final : public SerialChannel {
public:
    bool Open(const QString& devicePath) override;
    QString OpenError() const override { return active_ ? active_->OpenError() : QString(); }
    bool IsOpen() const override { return active_ && active_->IsOpen(); }
    bool ApplyLineSettings(const LineSettings& settings) override;
    bool ApplyTimeouts(std::uint32_t ms) override;
    bool RestoreLineSettings() override;
    bool RestoreTimeouts() override;
    void Purge() override;
    long Write(const std::uint8_t* data, std::size_t length) override;
    int ReadByte(std::uint8_t& byte, std::uint32_t timeoutMs) override;
    void Close() override;
    std::uint32_t ReplyAllowanceMs(std::size_t requestBytes) const override;
    QString LineNote() const override { return active_ ? active_->LineNote() : QString(); }
    bool Removed() const override { return active_ && active_->Removed(); }

private:
    std::unique_ptr<SerialChannel> active_;
};

} // namespace kelm
