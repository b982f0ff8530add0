#include "core/link/PortChannel.h"

#include "core/link/PosixSerialChannel.h"
#include "core/link/TcpSerialChannel.h"

namespace kelm {

bool PortChannel::Open(const QString& devicePath) {
    Close();
    if (IsTcpPath(devicePath))
        active_ = std::make_unique<TcpSerialChannel>();
    else
        active_ = std::make_unique<PosixSerialChannel>();
    return active_->Open(devicePath);
}

bool PortChannel::ApplyLineSettings(const LineSettings& settings) {
    return active_ && active_->ApplyLineSettings(settings);
}

bool PortChannel::ApplyTimeouts(std::uint32_t ms) {
    return active_ && active_->ApplyTimeouts(ms);
}

bool PortChannel::RestoreLineSettings() {
    return active_ && active_->RestoreLineSettings();
}

bool PortChannel::RestoreTimeouts() {
    return active_ && active_->RestoreTimeouts();
}

void PortChannel::Purge() {
    if (active_)
        active_->Purge();
}

long PortChannel::Write(const std::uint8_t* data, std::size_t length) {
    return active_ ? active_->Write(data, length) : -1;
}

int PortChannel::ReadByte(std::uint8_t& byte, std::uint32_t timeoutMs) {
    return active_ ? active_->ReadByte(byte, timeoutMs) : -1;
}

void PortChannel::Close() {
    if (active_)
        active_->Close();
}

std::uint32_t PortChannel::ReplyAllowanceMs(std::size_t requestBytes) const {
    return active_ ? active_->ReplyAllowanceMs(requestBytes) : 0;
}

} // namespace kelm
