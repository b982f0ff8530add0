#pragma once

#include "core/common/DeviceKind.h"
#include "sim/engine/Behaviour.h"
#include "sim/engine/behaviours/Motor.h"

namespace kelm::sim {

// Live values that move while the tool polls: speed, rotor angle, position, current, bus
// voltage, temperature, analog outputs, running time; for the Orca the I2t/Iq rows and the
// LCD text; for the Power unit its bus, backup and regeneration values; the hardware I/O
// word and the two analog inputs. The request registers are input masks (bit i = digital
// input row i, bit 0 = enable): the force-on mask sets those bits of the effective input
// state, the release mask clears them; the drive consumes a request (it reads 0 again).
// Speed, current and position are the device's motor's (Motor): an enabled drive runs it to
// its reference, a disabled one lets it coast to rest.
// Frozen live values keep whatever was last written or set.
class LiveStatus : public Behaviour {
public:
    // Running time shown at start: 1234 h.
    static constexpr std::uint32_t InitialRunningSeconds = 1234U * 3600U;

    void SetFrozen(bool frozen) { frozen_ = frozen; }
    // Wire states of the digital inputs (bit i = input row i). An input the drive uses is
    // on while its wire is active or the master forces it.
    void SetWires(Device& device, std::uint16_t wires);
    std::uint16_t Wires() const { return wires_; }
    bool Frozen() const { return frozen_; }

    void OnAttach(Device& device, std::uint32_t nowMs) override;
    void BeforeRead(Device& device, std::uint16_t first, std::uint16_t count,
                    std::uint32_t nowMs) override;
    std::uint16_t FilterWrite(Device& device, std::uint16_t address, std::uint16_t oldValue,
                              std::uint16_t newValue) override;
    void Tick(Device& device, std::uint32_t nowMs) override;
    void OnReset(Device& device, std::uint32_t nowMs) override;

    // Register addresses of one kind (0xFFFF: the kind has no such register).
    struct Map {
        std::uint16_t speed, angle, current, busVoltage, temperature, positionHigh, positionLow,
            select1, select2, output1, output2, state, enableRequest, disableRequest, runningHigh,
            runningLow, hardware, analogIn1, analogIn2, speedReference, maxSpeed;
    };
    static Map MapFor(DeviceKind kind);

private:
    void Update(Device& device, std::uint32_t nowMs);
    void UpdatePower(Device& device, std::uint32_t elapsedMs);
    void UpdateOrcaExtras(Device& device, std::uint32_t elapsedMs);
    std::uint16_t Signal(Device& device, std::uint16_t selector) const;
    // Effective input state = wires | forced; forcing latches until released.
    void ApplyInputs(Device& device, std::uint16_t forceOn, std::uint16_t release);

    Map map_{};
    bool frozen_ = false;
    std::uint16_t wires_ = 0;
    std::uint16_t forced_ = 0; // inputs the master forces on (latched)
    std::uint32_t startMs_ = 0;
    Motor* motor_ = nullptr; // none on the Power unit
};

} // namespace kelm::sim
