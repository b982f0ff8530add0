#include "sim/engine/behaviours/DriveProcedures.h"

#include "sim/engine/Device.h"

namespace kelm::sim {

DriveProcedures::Map DriveProcedures::MapFor(DeviceKind kind) {
    if (kind == DeviceKind::Drive)
        return {202, 198, 16, 25, 31};
    return {69, 65, 11, 29, 30};
}

bool DriveProcedures::Running(std::uint16_t bit) const {
    for (const Request& request : requests_) {
        if (request.bit == bit)
            return request.running;
    }
    return false;
}

void DriveProcedures::OnAttach(Device& device, std::uint32_t) {
    map_ = MapFor(device.Kind());
}

void DriveProcedures::BeforeRead(Device& device, std::uint16_t, std::uint16_t,
                                 std::uint32_t nowMs) {
    Tick(device, nowMs);
}

void DriveProcedures::AfterWrite(Device& device, std::uint16_t first, std::uint16_t count,
                                 std::uint32_t nowMs) {
    if (static_cast<std::uint16_t>(map_.control - first) >= count)
        return;
    const std::uint16_t word = device.Registers().Get(map_.control);
    for (Request& request : requests_) {
        const bool set = (word & request.bit) != 0;
        if (set && !request.running)
            request.since = nowMs;
        // A write without the bit withdraws the request.
        request.running = set;
    }
}

void DriveProcedures::Tick(Device& device, std::uint32_t nowMs) {
    if (fault_ == Fault::Hang)
        return;
    for (Request& request : requests_) {
        if (request.running && nowMs - request.since >= delayMs_)
            Finish(device, request);
    }
}

void DriveProcedures::Finish(Device& device, Request& request) {
    request.running = false;
    RegisterBank& registers = device.Registers();
    if (request.bit == PhasingBit) {
        registers.Set(map_.phase, static_cast<std::uint16_t>(PhaseResult));
        if (fault_ != Fault::StayEnabled)
            registers.Set(map_.state, static_cast<std::uint16_t>(registers.Get(map_.state) & ~1U));
    } else {
        const bool first = request.bit == Offset1Bit;
        registers.Set(first ? map_.offset1 : map_.offset2,
                      static_cast<std::uint16_t>(first ? Offset1Result : Offset2Result));
    }
    registers.Set(map_.control,
                  static_cast<std::uint16_t>(registers.Get(map_.control) & ~request.bit));
}

void DriveProcedures::OnReset(Device& device, std::uint32_t) {
    for (Request& request : requests_)
        request.running = false;
    device.Registers().Set(
        map_.control, static_cast<std::uint16_t>(device.Registers().Get(map_.control) & ~AllBits));
}

} // namespace kelm::sim
