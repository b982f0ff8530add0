#pragma once

#include "core/drive/diag/DiagRowWalk.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>

namespace kelm {

class TDriver;

// The diagnostic cycle (mode Diagnostic): one step per worker cycle reads the register of one
// visible row of the active table, writing first a value the user queued for that row.
// A failed transfer switches to reconnect mode, which reopens the port and probes
// register 0 every 500 ms until the drive answers again.
//
// Threads: Step runs on the worker; SetVisibleRows, QueueWrite and PendingWrite are called
// from the user-interface thread. The visible range is handed over through atomics and
// the queued writes under a lock. Every observer runs on the user-interface thread
// (through the drive model's synchronized call). The status poll due once per pass runs on
// the worker too, so no transfer of a pass ever runs while the user-interface thread waits.
class DiagnosticCycle {
public:
    // Line settings for reopening a plain (not link-mode) port: the settings store's.
    struct PlainLine {
        std::uint32_t BaudRate = 19200;
        std::uint8_t Parity = 2;
    };
    struct Observer {
        std::function<void(int row, std::uint16_t value)> RowRead;
        std::function<void(int row)> WriteDone; // the queued value reached the drive
        std::function<void(std::uint32_t requests, std::uint32_t replies, std::uint32_t failures)>
            Counters;
        // The walk came back to the top visible row: one status poll is due.
        std::function<void()> PassComplete;
        // Reconnect mode entered (true) or left after register 0 answered (false).
        std::function<void(bool lost)> LinkLostChanged;
    };

    static constexpr std::uint32_t ReplyTimeoutMs = 100;
    static constexpr std::uint32_t ReconnectPeriodMs = 500;

    DiagnosticCycle(TDriver& driver, PlainLine plainLine);
    // Takes the step and start bodies of mode Diagnostic off the drive model.
    ~DiagnosticCycle();
    DiagnosticCycle(const DiagnosticCycle&) = delete;
    DiagnosticCycle& operator=(const DiagnosticCycle&) = delete;

    void SetObserver(Observer observer) { observer_ = std::move(observer); }
    // What runs on the worker once per pass, after the pass's observers: the status poll.
    // Set it before Install.
    void SetPassPoll(std::function<void()> poll) { passPoll_ = std::move(poll); }
    // Installs the step and start bodies of mode Diagnostic on the drive model.
    void Install();

    // User-interface thread.
    void SetVisibleRows(VisibleRows rows);
    // false when the row already has a value waiting (or the row does not exist).
    bool QueueWrite(int row, std::int16_t value);
    std::optional<std::int16_t> PendingWrite(int row) const;

    // Mode Diagnostic entered: DiagRow 0, normal state.
    void Start();
    // One step (worker thread; tests may call it directly while the worker is idle).
    void Step();

    int DiagRow() const { return diagRow_.load(); }
    bool LinkLost() const { return linkLost_.load(); }

private:
    void NormalStep();
    void ReconnectStep(std::uint32_t now);
    void EnterLinkLost();
    VisibleRows Visible() const;
    void Notify(const std::function<void()>& fn);

    TDriver& driver_;
    PlainLine plainLine_;
    Observer observer_;
    std::function<void()> passPoll_;
    bool installed_ = false;

    // Top row and row count packed in one word, so the worker never sees half a scroll.
    std::atomic<std::uint64_t> visible_{0};
    mutable std::mutex writesMutex_;
    std::map<int, std::int16_t> pendingWrites_;

    std::atomic<int> diagRow_{0};
    std::atomic<bool> linkLost_{false};
    std::uint32_t tickMark_ = 0;      // next normal step not before this tick
    std::uint32_t lastReconnect_ = 0; // last reconnect attempt
    bool reconnectTried_ = false;
};

} // namespace kelm
