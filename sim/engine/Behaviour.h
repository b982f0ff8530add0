#pragma once

#include <cstdint>

namespace kelm::sim {

class Device;

// One piece of drive-side behaviour attached to a device (command handshake, EEPROM,
// alarms, live values ...). Every hook has a neutral default, so a behaviour overrides only
// what it takes part in. Times are milliseconds of the engine's clock.
class Behaviour {
public:
    virtual ~Behaviour() = default;

    // Called once when the device takes the behaviour.
    virtual void OnAttach(Device& /*device*/, std::uint32_t /*nowMs*/) {}
    // Before a read of first..first+count-1 is answered (refresh live values here).
    virtual void BeforeRead(Device& /*device*/, std::uint16_t /*first*/, std::uint16_t /*count*/,
                            std::uint32_t /*nowMs*/) {}
    // Decides what a master's write leaves in a register; the result is stored.
    virtual std::uint16_t FilterWrite(Device& /*device*/, std::uint16_t /*address*/,
                                      std::uint16_t /*oldValue*/, std::uint16_t newValue) {
        return newValue;
    }
    // After a master's write of first..first+count-1 was stored.
    virtual void AfterWrite(Device& /*device*/, std::uint16_t /*first*/, std::uint16_t /*count*/,
                            std::uint32_t /*nowMs*/) {}
    // Time passes (called before every request and by the executable's timer).
    virtual void Tick(Device& /*device*/, std::uint32_t /*nowMs*/) {}
    // One command bit of the command register is carried out; true if handled.
    virtual bool OnCommand(Device& /*device*/, std::uint16_t /*bit*/, std::uint32_t /*nowMs*/) {
        return false;
    }
    // The drive restarts (reset command).
    virtual void OnReset(Device& /*device*/, std::uint32_t /*nowMs*/) {}
    // Alarm bits were raised (bits 0-15 low word, 16-31 high word).
    virtual void OnAlarm(Device& /*device*/, std::uint32_t /*bits*/) {}
};

} // namespace kelm::sim
