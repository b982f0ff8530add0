#include "SimTestSupport.h"

using namespace kelm::sim;
using namespace kelm::sim::test;

TEST(SimSetup, PlainDriveAtItsAddressWithItsModel) {
    SetupOptions options = Kind(SimKind::Std);
    options.address = 17;
    options.model = 0x0203;
    auto engine = MakeEngine(options);
    ASSERT_EQ(engine->Devices().size(), 1U);
    EXPECT_EQ(engine->Variant(), FrameVariant::Plain);
    EXPECT_EQ(ReadOne(*engine, 17, 0, 0), 0x0203);
    EXPECT_EQ(ReadOne(*engine, 17, 2, 0), 17);     // register 2 shows the address
    EXPECT_EQ(ReadOne(*engine, 17, 1, 0), 0x0203); // firmware: configured default
    EXPECT_FALSE(ReadOne(*engine, 1, 0, 0));
    // Without a model: the configured default, else the kind's usual code.
    EXPECT_EQ(ReadOne(*MakeEngine(Kind(SimKind::Std)), 1, 0, 0), 0x0401);   // fixture: 0
    EXPECT_EQ(ReadOne(*MakeEngine(Kind(SimKind::Link)), 11, 0, 0), 0x05CA); // fixture default
}

// The unit count can be chosen and must fit the addresses; a Power table without the base
// address register cannot make a link (a missing folder is kelmsim's refused start).
TEST(SimSetup, LinkHasPowerAtTheBaseAndAsManyDriveUnitsAsFit) {
    auto engine = MakeEngine(Kind(SimKind::Link));
    EXPECT_EQ(engine->Variant(), FrameVariant::Link);
    ASSERT_EQ(engine->Devices().size(), 4U);
    EXPECT_EQ(engine->FindDevice(10)->Kind(), kelm::DeviceKind::Power);
    for (std::uint8_t address = 11; address <= 13; ++address) {
        ASSERT_NE(engine->FindDevice(address), nullptr);
        EXPECT_EQ(engine->FindDevice(address)->Kind(), kelm::DeviceKind::Drive);
        EXPECT_EQ(ReadOne(*engine, address, 103, 0), 600);
    }
    EXPECT_EQ(engine->FindDevice(9), nullptr);
    EXPECT_EQ(engine->FindDevice(14), nullptr);
    EXPECT_EQ(ReadOne(*engine, 10, 6, 0), 3);
    SetupOptions options = Kind(SimKind::Link);
    options.units = 1;
    engine = MakeEngine(options);
    EXPECT_EQ(engine->Devices().size(), 2U);
    EXPECT_EQ(ReadOne(*engine, 10, 6, 0), 1);
    EXPECT_FALSE(ReadOne(*engine, 12, 6, 0));
    options.units = 0;
    EXPECT_EQ(MakeEngine(options)->Devices().size(), 1U);

    QString error, noBase;
    options.units = 246; // 10 + 246 > 255
    EXPECT_EQ(BuildEngine(options, FixtureTables(SimKind::Link), 0, error), nullptr);
    EXPECT_EQ(BuildEngine(Kind(SimKind::Link), KindTables{}, 0, noBase), nullptr);
    EXPECT_FALSE(error.isEmpty() || noBase.isEmpty());
}
