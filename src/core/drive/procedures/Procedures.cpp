#include "core/drive/procedures/Procedures.h"

#include "core/drive/TDriver.h"
#include "core/drive/procedures/TuningWait.h"
#include "core/seams/Messages.h"

#include <cstdlib>

namespace kelm {

QString ProcedureQuestion(TuningProcedure procedure) {
    switch (procedure) {
    case TuningProcedure::MotorPhasing:
        return QStringLiteral("Make Auto Phase Motor Feedback");
    case TuningProcedure::SpeedOffset:
        return QStringLiteral("Make Analog Input 1 Tuning");
    case TuningProcedure::TorqueOffset:
        return QStringLiteral("Make Analog Input 2 Tuning");
    }
    return {};
}

QString ProcedureAction(TuningProcedure procedure) {
    switch (procedure) {
    case TuningProcedure::MotorPhasing:
        return QStringLiteral("Motor Phasing");
    case TuningProcedure::SpeedOffset:
        return QStringLiteral("Speed Offset");
    case TuningProcedure::TorqueOffset:
        return QStringLiteral("Torque Offset");
    }
    return {};
}

std::uint16_t ProcedureResultRegister(TuningProcedure procedure, DeviceKind kind) {
    const ProcedureRegisters regs = ProcedureRegistersOf(kind);
    if (procedure == TuningProcedure::MotorPhasing)
        return regs.Phase;
    return procedure == TuningProcedure::SpeedOffset ? regs.Offset1 : regs.Offset2;
}

double OffsetMillivolts(std::int16_t value) {
    const float product = static_cast<float>(value) * 100000.0F;
    return static_cast<double>(product) / 32768.0 * 0.1;
}

QString FormatMillivolts(std::int16_t value) {
    return QString::number(OffsetMillivolts(value), 'f', 1) + QStringLiteral(" mV");
}

QString FormatPhaseValue(std::int16_t value) {
    const int magnitude = std::abs(static_cast<int>(value));
    return (value < 0 ? QStringLiteral("-") : QString()) +
           QStringLiteral("%1").arg(magnitude, 5, 10, QLatin1Char('0'));
}

QString ProcedureResultText(TuningProcedure procedure, bool ok, std::int16_t result) {
    if (procedure == TuningProcedure::MotorPhasing) {
        return ok ? QStringLiteral("MOTOR PHASING SUCCESSFUL\r\rPhase Value:") +
                        FormatPhaseValue(result)
                  : QStringLiteral("MOTOR PHASING FAIL !");
    }
    const QString input =
        procedure == TuningProcedure::SpeedOffset ? QStringLiteral("1") : QStringLiteral("2");
    // A failed offset run is reported too, so that a failure is never silent.
    return ok ? QStringLiteral("ANALOG INPUT ") + input +
                    QStringLiteral(" OFFSET TUNING SUCCESSFUL\r\rOffset Value:") +
                    FormatMillivolts(result)
              : QStringLiteral("ANALOG INPUT ") + input + QStringLiteral(" OFFSET TUNING FAIL !");
}

void ReportProcedureResult(TDriver& driver, TuningProcedure procedure, bool ok) {
    const ParamEntry* entry = driver.ActiveTable().FindByAddress(
        ProcedureResultRegister(procedure, driver.CurrentKind()));
    const std::int16_t result = entry != nullptr ? entry->Value : 0;
    Beep();
    ShowInfo(ProcedureResultText(procedure, ok, result));
}

bool RunProcedure(TDriver& driver, TuningProcedure procedure, ProcedureWaiter& waiter,
                  const WriteOrigin& origin) {
    driver.WaitIdle();
    // The journal records the procedure as one command, not its handshake's registers.
    const TDriver::CommandMark mark(driver, ProcedureAction(procedure));
    bool ok = false;
    // What an earlier procedure still owes this unit goes before anything else.
    if (driver.Online() && SettleOwedDisable(driver)) {
        Procedures procedures(driver, waiter, origin);
        const DeviceKind kind = driver.CurrentKind();
        if (procedure == TuningProcedure::MotorPhasing)
            ok = kind == DeviceKind::Power || kind == DeviceKind::Drive ? procedures.PhasingTarn()
                                                                        : procedures.PhasingStd();
        else
            ok = procedures.OffsetTuning(procedure == TuningProcedure::SpeedOffset ? Offset1Bit
                                                                                   : Offset2Bit);
    }
    driver.SetMode(WorkerMode::StatusPoll);
    return ok;
}

bool RunProcedure(TDriver& driver, TuningProcedure procedure, ProcedureWaiter& waiter) {
    return RunProcedure(driver, procedure, waiter, driver.Ask(ProcedureAction(procedure)));
}

// A register of the table is read into both its DriveValue and Value; one the table does
// not name is read as it stands.
bool ReadProcedureRegister(TDriver& driver, std::uint16_t address, std::uint16_t& value) {
    if (ParamEntry* entry = driver.ActiveTable().FindByAddress(address)) {
        if (!driver.ReadEntry(*entry, true, 100, true))
            return false;
        value = static_cast<std::uint16_t>(entry->DriveValue);
        return true;
    }
    return driver.ReadRegs(address, &value, true, 100, 1, nullptr);
}

// --- the procedures -------------------------------------------------------------------

bool Procedures::Read(std::uint16_t address, std::uint16_t& value) {
    return ReadProcedureRegister(driver_, address, value);
}

// Under the origin of the user's request: nothing goes out once the session has changed.
bool Procedures::Write(std::uint16_t address, std::uint16_t value) {
    const WriteGate::Scope scope(driver_.Gate(), origin_);
    return driver_.WriteReg(address, value, true, 100, nullptr);
}

Procedures::Start Procedures::Request(std::uint16_t control, std::uint16_t bit,
                                      std::uint16_t enableRequest) {
    std::uint16_t word = 0;
    if (!Read(control, word))
        return Start::NotSent;
    // A write the gate dropped leaves the line up: nothing reached the drive. A lost line
    // may have lost only the reply.
    if (!Write(control, static_cast<std::uint16_t>(word | bit)))
        return driver_.Online() ? Start::NotSent : Start::Broken;
    if (enableRequest != 0 && !Write(enableRequest, 1))
        return Start::Broken;
    return Start::Sent;
}

bool Procedures::Close(std::uint16_t disableRequest, std::uint16_t control, std::uint16_t bit,
                       bool withdraw, bool withdrawAlways) {
    const OwedDisable closing{origin_.Unit, origin_.Action, disableRequest, control,
                              withdraw ? bit : std::uint16_t(0)};
    const auto left = WriteClosingRequests(driver_, closing, withdrawAlways);
    if (!left)
        return true;
    owed_.Add(*left);
    ShowError(OwedDisableText(*left));
    return false;
}

// No alarms and not enabled; otherwise the warning, and nothing is written.
bool Procedures::CheckReady(const ProcedureRegisters& regs, bool bothAlarmWords) {
    std::uint16_t low = 0;
    std::uint16_t high = 0;
    if (!Read(regs.AlarmLow, low) || (bothAlarmWords && !Read(regs.AlarmHigh, high)))
        return false;
    if (low != 0 || high != 0) {
        ShowInfo(QStringLiteral("Warning\rAllarms Active!"));
        return false;
    }
    std::uint16_t state = 0;
    if (!Read(regs.State, state))
        return false;
    if ((state & 0x01) != 0) {
        ShowInfo(QStringLiteral("Warning\rDrive Enabled!"));
        return false;
    }
    return true;
}

std::uint16_t Procedures::Wait(std::uint16_t status, std::uint16_t control, std::uint16_t bit,
                               bool twoPhase) {
    TuningWait wait(
        [this](std::uint16_t address, std::uint16_t& value) {
            return driver_.ReadRegs(address, &value, true, 100, 1, nullptr);
        },
        status, control, bit, twoPhase);
    waiter_.Run(wait);
    return wait.LastControl();
}

// Std and Orca 230 leave the request bit to the drive after a success; Power and Drive
// withdraw it after any failure, whatever the drive shows.
bool Procedures::Phasing(bool tarn) {
    const ProcedureRegisters regs = ProcedureRegistersOf(driver_.CurrentKind());
    if (!CheckReady(regs, tarn))
        return false;
    const Start start = Request(regs.Control, PhasingBit, regs.EnableRequest);
    if (start == Start::NotSent)
        return false;
    const bool twoPhase = driver_.CurrentKind() == DeviceKind::Drive;
    const std::uint16_t last =
        start == Start::Sent ? Wait(regs.State, regs.Control, PhasingBit, twoPhase) : PhasingBit;
    const bool failed = (last & PhasingBit) != 0;
    // The disable request goes out in every case; failing to write it fails the phasing.
    if (!Close(regs.DisableRequest, regs.Control, PhasingBit, failed, tarn) || failed)
        return false;
    std::uint16_t phase = 0;
    return Read(regs.Phase, phase);
}

bool Procedures::PhasingStd() {
    return Phasing(false);
}

bool Procedures::PhasingTarn() {
    return Phasing(true);
}

bool Procedures::OffsetTuning(std::uint16_t bit) {
    const DeviceKind kind = driver_.CurrentKind();
    const ProcedureRegisters regs = ProcedureRegistersOf(kind);
    const Start start = Request(regs.Control, bit, 0);
    if (start == Start::NotSent)
        return false;
    if (start == Start::Broken || (Wait(0, regs.Control, bit, false) & bit) != 0) {
        // Cancelled or cut off: the drive must not go on and store a new offset.
        Close(0, regs.Control, bit, true, false);
        return false;
    }
    std::uint16_t offset = 0;
    const TuningProcedure procedure =
        bit == Offset1Bit ? TuningProcedure::SpeedOffset : TuningProcedure::TorqueOffset;
    return Read(ProcedureResultRegister(procedure, kind), offset);
}

} // namespace kelm
