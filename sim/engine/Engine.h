#pragma once

#include "sim/engine/Device.h"
#include "sim/engine/Faults.h"
#include "sim/engine/Frames.h"

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace kelm::sim {

// One request as the engine saw it (for the request log).
struct ExchangeRecord {
    std::uint32_t ms = 0;
    std::uint8_t address = 0;
    std::uint8_t function = 0;
    std::uint16_t firstRegister = 0;
    std::uint16_t count = 0;
    bool answered = false;
};

struct Reply {
    std::vector<std::uint8_t> bytes;
    std::uint32_t delayMs = 0; // from the moment the request was complete
};

// The simulated line: a byte stream in, replies out. Finds requests in the stream (a
// pause longer than FrameGapMs drops a partial frame), hands each to the device that
// answers its address, and encodes the reply with the line faults applied. Requests for
// addresses no device answers, broadcasts (address 0) and frames that are not requests get
// no reply.
//
// Registers no configuration names read as 0 and keep what is written (see RegisterBank);
// a plain request with a count outside 1..125 (write: 1..123, or a byte count that is not
// twice the count) or an unknown function gets an exception reply; link frames have no
// exception format, so such frames are ignored there.
//
// Thread-safe: every public call locks; use Lock() around direct access to devices.
class Engine {
public:
    static constexpr std::uint32_t FrameGapMs = 50;

    explicit Engine(FrameVariant variant) : variant_(variant) {}

    FrameVariant Variant() const { return variant_; }
    Device& AddDevice(std::unique_ptr<Device> device);
    // The device answering `address`, or nullptr.
    Device* FindDevice(std::uint8_t address);
    std::vector<Device*> Devices();
    Faults& LineFaults() { return faults_; }

    std::unique_lock<std::recursive_mutex> Lock() {
        return std::unique_lock<std::recursive_mutex>(mutex_);
    }

    // Called once per decoded request (answered or not).
    void SetObserver(std::function<void(const ExchangeRecord&)> observer);

    // Bytes received at nowMs; returns the replies they complete.
    std::vector<Reply> Feed(const std::uint8_t* data, std::size_t length, std::uint32_t nowMs);
    // Lets time pass for every device (command handshakes, live values).
    void Tick(std::uint32_t nowMs);
    // Requests decoded so far (answered or not).
    std::uint64_t RequestCount() {
        auto lock = Lock();
        return requestCounter_;
    }

private:
    bool Handle(const DecodeResult& decoded, std::uint32_t nowMs, Reply& reply);
    std::vector<std::uint8_t> Answer(Device& device, const Request& request, std::uint32_t nowMs);
    void ApplyFaults(std::vector<std::uint8_t>& frame, const Request& request) const;

    std::recursive_mutex mutex_;
    FrameVariant variant_;
    std::vector<std::unique_ptr<Device>> devices_;
    Faults faults_;
    std::function<void(const ExchangeRecord&)> observer_;
    std::vector<std::uint8_t> buffer_;
    std::uint32_t lastByteMs_ = 0;
    std::uint32_t replyCounter_ = 0;
    std::uint64_t requestCounter_ = 0;
};

} // namespace kelm::sim
