#include "FileTestSupport.h"

#include "core/files/DeviceFile.h"
#include "core/files/ProfilesFile.h"
#include "core/seams/RecordingMessages.h"

using namespace kelm;
using namespace kelm::testing;

namespace {

class ProfilesFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        for (ParamEntry& e : table)
            e.Value = static_cast<std::int16_t>(e.Address * 7 - 3000);
    }
    QString Path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    ParamTable table = ParamTable::MakeSynthetic("P", 256, 831);
    RecordingMessages messages;
};

} // namespace

TEST_F(ProfilesFileTest, SaveWritesHeadingAndOneLinePerRegister) {
    table.FindByAddress(300)->Value = static_cast<std::int16_t>(40000);
    ASSERT_TRUE(SaveProfilesFile(table, Path("p.bcp"), FixedStamp()));
    const QList<QByteArray> lines = ReadBytes(Path("p.bcp")).split('\n');
    ASSERT_EQ(lines.size(), 4 + 576 + 1); // the last element follows the final line end
    EXPECT_EQ(lines.mid(0, 5),
              (QList<QByteArray>{"Kelm Industries\r", "Profiles Data Files\r",
                                 "Generated on: Sunday  07/03/2027 09:05:03\r",
                                 "Parameter\tAddress\tValue\r", "P256\t256\t-1208\r"}));
    EXPECT_EQ(lines.at(4 + 300 - 256), "P300\t300\t-25536\r");
    EXPECT_EQ(lines.at(4 + 575), "P831\t831\t2817\r");
    EXPECT_EQ(lines.last(), "");
}

TEST_F(ProfilesFileTest, RoundTripReproducesEveryValue) {
    ASSERT_TRUE(SaveProfilesFile(table, Path("p.bcp")));
    ParamTable other = ParamTable::MakeSynthetic("P", 256, 831);
    ASSERT_TRUE(OpenProfilesFile(other, Path("p.bcp")));
    for (int i = 0; i < table.Count(); ++i)
        EXPECT_EQ(std::tuple(other.At(i).Value, other.At(i).FileValue, table.At(i).FileValue),
                  std::tuple(table.At(i).Value, table.At(i).Value, table.At(i).Value));
    EXPECT_TRUE(messages.Texts().isEmpty());
}

TEST_F(ProfilesFileTest, DeviceFileIsRefusedAsProfiles) {
    ParamTable device;
    device.Add(MakeEntry(300, "X"));
    ASSERT_TRUE(SaveDeviceFile(device, DeviceKind::Std, Path("d.dev")));
    const auto before = table.At(10).Value;
    EXPECT_FALSE(OpenProfilesFile(table, Path("d.dev")));
    EXPECT_EQ(messages.Texts(),
              QStringList{"Error Opening Profiles: " + Path("d.dev") + "\rOperation Ignored !"});
    EXPECT_EQ(table.At(10).Value, before);
}

TEST_F(ProfilesFileTest, PartialFileChangesOnlyItsRegisters) {
    for (ParamEntry& e : table)
        e.FileValue = 5;
    WriteBytes(Path("t.bcp"), "Kelm Industries\r\nProfiles Data Files\r\nd\r\nc\r\n"
                              "P320\t320\t-1\r\nP321\t321\t-1\r\nP300\t300\t5\r\n");
    ASSERT_TRUE(OpenProfilesFile(table, Path("t.bcp")));
    for (const std::uint16_t address : {256, 300, 320, 321, 322})
        EXPECT_EQ(table.FindByAddress(address)->Value, address == 320 || address == 321 ? -1 : 5);
}

TEST_F(ProfilesFileTest, MessagesForMissingFileBadValueAndUnknownRegister) {
    EXPECT_FALSE(OpenProfilesFile(table, Path("none.bcp")));
    EXPECT_EQ(messages.Texts(), QStringList{"Unable open Profile: " + Path("none.bcp")});

    messages.Clear();
    WriteBytes(Path("b.bcp"),
               "Kelm Industries\nProfiles Data Files\nd\nc\nP320\t320\t1\nP321\t321\tx\n");
    const auto before = table.FindByAddress(320)->Value;
    EXPECT_FALSE(OpenProfilesFile(table, Path("b.bcp")));
    EXPECT_EQ(messages.Texts(),
              (QStringList{"Fatal Error Opening Profiles",
                           "Error Opening Profiles: " + Path("b.bcp") + "\rOperation Ignored !"}));
    EXPECT_EQ(table.FindByAddress(320)->Value, before);

    messages.Clear();
    WriteBytes(Path("u.bcp"),
               "Kelm Industries\nProfiles Data Files\nd\nc\nP100\t100\t1\nP320\t320\t9\n");
    EXPECT_TRUE(OpenProfilesFile(table, Path("u.bcp")));
    EXPECT_EQ(messages.Texts(),
              QStringList{"Error Opening Profiles\rUnknown Parameter: 100\rValue Ignored!"});
    EXPECT_EQ(table.FindByAddress(320)->Value, 9);
}
