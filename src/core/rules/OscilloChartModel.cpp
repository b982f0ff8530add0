#include "core/rules/OscilloChartModel.h"

#include "core/drive/scope/ScopeRegisters.h"
#include "core/files/ScopeRecording.h"
#include "core/params/ParamTable.h"
#include "core/rules/OscilloPanelModel.h"

namespace kelm {

namespace {

// The entry at index, or empty (what a selector shows without a current entry).
QString EntryAt(const QStringList& entries, int index) {
    return index >= 0 && index < entries.size() ? entries[index] : QString();
}

} // namespace

QStringList OscilloChartModel::TimeBaseTexts() {
    return {QStringLiteral("1 ms/div"),   QStringLiteral("2 ms/div"),
            QStringLiteral("5 ms/div"),   QStringLiteral("10 ms/div"),
            QStringLiteral("20 ms/div"),  QStringLiteral("50 ms/div"),
            QStringLiteral("100 ms/div"), QStringLiteral("200 ms/div"),
            QStringLiteral("500 ms/div"), QStringLiteral("1 s/div")};
}

oscillo::ValueAxis OscilloChartModel::ChannelAxis(int channel) const {
    return oscillo::AxisForScale(panel_.UnitsPerDivision(channel));
}

void OscilloChartModel::FillSettings(ScopeRecording& recording,
                                     const std::array<int, 2>& offsets) const {
    const auto value = [this](std::uint16_t address) {
        const ParamEntry* entry = registers_.FindByAddress(address);
        return entry != nullptr ? entry->Value : 0;
    };
    recording.TriggerSlope = value(scope::Edge);
    recording.TriggerLevel = value(scope::Level);
    recording.TimeBase = EntryAt(TimeBaseTexts(), panel_.TimeBaseIndex());
    recording.Delay = value(scope::Delay);
    const QStringList signalNames = panel_.SignalNames();
    for (int ch = 0; ch < 2; ++ch) {
        const OscilloPanelModel::Channel& shown = panel_.At(ch);
        ScopeChannelSettings& out = recording.Channels[static_cast<std::size_t>(ch)];
        out.Enabled = shown.On;
        out.Signal = EntryAt(signalNames, shown.Signal);
        out.Scale = EntryAt(panel_.ScaleCaptions(ch), shown.Scale);
        out.Offset = offsets[static_cast<std::size_t>(ch)];
        recording.Units[static_cast<std::size_t>(ch)] = panel_.Unit(ch);
    }
    recording.LeftIncrement = ChannelAxis(0).Increment;
    recording.RightIncrement = ChannelAxis(1).Increment;
    recording.BottomIncrement = TimeIncrement();
}

} // namespace kelm
