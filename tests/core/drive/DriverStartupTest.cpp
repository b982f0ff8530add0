#include "DriveTestSupport.h"

#include "../config/ConfigFixtures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace kelm::test {
namespace {

// What each configuration file holds and which failure it reports is the configuration
// set's; here the driver takes the tables over, or stays usable for an orderly shutdown.
class StartupTest : public DriveFixture {
protected:
    void SetUp() override {
        DriveFixture::SetUp();
        ASSERT_TRUE(temp.isValid());
        install = temp.path() + "/install/";
        WriteGoodConfigSet(install + "Bin/");
    }
    void TearDown() override {
        ClearTerminateRequest();
        DriveFixture::TearDown();
    }

    QTemporaryDir temp;
    QString install;
};

TEST_F(StartupTest, LoadsTheKindTablesAndSelectsStd) {
    ASSERT_TRUE(driver->Initialize(install, temp.path() + "/data/Devices/"));
    EXPECT_EQ(messages.TerminateCount(), 0);
    EXPECT_EQ(driver->CurrentKind(), DeviceKind::Std);
    ASSERT_EQ(driver->ActiveTable().Count(), 2);
    EXPECT_EQ(driver->ActiveTable().At(0).DefaultValue, 10);
    EXPECT_EQ(driver->KindTable(DeviceKind::Power).Count(), 2);
    EXPECT_TRUE(driver->CurrentFileName.isEmpty());
    EXPECT_FALSE(driver->Online());
    EXPECT_EQ(driver->ModeLetter(), 0);
}

TEST_F(StartupTest, AMissingDeviceFileEndsTheProgram) {
    QFile::remove(install + "Bin/TarnDrive.dll");
    EXPECT_FALSE(driver->Initialize(install, temp.path() + "/data/"));
    EXPECT_GE(messages.TerminateCount(), 1);
    EXPECT_EQ(driver->WaitIdle(), 0);
}

} // namespace
} // namespace kelm::test
