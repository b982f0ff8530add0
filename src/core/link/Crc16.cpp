#include "core/link/Crc16.h"

#include <array>

namespace kelm {
namespace {

// The two 256-entry tables of the table-driven Modbus CRC: for every index the high and the
// low byte of the CRC contribution. Built once at compile time from the polynomial.
struct CrcTables {
    std::array<std::uint8_t, 256> High{};
    std::array<std::uint8_t, 256> Low{};
};

constexpr CrcTables MakeTables() {
    CrcTables tables;
    for (unsigned index = 0; index < 256; ++index) {
        unsigned crc = index;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1u) ? (crc >> 1) ^ 0xA001u : crc >> 1;
        }
        // The classic tables hold the contribution with its bytes swapped: "high" is the byte
        // that is XORed into the running low byte.
        tables.High[index] = static_cast<std::uint8_t>(crc & 0xFFu);
        tables.Low[index] = static_cast<std::uint8_t>(crc >> 8);
    }
    return tables;
}

constexpr CrcTables Tables = MakeTables();

static_assert(Tables.High[1] == 0xC1 && Tables.Low[1] == 0xC0, "Modbus CRC table layout");

} // namespace

std::uint16_t Crc16(const std::uint8_t* bytes, std::size_t length) {
    std::uint8_t high = 0xFF; // becomes the second byte on the wire
    std::uint8_t low = 0xFF;  // first byte on the wire
    for (std::size_t i = 0; i < length; ++i) {
        const std::uint8_t index = low ^ bytes[i];
        low = high ^ Tables.High[index];
        high = Tables.Low[index];
    }
    return static_cast<std::uint16_t>((high << 8) | low);
}

} // namespace kelm
