#pragma once

namespace kelm {

// The windows the status poll reaches besides the status panel: the digital and analog
// I/O pages and the oscilloscope window. The main window (or the pages' owner) implements
// it; the calls other than *Open/*Exists are made only after those reported true.
class StatusPanelHost {
public:
    virtual ~StatusPanelHost() = default;
    virtual bool DigitalPageOpen() const = 0;
    virtual void SetDigitalEnableSwitch(bool on) = 0;
    virtual void DigitalRefresh() = 0;
    virtual bool AnalogPageOpen() const = 0;
    virtual void AnalogRefresh() = 0;
    virtual bool ScopeWindowExists() const = 0;
    virtual void ScopeStatusStep() = 0;
    virtual void ScopeCaptureComplete() = 0;
};

} // namespace kelm
