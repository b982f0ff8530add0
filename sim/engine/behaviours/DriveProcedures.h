#pragma once

#include "core/common/DeviceKind.h"
#include "sim/engine/Behaviour.h"

#include <array>

namespace kelm::sim {

// The drive side of the commissioning procedures. The master sets a request bit in the
// control register (0x10 motor phasing, 0x08 analog input 1 offset, 0x100 analog input 2
// offset); after the procedure delay the drive writes its result (phase value, offset)
// and clears the bit. Phasing runs with the drive enabled (the master's enable request)
// and disables it at the end. Faults: Hang never clears a bit; StayEnabled ends phasing
// with the drive still enabled.
class DriveProcedures : public Behaviour {
public:
    enum class Fault { None, Hang, StayEnabled };

    static constexpr std::uint16_t PhasingBit = 0x10;
    static constexpr std::uint16_t Offset1Bit = 0x08;
    static constexpr std::uint16_t Offset2Bit = 0x100;
    static constexpr std::uint16_t AllBits = PhasingBit | Offset1Bit | Offset2Bit;
    static constexpr std::uint32_t DefaultDelayMs = 1000;
    // Results the drive measures.
    static constexpr std::int16_t PhaseResult = 1234;
    static constexpr std::int16_t Offset1Result = 100;
    static constexpr std::int16_t Offset2Result = -33;

    // Register map of a kind.
    struct Map {
        std::uint16_t control, state, phase, offset1, offset2;
    };
    static Map MapFor(DeviceKind kind);

    void SetDelay(std::uint32_t ms) { delayMs_ = ms; }
    std::uint32_t Delay() const { return delayMs_; }
    void SetFault(Fault fault) { fault_ = fault; }
    Fault CurrentFault() const { return fault_; }
    // A request the drive is working on.
    bool Running(std::uint16_t bit) const;

    void OnAttach(Device& device, std::uint32_t nowMs) override;
    void BeforeRead(Device& device, std::uint16_t first, std::uint16_t count,
                    std::uint32_t nowMs) override;
    void AfterWrite(Device& device, std::uint16_t first, std::uint16_t count,
                    std::uint32_t nowMs) override;
    void Tick(Device& device, std::uint32_t nowMs) override;
    void OnReset(Device& device, std::uint32_t nowMs) override;

private:
    struct Request {
        std::uint16_t bit;
        bool running = false;
        std::uint32_t since = 0;
    };
    void Finish(Device& device, Request& request);

    Map map_{};
    std::uint32_t delayMs_ = DefaultDelayMs;
    Fault fault_ = Fault::None;
    std::array<Request, 3> requests_{{{PhasingBit}, {Offset1Bit}, {Offset2Bit}}};
};

} // namespace kelm::sim
