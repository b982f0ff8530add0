#include "FakeStatusLink.h"

namespace kelm::test {

bool FakeStatusLink::ReadRegs(std::uint16_t address, std::uint16_t* buffer, bool, std::uint32_t,
                              std::uint8_t count, std::uint16_t* copyTarget) {
    if (!online)
        return false;
    requests << QStringLiteral("R%1x%2").arg(address).arg(count);
    if (failAt >= address && failAt < address + count) {
        online = false;
        return false;
    }
    for (int i = 0; i < count; ++i) {
        buffer[i] = registers[static_cast<std::uint16_t>(address + i)];
        if (copyTarget)
            copyTarget[i] = buffer[i];
    }
    return true;
}

bool FakeStatusLink::WriteReg(std::uint16_t address, std::uint16_t value, bool, std::uint32_t,
                              std::uint16_t* echoTarget) {
    if (!online)
        return false;
    requests << QStringLiteral("W%1=%2").arg(address).arg(value);
    if (failAt == address) {
        online = false;
        return false;
    }
    registers[address] = value;
    if (echoTarget)
        *echoTarget = value;
    return true;
}

ParamTable FakeStatusLink::MakeTable(std::uint16_t first, std::uint16_t last) {
    return ParamTable::MakeSynthetic(QStringLiteral("R"), first, last);
}

} // namespace kelm::test
