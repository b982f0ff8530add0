#include "sim/app/LinePacer.h"

#include <algorithm>

namespace kelm::sim {

void LinePacer::Add(const std::vector<std::uint8_t>& bytes, std::int64_t startUs) {
    const std::size_t first = queue_.size();
    const std::int64_t start = baud_ == 0 ? startUs : std::max(startUs, lineFreeUs_);
    std::int64_t due = start;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        // A byte can be read once its last bit has arrived. Counted from the start of the
        // run (rounded up) so that the rounding does not add up over a long reply.
        if (baud_ != 0)
            due = start + static_cast<std::int64_t>(((i + 1) * 11'000'000ULL + baud_ - 1) / baud_);
        queue_.push_back({due, bytes[i]});
    }
    lineFreeUs_ = due;
    if (adapterLatencyUs_ > 0)
        HoldInAdapter(first);
}

void LinePacer::HoldInAdapter(std::size_t first) {
    constexpr std::size_t PacketBytes = 62;
    std::int64_t lastPacketUs = first < queue_.size() ? queue_[first].dueUs : 0;
    for (std::size_t packet = first; packet < queue_.size(); packet += PacketBytes) {
        const std::size_t end = std::min(packet + PacketBytes, queue_.size());
        std::int64_t sent = queue_[end - 1].dueUs;
        if (end - packet < PacketBytes)
            sent = std::max(sent, lastPacketUs + adapterLatencyUs_);
        for (std::size_t i = packet; i < end; ++i)
            queue_[i].dueUs = sent;
        lastPacketUs = sent;
    }
}

std::vector<std::uint8_t> LinePacer::TakeDue(std::int64_t nowUs) {
    std::vector<std::uint8_t> due;
    std::int64_t lastDueUs = 0;
    while (!queue_.empty() && queue_.front().dueUs <= nowUs) {
        due.push_back(queue_.front().byte);
        lastDueUs = queue_.front().dueUs;
        queue_.pop_front();
    }
    if (!due.empty()) {
        lateSumUs_ += nowUs - lastDueUs;
        lateMaxUs_ = std::max(lateMaxUs_, nowUs - lastDueUs);
        ++takes_;
    }
    return due;
}

void LinePacer::PutBack(const std::uint8_t* bytes, std::size_t count, std::int64_t dueUs) {
    for (std::size_t i = count; i > 0; --i) {
        queue_.push_front({dueUs, bytes[i - 1]});
    }
}

} // namespace kelm::sim
