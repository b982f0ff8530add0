#pragma once

#include <cstdint>
#include <deque>
#include <vector>

namespace kelm::sim {

// Bytes crossing one direction of the line, with the time each has wholly crossed it. At a
// baud rate every byte takes 11 bit times (start, 8 data, parity or stop, stop) and a run
// of bytes starts only after the one before it has gone; without a baud rate a run is due
// whole at its start time. The simulator keeps one for requests coming in (a request is
// taken once its last byte would have arrived) and one for replies going out.
class LinePacer {
public:
    explicit LinePacer(std::uint32_t baud) : baud_(baud) {}
    // Holds bytes as a USB serial adapter does on their way to the PC: they go on in packets
    // of 62, and a packet that is not full only when the adapter's latency timer runs out
    // (counted from the packet before it, or from its first byte). 0: bytes go on at once.
    void SetAdapterLatencyUs(std::int64_t latencyUs) { adapterLatencyUs_ = latencyUs; }

    // Queues a run of bytes that may start at startUs (microseconds of the caller's clock).
    void Add(const std::vector<std::uint8_t>& bytes, std::int64_t startUs);
    bool Empty() const { return queue_.empty(); }
    // Time the first queued byte is due; only valid when not Empty().
    std::int64_t NextDueUs() const { return queue_.front().dueUs; }
    // The bytes due at nowUs, in order; they leave the queue.
    std::vector<std::uint8_t> TakeDue(std::int64_t nowUs);
    // Puts bytes that could not be written back at the front, due again at dueUs.
    void PutBack(const std::uint8_t* bytes, std::size_t count, std::int64_t dueUs);
    // How late the bytes were taken (the machine's wake-up delay): the mean and the worst
    // over every TakeDue that took some, in microseconds of the last byte taken.
    double MeanLateUs() const { return takes_ == 0 ? 0 : static_cast<double>(lateSumUs_) / takes_; }
    std::int64_t MaxLateUs() const { return lateMaxUs_; }

private:
    struct Outgoing {
        std::int64_t dueUs;
        std::uint8_t byte;
    };
    // Gives a run's bytes the times the adapter passes them on.
    void HoldInAdapter(std::size_t first);

    std::uint32_t baud_;
    std::int64_t adapterLatencyUs_ = 0;
    std::deque<Outgoing> queue_;
    std::int64_t lineFreeUs_ = 0;
    std::int64_t lateSumUs_ = 0;
    std::int64_t lateMaxUs_ = 0;
    std::int64_t takes_ = 0;
};

} // namespace kelm::sim
