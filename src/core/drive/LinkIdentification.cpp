#include "core/drive/LinkIdentification.h"

#include "core/common/KindDescriptor.h"
#include "core/drive/TDriver.h"
#include "core/link/ModbusMaster.h"

#include <algorithm>
#include <array>

namespace kelm {
namespace {

constexpr std::uint32_t TimeoutMs = 100;
constexpr std::uint16_t DriveUnitsRegister = 6; // Power: number of Drive units
constexpr std::uint16_t VoltageRegister = 11;   // Power: supply code
constexpr std::uint16_t SignatureRegister = 249;

} // namespace

bool IsOrcaSignature(std::uint16_t register249, std::uint16_t register250) {
    return register249 == OrcaSignatureLow && register250 == OrcaSignatureHigh;
}

LinkIdentity IdentifyLink(TDriver& driver) {
    ModbusMaster& master = driver.Master();
    LinkIdentity link;
    const ParamEntry* base = driver.ActiveTable().FindByAddress(TheLinkRegisters().BaseAddress);
    link.PowerAddress = static_cast<std::uint8_t>(base != nullptr ? base->DefaultValue : 0);
    master.SelectUnit(link.PowerAddress);
    driver.SetOnline(master.IsLinkReady());
    // After a reported failure the driver is off line and refuses the later reads.
    const bool units = driver.ReadParam(DriveUnitsRegister, true, TimeoutMs);
    const bool voltage = driver.ReadParam(VoltageRegister, true, TimeoutMs);
    std::array<std::uint16_t, 2> signature{};
    const bool named =
        driver.ReadRegs(SignatureRegister, signature.data(), true, TimeoutMs, 2, nullptr);
    if (units && voltage && named)
        driver.StoreActiveTable();
    link.Answered = named && master.IsPortOpen();
    link.Orca = link.Answered && IsOrcaSignature(signature[0], signature[1]);
    const ParamEntry* count = driver.ActiveTable().FindByAddress(DriveUnitsRegister);
    link.DriveUnits = count != nullptr ? std::max<int>(0, count->Value) : 0;
    return link;
}

std::optional<DeviceKind> LinkUnitKind(const LinkIdentity& link, std::uint8_t address) {
    if (!link.Answered)
        return std::nullopt;
    if (link.Orca)
        return address == LinkIdentity::OrcaAddress || address == link.PowerAddress
                   ? std::optional(DeviceKind::Orca230)
                   : std::nullopt;
    if (address == link.PowerAddress)
        return DeviceKind::Power;
    const int unit = static_cast<int>(address) - static_cast<int>(link.PowerAddress);
    if (unit >= 1 && unit <= link.DriveUnits)
        return DeviceKind::Drive;
    return std::nullopt;
}

} // namespace kelm
