#pragma once

#include "sim/engine/Behaviour.h"

namespace kelm::sim {

// The command register: the master ORs command bits into it; after the clear delay the
// drive carries out each bit (through the device's behaviours) and clears the register.
// With the status fault on, bit 0 of the status register is set after every command, which
// the master reads as "command failed".
class CommandHandshake : public Behaviour {
public:
    static constexpr std::uint32_t DefaultClearDelayMs = 30;

    explicit CommandHandshake(std::uint32_t clearDelayMs = DefaultClearDelayMs)
        : clearDelayMs_(clearDelayMs) {}

    void SetClearDelay(std::uint32_t ms) { clearDelayMs_ = ms; }
    std::uint32_t ClearDelay() const { return clearDelayMs_; }
    // Bits another behaviour carries out in its own time (the procedure requests): the
    // handshake neither runs nor clears them.
    void SetLeftBits(std::uint16_t bits) { leftBits_ = bits; }
    void SetStatusFault(bool on) { statusFault_ = on; }
    bool StatusFault() const { return statusFault_; }
    bool Pending() const { return pending_; }

    void BeforeRead(Device& device, std::uint16_t first, std::uint16_t count,
                    std::uint32_t nowMs) override;
    void AfterWrite(Device& device, std::uint16_t first, std::uint16_t count,
                    std::uint32_t nowMs) override;
    void Tick(Device& device, std::uint32_t nowMs) override;

private:
    std::uint32_t clearDelayMs_;
    std::uint16_t leftBits_ = 0;
    bool statusFault_ = false;
    bool pending_ = false;
    std::uint32_t since_ = 0;
};

} // namespace kelm::sim
