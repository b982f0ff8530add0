#include "core/drive/procedures/Procedures.h"

#include "core/drive/TDriver.h"
#include "core/drive/procedures/TuningWait.h"
#include "core/seams/Messages.h"

#include <cstdlib>

namespace kelm {

bool IsProcedureLetter(char letter) {
    return letter == 'P' || letter == 'S' || letter == 'T';
}

QString ProcedureQuestion(char letter) {
    switch (letter) {
    case 'P':
        return QStringLiteral("Make Auto Phase Motor Feedback");
    case 'S':
        return QStringLiteral("Make Analog Input 1 Tuning");
    case 'T':
        return QStringLiteral("Make Analog Input 2 Tuning");
    default:
        return {};
    }
}

std::uint16_t ProcedureResultRegister(char letter, DeviceKind kind) {
    const ProcedureRegisters regs = ProcedureRegistersOf(kind);
    if (letter == 'P')
        return regs.Phase;
    return letter == 'S' ? regs.Offset1 : regs.Offset2;
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

QString ProcedureResultText(char letter, bool ok, std::int16_t result) {
    if (letter == 'P') {
        return ok ? QStringLiteral("MOTOR PHASING SUCCESSFUL\r\rPhase Value:") +
                        FormatPhaseValue(result)
                  : QStringLiteral("MOTOR PHASING FAIL !");
    }
    const QString input = letter == 'S' ? QStringLiteral("1") : QStringLiteral("2");
    // A failed offset run is reported too, so that a failure is never silent.
    return ok ? QStringLiteral("ANALOG INPUT ") + input +
                    QStringLiteral(" OFFSET TUNING SUCCESSFUL\r\rOffset Value:") +
                    FormatMillivolts(result)
              : QStringLiteral("ANALOG INPUT ") + input + QStringLiteral(" OFFSET TUNING FAIL !");
}

void ReportProcedureResult(TDriver& driver, char letter, bool ok) {
    const ParamEntry* entry =
        driver.ActiveTable().FindByAddress(ProcedureResultRegister(letter, driver.CurrentKind()));
    const std::int16_t result = entry != nullptr ? entry->Value : 0;
    Beep();
    ShowInfo(ProcedureResultText(letter, ok, result));
}

bool RunProcedure(TDriver& driver, char letter, ProcedureWaiter& waiter) {
    driver.WaitIdle();
    bool ok = false;
    if (driver.Online()) {
        Procedures procedures(driver, waiter);
        const DeviceKind kind = driver.CurrentKind();
        if (letter == 'P')
            ok = kind == DeviceKind::Power || kind == DeviceKind::Drive ? procedures.PhasingTarn()
                                                                        : procedures.PhasingStd();
        else if (letter == 'S' || letter == 'T')
            ok = procedures.OffsetTuning(letter == 'S' ? Offset1Bit : Offset2Bit);
    }
    driver.SetMode('I');
    return ok;
}

// --- the procedures -------------------------------------------------------------------

// A register of the table is read into both its DriveValue and Value; one the table does
// not name is read as it stands.
bool Procedures::Read(std::uint16_t address, std::uint16_t& value) {
    if (ParamEntry* entry = driver_.ActiveTable().FindByAddress(address)) {
        if (!driver_.ReadEntry(*entry, true, 100, true))
            return false;
        value = static_cast<std::uint16_t>(entry->DriveValue);
        return true;
    }
    return driver_.ReadRegs(address, &value, true, 100, 1, nullptr);
}

bool Procedures::Write(std::uint16_t address, std::uint16_t value) {
    return driver_.WriteReg(address, value, true, 100, nullptr);
}

bool Procedures::SetRequest(std::uint16_t control, std::uint16_t bit) {
    std::uint16_t word = 0;
    return Read(control, word) && Write(control, static_cast<std::uint16_t>(word | bit));
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

bool Procedures::PhasingStd() {
    const ProcedureRegisters regs = ProcedureRegistersOf(driver_.CurrentKind());
    if (!CheckReady(regs, false) || !SetRequest(regs.Control, PhasingBit) ||
        !Write(regs.EnableRequest, 1))
        return false;
    std::uint16_t last = Wait(regs.State, regs.Control, PhasingBit, false);
    if (!Write(regs.DisableRequest, 1))
        last |= PhasingBit;
    std::uint16_t phase = 0;
    return (last & PhasingBit) == 0 && Read(regs.Phase, phase);
}

bool Procedures::PhasingTarn() {
    const ProcedureRegisters regs = ProcedureRegistersOf(driver_.CurrentKind());
    if (!CheckReady(regs, true) || !SetRequest(regs.Control, PhasingBit) ||
        !Write(regs.EnableRequest, 1))
        return false;
    const bool twoPhase = driver_.CurrentKind() == DeviceKind::Drive;
    std::uint16_t last = Wait(regs.State, regs.Control, PhasingBit, twoPhase);
    if (!Write(regs.DisableRequest, 1))
        last |= PhasingBit;
    if ((last & PhasingBit) != 0) {
        // The drive may still hold the request: withdraw it.
        std::uint16_t word = 0;
        if (!Read(regs.Control, word))
            word = 0;
        Write(regs.Control, static_cast<std::uint16_t>(word & ~PhasingBit));
        return false;
    }
    std::uint16_t phase = 0;
    return Read(regs.Phase, phase);
}

bool Procedures::OffsetTuning(std::uint16_t bit) {
    const DeviceKind kind = driver_.CurrentKind();
    const ProcedureRegisters regs = ProcedureRegistersOf(kind);
    if (!SetRequest(regs.Control, bit))
        return false;
    if ((Wait(0, regs.Control, bit, false) & bit) != 0)
        return false;
    std::uint16_t offset = 0;
    return Read(ProcedureResultRegister(bit == Offset1Bit ? 'S' : 'T', kind), offset);
}

} // namespace kelm
