#include "sim/app/LinePacer.h"

#include <algorithm>

namespace kelm::sim {

void LinePacer::Add(const std::vector<std::uint8_t>& bytes, std::int64_t startUs) {
    const std::int64_t byteUs = baud_ == 0 ? 0 : 11'000'000LL / baud_;
    std::int64_t due = baud_ == 0 ? startUs : std::max(startUs, lineFreeUs_);
    for (const std::uint8_t byte : bytes) {
        due += byteUs; // a byte can be read once its last bit has arrived
        queue_.push_back({due, byte});
    }
    lineFreeUs_ = due;
}

std::vector<std::uint8_t> LinePacer::TakeDue(std::int64_t nowUs) {
    std::vector<std::uint8_t> due;
    while (!queue_.empty() && queue_.front().dueUs <= nowUs) {
        due.push_back(queue_.front().byte);
        queue_.pop_front();
    }
    return due;
}

void LinePacer::PutBack(const std::uint8_t* bytes, std::size_t count, std::int64_t nowUs) {
    for (std::size_t i = count; i > 0; --i) {
        queue_.push_front({nowUs, bytes[i - 1]});
    }
}

} // namespace kelm::sim
