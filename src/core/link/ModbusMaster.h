#pragma once

#include "core/link/SerialChannel.h"

#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

namespace kelm {

// The single serial master: the port (open, configure, restore, close) and the register
// protocol (function 3 read, function 16 write) in plain and link-mode frames, with CRC
// checks, three tries and the "Device not Respondig" report.
//
// No lock: the drive model's mode protocol guarantees one user at a time (debug builds
// assert it).
class ModbusMaster {
public:
    // Maps a COM number to a device path (see PortNames).
    using PortResolver = std::function<QString(std::uint8_t comNumber)>;
    // Disables (false) and re-enables (true) the transfer progress dialog around the report.
    using ProgressDialogHook = std::function<void(bool enabled)>;

    static constexpr int MaxRegisters = 40;
    static constexpr int FrameSize = 100;

    ModbusMaster(std::unique_ptr<SerialChannel> channel, PortResolver resolver);
    ~ModbusMaster();
    ModbusMaster(const ModbusMaster&) = delete;
    ModbusMaster& operator=(const ModbusMaster&) = delete;

    bool OpenPort(std::uint8_t port, std::uint32_t baud, bool linkMode, std::uint8_t parity);
    void ClosePort();
    void ReopenPort();
    bool IsPortOpen() const;
    bool IsLinkReady() const { return IsPortOpen() && DeviceAddress != 0; }
    std::uint8_t GetPort() const { return Port; }
    bool IsLinkMode() const { return LinkMode; }
    void ResetCounters();
    // Baud rate and parity code applied at the last successful open.
    LineSettings CurrentSettings() const { return settings_; }
    // The settings string of the last open ("baud=19200 data=8 parity=E stop=1").
    QString SettingsString() const { return settingsString_; }
    static QString BuildSettingsString(std::uint32_t baud, std::uint8_t parity);

    bool ReadRegisters(std::uint16_t address, std::uint16_t* destination, std::uint8_t count,
                       std::uint32_t timeoutMs, bool reportFailure);
    bool WriteRegisters(std::uint16_t address, const std::uint16_t* source, std::uint8_t count,
                        std::uint32_t timeoutMs, bool reportFailure);
    bool ReadRegistersOnce(std::uint16_t address, std::uint16_t* destination,
                           std::uint8_t count, std::uint32_t timeoutMs);
    bool WriteRegistersOnce(std::uint16_t address, const std::uint16_t* source,
                            std::uint8_t count, std::uint32_t timeoutMs);
    bool ReceiveReply(std::uint16_t count, std::uint32_t timeoutMs);
    void ReportNoResponse();

    void SetProgressDialogHook(ProgressDialogHook hook) { progressHook_ = std::move(hook); }
    SerialChannel& Channel() { return *channel_; }

    // Fields named as the rest of the program speaks of them.
    std::uint8_t DeviceAddress = 0;
    std::uint32_t RequestCount = 0;
    std::uint32_t ReplyCount = 0;
    std::uint32_t FailureCount = 0;
    std::uint32_t TriesLeft = 0;
    bool LinkMode = false;
    std::uint8_t Port = 0;
    std::uint32_t Transferred = 0;
    std::uint16_t Remaining = 0;
    std::array<std::uint8_t, FrameSize> Frame{};
    bool DcbChanged = false;
    bool TimeoutsChanged = false;
    std::uint32_t TickMark = 0;

private:
    void RestoreLineSettings();

    std::unique_ptr<SerialChannel> channel_;
    PortResolver resolver_;
    ProgressDialogHook progressHook_;
    LineSettings settings_;
    QString settingsString_;
};

} // namespace kelm
