#include "core/drive/scope/ScopeRegisters.h"

#include "core/drive/TDriver.h"

namespace kelm::scope {

namespace {

void SetValue(TDriver& driver, std::uint16_t address, std::int16_t value) {
    if (ParamEntry* entry = driver.ScopeSettingsTable().FindByAddress(address))
        entry->Value = value;
}

} // namespace

double ScaledSample(std::int16_t raw, std::int16_t factor, double offset) {
    const int divisor = factor / 2; // shift right by one, toward zero
    double value = raw;
    if ((factor & 1) != 0) {
        if (divisor != 0)
            value = static_cast<double>(raw) / divisor;
    } else {
        value = static_cast<double>(raw) * divisor;
    }
    return value + offset;
}

double SampleTime(int index, double windowMs, int reportedCount) {
    return reportedCount > 0 ? windowMs * index / reportedCount : 0.0;
}

bool Arm(TDriver& driver, const ArmSettings& settings) {
    SetValue(driver, Level, settings.Level);
    SetValue(driver, Delay, settings.Delay);
    SetValue(driver, Scale1, settings.Scale1);
    SetValue(driver, Scale2, settings.Scale2);
    SetValue(driver, Command, StateArmed);
    return driver.WriteChangedScopeSettings();
}

bool Stop(TDriver& driver) {
    SetValue(driver, Command, StateIdle);
    return driver.WriteChangedScopeSettings();
}

void ReadScopeState(TDriver& driver) {
    ParamEntry* command = driver.ScopeSettingsTable().FindByAddress(Command);
    if (command == nullptr || !driver.Online() || command->Value != StateArmed)
        return;
    driver.ReadEntry(*command, true, 100, false);
}

std::int16_t DriveState(TDriver& driver) {
    const ParamEntry* command = driver.ScopeSettingsTable().FindByAddress(Command);
    return command != nullptr ? command->DriveValue : StateIdle;
}

bool ArmedByProgram(TDriver& driver) {
    const ParamEntry* command = driver.ScopeSettingsTable().FindByAddress(Command);
    return command != nullptr && command->Value == StateArmed;
}

} // namespace kelm::scope
