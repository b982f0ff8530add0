#pragma once

#include "core/config/ScopeScales.h"

#include <QStringList>
#include <array>
#include <cstdint>

namespace kelm {

class ParamTable;

// The oscilloscope window's control panel without its widgets: the recorder's working
// values the controls set (Value of the scope registers), each channel's signal, scale,
// data and offset, and which controls are enabled. The window shows what it says.
class OscilloPanelModel {
public:
    struct Channel {
        int Signal = -1; // signal loaded into the scale list (index), -1 none
        int Scale = -1;  // selected scale of that signal, -1 none
        bool On = true;  // the enable switch
        bool HasData = false;
        int LastOffset = 0; // the offset the trace is drawn with
    };
    // The run group and the speed mirror.
    struct RunControls {
        bool StartChecked, StartEnabled, ModesEnabled, SpeedEnabled;
    };

    OscilloPanelModel(ParamTable& scopeRegisters, const ScopeScaleSet& signalList);

    // The showing sequence: the stored edge, time window and signal numbers made valid
    // (edge 1, 500 ms, signals 1 and 2), each channel's signal loaded with its middle scale,
    // then the stored scale (50008/50009) chosen where the signal has it.
    void Show();
    int Edge() const;
    int TimeWindow() const;
    int TimeBaseIndex() const;

    // A signal chosen (list index): true when the scale list was reloaded, which selects
    // the middle scale and drops the channel's data.
    bool SelectSignal(int channel, int index);
    void SelectScale(int channel, int index);
    QStringList SignalNames() const;
    QStringList ScaleCaptions(int channel) const;
    int UnitsPerDivision(int channel) const; // 1 while no scale is selected
    // The unit of the channel's signal (the signal list's column beside its name).
    QString Unit(int channel) const;
    void SetEdge(int edge);
    // A time-base entry chosen: the new window (ms); the delay goes to its half.
    int SelectTimeBase(int index);
    int Delay() const;

    void SetOn(int channel, bool on);
    // The offset track and field: switch on and a capture shown.
    bool OffsetEnabled(int channel) const;
    // The chart grid follows channel 1's axis while it is on, else channel 2's.
    int GridChannel() const { return channels_[0].On ? 0 : 1; }
    // A new offset: true when the trace must be drawn again.
    bool TakeOffset(int channel, int offset);
    void ResetOffset(int channel) { channels_[Index(channel)].LastOffset = 0; }
    // After a plotted upload: the channels that are on have data.
    void Captured();

    // Off line nothing that would write is offered: no Start, no speed mirror.
    static RunControls Run(bool running, bool continuous, bool online = true);
    const Channel& At(int channel) const { return channels_[Index(channel)]; }

private:
    static std::size_t Index(int channel) { return channel == 0 ? 0 : 1; }
    std::int16_t& Value(std::uint16_t address);
    std::int16_t Value(std::uint16_t address) const;
    const std::vector<ScopeScale>* Scales(int channel) const;

    ParamTable& table_;
    const ScopeScaleSet& signals_;
    std::array<Channel, 2> channels_;
    std::int16_t scratch_ = 0; // stands in for a register the table lacks
};

} // namespace kelm
