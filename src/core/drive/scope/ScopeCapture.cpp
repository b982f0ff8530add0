#include "core/drive/scope/ScopeCapture.h"

#include "core/common/Ticks.h"
#include "core/drive/TDriver.h"

#include <algorithm>

namespace kelm {

namespace {

constexpr std::uint16_t Finished = 55000;
constexpr std::uint32_t TimeoutMs = 100;

} // namespace

int UploadProgress::TakeNewRegisters() {
    if (First != Reference)
        return 0;
    --First; // the same block is not counted twice
    return Last - Reference + 1;
}

ScopeCapture::ScopeCapture(TDriver& driver) : driver_(driver) {}

ScopeCapture::~ScopeCapture() {
    if (installed_) {
        driver_.SetStepBody(WorkerMode::CaptureUpload, {});
        driver_.SetStartBody(WorkerMode::CaptureUpload, {});
    }
}

void ScopeCapture::Install() {
    driver_.SetStepBody(WorkerMode::CaptureUpload, [this] { Step(); });
    driver_.SetStartBody(WorkerMode::CaptureUpload, [this] { Begin(); });
    installed_ = true;
}

bool ScopeCapture::StartUpload(Callback onProgress, Callback onDone) {
    if (!driver_.Online())
        return false;
    channel1_.fill(0);
    channel2_.fill(0);
    progress_ = UploadProgress{};
    completed_ = false;
    driver_.StartRead(TransferTarget::Capture, std::move(onProgress), std::move(onDone));
    return true;
}

void ScopeCapture::Begin() {
    phase_ = 0;
    completed_ = false;
}

// The recorder registers: N and the sample factors come from the drive. A failed read
// leaves N = 500 and the previous factors.
void ScopeCapture::ReadSettings() {
    ParamTable& table = driver_.ScopeSettingsTable();
    if (ParamEntry* count = table.FindByAddress(scope::SampleCount)) {
        count->Value = scope::MaxSamples;
        count->DriveValue = scope::MaxSamples;
    }
    std::array<std::uint16_t, scope::RegisterCount> words{};
    if (driver_.ReadRegs(scope::Command, words.data(), true, TimeoutMs, scope::RegisterCount,
                         nullptr)) {
        std::size_t i = 0;
        for (ParamEntry& entry : table)
            if (i < words.size())
                entry.DriveValue = static_cast<std::int16_t>(words[i++]);
        for (const std::uint16_t address : {scope::SampleCount, scope::Factor1, scope::Factor2})
            if (ParamEntry* entry = table.FindByAddress(address))
                entry->Value = entry->DriveValue;
    }
    const ParamEntry* count = table.FindByAddress(scope::SampleCount);
    // The count is a register word; a drive reporting more than the buffers hold gets the
    // first 500 samples of each channel uploaded.
    reportedCount_ = count != nullptr ? static_cast<std::uint16_t>(count->DriveValue) : 0;
    sampleCount_ = std::min(reportedCount_, scope::MaxSamples);
    progress_.Maximum = 2 * sampleCount_;
    phase_ = scope::Channel1Samples;
    next_ = phase_;
    last_ = static_cast<std::uint16_t>(phase_ + sampleCount_ - 1);
    dest_ = channel1_.data();
    refreshDue_ = TickCount() + FirstRefreshMs;
}

void ScopeCapture::RefreshAlarmWords() {
    const KindRegisters regs = driver_.Registers();
    driver_.ReadParam(regs.ActiveAlarmLow, true, TimeoutMs);
    driver_.ReadParam(regs.ActiveAlarmHigh, true, TimeoutMs);
    refreshDue_ = TickCount() + RefreshPeriodMs;
}

void ScopeCapture::NextPhase() {
    if (phase_ == scope::Channel1Samples) {
        phase_ = scope::Channel2Samples;
        dest_ = channel2_.data();
    } else {
        phase_ = Finished;
    }
    next_ = phase_;
    last_ = static_cast<std::uint16_t>(sampleCount_ + phase_ - 1);
}

void ScopeCapture::Step() {
    if (phase_ == 0)
        ReadSettings();
    if (driver_.Online() && static_cast<std::int32_t>(TickCount() - refreshDue_) >= 0)
        RefreshAlarmWords();
    // On the worker: the requests' transfers stay off the user-interface thread.
    if (pending_ && driver_.Online())
        pending_();

    // The link is gone: blocks would fail for ever. End without samples.
    if (!driver_.Online()) {
        phase_ = Finished;
        driver_.FinishTransfer();
        return;
    }

    // An empty channel (N = 0) has nothing to read.
    if (sampleCount_ > 0 && phase_ != Finished) {
        int block = driver_.CurrentKind() == DeviceKind::Std ? 32 : 16;
        if (next_ + block > last_)
            block = last_ - next_ + 1;
        if (driver_.ReadRegs(next_, reinterpret_cast<std::uint16_t*>(dest_), true, TimeoutMs,
                             static_cast<std::uint8_t>(block), nullptr)) {
            progress_.First = next_;
            progress_.Reference = next_;
            progress_.Last = next_ + block - 1;
            next_ = static_cast<std::uint16_t>(next_ + block);
            dest_ += block;
        }
        driver_.NotifyProgress();
    }
    if (sampleCount_ == 0 || next_ > last_)
        NextPhase();
    if (sampleCount_ == 0 && phase_ != Finished)
        NextPhase();
    if (phase_ == Finished && driver_.Online()) {
        completed_ = true;
        driver_.FinishTransfer();
    }
}

} // namespace kelm
