#include "core/drive/scope/ScopeSession.h"

#include "core/drive/TDriver.h"
#include "core/drive/scope/ScopeCapture.h"

namespace kelm {

ScopeSession::ScopeSession(TDriver& driver, ScopeCapture& capture)
    : driver_(driver), capture_(capture) {
    triggerWait_.setSingleShot(true);
    postCapture_.setSingleShot(true);
    QObject::connect(&triggerWait_, &QTimer::timeout, [this] { TriggerTick(); });
    QObject::connect(&postCapture_, &QTimer::timeout, [this] { PostCapture(); });
}

bool ScopeSession::Start() {
    if (running_)
        return false;
    running_ = true;
    stopRequested_ = false;
    Arm();
    return true;
}

void ScopeSession::Arm() {
    const scope::ArmSettings settings =
        observer_.Settings ? observer_.Settings() : scope::ArmSettings{};
    scope::Arm(driver_, settings);
    triggerWait_.start(TriggerWaitMs);
}

void ScopeSession::CaptureComplete() {
    // Only while waiting for the trigger: the poll keeps seeing the full record until the
    // post-capture step has stopped or re-armed the recorder.
    if (running_ && !uploading_ && !postPending_)
        triggerWait_.start(FastTriggerMs);
}

void ScopeSession::ResetRunControls() {
    running_ = false;
    Notify(observer_.RunControlsReset);
}

void ScopeSession::StopRecorder() {
    if (ParamEntry* command = driver_.ScopeSettingsTable().FindByAddress(scope::Command))
        command->Value = scope::StateIdle;
    driver_.WriteChangedScopeSettings();
}

void ScopeSession::TriggerTick() {
    triggerWait_.stop();
    if (uploading_ || postPending_)
        return;
    if (stopRequested_) {
        ResetRunControls();
        StopRecorder();
        return;
    }
    // Off line the recorder state is never read again: give the controls back.
    if (!driver_.Online()) {
        ResetRunControls();
        return;
    }
    if (!scope::ArmedByProgram(driver_))
        return;
    if (scope::DriveState(driver_) != scope::StateComplete)
        triggerWait_.start(TriggerWaitMs);
    else
        StartUpload();
}

void ScopeSession::StartUpload() {
    if (!driver_.Online())
        return;
    Notify(observer_.UploadStarting);
    uploading_ = true;
    capture_.StartUpload([this] { Notify(observer_.Progress); }, [this] { UploadDone(); });
}

void ScopeSession::UploadDone() {
    uploading_ = false;
    const bool plot = !stopRequested_ && capture_.Completed();
    postPending_ = true;
    Notify(observer_.UploadEnded, plot);
    postCapture_.start(PostCaptureMs);
}

void ScopeSession::PostCapture() {
    // Wait until the upload has handed the line back to the status poll (off line there
    // is nothing to wait for).
    if (driver_.Online() && driver_.Mode() != WorkerMode::StatusPoll) {
        postCapture_.start(PostCaptureMs);
        return;
    }
    const bool continuous = observer_.Continuous && observer_.Continuous();
    if (continuous && !stopRequested_ && driver_.Online())
        Arm();
    else
        ResetRunControls();
    if (!running_)
        StopRecorder();
    postPending_ = false;
}

} // namespace kelm
