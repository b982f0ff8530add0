#pragma once

#include "core/drive/scope/ScopeRegisters.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>

namespace kelm {

class TDriver;

// Counters of the upload's progress, written after each block that arrived and read by the
// progress callback (both run while the worker waits or on the user-interface thread).
struct UploadProgress {
    int First = 1;     // first address of the last block ("seen" copy)
    int Reference = 0; // the same, reference copy
    int Last = 0;      // last address of the last block
    int Maximum = 1000;

    // The registers of a block not counted yet (0 when no new block arrived); marks the
    // block as counted.
    int TakeNewRegisters();
};

// The upload of a completed capture (worker mode CaptureUpload): the recorder registers in one
// request, then both sample channels in blocks of 32 registers (Std) or 16 (other kinds).
// A failed block is asked again on the next step; the alarm words are refreshed every
// 500 ms. When the link is lost the upload ends without samples (Completed() false).
//
// Threads: Begin and the accessors run on the user-interface thread while the worker is
// idle or waiting on a callback; Step runs on the worker.
class ScopeCapture {
public:
    using Callback = std::function<void()>;

    static constexpr std::uint32_t RefreshPeriodMs = 500;
    static constexpr std::uint32_t FirstRefreshMs = 10;

    explicit ScopeCapture(TDriver& driver);
    // Takes the step and start bodies of mode CaptureUpload off the drive model.
    ~ScopeCapture();
    ScopeCapture(const ScopeCapture&) = delete;
    ScopeCapture& operator=(const ScopeCapture&) = delete;

    // Installs the step and start bodies of mode CaptureUpload on the drive model.
    void Install();
    // Run on every step on the worker: the main window's pending requests (the status
    // poll's, which reaches the windows through the synchronized call itself).
    void SetPendingRequests(Callback serviceRequests) { pending_ = std::move(serviceRequests); }

    // Clears both buffers and the counters and starts the upload (only on line). The
    // callbacks run on the user-interface thread; onDone also when the upload was cut off.
    bool StartUpload(Callback onProgress, Callback onDone);

    // One step (worker thread; tests may call it directly).
    void Begin();
    void Step();

    const std::array<std::int16_t, scope::MaxSamples>& Samples(int channel) const {
        return channel == 0 ? channel1_ : channel2_;
    }
    // Samples per channel of the last upload (the reported count, limited to the buffers).
    int SampleCount() const { return sampleCount_; }
    // The count the drive reported (may exceed the buffers).
    int ReportedCount() const { return reportedCount_; }
    // true once both channels arrived; false while running and after a lost link.
    bool Completed() const { return completed_; }
    UploadProgress& Progress() { return progress_; }

    // The upload cursor (phase 0, 51000, 52000, 55000).
    std::uint16_t Phase() const { return phase_; }

private:
    void ReadSettings();
    void RefreshAlarmWords();
    void NextPhase();

    TDriver& driver_;
    bool installed_ = false;
    Callback pending_;
    std::array<std::int16_t, scope::MaxSamples> channel1_{};
    std::array<std::int16_t, scope::MaxSamples> channel2_{};
    UploadProgress progress_;
    int sampleCount_ = scope::MaxSamples;
    int reportedCount_ = scope::MaxSamples;
    bool completed_ = false;

    std::uint16_t phase_ = 0;
    std::uint16_t next_ = 0;
    std::uint16_t last_ = 0;
    std::int16_t* dest_ = nullptr;
    std::uint32_t refreshDue_ = 0;
};

} // namespace kelm
