#include "core/rules/OscilloPanelModel.h"

#include "core/drive/scope/ScopeRegisters.h"
#include "core/params/ParamTable.h"
#include "core/rules/OscilloMath.h"

namespace kelm {

namespace {

constexpr std::array<std::uint16_t, 2> kSignalRegisters{scope::Signal1, scope::Signal2};
constexpr std::array<std::uint16_t, 2> kScaleRegisters{scope::Scale1, scope::Scale2};

} // namespace

OscilloPanelModel::OscilloPanelModel(ParamTable& scopeRegisters, const ScopeScaleSet& signalList)
    : table_(scopeRegisters), signals_(signalList) {}

std::int16_t& OscilloPanelModel::Value(std::uint16_t address) {
    ParamEntry* entry = table_.FindByAddress(address);
    return entry != nullptr ? entry->Value : scratch_;
}

std::int16_t OscilloPanelModel::Value(std::uint16_t address) const {
    const ParamEntry* entry = table_.FindByAddress(address);
    return entry != nullptr ? entry->Value : 0;
}

// The controls show the working values: what the drive holds unless the settings file
// brought back the user's last choice, and in either case what the next capture sends.
void OscilloPanelModel::Show() {
    const oscillo::StoredSettings stored =
        oscillo::Repaired({Value(scope::Edge), Value(scope::TimeWindow), Value(scope::Signal1),
                           Value(scope::Signal2)},
                          static_cast<int>(signals_.size()));
    Value(scope::Edge) = static_cast<std::int16_t>(stored.Edge);
    Value(scope::TimeWindow) = static_cast<std::int16_t>(stored.TimeWindow);
    const std::array<int, 2> wanted{stored.Signal1, stored.Signal2};
    for (int ch = 0; ch < 2; ++ch) {
        channels_[Index(ch)].Signal = -1;
        SelectSignal(ch, scope::SignalIndex(wanted[Index(ch)]));
        const std::vector<ScopeScale>* scales = Scales(ch);
        for (std::size_t i = 0; scales != nullptr && i < scales->size(); ++i)
            if ((*scales)[i].UnitsPerDivision == Value(kScaleRegisters[Index(ch)])) {
                SelectScale(ch, static_cast<int>(i));
                break;
            }
    }
}

int OscilloPanelModel::Edge() const {
    return Value(scope::Edge);
}

int OscilloPanelModel::TimeWindow() const {
    return Value(scope::TimeWindow);
}

int OscilloPanelModel::TimeBaseIndex() const {
    return oscillo::TimeBaseIndex(TimeWindow());
}

int OscilloPanelModel::Delay() const {
    return Value(scope::Delay);
}

const std::vector<ScopeScale>* OscilloPanelModel::Scales(int channel) const {
    const int signal = channels_[Index(channel)].Signal;
    if (signal < 0 || signal >= static_cast<int>(signals_.size()))
        return nullptr;
    return &signals_[static_cast<std::size_t>(signal)].Scales;
}

bool OscilloPanelModel::SelectSignal(int channel, int index) {
    Value(kSignalRegisters[Index(channel)]) = static_cast<std::int16_t>(scope::SignalNumber(index));
    Channel& ch = channels_[Index(channel)];
    if (index == ch.Signal)
        return false;
    ch.Signal = index;
    const std::vector<ScopeScale>* scales = Scales(channel);
    ch.Scale = oscillo::MiddleScale(scales != nullptr ? static_cast<int>(scales->size()) : 0);
    ch.HasData = false;
    return true;
}

void OscilloPanelModel::SelectScale(int channel, int index) {
    channels_[Index(channel)].Scale = index;
}

QStringList OscilloPanelModel::SignalNames() const {
    QStringList names;
    for (const ScopeSignal& signal : signals_)
        names << signal.Name;
    return names;
}

QStringList OscilloPanelModel::ScaleCaptions(int channel) const {
    QStringList captions;
    if (const std::vector<ScopeScale>* scales = Scales(channel))
        for (const ScopeScale& scale : *scales)
            captions << scale.Caption;
    return captions;
}

QString OscilloPanelModel::Unit(int channel) const {
    const int signal = channels_[Index(channel)].Signal;
    if (signal < 0 || signal >= static_cast<int>(signals_.size()))
        return {};
    return signals_[static_cast<std::size_t>(signal)].Unit;
}

int OscilloPanelModel::UnitsPerDivision(int channel) const {
    const std::vector<ScopeScale>* scales = Scales(channel);
    const int scale = channels_[Index(channel)].Scale;
    if (scales == nullptr || scale < 0 || scale >= static_cast<int>(scales->size()))
        return 1;
    return (*scales)[static_cast<std::size_t>(scale)].UnitsPerDivision;
}

void OscilloPanelModel::SetEdge(int edge) {
    Value(scope::Edge) = static_cast<std::int16_t>(edge);
}

int OscilloPanelModel::SelectTimeBase(int index) {
    if (index < 0 || index >= static_cast<int>(oscillo::TimeWindows.size()))
        return TimeWindow();
    const int window = oscillo::TimeWindows[static_cast<std::size_t>(index)];
    Value(scope::TimeWindow) = static_cast<std::int16_t>(window);
    Value(scope::Delay) = static_cast<std::int16_t>(window / 2);
    return window;
}

void OscilloPanelModel::SetOn(int channel, bool on) {
    channels_[Index(channel)].On = on;
}

bool OscilloPanelModel::OffsetEnabled(int channel) const {
    const Channel& ch = channels_[Index(channel)];
    return ch.On && ch.HasData;
}

bool OscilloPanelModel::TakeOffset(int channel, int offset) {
    Channel& ch = channels_[Index(channel)];
    if (offset == ch.LastOffset)
        return false;
    ch.LastOffset = offset;
    return true;
}

void OscilloPanelModel::Captured() {
    for (Channel& ch : channels_)
        ch.HasData = ch.On;
}

// A running capture holds the speed entry; a continuous one also Start and the modes.
OscilloPanelModel::RunControls OscilloPanelModel::Run(bool running, bool continuous, bool online) {
    const bool held = running && continuous;
    return {running, !held && online, !held, !running && online};
}

} // namespace kelm
