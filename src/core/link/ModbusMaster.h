#pragma once

#include "core/link/LateReplyGuard.h"
#include "core/link/SerialChannel.h"

#include <QString>
#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <thread>

namespace kelm {

// The single serial master: the port (open, configure, restore, close) and the register
// protocol (function 3 read, function 16 write) in plain and link-mode frames, with CRC
// checks, three tries and the "Device not Respondig" report.
//
// A reply that comes after its time-out never becomes the answer to a later request: after
// a failed attempt the master reads and discards until the line has been quiet for one reply
// window, and a read that a late reply could be mistaken for waits first until every reply
// still on its way is due (LateReplyGuard). A healthy line pays nothing for this: the input
// left over from a good reply is dropped before the next request without waiting.
//
// No lock: the drive model's mode protocol guarantees one user at a time (debug builds
// assert it). Messages ("[05] Numero di byte", "Device not Respondig") go through the
// message seam from whichever thread runs the transfer; the installed MessageSink shows
// them on the user-interface thread and blocks the caller until the box is closed.
class ModbusMaster {
public:
    // Maps a COM number to a device path (see PortNames). An empty path fails the open.
    using PortResolver = std::function<QString(std::uint8_t comNumber)>;
    // Disables (false) and re-enables (true) the transfer progress dialog around the report.
    using ProgressDialogHook = std::function<void(bool enabled)>;

    static constexpr int MaxRegisters = 40;
    static constexpr int FrameSize = 100;
    // Read and write timeouts given to the channel at open.
    static constexpr std::uint32_t ChannelTimeoutMs = 10;
    // One read call waits at most this long on a silent line (10 ms plus 10 ms per byte).
    static constexpr std::uint32_t ByteReadWaitMs = 20;
    // Pause after every failed attempt: the tick difference must exceed this.
    static constexpr std::uint32_t RetryPauseMs = 100;
    static constexpr std::uint32_t Tries = 3;
    // A line that never goes quiet for a reply window is given up on after this long.
    static constexpr std::uint32_t QuietLimitMs = 1000;

    ModbusMaster(std::unique_ptr<SerialChannel> channel, PortResolver resolver);
    ~ModbusMaster(); // closes the port
    ModbusMaster(const ModbusMaster&) = delete;
    ModbusMaster& operator=(const ModbusMaster&) = delete;

    // Closes any open port, then opens the COM number's device with 8 data bits, 1 stop bit,
    // the baud rate and the parity code (0 none, 1 odd, 2 even, 3 mark, others none).
    // False, with the port closed and its settings restored, on any failure; no message:
    // OpenError then says why, for the caller to report.
    bool OpenPort(std::uint8_t port, std::uint32_t baud, bool linkMode, std::uint8_t parity);
    // Why the last OpenPort failed ("COM3 (/dev/ttyS2): no such device"); empty after a
    // successful one.
    QString OpenError() const { return openError_; }
    // Drops pending transfers, restores what OpenPort changed, closes. Nothing when closed.
    void ClosePort();
    // Closes and opens the same port and frame variant with the settings of the last open.
    void ReopenPort();
    bool IsPortOpen() const;
    bool IsLinkReady() const { return IsPortOpen() && unitAddress_ != 0; }
    std::uint8_t GetPort() const { return port_; }
    bool IsLinkMode() const { return linkMode_; }
    // The one way to choose the unit that requests go to (0: none, the link is not ready).
    void SelectUnit(std::uint8_t address) { unitAddress_ = address; }
    std::uint8_t UnitAddress() const { return unitAddress_; }
    // Requests sent, replies accepted and requests that got no good reply since the last
    // reset; requests = replies + failures.
    struct Counts {
        std::uint32_t Requests = 0;
        std::uint32_t Replies = 0;
        std::uint32_t Failures = 0;
    };
    Counts Counters() const { return counts_; }
    void ResetCounters() { counts_ = {}; }
    // Whether line settings or timeouts changed by an open are still to be restored.
    bool HasSettingsToRestore() const { return lineChanged_ || timeoutsChanged_; }
    // The frame buffer: the last request, overwritten by its reply as it comes.
    std::span<const std::uint8_t> Frame() const { return frame_; }
    // Baud rate and effective parity code (0..3) of the last open.
    LineSettings CurrentSettings() const { return settings_; }
    // The settings string of the last open ("baud=19200 data=8 parity=E stop=1").
    QString SettingsString() const { return settingsString_; }
    static QString BuildSettingsString(std::uint32_t baud, std::uint8_t parity);
    // Parity codes outside 0..3 open as none.
    static std::uint8_t EffectiveParity(std::uint8_t parity) { return parity <= 3 ? parity : 0; }

