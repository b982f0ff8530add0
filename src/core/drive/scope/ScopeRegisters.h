#pragma once

#include <cstdint>

namespace kelm {

class TDriver;

// The drive's recorder registers (ScopeSettingsTable) and the operations on them that run
// on the user-interface thread or inside a status poll.
namespace scope {

constexpr std::uint16_t Command = 50000; // write 1 arm, 0 stop; reads 0 idle, 1 armed, 2 full
constexpr std::uint16_t TimeWindow = 50001;
constexpr std::uint16_t SampleCount = 50002;
constexpr std::uint16_t Delay = 50003;
constexpr std::uint16_t Edge = 50004;
constexpr std::uint16_t Level = 50005;
constexpr std::uint16_t Signal1 = 50006;
constexpr std::uint16_t Signal2 = 50007;
constexpr std::uint16_t Scale1 = 50008;
constexpr std::uint16_t Scale2 = 50009;
constexpr std::uint16_t Factor1 = 50012;
constexpr std::uint16_t Factor2 = 50013;
constexpr std::uint16_t Channel1Samples = 51000;
constexpr std::uint16_t Channel2Samples = 52000;
constexpr int RegisterCount = 14;

constexpr std::int16_t StateIdle = 0;
constexpr std::int16_t StateArmed = 1;
constexpr std::int16_t StateComplete = 2;

// The sample factors belong to the drive: read with every upload, never written.
constexpr bool IsSetByDrive(std::uint16_t address) {
    return address == Factor1 || address == Factor2;
}

// The capacity of the host buffers: samples per channel.
constexpr int MaxSamples = 500;

// A sample in engineering units: the factor register holds the factor shifted left by one,
// bit 0 set meaning "divide". 1 and -1 (divisor 0) leave the sample unchanged; 0 gives 0.
double ScaledSample(std::int16_t raw, std::int16_t factor, double offset);

// The time (ms) of sample index of a record: the drive spreads the count it reports over
// the time window, also when the host buffers hold fewer samples than that, so the period
// is window / reported count (0 for an empty record).
double SampleTime(int index, double windowMs, int reportedCount);

// The settings sent when a capture is armed (the rest is already in Value).
struct ArmSettings {
    std::int16_t Level = 0;
    std::int16_t Delay = 0;
    std::int16_t Scale1 = 0;
    std::int16_t Scale2 = 0;
};

// Sets the trigger level, delay, both scales and the command 1, then writes what changed
// (command last). false when the drive is or went off line.
bool Arm(TDriver& driver, const ArmSettings& settings);
// Command 0, written when it differs from the drive's copy.
bool Stop(TDriver& driver);
// Inside a status poll: while a capture is armed, refreshes the recorder state (DriveValue
// of the command register).
void ReadScopeState(TDriver& driver);
// The state the drive last reported and the command the program wants.
std::int16_t DriveState(TDriver& driver);
bool ArmedByProgram(TDriver& driver);

} // namespace scope
} // namespace kelm
