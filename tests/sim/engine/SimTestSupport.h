#pragma once

#include "sim/engine/Engine.h"
#include "sim/engine/SimSetup.h"

#include <gtest/gtest.h>
#include <optional>

namespace kelm::sim::test {

inline KindTables FixtureTables(SimKind kind) {
    KindTables tables;
    QString error;
    EXPECT_TRUE(LoadTablesFor(kind, QStringLiteral(SIM_FIXTURE_BIN), tables, error))
        << error.toStdString();
    return tables;
}

inline std::unique_ptr<Engine> MakeEngine(SetupOptions options, std::uint32_t nowMs = 0) {
    QString error;
    auto engine = BuildEngine(options, FixtureTables(options.kind), nowMs, error);
    EXPECT_TRUE(engine) << error.toStdString();
    return engine;
}

inline SetupOptions Kind(SimKind kind) {
    SetupOptions options;
    options.kind = kind;
    return options;
}

// All reply bytes one request produces.
inline std::vector<std::uint8_t> Exchange(Engine& engine, const std::vector<std::uint8_t>& request,
                                          std::uint32_t nowMs) {
    std::vector<std::uint8_t> bytes;
    for (const Reply& reply : engine.Feed(request.data(), request.size(), nowMs)) {
        bytes.insert(bytes.end(), reply.bytes.begin(), reply.bytes.end());
    }
    return bytes;
}

// Reads registers through the engine as a master would; nullopt when the reply is missing
// or not the expected frame.
inline std::optional<std::vector<std::uint16_t>> ReadVia(Engine& engine, std::uint8_t address,
                                                         std::uint16_t first, std::uint16_t count,
                                                         std::uint32_t nowMs) {
    const FrameVariant variant = engine.Variant();
    const auto reply = Exchange(engine, EncodeReadRequest(variant, address, first, count), nowMs);
    const std::size_t header = variant == FrameVariant::Link ? 6 : 3;
    if (reply.size() != header + 2U * count + 2 || !CrcMatches(reply.data(), reply.size()) ||
        reply[0] != address) {
        return std::nullopt;
    }
    std::vector<std::uint16_t> values(count);
    for (std::size_t i = 0; i < count; ++i) {
        values[i] =
            static_cast<std::uint16_t>(reply[header + 2 * i] << 8 | reply[header + 2 * i + 1]);
    }
    return values;
}

inline std::optional<std::uint16_t> ReadOne(Engine& engine, std::uint8_t address, std::uint16_t reg,
                                            std::uint32_t nowMs) {
    const auto values = ReadVia(engine, address, reg, 1, nowMs);
    return values ? std::optional<std::uint16_t>(values->front()) : std::nullopt;
}

inline bool WriteVia(Engine& engine, std::uint8_t address, std::uint16_t first,
                     const std::vector<std::uint16_t>& values, std::uint32_t nowMs) {
    const auto reply =
        Exchange(engine, EncodeWriteRequest(engine.Variant(), address, first, values), nowMs);
    return reply.size() == 8 && CrcMatches(reply.data(), reply.size()) && reply[0] == address;
}

} // namespace kelm::sim::test
