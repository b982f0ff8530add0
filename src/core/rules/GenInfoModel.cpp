#include "core/rules/GenInfoModel.h"

#include "core/common/PerKind.h"
#include "core/drive/DriveIdentity.h"
#include "core/params/ParamTable.h"
#include "core/rules/RegenResistor.h"

#include <algorithm>
#include <array>

namespace kelm {

namespace {

constexpr std::uint16_t PowerMainVoltage = 11;
const std::array<int, 3> StdRegenCodes = {0, 400, 800};

std::uint16_t DriveWord(const ParamTable& table, int address) {
    const ParamEntry* entry = table.FindByAddress(static_cast<std::uint16_t>(address));
    return entry ? static_cast<std::uint16_t>(entry->DriveValue) : 0;
}

std::int16_t ValueOf(const ParamTable& table, int address) {
    const ParamEntry* entry = table.FindByAddress(static_cast<std::uint16_t>(address));
    return entry ? entry->Value : 0;
}

QString HwInfo(const ParamTable& table, int first) {
    std::array<std::int16_t, 8> words{};
    for (int i = 0; i < 8; ++i)
        words[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(DriveWord(table, first + i));
    return HardwareInfoText(words);
}

const CanBaudList& CanList(const GenInfoRegisters& registers) {
    return registers.LinkCan ? LinkCanBaudList() : PlainCanBaudList();
}

} // namespace

GenInfoRegisters GenInfoRegistersFor(DeviceKind kind) {
    static constexpr PerKind<GenInfoRegisters> table{
        .Std = {.Regen = 103, .Relay = 70, .Can = 4, .Address = 2, .AddressMax = 255},
        .Power = {.Regen = 12,
                  .Can = 8,
                  .LinkCan = true,
                  .Address = 7,
                  .AddressMax = 65535,
                  .Units = 6,
                  .HwInfoFirst = 100},
        .Drive = {.Relay = 76,
                  .Can = 7,
                  .LinkCan = true,
                  .Address = 6,
                  .AddressMax = 65535,
                  .HwInfoFirst = 370},
        .Orca230 = {.Relay = 70, .Can = 4, .Address = 2, .AddressMax = 65535, .HwInfoFirst = 150}};
    return table[kind];
}

GenInfoTexts GenInfoTextsFor(DeviceKind kind, const ParamTable& table) {
    GenInfoTexts t;
    const GenInfoRegisters registers = GenInfoRegistersFor(kind);
    t.Model = ModelText(kind, table);
    t.RelayCaption = QStringLiteral(" Relay ");
    if (registers.HwInfoFirst >= 0)
        t.HwInfo = HwInfo(table, registers.HwInfoFirst);
    const double size = GetDriveSize(kind, table);
    switch (kind) {
    case DeviceKind::Std:
        t.GroupCaption = QStringLiteral(" Drive ");
        t.ModelLabel = QStringLiteral("Drive Ver.");
        t.FirmwareLabel = QStringLiteral("Firmware Ver.");
        t.Firmware = StdFirmwareText(DriveWord(table, 1));
        t.SizeLabel = QStringLiteral("Size (A)");
        t.Size = QStringLiteral(" ") + SizeText(size, true);
        t.BootLabel = QStringLiteral("Boot Ver.");
        t.Boot = BootVersionText(DriveWord(table, 85));
        break;
    case DeviceKind::Drive:
        t.GroupCaption = QStringLiteral(" Tarn Device");
        t.ModelLabel = QStringLiteral("Device Ver.");
        t.FirmwareLabel = QStringLiteral("Firmware");
        t.Firmware = QStringLiteral(" ") + HexWordText(DriveWord(table, 2));
        t.SizeLabel = QStringLiteral("Size (A)");
        t.Size = DriveTypeValid(table) ? QStringLiteral(" ") + SizeText(size, false)
                                       : DriveTypeUnknownText();
        t.RelayCaption = QStringLiteral(" Remote Relay OK ");
        break;
    case DeviceKind::Power:
        t.GroupCaption = QStringLiteral(" Tarn Device");
        t.ModelLabel = QStringLiteral("Device Ver.");
        t.FirmwareLabel = QStringLiteral("Firmware");
        t.Firmware = QStringLiteral(" ") + HexWordText(DriveWord(table, 2));
        t.SizeLabel = QStringLiteral("Size (kW)");
        t.Size = QStringLiteral("4.5");
        t.BootLabel = QStringLiteral("Boot");
        t.Boot = BootVersionText(DriveWord(table, 1)).trimmed();
        t.Application = QString::number(DriveWord(table, 3));
        break;
    case DeviceKind::Orca230:
        t.GroupCaption = QStringLiteral(" Tarn Device");
        t.ModelLabel = QStringLiteral("Device Ver.");
        t.FirmwareLabel = QStringLiteral("Firmware");
        t.Firmware = HexWordText(DriveWord(table, 1));
        t.SizeLabel = QStringLiteral("Size (A)");
        t.Size = QStringLiteral(" ") + SizeText(size, true);
        break;
    }
    return t;
}

QStringList GenInfoRegenItems(DeviceKind kind, const ParamTable& table) {
    if (kind == DeviceKind::Std)
        return {QStringLiteral("Internal"), QStringLiteral("External 500 W"),
                QStringLiteral("External 1000 W")};
    if (kind == DeviceKind::Power)
        return RegenItems(ValueOf(table, PowerMainVoltage));
    return {};
}

bool GenInfoRegenEnabled(DeviceKind kind, const ParamTable& table) {
    if (kind == DeviceKind::Std)
        return RegenChoiceEnabled(GetModelFamily(kind, table));
    return kind == DeviceKind::Power;
}

GenInfoEdits::GenInfoEdits(DeviceKind kind, const ParamTable& table)
    : kind_(kind), registers_(GenInfoRegistersFor(kind)), table_(&table) {}

std::int16_t GenInfoEdits::Shown(int address) const {
    return edits_.Shown(static_cast<std::uint16_t>(address), ValueOf(*table_, address));
}

void GenInfoEdits::SetWord(int address, std::int16_t value) {
    if (address < 0 || table_->FindByAddress(static_cast<std::uint16_t>(address)) == nullptr ||
        Shown(address) == value)
        return;
    edits_.SetWord(static_cast<std::uint16_t>(address), value);
}

void GenInfoEdits::Clear() {
    edits_.Clear();
    relayBits_ = 0;
}

void GenInfoEdits::Open() {
    Clear();
    const CanBaudList& can = CanList(registers_);
    if (CanBaudIndex(can, Shown(registers_.Can)) < 0)
        ChooseCan(0);
    if (kind_ == DeviceKind::Std) {
        const int code = Shown(registers_.Regen);
        if (std::find(StdRegenCodes.begin(), StdRegenCodes.end(), code) == StdRegenCodes.end())
            ChooseRegen(0);
    } else if (kind_ == DeviceKind::Power) {
        const int voltage = Shown(PowerMainVoltage);
        if (!RegenItems(voltage).isEmpty() && RegenIndex(voltage, Shown(registers_.Regen)) < 0)
            ChooseRegen(0);
    }
}

GenInfoSelection GenInfoEdits::Selection() const {
    GenInfoSelection s;
    if (kind_ == DeviceKind::Std) {
        const int code = Shown(registers_.Regen);
        s.RegenIndex = 0;
        for (std::size_t i = 0; i < StdRegenCodes.size(); ++i)
            if (StdRegenCodes[i] == code)
                s.RegenIndex = static_cast<int>(i);
    } else if (kind_ == DeviceKind::Power) {
        const int voltage = Shown(PowerMainVoltage);
        if (!RegenItems(voltage).isEmpty())
            s.RegenIndex = std::max(0, RegenIndex(voltage, Shown(registers_.Regen)));
    }
    if (registers_.Relay >= 0) {
        const auto bits = static_cast<std::uint16_t>(Shown(registers_.Relay));
        s.OpenWithI2t = (bits & RelayOpenWithI2t) != 0;
        s.ClosedWhenReady = (bits & RelayClosedWhenReady) != 0;
        s.EmergencyStop = (bits & EmergencyStopEnabled) != 0;
    }
    s.CanIndex = std::max(0, CanBaudIndex(CanList(registers_), Shown(registers_.Can)));
    // Addresses up to 65535 are unsigned register words.
    const auto address = static_cast<std::uint16_t>(Shown(registers_.Address));
    s.Address = registers_.AddressMax > 255 ? address : static_cast<std::int16_t>(address);
    if (registers_.Units >= 0)
        s.Units = Shown(registers_.Units);
    return s;
}

void GenInfoEdits::ChooseRegen(int index) {
    if (kind_ == DeviceKind::Std && index >= 0 && index < static_cast<int>(StdRegenCodes.size()))
        SetWord(registers_.Regen,
                static_cast<std::int16_t>(StdRegenCodes[static_cast<std::size_t>(index)]));
    if (kind_ == DeviceKind::Power) {
        const int code = RegenCode(Shown(PowerMainVoltage), index);
        if (code >= 0)
            SetWord(registers_.Regen, static_cast<std::int16_t>(code));
    }
}

void GenInfoEdits::SetRelayBit(std::uint16_t bit, bool on) {
    // The ready relay is a Std setting only.
    if (registers_.Relay < 0 || (bit == RelayClosedWhenReady && kind_ != DeviceKind::Std) ||
        table_->FindByAddress(static_cast<std::uint16_t>(registers_.Relay)) == nullptr)
        return;
    edits_.SetBits(static_cast<std::uint16_t>(registers_.Relay), bit, on);
    relayBits_ = static_cast<std::uint16_t>(relayBits_ | bit);
}

void GenInfoEdits::ChooseCan(int index) {
    const CanBaudList& list = CanList(registers_);
    if (index >= 0 && index < list.Count)
        SetWord(registers_.Can,
                static_cast<std::int16_t>(list.Values[static_cast<std::size_t>(index)]));
}

void GenInfoEdits::SetAddress(std::int32_t address) {
    SetWord(registers_.Address, static_cast<std::int16_t>(static_cast<std::uint16_t>(address)));
}

void GenInfoEdits::SetUnits(std::int32_t units) {
    SetWord(registers_.Units, static_cast<std::int16_t>(units));
}

bool GenInfoEdits::Edited(int address) const {
    return address >= 0 && edits_.Has(static_cast<std::uint16_t>(address));
}

bool GenInfoEdits::RelayBitEdited(std::uint16_t bit) const {
    return Edited(registers_.Relay) && (relayBits_ & bit) != 0;
}

void GenInfoEdits::Keep(EditTracker left) {
    edits_ = std::move(left);
    if (!Edited(registers_.Relay))
        relayBits_ = 0;
}

} // namespace kelm
