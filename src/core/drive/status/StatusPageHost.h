#pragma once

namespace kelm {

// The windows the status poll reaches besides the status panel: the digital and analog
// I/O pages and the oscilloscope window. The calls other than *Open/*Exists are made only
// after those reported true.
class StatusPageHost {
public:
    virtual ~StatusPageHost() = default;

    // The digital I/O page (its enable switch takes the requests while it is open).
    virtual bool DigitalPageOpen() const = 0;
    virtual void SetDigitalEnableSwitch(bool on) = 0;
    virtual void DigitalRefresh() = 0;
    virtual bool AnalogPageOpen() const = 0;
    virtual void AnalogRefresh() = 0;

    // The oscilloscope window: its status step, and its capture-complete handler.
    virtual bool ScopeWindowExists() const = 0;
    virtual void ScopeStatusStep() = 0;
    virtual void ScopeCaptureComplete() = 0;
};

} // namespace kelm