    // Transfers with three tries and a pause after every failed one. A closed port fails at
    // once, a count of 0 succeeds at once, counts above 40 transfer the first 40 registers.
    // After three failures with reportFailure set the port is closed and ReportNoResponse
    // runs.
    bool ReadRegisters(std::uint16_t address, std::uint16_t* destination, std::uint8_t count,
                       std::uint32_t timeoutMs, bool reportFailure);
    bool WriteRegisters(std::uint16_t address, const std::uint16_t* source, std::uint8_t count,
                        std::uint32_t timeoutMs, bool reportFailure);
    // One request and its reply.
    bool ReadRegistersOnce(std::uint16_t address, std::uint16_t* destination, std::uint8_t count,
                           std::uint32_t timeoutMs);
    bool WriteRegistersOnce(std::uint16_t address, const std::uint16_t* source, std::uint8_t count,
                            std::uint32_t timeoutMs);
    // Collects exactly `count` bytes into Frame: the first within max(timeout, 150) ms plus
    // the channel's allowance, each next one within max(timeout / 2, 70) ms of the previous
    // (NetworkGapMs more across a network, which may split a reply).
    bool ReceiveReply(std::uint16_t count, std::uint32_t timeoutMs, std::uint32_t allowanceMs);
    static constexpr std::uint32_t NetworkGapMs = 100;
    // The reply window of a timeout: how long the first byte of a reply may take.
    static std::uint32_t ReplyWindowMs(std::uint32_t timeoutMs) {
        return std::max<std::uint32_t>(timeoutMs, 150);
    }
    // Reads and discards until the tick has reached `notBefore` and no byte has come for
    // `quietMs`. False when the line did not go quiet within QuietLimitMs after `notBefore`
    // or the channel failed.
    bool DrainUntilQuiet(std::uint32_t notBefore, std::uint32_t quietMs);
    // Beep and "Device not Respondig" (caption " Error" as every error box, error icon), with the
    // progress dialog disabled while the box is up.
    void ReportNoResponse();
    // "<device>: the port was removed" (caption "Error"), the progress dialog aside meanwhile.
    void ReportRemoved();
    // After a transfer's last failure: closes the port; true when its device was removed.
    bool CloseAfterFailure();
    // Says why a transfer failed: ReportRemoved when removed, else ReportNoResponse.
    void ReportFailure(bool removed);

    void SetProgressDialogHook(ProgressDialogHook hook) { progressHook_ = std::move(hook); }
    SerialChannel& Channel() { return *channel_; }

private:
    class UseCheck;

    void RestoreLineSettings();
    void PauseAfterFailure(std::uint32_t windowMs);
    // Before a plain read: waits for late replies when one could pass for its answer.
    void SettleBefore(std::span<const std::uint8_t> request, std::uint32_t windowMs);
    // Purges, sends the request built in Frame and receives the reply into Frame; false
    // when the reply did not come whole in time.
    bool Exchange(std::size_t requestSize, std::uint16_t replySize, std::uint32_t timeoutMs);
    bool Transfer(std::uint8_t count, std::uint32_t timeoutMs, bool reportFailure,
                  const std::function<bool(std::uint8_t)>& attempt);
    // What every single attempt shares: a closed port fails, the count is cut to 40 and the
    // request is counted as a failure until `exchange` reports a good reply.
    bool CountedAttempt(std::uint8_t count, const std::function<bool(std::uint8_t)>& exchange);

    std::unique_ptr<SerialChannel> channel_;
    PortResolver resolver_;
    ProgressDialogHook progressHook_;
    LineSettings settings_;
    QString settingsString_;
    QString openError_;
    LateReplyGuard lateReplies_;
    std::array<std::uint8_t, FrameSize> frame_{};
    std::uint8_t unitAddress_ = 0;
    std::uint8_t port_ = 0;
    bool linkMode_ = false;
    bool lineChanged_ = false;
    bool timeoutsChanged_ = false;
    Counts counts_;
    // Debug check that two threads never use the master at the same time.
    std::atomic<std::thread::id> user_{};
};

} // namespace kelm
