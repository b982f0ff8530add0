#include "core/drive/scope/StepSource.h"

#include "core/drive/TDriver.h"
#include "core/drive/procedures/OwedDisable.h"
#include "core/seams/Messages.h"

#include <cstdlib>

namespace kelm {

namespace {

const QString StepAction = QStringLiteral("Oscilloscope Step");
const QString ReturnAction = QStringLiteral("Oscilloscope Step back to 0");

// Puts the worker back in a polling mode it was taken from.
void Resume(TDriver& driver, WorkerMode previous) {
    if (IsPacedPoll(previous) || previous == WorkerMode::Diagnostic)
        driver.SetMode(previous);
}

} // namespace

StepSource::StepSource(TDriver& driver, const StepRegisters& registers)
    : StepSource(driver, registers, ProcessOwedDisables()) {}

StepSource::StepSource(TDriver& driver, const StepRegisters& registers, OwedDisables& owed)
    : driver_(driver), registers_(registers), owed_(owed) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer); // the step lasts at least its duration
    QObject::connect(&timer_, &QTimer::timeout, [this] { ReturnToZero(); });
}

StepSource::~StepSource() {
    ReturnToZero();
}

bool StepSource::Confirm(const StepRequest& request) {
    const UnitInUse unit = driver_.CurrentUnit();
    if (confirmedUnit_ && *confirmedUnit_ == unit)
        return true;
    if (!AskConfirm(QStringLiteral("Step the digital speed reference to %1 rpm for %2 ms?\r"
                                   "The motor will turn.")
                        .arg(request.Rpm)
                        .arg(request.DurationMs)))
        return false;
    confirmedUnit_ = unit;
    return true;
}

QString StepSource::RefusalText(const QString& reason) {
    return QStringLiteral("No step: ") + reason + QLatin1Char('.');
}

std::optional<std::uint16_t> StepSource::ReadWord(std::uint16_t address) {
    std::uint16_t word = 0;
    if (!driver_.ReadRegs(address, &word, true, 100, 1, nullptr))
        return std::nullopt;
    return word;
}

QString StepSource::Refusal(const StepRequest& request) {
    if (active_)
        return QStringLiteral("a step is running");
    if (!driver_.Online())
        return QStringLiteral("the drive is off line");
    if (driver_.CurrentKind() == DeviceKind::Power)
        return QStringLiteral("the Tarn Power unit has no speed loop");
    // Fresh from the drive, into no table: a page's unsent edit stays as it is.
    const WorkerMode previous = driver_.WaitIdle();
    const auto mode = ReadWord(registers_.Mode);
    const auto state = mode ? ReadWord(registers_.DriveState) : std::nullopt;
    const auto reference = state ? ReadWord(registers_.Reference) : std::nullopt;
    const auto maxSpeed = reference ? ReadWord(registers_.MaxSpeed) : std::nullopt;
    Resume(driver_, previous);
    if (!maxSpeed)
        return QStringLiteral("the drive is off line");
    if (*mode != DigitalSpeedMode)
        return QStringLiteral("the drive is not in Digital Speed mode");
    if ((*state & 1U) == 0)
        return QStringLiteral("the drive is not enabled");
    if (*reference != 0)
        return QStringLiteral("the digital speed reference is not 0");
    const int max = static_cast<std::int16_t>(*maxSpeed);
    if (request.Rpm == 0 || max <= 0 || std::abs(request.Rpm) > max)
        return QStringLiteral("the step's speed must be 1 to %1 rpm, either way").arg(max);
    return {};
}

bool StepSource::WriteReference(std::int16_t raw) {
    const WorkerMode previous = driver_.WaitIdle();
    const bool written = driver_.WriteParam(registers_.Reference, raw, true);
    Resume(driver_, previous);
    return written;
}

bool StepSource::Start(const StepRequest& request, const ArmFunction& arm) {
    if (active_ || !driver_.Online())
        return false;
    std::uint16_t maxSpeed = 0;
    {
        const WorkerMode previous = driver_.WaitIdle();
        const bool read = driver_.ReadRegs(registers_.MaxSpeed, &maxSpeed, true, 100, 1, nullptr);
        Resume(driver_, previous);
        if (!read || static_cast<std::int16_t>(maxSpeed) <= 0)
            return false;
    }
    // The reference is a fraction of the maximum speed (32767 = the maximum).
    const auto raw = static_cast<std::int16_t>(static_cast<std::int64_t>(request.Rpm) * 32767 /
                                               static_cast<std::int16_t>(maxSpeed));
    origin_ = driver_.Ask(StepAction);
    const WriteGate::Scope scope(driver_.Gate(), origin_);
    if (!arm() || !driver_.Online())
        return false;
    active_ = true;
    if (!WriteReference(raw)) {
        // A reply lost after the drive took the step: the return is owed or written.
        ReturnToZero();
        return false;
    }
    timer_.start(request.DurationMs);
    return true;
}

void StepSource::LineChanged() {
    if (active_ && !driver_.Online())
        Owe();
}

void StepSource::ReturnToZero() {
    if (!active_)
        return;
    timer_.stop();
    if (!driver_.Online() || driver_.CurrentUnit() != origin_.Unit) {
        Owe();
        return;
    }
    // The upload of the record holds the line: the return follows it.
    if (driver_.Mode() == WorkerMode::CaptureUpload) {
        timer_.start(RetryMs);
        return;
    }
    // The step's own origin; after a transition on the same unit (a table read) the
    // return is still the step's safety write, asked now.
    const WriteOrigin origin = driver_.StillCurrent(origin_) ? origin_ : driver_.Ask(ReturnAction);
    bool written = false;
    {
        const WriteGate::Scope scope(driver_.Gate(), origin);
        written = WriteReference(0);
    }
    if (!written) {
        Owe();
        return;
    }
    End();
}

void StepSource::Owe() {
    OwedDisable owed;
    owed.Unit = origin_.Unit;
    owed.Action = ReturnAction;
    owed.ZeroRegister = registers_.Reference;
    owed_.Add(owed);
    End();
}

void StepSource::End() {
    timer_.stop();
    active_ = false;
    if (ended_)
        ended_();
}

} // namespace kelm
