#include "core/config/ConfigurationSet.h"
#include "ConfigFixtures.h"
#include "core/seams/RecordingMessages.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kelm {
namespace {

class ConfigurationSetTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearTerminateRequest();
        install = dir.path() + "/";
        bin = install + "Bin/";
        devices = install + "Data/Devices/";
        test::WriteGoodConfigSet(bin);
    }
    void TearDown() override { ClearTerminateRequest(); }
    bool LoadAll() {
        return set.LoadAtDriverStart(install, devices) && set.LoadAtMainWindowCreation(install) &&
               set.LoadAtMainWindowShow(install);
    }
    void Remove(const QString& name) { ASSERT_TRUE(QFile::remove(bin + name)); }

    QTemporaryDir dir;
    QString install, bin, devices;
    RecordingMessages messages;
    ConfigurationSet set;
};

TEST_F(ConfigurationSetTest, GoodSetLoadsEachFileForItsKindAndReloadReplaces) {
    ASSERT_TRUE(LoadAll());
    ASSERT_TRUE(LoadAll()); // tables replaced, not appended: no duplicate-address reports
    EXPECT_TRUE(messages.Texts().isEmpty()) << qPrintable(messages.Texts().join('|'));
    EXPECT_FALSE(TerminateRequested());
    EXPECT_TRUE(QDir(devices).exists());
    EXPECT_EQ(std::tuple(set.KindTable(DeviceKind::Std).Count(),
                         set.KindTable(DeviceKind::Drive).FindByAddress(7)->DefaultValue,
                         set.KindTable(DeviceKind::Orca230).Count(),
                         set.KindTable(DeviceKind::Power).FindByAddress(4)->DefaultValue),
              std::tuple(2, 9, 1, 1));
    EXPECT_EQ(set.AlarmTexts(DeviceKind::Orca230), (QStringList{"Orca Over", "Feedback"}));
    EXPECT_EQ(set.GetIoLabelBase(0, DeviceKind::Orca230).Items[0].Text, "Home");
    // Power uses the Std groups; an index outside the groups gives an empty one.
    EXPECT_EQ(&set.GetIoLabelBase(1, DeviceKind::Power), &set.GetIoLabelBase(1, DeviceKind::Std));
    EXPECT_TRUE(set.GetIoLabelBase(13, DeviceKind::Std).Items.empty() &&
                set.GetIoLabelBase(-1, DeviceKind::Std).Caption.isEmpty());
    EXPECT_EQ(set.AnalogLabels(DeviceKind::Drive).First, QStringList{"V_bus"});
    EXPECT_TRUE(set.AnalogLabels(DeviceKind::Power).IsEmpty());

    EXPECT_EQ(set.SelectedKind(), DeviceKind::Std);
    const std::tuple<DeviceKind, QString, QString, QString> kinds[] = {
        {DeviceKind::Std, "", "Over Speed", "Speed"},
        {DeviceKind::Drive, "TarnLoader.exe", "Drv Over", "Position"},
        {DeviceKind::Orca230, "OrcaLoader.exe", "Orca Over", "Speed"}, // the Std scales
        {DeviceKind::Power, "", "Pwr Over", ""}};
    for (const auto& [kind, loader, alarm, signal] : kinds) {
        set.SelectKindLists(kind);
        const BootloaderRecord* record = set.CurrentBootloader();
        EXPECT_EQ(record ? record->Text : "", loader);
        EXPECT_EQ(set.ActiveAlarmTexts().first(), alarm);
        EXPECT_EQ(set.ActiveScopeSet().empty() ? "" : set.ActiveScopeSet().at(0).Name, signal);
        EXPECT_EQ(&set.ActiveHoming(), &set.Homing(kind));
        EXPECT_EQ(set.ActiveHoming().IsEmpty(), kind == DeviceKind::Power);
    }
    EXPECT_EQ(set.ConfigFolder("/opt/kelm/"), "/opt/kelm/Bin/");
    set.SetConfigFolder("/etc/kelm");
    EXPECT_EQ(set.ConfigFolder("/opt/kelm/"), "/etc/kelm/");
}

