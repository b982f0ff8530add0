#include "sim/engine/Engine.h"

namespace kelm::sim {

namespace {

void ReplaceCrc(std::vector<std::uint8_t>& frame) {
    frame.resize(frame.size() - 2);
    AppendCrc(frame);
}

} // namespace

Device& Engine::AddDevice(std::unique_ptr<Device> device) {
    auto lock = Lock();
    devices_.push_back(std::move(device));
    return *devices_.back();
}

Device* Engine::FindDevice(std::uint8_t address) {
    auto lock = Lock();
    for (auto& device : devices_) {
        if (device->AnswersTo(address)) {
            return device.get();
        }
    }
    return nullptr;
}

std::vector<Device*> Engine::Devices() {
    auto lock = Lock();
    std::vector<Device*> all;
    for (auto& device : devices_) {
        all.push_back(device.get());
    }
    return all;
}

void Engine::SetObserver(std::function<void(const ExchangeRecord&)> observer) {
    auto lock = Lock();
    observer_ = std::move(observer);
}

void Engine::Tick(std::uint32_t nowMs) {
    auto lock = Lock();
    for (auto& device : devices_) {
        device->Tick(nowMs);
    }
}

std::vector<Reply> Engine::Feed(const std::uint8_t* data, std::size_t length, std::uint32_t nowMs) {
    auto lock = Lock();
    std::vector<Reply> replies;
    if (!buffer_.empty() && nowMs - lastByteMs_ > FrameGapMs) {
        buffer_.clear(); // the rest of an old frame will never come
    }
    buffer_.insert(buffer_.end(), data, data + length);
    lastByteMs_ = nowMs;
    Tick(nowMs);
    while (!buffer_.empty()) {
        const DecodeResult decoded = DecodeRequest(variant_, buffer_.data(), buffer_.size());
        if (decoded.status == DecodeStatus::NeedMore) {
            break;
        }
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<long>(decoded.consumed));
        if (decoded.status == DecodeStatus::Garbage) {
            continue;
        }
        Reply reply;
        if (Handle(decoded, nowMs, reply)) {
            replies.push_back(std::move(reply));
        }
    }
    return replies;
}

bool Engine::Handle(const DecodeResult& decoded, std::uint32_t nowMs, Reply& reply) {
    const Request& request = decoded.request;
    ++requestCounter_;
    ExchangeRecord record{
        nowMs, request.address, request.function, request.firstRegister, request.count, false};
    Device* device = request.address == 0 ? nullptr : FindDevice(request.address);
    if (device != nullptr && decoded.status == DecodeStatus::Valid &&
        request.function == FunctionWrite) {
        device->CountWrite();
    }
    if (decoded.status == DecodeStatus::Ignored || device == nullptr || device->Silent()) {
        if (observer_) {
            observer_(record);
        }
        return false;
    }
    // An exception forced by the line faults answers before the device acts on the request.
    const bool exception = decoded.status == DecodeStatus::Exception || faults_.exceptionCode != 0;
    std::vector<std::uint8_t> frame =
        exception
            ? EncodeException(request.address, request.function,
                              decoded.status == DecodeStatus::Exception ? decoded.exceptionCode
                                                                        : faults_.exceptionCode)
            : Answer(*device, request, nowMs);
    ++replyCounter_;
    record.answered = faults_.dropEvery == 0 || replyCounter_ % faults_.dropEvery != 0;
    if (observer_) {
        observer_(record);
    }
    if (!record.answered) {
        return false;
    }
    if (!exception) {
        ApplyFaults(frame, request);
    }
    reply.bytes = std::move(frame);
    reply.delayMs = faults_.delayMs;
    return true;
}

std::vector<std::uint8_t> Engine::Answer(Device& device, const Request& request,
                                         std::uint32_t nowMs) {
    if (request.function == FunctionRead) {
        return EncodeReadReply(variant_, request.address, request.firstRegister,
                               device.Read(request.firstRegister, request.count, nowMs));
    }
    device.Write(request.firstRegister, request.values, nowMs);
    return EncodeWriteReply(variant_, request.address, request.firstRegister, request.count);
}

void Engine::ApplyFaults(std::vector<std::uint8_t>& frame, const Request& request) const {
    const bool link = variant_ == FrameVariant::Link;
    if (faults_.wrongCount) {
        if (request.function == FunctionRead) {
            frame[link ? 5 : 2] = static_cast<std::uint8_t>(frame[link ? 5 : 2] + 2);
        } else if (link) {
            frame[5] = 0; // the only count a link master refuses
        } else {
            frame[5] = static_cast<std::uint8_t>(frame[5] + 1);
        }
        ReplaceCrc(frame);
    }
    if (faults_.wrongFunction) {
        frame[link ? 2 : 1] = static_cast<std::uint8_t>(frame[link ? 2 : 1] + 1);
        ReplaceCrc(frame);
    }
    if (faults_.wrongAddress) {
        frame[0] = static_cast<std::uint8_t>(frame[0] + 1);
        ReplaceCrc(frame);
    }
    if (faults_.badCrc) {
        frame[frame.size() - 2] ^= 0xFF;
    }
    if (faults_.truncate) {
        frame.pop_back();
    }
    if (faults_.trailing) {
        frame.push_back(0x00);
        frame.push_back(0x55);
    }
}

} // namespace kelm::sim
