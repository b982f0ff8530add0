#include "ui/geninfo/GenInfoModel.h"

#include "core/drive/DriveIdentity.h"
#include "core/params/ParamTable.h"
#include "ui/pages/RegenResistor.h"

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
    GenInfoRegisters r;
    switch (kind) {
    case DeviceKind::Std:
        r.Regen = 103, r.Relay = 70, r.Can = 4, r.Address = 2, r.AddressMax = 255;
        break;
    case DeviceKind::Drive:
        r.Relay = 76, r.Can = 7, r.LinkCan = true, r.Address = 6, r.AddressMax = 65535;
        r.HwInfoFirst = 370;
        break;
    case DeviceKind::Power:
        r.Regen = 12, r.Can = 8, r.LinkCan = true, r.Address = 7, r.AddressMax = 65535;
        r.Units = 6, r.HwInfoFirst = 100;
        break;
    case DeviceKind::Orca230:
        r.Relay = 70, r.Can = 4, r.Address = 2, r.AddressMax = 65535, r.HwInfoFirst = 150;
        break;
    }
    return r;
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

GenInfoSelection LoadGenInfoSelection(DeviceKind kind, const ParamTable& table) {
    GenInfoSelection s;
    const GenInfoRegisters r = GenInfoRegistersFor(kind);
    if (kind == DeviceKind::Std) {
        const int code = ValueOf(table, r.Regen);
        s.RegenIndex = 0;
        for (std::size_t i = 0; i < StdRegenCodes.size(); ++i)
            if (StdRegenCodes[i] == code)
                s.RegenIndex = static_cast<int>(i);
    } else if (kind == DeviceKind::Power) {
        const int voltage = ValueOf(table, PowerMainVoltage);
        if (!RegenItems(voltage).isEmpty())
            s.RegenIndex = std::max(0, RegenIndex(voltage, ValueOf(table, r.Regen)));
    }
    if (r.Relay >= 0) {
        const auto bits = static_cast<std::uint16_t>(ValueOf(table, r.Relay));
        s.OpenWithI2t = (bits & RelayOpenWithI2t) != 0;
        s.ClosedWhenReady = (bits & RelayClosedWhenReady) != 0;
        s.EmergencyStop = (bits & EmergencyStopEnabled) != 0;
    }
    s.CanIndex = std::max(0, CanBaudIndex(CanList(r), ValueOf(table, r.Can)));
    // Addresses up to 65535 are unsigned register words.
    const auto address = static_cast<std::uint16_t>(ValueOf(table, r.Address));
    s.Address = r.AddressMax > 255 ? address : static_cast<std::int16_t>(address);
    if (r.Units >= 0)
        s.Units = ValueOf(table, r.Units);
    return s;
}

void StoreGenInfoSelection(DeviceKind kind, ParamTable& table, const GenInfoSelection& s) {
    const GenInfoRegisters r = GenInfoRegistersFor(kind);
    auto entry = [&table](int address) {
        return address < 0 ? nullptr : table.FindByAddress(static_cast<std::uint16_t>(address));
    };
    if (ParamEntry* regen = entry(r.Regen)) {
        if (kind == DeviceKind::Std && s.RegenIndex >= 0 &&
            s.RegenIndex < static_cast<int>(StdRegenCodes.size()))
            regen->Value =
                static_cast<std::int16_t>(StdRegenCodes[static_cast<std::size_t>(s.RegenIndex)]);
        if (kind == DeviceKind::Power) {
            const int code = RegenCode(ValueOf(table, PowerMainVoltage), s.RegenIndex);
            if (code >= 0)
                regen->Value = static_cast<std::int16_t>(code);
        }
    }
    if (ParamEntry* relay = entry(r.Relay)) {
        auto bits = static_cast<std::uint16_t>(relay->Value);
        auto setBit = [&bits](std::uint16_t bit, bool on) {
            bits = static_cast<std::uint16_t>(on ? (bits | bit) : (bits & ~bit));
        };
        setBit(RelayOpenWithI2t, s.OpenWithI2t);
        if (kind == DeviceKind::Std)
            setBit(RelayClosedWhenReady, s.ClosedWhenReady);
        setBit(EmergencyStopEnabled, s.EmergencyStop);
        relay->Value = static_cast<std::int16_t>(bits);
    }
    if (ParamEntry* can = entry(r.Can)) {
        const CanBaudList& list = CanList(r);
        const int index = (s.CanIndex >= 0 && s.CanIndex < list.Count) ? s.CanIndex : 0;
        can->Value = static_cast<std::int16_t>(list.Values[static_cast<std::size_t>(index)]);
    }
    if (ParamEntry* address = entry(r.Address))
        address->Value = static_cast<std::int16_t>(static_cast<std::uint16_t>(s.Address));
    if (ParamEntry* units = entry(r.Units))
        units->Value = static_cast<std::int16_t>(s.Units);
}

} // namespace kelm
