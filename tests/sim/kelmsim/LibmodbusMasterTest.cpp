// kelmsim in plain mode against an independent Modbus RTU master (libmodbus).

#include "SimProcess.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <modbus.h>

using namespace kelm::sim::test;

namespace {

struct ModbusContext {
    explicit ModbusContext(const QString& path, int slave) {
        ctx = modbus_new_rtu(path.toLocal8Bit().constData(), 19200, 'N', 8, 1);
        if (ctx != nullptr) {
            modbus_set_slave(ctx, slave);
            modbus_set_response_timeout(ctx, 0, 500000);
            connected = modbus_connect(ctx) == 0;
        }
    }
    ~ModbusContext() {
        if (ctx != nullptr) {
            modbus_close(ctx);
            modbus_free(ctx);
        }
    }
    modbus_t* ctx = nullptr;
    bool connected = false;
};

} // namespace

TEST(KelmsimLibmodbus, StandardMasterReadsAndWritesRegisters) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start({QStringLiteral("--address"), QStringLiteral("5")}));
    ModbusContext modbus(sim.Path(), 5);
    ASSERT_TRUE(modbus.connected);

    std::uint16_t values[3] = {};
    ASSERT_EQ(modbus_read_registers(modbus.ctx, 12, 2, values), 2) << modbus_strerror(errno);
    EXPECT_EQ(values[0], 100);
    EXPECT_EQ(values[1], 50);

    const std::uint16_t written[3] = {7, 8, 0xFFFF};
    ASSERT_EQ(modbus_write_registers(modbus.ctx, 40000, 3, written), 3) << modbus_strerror(errno);
    ASSERT_EQ(modbus_read_registers(modbus.ctx, 40000, 3, values), 3);
    EXPECT_EQ(values[0], 7);
    EXPECT_EQ(values[1], 8);
    EXPECT_EQ(values[2], 0xFFFF);

    // Function 6 is not a drive function: a proper exception reply, and the line stays in
    // step for the next request.
    EXPECT_EQ(modbus_write_register(modbus.ctx, 12, 1), -1);
    EXPECT_EQ(errno, EMBXILFUN);
    std::uint16_t many[125] = {};
    EXPECT_EQ(modbus_read_registers(modbus.ctx, 0, 125, many), 125);
    EXPECT_EQ(many[2], 5); // register 2 holds the address
    EXPECT_EQ(sim.Terminate(), 0);
}
