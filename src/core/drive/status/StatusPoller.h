#pragma once

#include "core/drive/status/StatusPollHost.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <vector>

namespace kelm {

class StatusLink;
struct ParamEntry;

// The status poll bodies, one per device kind, run once per paced cycle of mode StatusPoll (on
// the worker; every call to the host goes to the user-interface thread).
// Every request uses a 100 ms reply time-out with failure reporting on, so the first
// failure takes the program off line and the remaining requests of the cycle are refused
// by the link without touching the line.
class StatusPoller {
public:
    StatusPoller(StatusLink& link, StatusPollHost& host) : link_(link), host_(host) {}

    // Dispatches on the current kind. A poll on the worker passes `stopped`, true once the
    // worker is asked to stop: the rest of the cycle is then left out, so that a wait for
    // the worker lasts one request, not a whole cycle on a slow line.
    void Poll(std::function<bool()> stopped = {});
    void PollStatusStd();
    void PollStatusOrca();
    void PollStatusDrive();
    void PollStatusPower();
    // Carries a pressed Enable/Disable button to the drive (or to the digital page).
    void ApplyEnableRequest(std::uint16_t enableRegister, std::uint16_t disableRegister);
    // The main window's pending requests (selector choices, Enable/Disable) carried to the
    // drive as a status cycle does; the capture upload runs this on each of its steps.
    void ServicePendingRequests();

    // Orca230 cycles skipped while an oscilloscope capture is armed (at most 40 in a row).
    int SkipCount() const { return skipCount_; }
    static constexpr int MaxSkippedCycles = 40;
    static constexpr std::uint32_t TimeoutMs = 100;

private:
    struct Block {
        std::uint16_t Start;
        std::uint8_t Count;
        std::vector<std::uint16_t> Taken; // empty: every register of the block
    };

    void WriteSelectors(std::uint16_t first, std::uint16_t second);
    void ReadSingles(std::initializer_list<std::uint16_t> addresses);
    void ReadBlock(const Block& block);
    void ReadPosition();
    // The end of a plain poll: refresh, digital page requests, analog page.
    void RefreshAfterPoll(std::uint16_t enableRegister, std::uint16_t disableRegister);
    void ScopeStep();
    // Runs fn on the user-interface thread through the link and returns its result.
    template <typename Fn> auto OnUi(Fn fn);
    // true when the Orca230 poll must end early because a capture is armed.
    bool HoldForCapture();
    bool Stopped() const { return stopped_ && stopped_(); }

    StatusLink& link_;
    StatusPollHost& host_;
    int skipCount_ = 0;
    std::function<bool()> stopped_; // set for the length of one Poll
};

} // namespace kelm
