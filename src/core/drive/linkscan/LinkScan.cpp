#include "core/drive/linkscan/LinkScan.h"

#include "core/common/KindDescriptor.h"
#include "core/drive/TDriver.h"
#include "core/drive/linkscan/LinkFormats.h"
#include "core/link/ModbusMaster.h"

#include <array>

namespace kelm {

namespace {

constexpr std::uint16_t DriveUnitsRegister = 6;
constexpr std::uint16_t PowerVariantRegister = 11;
constexpr std::uint16_t DriveVariantRegister = 103;

} // namespace

void LinkUnit::MarkIdentUnread() {
    IdentPending = true;
    if (ParamEntry* ident = Table.FindByAddress(IdentRegister());
        ident != nullptr && ident->MaxValue < 32767)
        ident->DriveValue = static_cast<std::int16_t>(ident->MaxValue + 1);
}

LinkLayout LinkLayoutOf(const ParamTable& powerTable) {
    LinkLayout layout;
    if (const ParamEntry* base = powerTable.FindByAddress(TheLinkRegisters().BaseAddress))
        layout.Base = base->DefaultValue;
    if (const ParamEntry* units = powerTable.FindByAddress(DriveUnitsRegister))
        layout.DriveUnits = units->Value;
    // Addresses are one byte: a count that would run past 255 is cut.
    if (layout.Base < 0 || layout.Base > 255)
        layout.Base = 0;
    if (layout.DriveUnits < 0)
        layout.DriveUnits = 0;
    if (layout.Base + layout.DriveUnits > 255)
        layout.DriveUnits = 255 - layout.Base;
    return layout;
}

LinkScan::LinkScan(TDriver& driver) : driver_(driver) {}

LinkScan::~LinkScan() {
    if (installed_) {
        driver_.SetPollBody(WorkerMode::LinkPoll, {});
        driver_.SetStartBody(WorkerMode::LinkPoll, {});
    }
}

void LinkScan::Install() {
    driver_.SetPollBody(
        WorkerMode::LinkPoll, [this] { Step(); }, TDriver::PollThread::Worker);
    driver_.SetStartBody(WorkerMode::LinkPoll, [this] { Restart(); });
    installed_ = true;
}

int LinkScan::IndexOf(std::uint8_t address) const {
    for (std::size_t i = 0; i < units_.size(); ++i)
        if (units_[i].Address == address)
            return static_cast<int>(i);
    return -1;
}

void LinkScan::Build(const std::function<void(int)>& unitBuilt) {
    units_.clear();
    const ParamTable& powerConfig = driver_.KindTable(DeviceKind::Power);
    const LinkLayout layout = LinkLayoutOf(powerConfig);

    LinkUnit power;
    power.Address = static_cast<std::uint8_t>(layout.Base);
    power.IsPower = true;
    power.Answering = true;
    power.SelectTag = power.Address;
    if (const ParamEntry* variant = powerConfig.FindByAddress(PowerVariantRegister))
        power.Variant = variant->Value == 400;
    power.Table.CopyFrom(powerConfig);
    power.MarkIdentUnread();
    units_.push_back(std::move(power));
    if (unitBuilt)
        unitBuilt(0);

    const ParamTable& driveConfig = driver_.KindTable(DeviceKind::Drive);
    ModbusMaster& master = driver_.Master();
    for (int i = 1; i <= layout.DriveUnits; ++i) {
        LinkUnit unit;
        unit.Address = static_cast<std::uint8_t>(layout.Base + i);
        unit.Table.CopyFrom(driveConfig);
        unit.MarkIdentUnread();
        master.SelectUnit(unit.Address);
        unit.Answering = Read(unit, DriveVariantRegister, 1);
        if (unit.Answering) {
            unit.SelectTag = unit.Address;
            unit.Variant = unit.Reg(DriveVariantRegister) == 600;
        }
        units_.push_back(std::move(unit));
        if (unitBuilt)
            unitBuilt(i);
    }
    currentIndex_ = static_cast<int>(units_.size());
}

bool LinkScan::Read(LinkUnit& unit, std::uint16_t first, std::uint8_t count) {
    std::array<std::uint16_t, 16> buffer{};
    if (count == 0 || count > buffer.size())
        return false;
    if (!driver_.ReadRegs(first, buffer.data(), false, ReplyTimeoutMs, count, nullptr))
        return false;
    for (std::uint8_t i = 0; i < count; ++i)
        if (ParamEntry* entry = unit.Table.FindByAddress(static_cast<std::uint16_t>(first + i)))
            entry->DriveValue = static_cast<std::int16_t>(buffer[i]);
    return true;
}

bool LinkScan::ReadIdent(LinkUnit& unit) {
    if (!unit.IdentPending)
        return true;
    if (!Read(unit, unit.IdentRegister(), 1))
        return false;
    unit.IdentPending = false;
    return true;
}

void LinkScan::Step() {
    if (units_.empty())
        return;
    const int count = static_cast<int>(units_.size());
    currentIndex_ = currentIndex_ >= count - 1 ? 0 : currentIndex_ + 1;
    const int index = currentIndex_;
    LinkUnit unit = units_[static_cast<std::size_t>(index)];
    driver_.Master().SelectUnit(unit.Address);
    if (unit.IsPower)
        PollPower(unit);
    else
        PollDrive(unit);
    if (!unit.Answering)
        unit.SelectTag = 0;
    driver_.RunSynchronized([this, index, &unit] {
        if (unit.Answering)
            runningTime_ = RunningTimeSeconds(unit.UReg(unit.RunningTimeRegister()),
                                              unit.UReg(unit.RunningTimeRegister() + 1));
        units_[static_cast<std::size_t>(index)] = std::move(unit);
        if (unitUpdated_)
            unitUpdated_(index);
    });
}

void LinkScan::PollPower(LinkUnit& unit) {
    if (!unit.Answering) {
        // A silent Power unit may mean a lost adapter: the port is reopened first.
        driver_.Master().ReopenPort();
        Probe(unit);
        return;
    }
    unit.Answering =
        ReadIdent(unit) && Read(unit, unit.RunningTimeRegister(), 2) && Read(unit, 78, 10);
}

void LinkScan::PollDrive(LinkUnit& unit) {
    if (!unit.Answering) {
        Probe(unit);
        return;
    }
    unit.Answering = ReadIdent(unit) && Read(unit, unit.RunningTimeRegister(), 2) &&
                     Read(unit, 193, 5) && Read(unit, 184, 1) && Read(unit, 187, 1) &&
                     Read(unit, 116, 5);
}

void LinkScan::Probe(LinkUnit& unit) {
    if (!Read(unit, unit.ProbeRegister(), 1))
        return;
    unit.Answering = true;
    unit.SelectTag = unit.Address;
    unit.Variant = unit.Reg(unit.ProbeRegister()) == (unit.IsPower ? 400 : 600);
    unit.MarkIdentUnread();
}

} // namespace kelm
