#include "core/common/KindDescriptor.h"

#include <array>

namespace kelm {
namespace {

// In the order of the enum's numbers.
constexpr std::array<KindDescriptor, DeviceKindCount> Descriptors{{
    {DeviceKind::Std, "std", "Device", "a plain drive", "device.dll", "Devices", ".dev",
     "Device Configuration File", "digIO.dll", "Homing.dll", "StrMon.dll", "Std", "Drive", "D&rive",
     KindRegisters{69, 51, 51, 52, 83, 84}, LinkRegisters{}},
    {DeviceKind::Power, "power", "Tarn Power", "the Tarn Power unit", "TarnPower.dll", "Tarn Power",
     ".tnp", "Tarn Power Configuration File", "", "", "", "", "Tarn Power", "TA&RN Power",
     KindRegisters{90, 83, 83, 84, 86, 87}, LinkRegisters{4, 5}},
    {DeviceKind::Drive, "drive", "Tarn Drive", "a Tarn Drive unit", "TarnDrive.dll", "Tarn Drive",
     ".tnd", "Tarn Drive Configuration File", "DigIO_Tarn.dll", "Homing_Tarn.dll",
     "StrMonTarnD.dll", "Tarn", "Tarn Drive", "TA&RN Drive",
     KindRegisters{202, 116, 116, 117, 119, 120}, LinkRegisters{}},
    {DeviceKind::Orca230, "orca230", "Tarn Orca 230", "a Tarn Orca 230", "TarnOrca230.dll",
     "Devices", ".tno", "Tarn Orca 230 Configuration File", "DigIO_Orca.dll", "Homing_Orca.dll",
     "StrMonOrca.dll", "Tarn", "Tarn", "D&RIVE", KindRegisters{69, 51, 51, 52, 83, 84},
     LinkRegisters{}},
}};

constexpr bool InEnumOrder() {
    for (std::size_t i = 0; i < Descriptors.size(); ++i)
        if (static_cast<std::size_t>(Descriptors[i].Kind) != i)
            return false;
    return true;
}
static_assert(InEnumOrder());

} // namespace

const KindDescriptor& Describe(DeviceKind kind) {
    const auto index = static_cast<std::size_t>(kind);
    return Descriptors[index < Descriptors.size() ? index : 0];
}

bool IsDescribed(DeviceKind kind) {
    return static_cast<std::size_t>(kind) < Descriptors.size();
}

QString DeviceKindText(DeviceKind kind) {
    return QString::fromLatin1(Describe(kind).Text);
}

} // namespace kelm
