#pragma once

#include "core/common/DeviceKind.h"

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

// The three procedures of the Tuning menu by letter: 'P' phasing, 'S' analog input 1
// offset (speed), 'T' analog input 2 offset (torque).
bool IsProcedureLetter(char letter);
// The question asked before the procedure.
QString ProcedureQuestion(char letter);
// Register holding the result of the procedure on the kind.
std::uint16_t ProcedureResultRegister(char letter, DeviceKind kind);

// Offset register value in millivolts (single-precision first product, as the drive's
// own tool computes it), and its display "0.0" + " mV".
double OffsetMillivolts(std::int16_t value);
QString FormatMillivolts(std::int16_t value);
QString FormatPhaseValue(std::int16_t value); // "00000", sign in front
// The message after the procedure; result is the Value of the result register.
QString ProcedureResultText(char letter, bool ok, std::int16_t result);

// Shows the outcome of a procedure through the message seam: a beep and the result text,
// read from the result register's Value of the driver's active table.
void ReportProcedureResult(TDriver& driver, char letter, bool ok);

// The driver runs a procedure: 'P' motor phasing (PhasingTarn on Power and Drive,
// PhasingStd otherwise), 'S' analog input 1 offset, 'T' analog input 2 offset; the waits
// run through waiter. Stops the worker first (WaitIdle) and always resumes status polling
// (SetMode 'I'). true on success. This is also the entry point of the analog page.
bool RunProcedure(TDriver& driver, char letter, ProcedureWaiter& waiter);

// The procedures themselves. The caller has stopped the worker; the waits run through
// the waiter. Every failed register access is reported and ends with false.
class Procedures {
public:
    Procedures(TDriver& driver, ProcedureWaiter& waiter) : driver_(driver), waiter_(waiter) {}

    bool PhasingStd();
    bool PhasingTarn();
    // bit: Offset1Bit or Offset2Bit.
    bool OffsetTuning(std::uint16_t bit);

private:
    bool Read(std::uint16_t address, std::uint16_t& value);
    bool Write(std::uint16_t address, std::uint16_t value);
    bool SetRequest(std::uint16_t control, std::uint16_t bit);
    bool CheckReady(const ProcedureRegisters& regs, bool bothAlarmWords);
    // Runs the wait; returns the last control value.
    std::uint16_t Wait(std::uint16_t status, std::uint16_t control, std::uint16_t bit,
                       bool twoPhase);

    TDriver& driver_;
    ProcedureWaiter& waiter_;
};

} // namespace kelm
