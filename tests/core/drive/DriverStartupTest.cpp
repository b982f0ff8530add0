#include "DriveTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace kelm::test {
namespace {

void WriteFile(const QString& path, const QStringList& lines) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    for (const QString& line : lines)
        file.write((line + "\r\n").toLatin1());
}

class StartupTest : public DriveFixture {
protected:
    void SetUp() override {
        DriveFixture::SetUp();
        ASSERT_TRUE(temp.isValid());
        install = temp.path() + "/install/";
        bin = install + "Bin/";
        ASSERT_TRUE(QDir().mkpath(bin));
        const QString header = "Kelm Devices Global Configuration File";
        const QString caption = "Name\tAcc\tKind\tAddr\tMin\tMax\tDef\tCmp";
        WriteFile(bin + "device.dll", {header, caption, "Model\tU\tN\t0\t0\t32767\t0\t0",
                                       "Speed\tE\tA\t3\t-100\t100\t25\t1"});
        WriteFile(bin + "TarnPower.dll", {header, caption, "Units\tE\tA\t6\t1\t8\t2\t0"});
        WriteFile(bin + "TarnDrive.dll", {header, caption});
        WriteFile(bin + "TarnOrca230.dll", {header, caption});
        for (const char* name : {"digIO.dll", "DigIO_Tarn.dll", "DigIO_Orca.dll"})
            WriteFile(bin + name, {"Kelm Digital I/O Configuration File", ""});
    }
    void TearDown() override {
        ClearTerminateRequest();
        DriveFixture::TearDown();
    }

    QTemporaryDir temp;
    QString install;
    QString bin;
};

TEST_F(StartupTest, LoadsTheKindTablesAndSelectsStd) {
    const QString devices = temp.path() + "/data/Devices/";
    ASSERT_TRUE(driver->Initialize(install, devices));
    EXPECT_TRUE(QDir(devices).exists());
    EXPECT_EQ(messages.TerminateCount(), 0);
    EXPECT_EQ(driver->CurrentKind(), DeviceKind::Std);
    ASSERT_EQ(driver->ActiveTable().Count(), 2);
    EXPECT_EQ(driver->ActiveTable().At(1).Name, "Speed");
    EXPECT_EQ(driver->ActiveTable().At(1).DefaultValue, 25);
    EXPECT_EQ(driver->KindTable(DeviceKind::Power).Count(), 1);
    EXPECT_TRUE(driver->CurrentFileName.isEmpty());
    EXPECT_FALSE(driver->Online());
    EXPECT_EQ(driver->ModeLetter(), 0);
}

TEST_F(StartupTest, AMissingDeviceFileEndsTheProgram) {
    QFile::remove(bin + "TarnDrive.dll");
    EXPECT_FALSE(driver->Initialize(install, temp.path() + "/data/"));
    EXPECT_TRUE(messages.Texts().contains(
        "Fail to Open Tarn Drive Configuration File\rApplication Terminate!"));
    EXPECT_GE(messages.TerminateCount(), 1);
    // The driver is still usable for an orderly shutdown.
    EXPECT_EQ(driver->WaitIdle(), 0);
}

TEST_F(StartupTest, ABadHeaderEndsTheProgram) {
    WriteFile(bin + "device.dll", {"Kelm Devices", "x"});
    EXPECT_FALSE(driver->Initialize(install, temp.path() + "/data/"));
    EXPECT_TRUE(messages.Texts().contains(
        "Fatal Error Opening Device Configuration File\rApplication Terminate!"));
}

} // namespace
} // namespace kelm::test
