#pragma once

#include "core/link/AdapterLatency.h"
#include "core/link/SerialChannel.h"

#include <memory>

namespace kelm {

// A serial device on Linux through termios2 ioctls.
//
// Open takes the device exclusively (TIOCEXCL and an flock, so a second opener is refused,
// root included) and saves the line settings. ApplyLineSettings sets raw 8N1 with the parity
// code (mark through CMSPAR) and any baud rate (BOTHER); RestoreLineSettings puts back the
// saved settings. Reads wait with poll() on the monotonic clock. Open also asks for the
// driver's low-latency mode and lowers a USB adapter's latency timer where the user may
// (Close puts the mode back).
class PosixSerialChannel final : public SerialChannel {
public:
    PosixSerialChannel();
    ~PosixSerialChannel() override; // closes
    PosixSerialChannel(const PosixSerialChannel&) = delete;
    PosixSerialChannel& operator=(const PosixSerialChannel&) = delete;

    bool Open(const QString& devicePath) override;
    QString OpenError() const override { return openError_; }
    bool IsOpen() const override { return fd_ >= 0; }
    bool ApplyLineSettings(const LineSettings& settings) override;
    bool ApplyTimeouts(std::uint32_t ms) override;
    bool RestoreLineSettings() override;
    bool RestoreTimeouts() override;
    void Purge() override;
    long Write(const std::uint8_t* data, std::size_t length) override;
    int ReadByte(std::uint8_t& byte, std::uint32_t timeoutMs) override;
    void Close() override;
    QString LineNote() const override;
    bool Removed() const override { return removed_; }

    // The parity bits of the control flags for a parity code (PARENB, PARODD, CMSPAR).
    static unsigned ParityControlFlags(std::uint8_t parityCode);
    // The reason for an open that failed with errno `error`; for a refused permission it
    // names accessGroup (the group owning the device node) when there is one, with the one
    // command that adds the user to it.
    static QString DescribeOpenError(int error, const QString& accessGroup);
    // The name of the group owning the file; empty when unknown, root's or one this process
    // already has (joining it would not help).
    static QString OwningGroup(const QString& path);

private:
    struct Saved;
    void RequestLowLatency();
    void NoteFailure();

    int fd_ = -1;
    std::uint32_t writeTimeoutMs_ = 10;
    std::unique_ptr<Saved> saved_;
    QString openError_;
    AdapterLatency latency_;
    QString path_;
    bool removed_ = false;
};

} // namespace kelm
