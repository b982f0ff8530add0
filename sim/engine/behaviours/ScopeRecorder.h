#pragma once

#include "sim/engine/Behaviour.h"

namespace kelm::sim {

// The drive's two-channel recorder behind registers 50000..50013. Writing 1 to 50000 arms
// it (reads 1); the trigger comes at once for the automatic edge (50004 = 3), 100 ms after
// arming otherwise; one time window (50001 ms, 500 when 0, at most 10000) later the record
// is complete: 50000 reads 2, 50002 holds N = 500, the sample factors 50012/50013 read 2
// (multiply by 1), and channel 1 / channel 2 samples are at 51000.. / 52000... Writing 0
// stops it (reads 0). Each channel shows a sine of (signal number) periods per window with
// an amplitude of three divisions of its scale (50008/50009).
class ScopeRecorder : public Behaviour {
public:
    static constexpr std::uint16_t Command = 50000;
    static constexpr std::uint16_t SampleCount = 500;
    static constexpr std::uint32_t TriggerAfterMs = 100;

    void BeforeRead(Device& device, std::uint16_t first, std::uint16_t count,
                    std::uint32_t nowMs) override;
    void AfterWrite(Device& device, std::uint16_t first, std::uint16_t count,
                    std::uint32_t nowMs) override;
    void Tick(Device& device, std::uint32_t nowMs) override;
    void OnReset(Device& device, std::uint32_t nowMs) override;

private:
    void Complete(Device& device) const;

    bool armed_ = false;
    std::uint32_t armedAt_ = 0;
};

} // namespace kelm::sim
