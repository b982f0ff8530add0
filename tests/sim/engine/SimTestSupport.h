#pragma once

#include "core/link/RegisterFrames.h"
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
    for (const Reply& reply : engine.Feed(request.data(), request.size(), nowMs))
        bytes.insert(bytes.end(), reply.bytes.begin(), reply.bytes.end());
    return bytes;
}

// Reads registers through the engine as the program's master would, its reply checked by the
// master's own frame checks; nullopt when the reply is missing or refused.
inline std::optional<std::vector<std::uint16_t>> ReadVia(Engine& engine, std::uint8_t address,
                                                         std::uint16_t first, std::uint8_t count,
                                                         std::uint32_t nowMs) {
    const bool link = engine.Variant() == FrameVariant::Link;
    const auto reply =
        Exchange(engine, EncodeReadRequest(engine.Variant(), address, first, count), nowMs);
    std::vector<std::uint16_t> values(count);
    if (reply.size() != frames::ReadReplySize(link, count) ||
        frames::CheckReadReply(link, reply, address, first, count) != frames::ReplyCheck::Ok)
        return std::nullopt;
    frames::ExtractRegisters(link, reply, values);
    return values;
}

inline std::optional<std::uint16_t> ReadOne(Engine& engine, std::uint8_t address, std::uint16_t reg,
                                            std::uint32_t nowMs) {
    const auto values = ReadVia(engine, address, reg, 1, nowMs);
    return values ? std::optional<std::uint16_t>(values->front()) : std::nullopt;
}

inline bool WriteVia(Engine& engine, std::uint8_t address, std::uint16_t first,
                     const std::vector<std::uint16_t>& values, std::uint32_t nowMs) {
    const bool link = engine.Variant() == FrameVariant::Link;
    const auto reply =
        Exchange(engine, EncodeWriteRequest(engine.Variant(), address, first, values), nowMs);
    return reply.size() == frames::WriteReplySize &&
           frames::CheckWriteReply(link, reply, address, first,
                                   static_cast<std::uint8_t>(values.size())) ==
               frames::ReplyCheck::Ok;
}

} // namespace kelm::sim::test
