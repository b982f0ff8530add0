#pragma once

#include "core/common/DeviceKind.h"
#include "core/drive/WriteGate.h"

#include "core/drive/procedures/OwedDisable.h"

#include <QString>
#include <cstdint>

namespace kelm {

class ProcedureWaiter;
class TDriver;

// Request bits of the procedure control register.
inline constexpr std::uint16_t PhasingBit = 0x10;
inline constexpr std::uint16_t Offset1Bit = 0x08;
inline constexpr std::uint16_t Offset2Bit = 0x100;

// The registers the procedures use on one kind.
struct ProcedureRegisters {
    std::uint16_t AlarmLow;
    std::uint16_t AlarmHigh; // tested only by the Tarn phasing
    std::uint16_t State;     // bit 0 = enabled
    std::uint16_t Control;
    std::uint16_t EnableRequest;
    std::uint16_t DisableRequest;
    std::uint16_t Phase;
    std::uint16_t Offset1;
    std::uint16_t Offset2;
};

constexpr ProcedureRegisters ProcedureRegistersOf(DeviceKind kind) {
    if (kind == DeviceKind::Drive)
        return {116, 117, 198, 202, 200, 201, 16, 25, 31};
    if (kind == DeviceKind::Power) // Tarn phasing registers, Std-like offsets
        return {116, 117, 198, 202, 200, 201, 16, 29, 30};
    return {51, 52, 65, 69, 73, 74, 11, 29, 30};
}

// The three procedures of the Tuning menu.
enum class TuningProcedure {
    MotorPhasing,
    SpeedOffset,  // analog input 1 offset
    TorqueOffset, // analog input 2 offset
};
// The question asked before the procedure.
QString ProcedureQuestion(TuningProcedure procedure);
// The action the procedure's writes carry through the write gate (the menu item's name).
QString ProcedureAction(TuningProcedure procedure);
// Register holding the result of the procedure on the kind.
std::uint16_t ProcedureResultRegister(TuningProcedure procedure, DeviceKind kind);

// Offset register value in millivolts (single-precision first product, as the drive's
// own tool computes it), and its display "0.0" + " mV".
double OffsetMillivolts(std::int16_t value);
QString FormatMillivolts(std::int16_t value);
QString FormatPhaseValue(std::int16_t value); // "00000", sign in front
// The message after the procedure; result is the Value of the result register.
QString ProcedureResultText(TuningProcedure procedure, bool ok, std::int16_t result);

// Shows the outcome of a procedure through the message seam: a beep and the result text,
// read from the result register's Value of the driver's active table.
void ReportProcedureResult(TDriver& driver, TuningProcedure procedure, bool ok);

// Reads a register for a procedure: one of the active table into both its DriveValue and
// Value, another as it stands. A failure is reported (and takes the driver off line).
bool ReadProcedureRegister(TDriver& driver, std::uint16_t address, std::uint16_t& value);

// The driver runs a procedure: motor phasing (PhasingTarn on Power and Drive, PhasingStd
// otherwise), analog input 1 offset or analog input 2 offset; the waits
// run through waiter. Stops the worker first (WaitIdle), writes first what an earlier
// procedure still owes this unit (SettleOwedDisable), and always resumes status polling
// (SetMode StatusPoll). true on success.
// origin: the request as the user made it (driver.Ask(ProcedureAction(procedure)) when the
// command started); the procedure's writes go through the write gate under it, so a
// procedure asked before a change of the session writes nothing. Its closing writes (the
// disable request, the request bit withdrawn) are safety writes for the unit it ran on:
// written under an origin of their own as long as that unit is in use, else owed to it.
bool RunProcedure(TDriver& driver, TuningProcedure procedure, ProcedureWaiter& waiter,
                  const WriteOrigin& origin);
// The same, asked now.
bool RunProcedure(TDriver& driver, TuningProcedure procedure, ProcedureWaiter& waiter);

// The procedures themselves. The caller has stopped the worker; the waits run through
// the waiter. Every failed register access is reported and ends with false. After a failed
// wait (Cancel, time limit, lost line) the request bit is withdrawn, so that the drive
// does not finish the procedure and store its result; a phasing writes its disable request
// first. Closing writes that cannot be made are owed to the unit (OwedDisable) and said.
class Procedures {
public:
    Procedures(TDriver& driver, ProcedureWaiter& waiter, WriteOrigin origin,
               OwedDisables& owed = ProcessOwedDisables())
        : driver_(driver), waiter_(waiter), origin_(std::move(origin)), owed_(owed) {}

    bool PhasingStd();
    bool PhasingTarn();
    // bit: Offset1Bit or Offset2Bit.
    bool OffsetTuning(std::uint16_t bit);

private:
    // How far the requests got: none sent, all sent, or the line lost on the way (they may
    // have reached the drive).
    enum class Start { NotSent, Sent, Broken };

    bool Phasing(bool tarn);
    bool Read(std::uint16_t address, std::uint16_t& value);
    bool Write(std::uint16_t address, std::uint16_t value);
    // The request bit set in the control register, then the enable request (when not 0).
    Start Request(std::uint16_t control, std::uint16_t bit, std::uint16_t enableRequest);
    bool CheckReady(const ProcedureRegisters& regs, bool bothAlarmWords);
    // The closing writes; true when all were made, else they are owed and said.
    bool Close(std::uint16_t disableRequest, std::uint16_t control, std::uint16_t bit,
               bool withdraw, bool withdrawAlways);
    // Runs the wait; returns the last control value.
    std::uint16_t Wait(std::uint16_t status, std::uint16_t control, std::uint16_t bit,
                       bool twoPhase);

    TDriver& driver_;
    ProcedureWaiter& waiter_;
    WriteOrigin origin_;
    OwedDisables& owed_;
};

} // namespace kelm
