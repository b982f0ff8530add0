#pragma once

#include "core/common/Ticks.h"
#include "sim/engine/ControlCommands.h"
#include "sim/engine/Engine.h"
#include "sim/engine/SimSetup.h"

#include <QString>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <vector>

namespace kelm::test {

// An in-memory simulated drive (or link) that records every request it decodes, with the
// controls the tests use on it.
class RecordedSim {
public:
    // Builds the engine of `kind` (`units` drive units on a link, -1 for the default) from
    // the kind tables in `binFolder`; fails the test when it cannot.
    void BuildSim(sim::SimKind kind, const QString& binFolder, int units = -1) {
        sim::SetupOptions options;
        options.kind = kind;
        options.units = units;
        sim::KindTables tables;
        QString error;
        ASSERT_TRUE(sim::LoadTablesFor(kind, binFolder, tables, error)) << error.toStdString();
        engine = sim::BuildEngine(options, tables, TickCount(), error);
        ASSERT_TRUE(engine) << error.toStdString();
        Record();
    }
    // Records every exchange of `engine` (built by the caller or by BuildSim), and hands each
    // to `also` as well.
    void Record(std::function<void(const sim::ExchangeRecord&)> also = {}) {
        engine->SetObserver([this, also = std::move(also)](const sim::ExchangeRecord& record) {
            {
                const std::lock_guard lock(recordsMutex_);
                records_.push_back(record);
            }
            if (also)
                also(record);
        });
    }

    // A kelmsim control line ("alarm 3", "silent on", ...); it must be accepted.
    void Control(const QString& line) {
        auto lock = engine->Lock();
        const sim::ControlResult result = sim::ApplyControlCommand(*engine, line, TickCount());
        EXPECT_TRUE(result.ok) << result.message.toStdString();
    }
    std::uint16_t SimRegister(std::uint8_t address, std::uint16_t reg) {
        auto lock = engine->Lock();
        sim::Device* device = engine->FindDevice(address);
        return device != nullptr ? device->Registers().Get(reg) : 0;
    }
    void SetSimRegister(std::uint8_t address, std::uint16_t reg, std::uint16_t value) {
        auto lock = engine->Lock();
        if (sim::Device* device = engine->FindDevice(address))
            device->Registers().Set(reg, value);
    }
    std::vector<sim::ExchangeRecord> Records() {
        const std::lock_guard lock(recordsMutex_);
        return records_;
    }
    void ClearRecords() {
        const std::lock_guard lock(recordsMutex_);
        records_.clear();
    }

    std::shared_ptr<sim::Engine> engine;

private:
    std::mutex recordsMutex_;
    std::vector<sim::ExchangeRecord> records_;
};

} // namespace kelm::test
