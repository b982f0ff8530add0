#include "core/params/LinkBaud.h"

namespace kelm {

std::uint32_t LinkBaudRate(const ParamTable& power) {
    const ParamEntry* entry = power.FindByAddress(TheLinkRegisters().BaudHundreds);
    if (entry == nullptr || entry->DefaultValue <= 0)
        return 0;
    return static_cast<std::uint32_t>(entry->DefaultValue) * 100U;
}

} // namespace kelm
