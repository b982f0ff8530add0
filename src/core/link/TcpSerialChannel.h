#pragma once

#include "core/link/SerialChannel.h"

#include <array>
#include <cstdint>
#include <optional>

namespace kelm {

// Where a serial device server listens: "tcp:HOST:PORT" (an IPv6 host in brackets).
struct TcpAddress {
    QString Host;
    std::uint16_t Port = 0;
    bool operator==(const TcpAddress&) const = default;
};

// The address a port path names; empty when the path is not "tcp:HOST:PORT" with a host and
// a port from 1 to 65535.
std::optional<TcpAddress> ParseTcpAddress(const QString& path);
inline bool IsTcpPath(const QString& path) {
    return path.startsWith(QLatin1String("tcp:"));
}

// A serial device server's raw TCP port as a byte channel. Bytes pass unchanged; the line's
// baud rate and parity are set on the server, so ApplyLineSettings only keeps the baud rate
// to know how long a request takes on the server's line. A lost connection reads as a silent
// line (ReadByte times out, the master's retries and "no response" follow); the next Write
// connects again, at most once a second.
class TcpSerialChannel final : public SerialChannel {
public:
    // How long the network may add to a reply, on top of the line's own reply window.
    static constexpr std::uint32_t NetworkAllowanceMs = 200;
    static constexpr int ConnectTimeoutMs = 3000;
    static constexpr int ReconnectTimeoutMs = 1000;

    TcpSerialChannel() = default;
    ~TcpSerialChannel() override; // closes
    TcpSerialChannel(const TcpSerialChannel&) = delete;
    TcpSerialChannel& operator=(const TcpSerialChannel&) = delete;

    bool Open(const QString& devicePath) override;
    QString OpenError() const override { return openError_; }
    bool IsOpen() const override { return open_; }
    bool ApplyLineSettings(const LineSettings& settings) override;
    bool ApplyTimeouts(std::uint32_t) override { return open_; }
    bool RestoreLineSettings() override { return open_; }
    bool RestoreTimeouts() override { return open_; }
    void Purge() override;
    long Write(const std::uint8_t* data, std::size_t length) override;
    int ReadByte(std::uint8_t& byte, std::uint32_t timeoutMs) override;
    void Close() override;
    std::uint32_t ReplyAllowanceMs(std::size_t requestBytes) const override;

    bool Connected() const { return socket_ >= 0; }

private:
    // A connected socket or -1; error_ says why not.
    int Connect(int timeoutMs);
    void Drop();

    TcpAddress address_;
    bool open_ = false;
    int socket_ = -1;
    std::uint32_t baudRate_ = 19200;
    std::int64_t lastAttemptMs_ = 0;
    QString openError_;
    std::array<std::uint8_t, 512> buffer_{};
    std::size_t bufferStart_ = 0;
    std::size_t bufferEnd_ = 0;
};

} // namespace kelm
