#pragma once

#include "core/drive/scope/ScopeRegisters.h"

#include <QTimer>
#include <functional>

namespace kelm {

class ScopeCapture;
class TDriver;

// The run of the oscilloscope on the user-interface thread: arming, the 500 ms trigger
// wait on the recorder state (refreshed by the status poll), the upload, the post-capture
// step and the continuous re-arm. Stop takes effect at the next trigger-wait tick or after
// the running upload, and always leaves the recorder stopped (command 0).
//
// Idle -> Armed (trigger wait) -> Uploading (mode CaptureUpload) -> Plotted (post-capture timer)
// -> Idle, or Armed again in continuous mode.
class ScopeSession {
public:
    struct Observer {
        std::function<scope::ArmSettings()> Settings; // level, delay, scales of the controls
        std::function<bool()> Continuous;             // the mode buttons, read when needed
        std::function<void()> RunControlsReset;       // Start up, modes and speed enabled
        std::function<void()> UploadStarting;         // Clear and other windows disabled
        std::function<void()> Progress;               // a progress callback of the upload
        // The upload ended; plot is false after a stop request or a lost link. The windows
        // disabled for the upload are given back.
        std::function<void(bool plot)> UploadEnded;
    };

    static constexpr int TriggerWaitMs = 500;
    static constexpr int FastTriggerMs = 5;
    static constexpr int PostCaptureMs = 100;

    ScopeSession(TDriver& driver, ScopeCapture& capture);
    void SetObserver(Observer observer) { observer_ = std::move(observer); }

    // Arms a capture unless one runs already; false when nothing was started.
    bool Start();
    // The Stop button.
    void RequestStop() { stopRequested_ = true; }
    // The status poll saw the record complete (fast path): look at it in 5 ms.
    void CaptureComplete();

    bool Running() const { return running_; }
    bool StopRequested() const { return stopRequested_; }
    bool PostProcessingPending() const { return postPending_; }
    bool Uploading() const { return uploading_; }

private:
    void Arm();
    void TriggerTick();
    void StartUpload();
    void UploadDone();
    void PostCapture();
    void ResetRunControls();
    void StopRecorder();
    template <typename F, typename... A> void Notify(const F& fn, A... args) const {
        if (fn)
            fn(args...);
    }

    TDriver& driver_;
    ScopeCapture& capture_;
    Observer observer_;
    QTimer triggerWait_;
    QTimer postCapture_;
    bool running_ = false;
    bool stopRequested_ = false;
    bool postPending_ = false;
    bool uploading_ = false;
};

} // namespace kelm
