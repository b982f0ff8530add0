#include "core/drive/status/StatusPoller.h"
#include "core/drive/scope/ScopeRegisters.h"

#include "core/drive/status/StatusLink.h"
#include "core/drive/status/StatusView.h"

#include <array>
#include <type_traits>

namespace kelm {

// Windows live on the user-interface thread; the poll may run on the worker.
template <typename Fn> auto StatusPoller::OnUi(Fn fn) {
    if constexpr (std::is_void_v<std::invoke_result_t<Fn>>) {
        link_.RunSynchronized(fn);
    } else {
        std::invoke_result_t<Fn> result{};
        link_.RunSynchronized([&] { result = fn(); });
        return result;
    }
}

void StatusPoller::Poll(std::function<bool()> stopped) {
    struct Reset {
        std::function<bool()>& held;
        ~Reset() { held = {}; }
    } reset{stopped_};
    stopped_ = std::move(stopped);
    switch (link_.CurrentKind()) {
    case DeviceKind::Power:
        PollStatusPower();
        break;
    case DeviceKind::Drive:
        PollStatusDrive();
        break;
    case DeviceKind::Orca230:
        PollStatusOrca();
        break;
    case DeviceKind::Std:
        PollStatusStd();
        break;
    }
}

void StatusPoller::WriteSelectors(std::uint16_t first, std::uint16_t second) {
    const std::array<std::uint16_t, 2> registers{first, second};
    for (int i = 0; i < 2 && !Stopped(); ++i) {
        int index = -1;
        WriteOrigin origin;
        const bool changed = OnUi([&] {
            if (!host_.SelectorChanged(i))
                return false;
            index = host_.SelectorIndex(i);
            origin = host_.SelectorOrigin(i);
            if (index < 0) // nothing to write: the list has no selection
                host_.ClearSelectorChanged(i);
            return index >= 0;
        });
        if (!changed)
            continue;
        // A choice made before the connection changed is dropped, not kept for later.
        if (link_.WriteAsked(origin, registers[i], static_cast<std::uint16_t>(index), TimeoutMs) !=
            StatusLink::Asked::Failed)
            OnUi([&] { host_.ClearSelectorChanged(i); });
    }
}

void StatusPoller::ApplyEnableRequest(std::uint16_t enableRegister, std::uint16_t disableRegister) {
    const std::array<std::uint16_t, 2> registers{enableRegister, disableRegister};
    for (const DriveRequest request : {DriveRequest::Enable, DriveRequest::Disable}) {
        if (Stopped())
            return;
        // Pending and to be written (not taken by the digital page's switch).
        WriteOrigin origin;
        const bool toWrite = OnUi([&] {
            if (!host_.RequestPending(request))
                return false;
            origin = host_.RequestOrigin(request);
            if (!host_.DigitalPageOpen())
                return true;
            host_.SetDigitalEnableSwitch(request == DriveRequest::Enable);
            host_.ReleaseRequest(request);
            return false;
        });
        if (!toWrite)
            continue;
        const StatusLink::Asked outcome =
            link_.WriteAsked(origin, registers[static_cast<int>(request)], 1, TimeoutMs);
        const bool written = outcome == StatusLink::Asked::Written;
        OnUi([&] {
            host_.SetRequestWritten(request, written);
            // A request asked before the connection changed goes, unwritten.
            if (outcome != StatusLink::Asked::Failed)
                host_.ReleaseRequest(request);
        });
    }
}

void StatusPoller::ServicePendingRequests() {
    const DeviceKind kind = link_.CurrentKind();
    if (kind == DeviceKind::Power)
        return;
    const StatusRegisters r = StatusRegistersOf(kind);
    WriteSelectors(r.Selector[0], r.Selector[1]);
    ApplyEnableRequest(r.EnableRequest, r.DisableRequest);
}

// One register per request, into DriveValue with a copy into Value. A register missing
// from the table is still read (into scratch) so the sequence on the line stays the same.
void StatusPoller::ReadSingles(std::initializer_list<std::uint16_t> addresses) {
    for (const std::uint16_t address : addresses) {
        if (Stopped())
            return;
        ParamEntry* entry = link_.ActiveTable().FindByAddress(address);
        std::uint16_t drive = 0;
        std::uint16_t value = 0;
        if (link_.ReadRegs(address, &drive, true, TimeoutMs, 1, &value) && entry) {
            entry->DriveValue = static_cast<std::int16_t>(drive);
            entry->Value = static_cast<std::int16_t>(value);
        }
    }
}

void StatusPoller::ReadBlock(const Block& block) {
    std::array<std::uint16_t, 32> buffer{};
    if (Stopped() ||
        !link_.ReadRegs(block.Start, buffer.data(), true, TimeoutMs, block.Count, nullptr))
        return;
    ParamTable& table = link_.ActiveTable();
    auto take = [&](std::uint16_t address) {
        if (ParamEntry* entry = table.FindByAddress(address)) {
            entry->DriveValue = static_cast<std::int16_t>(buffer[address - block.Start]);
            entry->Value = entry->DriveValue;
        }
    };
    if (block.Taken.empty()) {
        for (int i = 0; i < block.Count; ++i)
            take(static_cast<std::uint16_t>(block.Start + i));
    } else {
        for (const std::uint16_t address : block.Taken)
            take(address);
    }
}

// Position words: a failed read shows position 0.
void StatusPoller::ReadPosition() {
    if (Stopped())
        return;
    std::array<std::uint16_t, 2> words{};
    if (!link_.ReadRegs(134, words.data(), true, TimeoutMs, 2, nullptr))
        words = {0, 0};
    ParamTable& table = link_.ActiveTable();
    for (int i = 0; i < 2; ++i) {
        if (ParamEntry* entry = table.FindByAddress(static_cast<std::uint16_t>(134 + i))) {
            entry->DriveValue = static_cast<std::int16_t>(words[i]);
            entry->Value = entry->DriveValue;
        }
    }
}

void StatusPoller::ScopeStep() {
    OnUi([&] {
        if (host_.ScopeWindowExists())
            host_.ScopeStatusStep();
    });
}

void StatusPoller::RefreshAfterPoll(std::uint16_t enableRegister, std::uint16_t disableRegister) {
    if (!link_.Online())
        return;
    // One call to the user-interface thread when the digital page is closed; otherwise the
    // analog page refreshes after the digital page's requests are written.
    // The masks are taken from the page and their origin made in the same step on the
    // user-interface thread: a transition between that step and the write drops them.
    WriteOrigin masksOrigin;
    const bool digital = OnUi([&] {
        host_.StatusRefresh();
        if (host_.DigitalPageOpen()) {
            host_.DigitalRefresh();
            masksOrigin = link_.AskNow(QStringLiteral("Digital I/O force"));
            return true;
        }
        if (host_.AnalogPageOpen())
            host_.AnalogRefresh();
        return false;
    });
    if (!digital)
        return;
    for (const std::uint16_t address : {enableRegister, disableRegister}) {
        ParamEntry* entry = link_.ActiveTable().FindByAddress(address);
        if (!entry || entry->Value == 0 || Stopped())
            continue;
        const auto mask = static_cast<std::uint16_t>(entry->Value);
        if (link_.WriteAsked(masksOrigin, address, mask, TimeoutMs) == StatusLink::Asked::Dropped)
            continue;
        ReadSingles({address});
    }
    OnUi([&] {
        if (host_.AnalogPageOpen())
            host_.AnalogRefresh();
    });
}

void StatusPoller::PollStatusStd() {
    const StatusRegisters r = StatusRegistersOf(DeviceKind::Std);
    ServicePendingRequests();
    ReadSingles({51, 52, 83, 84});
    ReadPosition();
    ReadSingles({55, 53, 58, 59, 60, 66, 67, 61, 62, 65, 72, 138, 139});
    ScopeStep();
    RefreshAfterPoll(r.EnableRequest, r.DisableRequest);
}

bool StatusPoller::HoldForCapture() {
    const ParamEntry* scope = link_.ScopeSettingsTable().FindByAddress(scope::Command);
    if (!scope || scope->Value != 1)
        return false;
    if (scope->DriveValue != 2) {
        // Follow the capture closely: the next cycle starts after the short pause.
        const std::uint32_t mark = link_.TickMark();
        link_.SetTickMark(mark > 500 ? mark - 500 : 1);
        ++skipCount_;
    } else {
        OnUi([&] { host_.ScopeCaptureComplete(); });
    }
    return skipCount_ < MaxSkippedCycles;
}

void StatusPoller::PollStatusOrca() {
    ScopeStep();
    if (HoldForCapture())
        return;
    skipCount_ = 0;
    const StatusRegisters r = StatusRegistersOf(DeviceKind::Orca230);
    ServicePendingRequests();
    static const std::array<Block, 5> blocks{{
        {51, 9, {51, 52, 53, 55, 58, 59}},
        {60, 8, {60, 61, 62, 65, 66, 67}},
        {72, 13, {72, 83, 84}},
        {134, 12, {134, 135, 138, 139, 144, 145}},
        {180, 8, {}},
    }};
    for (const Block& block : blocks)
        ReadBlock(block);
    RefreshAfterPoll(r.EnableRequest, r.DisableRequest);
}

void StatusPoller::PollStatusDrive() {
    const StatusRegisters r = StatusRegistersOf(DeviceKind::Drive);
    ServicePendingRequests();
    static const std::array<Block, 5> blocks{{
        {116, 5, {}},
        {184, 4, {184, 187}},
        {193, 5, {}},
        {207, 6, {207, 209, 210, 212}},
        {198, 2, {}},
    }};
    for (const Block& block : blocks)
        ReadBlock(block);
    ReadSingles({28, 34});
    ScopeStep();
    RefreshAfterPoll(r.EnableRequest, r.DisableRequest);
}

void StatusPoller::PollStatusPower() {
    std::array<std::uint16_t, 10> words{};
    if (Stopped() || !link_.ReadRegs(78, words.data(), true, TimeoutMs, 10, nullptr))
        return;
    ParamTable& table = link_.ActiveTable();
    for (int i = 0; i < 10; ++i) {
        if (ParamEntry* entry = table.FindByAddress(static_cast<std::uint16_t>(78 + i)))
            entry->DriveValue = static_cast<std::int16_t>(words[i]);
    }
    ReadSingles({98});
    OnUi([&] { host_.StatusRefresh(); });
}

} // namespace kelm