TEST_F(ConfigurationSetTest, MissingDeviceOrIoFilesAreFatalWithTheirMessage) {
    const std::pair<const char*, const char*> cases[] = {
        {"device.dll", "Fail to Open Devices Configuration File\rApplication Terminate!"},
        {"TarnPower.dll", "Fail to Open Tarn Power Configuration File\rApplication Terminate!"},
        {"TarnDrive.dll", "Fail to Open Tarn Drive Configuration File\rApplication Terminate!"},
        {"TarnOrca230.dll", "Fail to Open Devices Configuration File\rApplication Terminate!"},
        {"DigIO_Tarn.dll", "Fail to Open DigIO_Tarn.dll File\rApplication Terminate!"},
    };
    for (const auto& [file, message] : cases) {
        test::WriteGoodConfigSet(bin);
        Remove(file);
        messages.Clear();
        ClearTerminateRequest();
        ConfigurationSet fresh;
        EXPECT_FALSE(fresh.LoadAtDriverStart(install, devices)) << file;
        EXPECT_EQ(messages.Texts(), QStringList{message}) << file;
        EXPECT_TRUE(TerminateRequested() && messages.TerminateCount() == 1);
        // Loading stops there: the alarm texts come after the tables, the Std I/O strings
        // before the Tarn ones.
        EXPECT_TRUE(QString(file).startsWith("DigIO")
                        ? !fresh.GetIoLabelBase(0, DeviceKind::Std).Items.empty()
                        : fresh.AlarmTexts(DeviceKind::Std).isEmpty())
            << file;
    }
}

// A bad table stops before the later tables; a devices folder that cannot be made stops first.
TEST_F(ConfigurationSetTest, BadDeviceTableOrDevicesFolderStopTheDriverStart) {
    test::WriteFixture(
        bin, "TarnPower.dll",
        QStringList{"Kelm Devices Global Configuration File", "c", "A\tU\tA\tx\t0\t0\t0\t0"});
    EXPECT_FALSE(set.LoadAtDriverStart(install, devices));
    EXPECT_TRUE(set.KindTable(DeviceKind::Std).Count() == 2 &&
                set.KindTable(DeviceKind::Drive).IsEmpty());
    test::WriteFixture(install, "Blocker", QByteArray("file, not folder"));
    ConfigurationSet fresh;
    EXPECT_FALSE(fresh.LoadAtDriverStart(install, install + "Blocker/Devices/"));
    EXPECT_TRUE(fresh.KindTable(DeviceKind::Std).IsEmpty());
    EXPECT_EQ(messages.Texts(),
              (QStringList{"Fatal Error Opening Device Configuration File\rConversione "
                           "Error\rApplication Terminate!\r" +
                               bin + "TarnPower.dll, line 3",
                           "Fail to Devices Folder\rApplication Terminate!"}));
    // What was read before the error shows; a set that could not start shows nothing.
    EXPECT_EQ(set.Summary(), QStringList{"device.dll: 2 registers"});
    EXPECT_TRUE(fresh.Summary().isEmpty());
    EXPECT_TRUE(TerminateRequested() && messages.TerminateCount() == 2);
}

TEST_F(ConfigurationSetTest, AlarmBootloaderAndLabelFailuresAreNotFatal) {
    for (const char* file : {"strall.dll", "Btldr.dll", "StrMonOrca.dll"})
        Remove(file);
    EXPECT_TRUE(set.LoadAtDriverStart(install, devices));
    EXPECT_FALSE(set.LoadAtMainWindowCreation(install));
    EXPECT_TRUE(set.LoadAtMainWindowShow(install));
    EXPECT_EQ(messages.Texts(),
              (QStringList{"Fail to Open Allarms Messages Configuration File\rLoad Defaut Message",
                           "Fail to Open StrMonOrca.dll File\rLoad Default Data!"}));
    EXPECT_FALSE(TerminateRequested());
    EXPECT_EQ(set.AlarmTexts(DeviceKind::Drive).size(), 32);
    EXPECT_TRUE(set.AnalogLabels(DeviceKind::Orca230).IsEmpty() &&
                !set.AnalogLabels(DeviceKind::Std).IsEmpty());
    set.SelectKindLists(DeviceKind::Drive);
    EXPECT_TRUE(set.CurrentBootloader()->IsEmpty());
}

// A homing failure skips the later kinds' homing files, not the scope files; a scope failure
// stops there too and is reported after it.
TEST_F(ConfigurationSetTest, HomingAndScopeFailuresAreReportedInTurn) {
    Remove("Homing_Tarn.dll");
    test::WriteFixture(bin, "Osci.dll", QStringList{"Kelm Oscilloscope"});
    EXPECT_FALSE(set.LoadAtMainWindowShow(install));
    EXPECT_EQ(messages.Texts(),
              (QStringList{"Fail to Open Homing_Tarn.dll File",
                           "Fail To Load Homing Setup...\r\nApplication Terminate",
                           "Fatal Error in Osc.dll\r" + bin + "Osci.dll, line 1",
                           "Fail To Load Oscilloscope Conf. File...\r\nApplication Terminate"}));
    EXPECT_EQ(messages.TerminateCount(), 2);
    EXPECT_TRUE(!set.Homing(DeviceKind::Std).IsEmpty() &&
                set.Homing(DeviceKind::Orca230).IsEmpty());
    EXPECT_TRUE(set.ScopeSet(DeviceKind::Drive).empty()); // not read after Osci.dll failed
}

} // namespace
} // namespace kelm
