#pragma once

#include "core/link/RegisterFrames.h"
#include "core/link/SerialChannel.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

namespace kelm::test {

// A drive on a plain line, answering function 3 and 16 from a register map. Records every
// request. Addresses in Silent make it stay quiet; a request touching ThrowAt throws from
// Write (an error raised inside a transfer step). OnWrite may change the map after a write
// (the command handshake of a drive).
class RegisterMapChannel final : public SerialChannel {
public:
    struct Request {
        std::uint8_t Function = 0;
        std::uint16_t Address = 0;
        std::uint16_t Count = 0;
        std::vector<std::uint16_t> Values; // written values
    };

    bool Open(const QString&) override {
        open_ = true;
        return true;
    }
    bool IsOpen() const override { return open_; }
    bool ApplyLineSettings(const LineSettings&) override { return open_; }
    bool ApplyTimeouts(std::uint32_t) override { return open_; }
    bool RestoreLineSettings() override { return open_; }
    bool RestoreTimeouts() override { return open_; }
    void Purge() override {
        std::lock_guard lock(mutex_);
        input_.clear();
    }
    void Close() override { open_ = false; }

    long Write(const std::uint8_t* data, std::size_t length) override {
        if (!open_)
            return -1;
        std::lock_guard lock(mutex_);
        if (length < 8 || !frames::CrcMatches(data, length - 2))
            return static_cast<long>(length);
        Request request;
        const std::uint8_t device = data[0];
        request.Function = data[1];
        request.Address = static_cast<std::uint16_t>(data[2] << 8 | data[3]);
        request.Count = static_cast<std::uint16_t>(data[4] << 8 | data[5]);
        if (request.Function == frames::WriteFunction)
            for (std::size_t i = 0; i < request.Count && 7 + 2 * i + 1 < length; ++i)
                request.Values.push_back(
                    static_cast<std::uint16_t>(data[7 + 2 * i] << 8 | data[8 + 2 * i]));
        requests_.push_back(request);
        for (int i = 0; i < request.Count; ++i) {
            const auto a = static_cast<std::uint16_t>(request.Address + i);
            if (ThrowAt.count(a))
                throw std::runtime_error("channel failure");
            if (Silent.count(a))
                return static_cast<long>(length);
        }
        std::vector<std::uint8_t> reply{device, request.Function};
        if (request.Function == frames::ReadFunction) {
            reply.push_back(static_cast<std::uint8_t>(2 * request.Count));
            for (int i = 0; i < request.Count; ++i) {
                const auto a = static_cast<std::uint16_t>(request.Address + i);
                const std::uint16_t value = OnRead ? OnRead(a) : Registers[a];
                reply.push_back(static_cast<std::uint8_t>(value >> 8));
                reply.push_back(static_cast<std::uint8_t>(value & 0xFF));
            }
        } else {
            for (std::size_t i = 0; i < request.Values.size(); ++i)
                Registers[static_cast<std::uint16_t>(request.Address + i)] = request.Values[i];
            reply.insert(reply.end(), data + 2, data + 6);
            if (OnWrite)
                OnWrite(request);
        }
        reply.resize(reply.size() + 2);
        frames::AppendCrc(reply.data(), reply.size() - 2);
        input_.insert(input_.end(), reply.begin(), reply.end());
        return static_cast<long>(length);
    }

    int ReadByte(std::uint8_t& byte, std::uint32_t timeoutMs) override {
        if (!open_)
            return -1;
        {
            std::lock_guard lock(mutex_);
            if (!input_.empty()) {
                byte = input_.front();
                input_.pop_front();
                return 1;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
        return 0;
    }

    std::vector<Request> Requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }
    void ClearRequests() {
        std::lock_guard lock(mutex_);
        requests_.clear();
    }

    // Set up before the driver runs; read/written under the channel's own lock.
    std::map<std::uint16_t, std::uint16_t> Registers;
    std::set<std::uint16_t> Silent;
    std::set<std::uint16_t> ThrowAt;
    std::function<std::uint16_t(std::uint16_t)> OnRead;
    std::function<void(const Request&)> OnWrite;

private:
    mutable std::mutex mutex_;
    bool open_ = false;
    std::deque<std::uint8_t> input_;
    std::vector<Request> requests_;
};

} // namespace kelm::test
