#include "core/drive/TDriver.h"

#include "core/common/Ticks.h"
#include "core/drive/DriveIdentity.h"
#include "core/drive/DriveWorker.h"
#include "core/drive/DriverHost.h"
#include "core/drive/LineRunner.h"
#include "core/drive/MasterUseCheck.h"
#include "core/drive/TableTransfer.h"
#include "core/drive/WriteJournal.h"
#include "core/link/ModbusMaster.h"
#include "core/seams/Messages.h"

#include <QDebug>
#include <algorithm>
#include <chrono>
#include <exception>
#include <thread>

namespace kelm {

namespace {

constexpr std::uint32_t PollPeriodMs = 500;
constexpr std::uint32_t PollGapMs = 10;

// A tick mark of 0 means "no poll ran yet", so a real mark is never 0.
std::uint32_t NowMark() {
    return std::max<std::uint32_t>(TickCount(), 1);
}

} // namespace

WorkerMode TDriver::Mode() const {
    return worker_->Mode();
}

int TDriver::MasterConflicts() const {
    return masterCheck_->Conflicts();
}

int TDriver::GetModelFamily() const {
    return kelm::GetModelFamily(currentKind_, activeTable_);
}

int TDriver::GetModelSeries() const {
    return kelm::GetModelSeries(activeTable_);
}

double TDriver::GetDriveSize() const {
    return kelm::GetDriveSize(currentKind_, activeTable_);
}

// --- transfer wrappers -------------------------------------------------------------------

bool TDriver::ReadRegs(std::uint16_t address, std::uint16_t* buffer, bool reportFailure,
                       std::uint32_t timeoutMs, std::uint8_t count, std::uint16_t* copyTarget) {
    if (!Online() || buffer == nullptr)
        return false;
    // The failure is reported here, after the transfer: the box belongs to this thread.
    const bool ok =
        UseLine([&] { return master_.ReadRegisters(address, buffer, count, timeoutMs, false); });
    if (ok) {
        if (copyTarget != nullptr && count != 0)
            std::copy(buffer, buffer + count, copyTarget);
        return Online();
    }
    if (reportFailure)
        ReportFailedTransfer();
    return false;
}

void TDriver::ReportFailedTransfer() {
    // The port is closed holding the line, as a poll may have resumed meanwhile; the box
    // comes after, when the line is free.
    bool removed = false;
    UseLine([&] {
        removed = master_.CloseAfterFailure();
        return true;
    });
    master_.ReportFailure(removed);
    GoOffline();
}

bool TDriver::UseLine(const std::function<bool()>& use) {
    bool ok = false;
    const auto run = [&] {
        // One transfer at a time, whichever thread asks: events served while the
        // user-interface thread waits may resume the worker's poll.
        const std::lock_guard line(lineMutex_);
        MasterUseCheck::Scope check(*masterCheck_);
        ok = use();
    };
    if (worker_->OnWorkerThread())
        run();
    else
        lineRunner_->Run(run, [this] { host_.ProcessEvents(); });
    return ok;
}

UnitInUse TDriver::CurrentUnit() const {
    return UnitInUse{master_.GetPort(), master_.IsLinkMode(), master_.UnitAddress(), currentKind_};
}

bool TDriver::WriteReg(std::uint16_t address, std::uint16_t value, bool reportFailure,
                       std::uint32_t timeoutMs, std::uint16_t* echoTarget) {
    bool ok = false;
    WriteRecord record;
    {
        const LineTurns::Write turn(session_.Line());
        if (!Online())
            return false;
        if (const ParamEntry* entry = activeTable_.FindByAddress(address)) {
            record.OldValue = entry->DriveValue; // what the drive held, as last read
            record.Name = entry->Name;
        } else if (const ParamEntry* profile = profileTable_.FindByAddress(address)) {
            record.OldValue = profile->DriveValue;
            record.Name = profile->Name.isEmpty()
                              ? QStringLiteral("Profile register %1").arg(address)
                              : profile->Name;
            record.Profile = true;
        }
        {
            const std::lock_guard lock(commandMutex_);
            record.Command = command_;
        }
        if (!Gate().Admit(CurrentUnit(), address, value, &record.Gate)) {
            record.Result = JournalResult::Refused;
            Record(record);
            return false;
        }
        // The failure is reported below, once the line is free: the box waits for the
        // user-interface thread, which may be waiting for the line.
        ok = UseLine([&] { return master_.WriteRegisters(address, &value, 1, timeoutMs, false); });
    }
    record.Result = ok ? JournalResult::Written : JournalResult::Failed;
    Record(record);
    if (ok) {
        if (echoTarget != nullptr)
            *echoTarget = value;
        return Online();
    }
    if (reportFailure)
        ReportFailedTransfer();
    return false;
}

void TDriver::Record(const WriteRecord& record) const {
    if (writeRecorder_)
        writeRecorder_(record);
    for (const auto& recorder : moreRecorders_)
        recorder(record);
}

// The int16 value columns are accessed as uint16 registers (same size and representation).
bool TDriver::ReadEntry(ParamEntry& entry, bool reportFailure, std::uint32_t timeoutMs,
                        bool copyToValue) {
    auto* buffer = reinterpret_cast<std::uint16_t*>(&entry.DriveValue);
    auto* copy = copyToValue ? reinterpret_cast<std::uint16_t*>(&entry.Value) : nullptr;
    return ReadRegs(entry.Address, buffer, reportFailure, timeoutMs, 1, copy);
}

bool TDriver::WriteEntry(ParamEntry& entry, bool reportFailure, std::uint32_t timeoutMs) {
    return WriteReg(entry.Address, static_cast<std::uint16_t>(entry.Value), reportFailure,
                    timeoutMs, reinterpret_cast<std::uint16_t*>(&entry.DriveValue));
}

bool TDriver::ReadParam(std::uint16_t address, bool reportFailure, std::uint32_t timeoutMs) {
    ParamEntry* entry = activeTable_.FindByAddress(address);
    return entry != nullptr && ReadEntry(*entry, reportFailure, timeoutMs, true);
}

bool TDriver::WriteParam(std::uint16_t address, std::int16_t value, bool reportFailure,
                         std::uint32_t timeoutMs) {
    ParamEntry* entry = activeTable_.FindByAddress(address);
    if (entry == nullptr)
        return false;
    entry->Value = value;
    return WriteEntry(*entry, reportFailure, timeoutMs);
}

void TDriver::GoOffline() {
    SetOnline(false);
    RunSynchronized([this] { host_.ConfigureForDevice(); });
}

// --- mode protocol -----------------------------------------------------------------------

WorkerMode TDriver::WaitIdle() {
    const WorkerMode previous = worker_->Mode();
    // From the worker itself, or from inside a synchronized call the worker is waiting on:
    // the worker cannot be using the link now, and waiting for it would deadlock. Idle
    // makes it suspend once the current step returns.
    if (worker_->OnWorkerThread()) {
        worker_->SetMode(WorkerMode::Idle); // the pause timer belongs to the other thread
        return previous;
    }
    if (inSynchronized_.load() > 0) {
        if (IsPacedPoll(previous))
            host_.StopPauseTimer();
        worker_->SetMode(WorkerMode::Idle);
        return previous;
    }
    for (;;) {
        // Checked every turn: an event processed below may have restarted an activity.
        const WorkerMode mode = worker_->Mode();
        if (mode != WorkerMode::Idle) {
            if (IsPacedPoll(mode))
                host_.StopPauseTimer();
            worker_->SetMode(WorkerMode::Idle);
            worker_->Resume();
        }
        if (worker_->IsSuspended())
            break;
        host_.ProcessEvents();
        if (!worker_->IsSuspended())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return previous;
}

void TDriver::SetMode(WorkerMode mode) {
    if (!Online()) {
        worker_->SetMode(WorkerMode::Idle);
        return;
    }
    switch (mode) {
    case WorkerMode::Diagnostic:
        WaitIdle();
        worker_->SetMode(WorkerMode::Diagnostic);
        RunStartBody(WorkerMode::Diagnostic);
        master_.ResetCounters();
        worker_->Resume();
        break;
    case WorkerMode::LinkPoll:
        worker_->SetMode(WorkerMode::LinkPoll);
        tickMark_ = 0;
        RunStartBody(WorkerMode::LinkPoll);
        worker_->Resume();
        break;
    default:
        worker_->SetMode(WorkerMode::StatusPoll);
        tickMark_ = 0;
        worker_->Resume();
        break;
    }
}

void TDriver::StartRead(TransferTarget target, Callback onProgress, Callback onDone) {
    WaitIdle();
    if (target == TransferTarget::Capture) {
        transfer_->Begin(nullptr, 0, std::move(onProgress), std::move(onDone));
        RunStartBody(WorkerMode::CaptureUpload);
        worker_->SetMode(WorkerMode::CaptureUpload);
    } else {
        ParamTable* table = &activeTable_;
        if (target == TransferTarget::ScopeSettings)
            table = &scopeSettingsTable_;
        if (target == TransferTarget::Profiles)
            table = &profileTable_;
        transfer_->Begin(table, currentKind_ == DeviceKind::Std ? 32 : 16, std::move(onProgress),
                         std::move(onDone));
        worker_->SetMode(WorkerMode::TableRead);
    }
    worker_->Resume();
}

void TDriver::StartWrite(TransferTarget target, Callback onProgress, Callback onDone) {
    WaitIdle();
    ParamTable* table = target == TransferTarget::ActiveTable ? &activeTable_ : &profileTable_;
    transfer_->Begin(table, 1, std::move(onProgress), std::move(onDone), true);
    worker_->SetMode(WorkerMode::TableWrite);
    worker_->Resume();
}

void TDriver::PauseElapsed() {
    pauseElapsed_ = true;
    if (IsPacedPoll(worker_->Mode()))
        worker_->Resume();
}

void TDriver::SetPollBody(WorkerMode mode, Body body, PollThread thread) {
    for (;;) {
        {
            const std::lock_guard lock(pollBodyMutex_);
            // From the worker, or from a synchronized call the running body waits on, the
            // body cannot be waited for; it runs on a copy of itself.
            if (!workerBodyRunning_ || worker_->OnWorkerThread() || inSynchronized_.load() > 0) {
                pollBodies_[mode] = std::move(body);
                pollThreads_[mode] = thread;
                return;
            }
        }
        host_.ProcessEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void TDriver::SetStepBody(WorkerMode mode, Body body) {
    stepBodies_[mode] = std::move(body);
}

void TDriver::SetStartBody(WorkerMode mode, Body body) {
    startBodies_[mode] = std::move(body);
}

void TDriver::RunStartBody(WorkerMode mode) {
    const auto found = startBodies_.find(mode);
    if (found != startBodies_.end() && found->second)
        found->second();
}

void TDriver::RunSynchronized(const Callback& fn) {
    if (!worker_->OnWorkerThread()) {
        fn();
        return;
    }
    // Marks, on the user-interface thread, that the worker is waiting on this call.
    host_.RunSynchronized([this, &fn] {
        struct Mark {
            std::atomic<int>& depth;
            explicit Mark(std::atomic<int>& d) : depth(d) { ++depth; }
            ~Mark() { --depth; }
        } mark(inSynchronized_);
        fn();
    });
}

void TDriver::NotifyProgress() {
    transfer_->NotifyProgress(1);
}

void TDriver::FinishTransfer() {
    transfer_->Finish();
}

// Worker thread: one turn of the loop for the current mode.
void TDriver::WorkerStep(WorkerMode mode) {
    switch (mode) {
    case WorkerMode::StatusPoll:
    case WorkerMode::LinkPoll: {
        bool workerBodyDue = false;
        RunSynchronized([this, &workerBodyDue] { workerBodyDue = PollCycle(); });
        if (workerBodyDue)
            RunWorkerPollBody(mode);
        break;
    }
    case WorkerMode::TableRead:
        transfer_->ReadStep();
        break;
    case WorkerMode::TableWrite:
        transfer_->WriteStep();
        break;
    case WorkerMode::Diagnostic:
    case WorkerMode::CaptureUpload:
        RunStepBody(mode);
        break;
    default:
        worker_->SetMode(WorkerMode::Idle);
        break;
    }
}

void TDriver::RunStepBody(WorkerMode mode) {
    const auto found = stepBodies_.find(mode);
    if (found == stepBodies_.end() || !found->second) {
        // Nothing installed for this activity: an upload ends at once, anything else stops.
        if (mode == WorkerMode::CaptureUpload)
            transfer_->Finish();
        else
            worker_->SetMode(WorkerMode::Idle);
        return;
    }
    try {
        found->second();
    } catch (...) {
        if (mode == WorkerMode::CaptureUpload)
            ShowError(QStringLiteral("Error Nr. 004"));
        else
            qWarning() << "diagnostic step failed";
        SetMode(WorkerMode::StatusPoll);
    }
}

// User-interface thread (synchronized call from the worker): the paced status or link poll.
bool TDriver::PollCycle() {
    const WorkerMode mode = worker_->Mode();
    if (!IsPacedPoll(mode))
        return false; // stopped while the call was queued
    const std::uint32_t mark = tickMark_.load();
    if (mark != 0) {
        const std::uint32_t elapsed = TickCount() - mark;
        const int interval =
            static_cast<int>(elapsed < PollPeriodMs ? PollPeriodMs - elapsed : PollGapMs);
        if (!pauseElapsed_.load()) {
            tickMark_ = 0;
            worker_->RequestSuspend();
            host_.StartPauseTimer(interval);
            return false;
        }
    }
    tickMark_ = NowMark();
    pauseElapsed_ = false;
    const auto found = pollBodies_.find(mode);
    if (found == pollBodies_.end() || !found->second)
        return false;
    const auto thread = pollThreads_.find(mode);
    if (thread != pollThreads_.end() && thread->second == PollThread::Worker)
        return true;
    try {
        found->second();
    } catch (const std::exception& error) {
        qWarning() << "poll failed:" << error.what();
    } catch (...) {
        qWarning() << "poll failed";
    }
    return false;
}

// Worker: a poll body that does its transfers here and reaches windows through
// RunSynchronized. Skipped when the poll was stopped since its cycle was paced.
void TDriver::RunWorkerPollBody(WorkerMode mode) {
    Body body;
    {
        const std::lock_guard lock(pollBodyMutex_);
        const auto found = pollBodies_.find(mode);
        if (worker_->Mode() != mode || found == pollBodies_.end() || !found->second)
            return;
        body = found->second;
        workerBodyRunning_ = true;
    }
    try {
        body();
    } catch (const std::exception& error) {
        qWarning() << "poll failed:" << error.what();
    } catch (...) {
        qWarning() << "poll failed";
    }
    const std::lock_guard lock(pollBodyMutex_);
    workerBodyRunning_ = false;
}

} // namespace kelm
