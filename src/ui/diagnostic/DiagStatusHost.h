#pragma once

#include "core/drive/status/StatusPollHost.h"

#include <functional>

namespace kelm {

// The status poll as the diagnostic window runs it once per pass over the visible rows (on
// the worker; these calls come to the user-interface thread through the synchronized call):
// the selectors and the Enable/Disable requests are left alone (the main window's drive
// controls are not in use meanwhile), no page follows the poll, and the status panel is
// painted through the main window's refresh.
class DiagStatusHost final : public StatusPollHost {
public:
    explicit DiagStatusHost(std::function<void()> refresh) : refresh_(std::move(refresh)) {}

    bool SelectorChanged(int) const override { return false; }
    int SelectorIndex(int) const override { return -1; }
    void ClearSelectorChanged(int) override {}
    bool RequestPending(DriveRequest) const override { return false; }
    void SetRequestWritten(DriveRequest, bool) override {}
    void ReleaseRequest(DriveRequest) override {}
    bool DigitalPageOpen() const override { return false; }
    void SetDigitalEnableSwitch(bool) override {}
    void DigitalRefresh() override {}
    bool AnalogPageOpen() const override { return false; }
    void AnalogRefresh() override {}
    bool ScopeWindowExists() const override { return false; }
    void ScopeStatusStep() override {}
    void ScopeCaptureComplete() override {}
    void StatusRefresh() override {
        if (refresh_)
            refresh_();
    }

private:
    std::function<void()> refresh_;
};

} // namespace kelm
