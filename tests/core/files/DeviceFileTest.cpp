// The device and profiles files, and the date line they carry.
#include "FileTestSupport.h"

#include "core/files/DeviceFile.h"
#include "core/files/ProfilesFile.h"

using namespace kelm;
using namespace kelm::testing;

namespace {

using Values = std::vector<std::int16_t>;

class DeviceFileTest : public FileTest {
protected:
    void SetUp() override {
        for (const auto& [address, name, kind] :
             {std::tuple(5, "Mode", 'A'), {12, "Kp", 'A'}, {100, "Limit", 'F'}, {300, "Info", 'N'}})
            table.Add(MakeEntry(static_cast<std::uint16_t>(address), name, kind));
        SetValues({1, -5, 32767, -32768});
    }
    void SetValues(std::initializer_list<int> values) {
        int i = 0;
        for (int v : values)
            table.At(i++).Value = static_cast<std::int16_t>(v);
    }
    void SetColumn(std::int16_t ParamEntry::*member, int value) {
        for (ParamEntry& e : table)
            e.*member = static_cast<std::int16_t>(value);
    }
    bool OpenBody(const QByteArray& body, bool online = true) {
        WriteBytes(Path("in.dev"), DeviceHeading + body);
        return OpenDeviceFile(table, DeviceKind::Std, Path("in.dev"), online);
    }
    Values Column(std::int16_t ParamEntry::*member) const {
        Values values;
        for (const ParamEntry& e : table)
            values.push_back(e.*member);
        return values;
    }
    std::int16_t ValueAt(std::uint16_t address) { return table.FindByAddress(address)->Value; }

    ParamTable table;
};

class ProfilesFileTest : public FileTest {
protected:
    void SetUp() override {
        for (ParamEntry& e : table)
            e.Value = static_cast<std::int16_t>(e.Address * 7 - 3000);
    }

    ParamTable table = ParamTable::MakeSynthetic("P", 256, 831);
};

} // namespace

// Exact lines with CR LF per kind; saving copies the values to the file column.
TEST_F(DeviceFileTest, TypeLineAndRoundTripPerKind) {
    const std::pair<DeviceKind, QByteArray> kinds[] = {
        {DeviceKind::Std, "Device Configuration File"},
        {DeviceKind::Power, "Tarn Power Configuration File"},
        {DeviceKind::Drive, "Tarn Drive Configuration File"},
        {DeviceKind::Orca230, "Tarn Orca 230 Configuration File"},
        {static_cast<DeviceKind>(7), "Unknow"}};
    const QByteArray lines =
        "\r\nGenerated on: Sunday  07/03/2027 09:05:03\r\nParameter\tAddress\t"
        "Value\r\nMode\t5\t1\r\nKp\t12\t-5\r\nLimit\t100\t32767\r\nInfo\t300\t-32768\r\n";
    const auto path = [&](DeviceKind k) {
        return Path(QString::number(int(k)) + DeviceFileTypeOf(k).Extension);
    };
    for (const auto& [kind, typeLine] : kinds) {
        ASSERT_TRUE(SaveDeviceFile(table, kind, path(kind), FixedStamp()));
        EXPECT_EQ(ReadBytes(path(kind)), "Kelm Industries\r\n" + typeLine + lines);
    }
    EXPECT_EQ(Column(&ParamEntry::FileValue), Column(&ParamEntry::Value));
    // Opened on line the drive column stays; off line it takes the values too.
    for (const auto& [kind, online] :
         {std::pair(DeviceKind::Std, true), {DeviceKind::Power, false}}) {
        SetValues({9, 9, 9, 9});
        SetColumn(&ParamEntry::FileValue, 0);
        SetColumn(&ParamEntry::DriveValue, 77);
        ASSERT_TRUE(OpenDeviceFile(table, kind, path(kind), online));
        EXPECT_EQ(Column(&ParamEntry::Value), (Values{1, -5, 32767, -32768}));
        EXPECT_EQ(Column(&ParamEntry::FileValue), Column(&ParamEntry::Value));
        EXPECT_EQ(Column(&ParamEntry::DriveValue),
                  online ? (Values{77, 77, 77, 77}) : Column(&ParamEntry::Value));
    }
    EXPECT_TRUE(messages.Texts().isEmpty());
}

// Blanks around the heading lines are accepted; another kind's file, joined heading lines and
// an empty file are refused and change nothing.
TEST_F(DeviceFileTest, HeadingToleratesBlanksOtherKindsJoinedLinesEmptyOrMissingFilesAreRefused) {
    WriteBytes(Path("b.dev"), "  Kelm Industries \t\n\tDevice Configuration File  \r\n"
                              "date\ncaptions\nKp\t12\t4\n");
    EXPECT_TRUE(OpenDeviceFile(table, DeviceKind::Std, Path("b.dev"), true));
    EXPECT_EQ(ValueAt(12), 4);
    ASSERT_TRUE(SaveDeviceFile(table, DeviceKind::Power, Path("p.tnp")));
    WriteBytes(Path("j.dev"), "Kelm IndustriesDevice Configuration File\r\nGenerated on: x\r\n"
                              "Parameter\tAddress\tValue\r\nKp\t12\t5\r\n");
    WriteBytes(Path("empty.dev"), "");
    SetColumn(&ParamEntry::FileValue, 3);
    const Values before = Column(&ParamEntry::Value);
    const std::tuple<DeviceKind, const char*, QString> refused[] = {
        {DeviceKind::Std, "p.tnp", "Device"},
        {DeviceKind::Std, "j.dev", "Device"},
        {DeviceKind::Std, "empty.dev", "Device"},
        {DeviceKind::Drive, "p.tnp", "Tarn Drive"}};
    for (const auto& [kind, name, looking] : refused) {
        messages.Clear();
        EXPECT_FALSE(OpenDeviceFile(table, kind, Path(name), false));
        EXPECT_EQ(messages.Texts(),
                  QStringList{"Error Opening Device: " + Path(name) +
                              "\rFile TYPE not correct!\rLooking for: " + looking + " data file"});
        EXPECT_EQ(Column(&ParamEntry::Value), before);
        EXPECT_EQ(Column(&ParamEntry::FileValue), (Values{3, 3, 3, 3}));
    }
    messages.Clear();
    EXPECT_FALSE(OpenDeviceFile(table, DeviceKind::Std, Path("none.dev"), true));
    EXPECT_EQ(messages.Texts(), QStringList{"Unable open Device: " + Path("none.dev")});
    EXPECT_EQ(messages.Boxes().at(0).Caption, " Error");
}

TEST_F(DeviceFileTest, ValueWithBlanksIsReadConversionErrorsTakeNothingOver) {
    SetColumn(&ParamEntry::FileValue, 42);
    EXPECT_TRUE(OpenBody("Kp\t12\t 7 \r\n"));
    // Entries without a line take their previous file value.
    EXPECT_EQ(Column(&ParamEntry::Value), (Values{42, 7, 42, 42}));
    SetColumn(&ParamEntry::FileValue, 0);
    table.FindByAddress(5)->Value = 1;

    const QByteArray bad[] = {"Mode\t5\t3\r\nKp\t12\t7x\r\n",
                              "Kp\tx12\t7\r\n",
                              "Kp\t12\r\n",
                              "Kp\t12\t\r\n",
                              "Kp\t12\t7\t8\r\n",
                              QByteArray(95, 'n') + "\t12\t12345\r\n"}; // cut, not read short
    for (const QByteArray& body : bad) {
        SCOPED_TRACE(body.constData());
        messages.Clear();
        EXPECT_FALSE(OpenBody(body));
        EXPECT_EQ(messages.Texts(), (QStringList{"Fatal Error Opening Device",
                                                 "Error Opening Device: " + Path("in.dev") +
                                                     "\rOperation Ignored !"}));
        EXPECT_EQ(std::tuple(ValueAt(12), ValueAt(5), table.FindByAddress(5)->FileValue),
                  std::tuple(7, 1, 0));
    }
}

// Names are not compared and both fields keep their low 16 bits; comments and empty lines among
// the values are skipped; unknown addresses are reported in the reading pass, number or not.
TEST_F(DeviceFileTest, AddressAloneIdentifiesTheParameterUnknownOnesAreReportedOnce) {
    EXPECT_TRUE(
        OpenBody(";note\r\n\r\nWrongName\t12\t40000\r\nGhost\t9999\t1\r\nX\t65636\t-65537\r\n"
                 "   \"quoted\r\n\t\r\n  ;x\t5\t9\r\nY\t +5\t3\nGhost\t9999\tnot a number\r\n"));
    EXPECT_EQ(std::tuple(ValueAt(12), ValueAt(100), ValueAt(5)), std::tuple(-25536, -1, 3));
    EXPECT_EQ(messages.Texts(),
              QStringList{"Error Opening Device\rUnknown Parameter: 9999\rUnknown Parameter: "
                          "9999\rValue Ignored!\r2 lines ignored.\r3 of 4 registers in the file."});
}

// However many lines the table does not know, one box lists the first ten and counts them
// all; the rest of the file is still taken. A file holding part of the table says so.
TEST_F(DeviceFileTest, IgnoredLinesMakeOneMessageAndPartialFilesSayWhatTheyHeld) {
    QByteArray many = "Kp\t12\t7\r\n";
    for (int i = 0; i < 100000; ++i)
        many += "Ghost\t" + QByteArray::number(1000 + i % 1000) + "\t1\r\n";
    QString listed;
    for (int a = 1000; a < 1010; ++a)
        listed += "\rUnknown Parameter: " + QString::number(a);
    // Body, the one message and its icon, the ignored lines counted.
    const std::tuple<QByteArray, QString, MessageIcon, int> cases[] = {
        {many,
         "Error Opening Device" + listed +
             "\rValue Ignored!\r100000 lines ignored, the first 10 listed.\r1 of 4 registers in "
             "the file.",
         MessageIcon::Error, 100000},
        {"Kp\t12\t7\r\nGhost\t9\t1\r\nMode\t5\t1\r\nLimit\t100\t1\r\nInfo\t300\t1\r\n",
         "Error Opening Device\rUnknown Parameter: 9\rValue Ignored!", MessageIcon::Error, 1},
        {"Kp\t12\t7\r\n", Path("in.dev") + "\r1 of 4 registers in the file.", MessageIcon::None,
         0}};
    for (const auto& [body, text, icon, ignored] : cases) {
        messages.Clear();
        WriteBytes(Path("in.dev"), DeviceHeading + body);
        ValueLinesReport report;
        EXPECT_TRUE(OpenDeviceFile(table, DeviceKind::Std, Path("in.dev"), true, &report));
        ASSERT_EQ(messages.Boxes().size(), 1u);
        EXPECT_EQ(std::tuple(messages.Texts().first(), messages.Boxes().at(0).Icon, report.Ignored,
                             ValueAt(12)),
                  std::tuple(text, icon, ignored, 7));
    }
}

TEST_F(DeviceFileTest, ExtensionsAndSaveOffer) {
    EXPECT_TRUE(HasDeviceFileExtension("/d/x.dev", DeviceKind::Std) &&
                HasDeviceFileExtension("/d/x.TNP", DeviceKind::Power));
    for (const char* path : {"/d/x.tnp", "/d/x", "/d/x.dev.bak"})
        EXPECT_FALSE(HasDeviceFileExtension(path, DeviceKind::Std)) << path;

    table.CopyColumn(Column::FileValue, Column::Value);
    EXPECT_FALSE(ShouldOfferSave(table, "/d/x.dev"));
    table.FindByAddress(300)->Value = 1; // 'N': not counted
    EXPECT_FALSE(ShouldOfferSave(table, "/d/x.dev"));
    table.FindByAddress(100)->Value = 1; // 'F': counted
    EXPECT_TRUE(ShouldOfferSave(table, "/d/x.dev"));
    EXPECT_FALSE(ShouldOfferSave(table, ""));
    EXPECT_EQ(QStringList({SaveOfferText(DeviceKind::Std, "/d/x.dev"),
                           SaveOfferText(DeviceKind::Power, "/d/x.tnp"),
                           SaveOfferText(DeviceKind::Drive, "f")}),
              QStringList({"Save Current Device ?\r/d/x.dev", "Save Current Tarn Power ?\r/d/x.tnp",
                           "Save Current Device ?\rf"}));
}

TEST_F(ProfilesFileTest, SaveWritesHeadingAndOneLinePerRegisterReadBackExactly) {
    table.FindByAddress(300)->Value = static_cast<std::int16_t>(40000);
    ASSERT_TRUE(SaveProfilesFile(table, Path("p.bcp"), FixedStamp()));
    const QList<QByteArray> lines = ReadBytes(Path("p.bcp")).split('\n');
    ASSERT_EQ(lines.size(), 4 + 576 + 1); // the last element follows the final line end
    EXPECT_EQ(lines.mid(0, 5),
              (QList<QByteArray>{"Kelm Industries\r", "Profiles Data Files\r",
                                 "Generated on: Sunday  07/03/2027 09:05:03\r",
                                 "Parameter\tAddress\tValue\r", "P256\t256\t-1208\r"}));
    EXPECT_EQ(lines.at(4 + 300 - 256) + lines.at(4 + 575), "P300\t300\t-25536\rP831\t831\t2817\r");
    ParamTable other = ParamTable::MakeSynthetic("P", 256, 831);
    ASSERT_TRUE(OpenProfilesFile(other, Path("p.bcp")));
    for (int i = 0; i < table.Count(); ++i)
        EXPECT_EQ(std::tuple(other.At(i).Value, other.At(i).FileValue, table.At(i).FileValue),
                  std::tuple(table.At(i).Value, table.At(i).Value, table.At(i).Value));
    EXPECT_TRUE(messages.Texts().isEmpty());
}

// An unknown register is reported and skipped; registers without a line take their file value.
TEST_F(ProfilesFileTest, PartialFileChangesOnlyItsRegisters) {
    for (ParamEntry& e : table)
        e.FileValue = 5;
    WriteBytes(Path("t.bcp"), "Kelm Industries\r\nProfiles Data Files\r\nd\r\nc\r\n"
                              "P320\t320\t-1\r\nP100\t100\t1\r\nP321\t321\t-1\r\nP300\t300\t5\r\n");
    ASSERT_TRUE(OpenProfilesFile(table, Path("t.bcp")));
    for (const std::uint16_t address : {256, 300, 320, 321, 322})
        EXPECT_EQ(table.FindByAddress(address)->Value, address == 320 || address == 321 ? -1 : 5);
    EXPECT_EQ(messages.Texts(), QStringList{"Error Opening Profiles\rUnknown Parameter: 100\rValue "
                                            "Ignored!\r3 of 576 registers in the file."});
}

TEST_F(ProfilesFileTest, MessagesForMissingOrDeviceFileAndBadValue) {
    const auto before = table.FindByAddress(320)->Value; // no refused file changes it
    WriteBytes(Path("d.dev"), DeviceHeading + "X\t300\t0\r\n");
    WriteBytes(Path("b.bcp"),
               "Kelm Industries\nProfiles Data Files\nd\nc\nP320\t320\t1\nP321\t321\tx\n");
    const QString ignored = "\rOperation Ignored !";
    const std::pair<QString, QStringList> cases[] = {
        {"none.bcp", {"Unable open Profile: " + Path("none.bcp")}},
        {"d.dev", {"Error Opening Profiles: " + Path("d.dev") + ignored}},
        {"b.bcp",
         {"Fatal Error Opening Profiles", "Error Opening Profiles: " + Path("b.bcp") + ignored}}};
    for (const auto& [name, texts] : cases) {
        messages.Clear();
        EXPECT_FALSE(OpenProfilesFile(table, Path(name)));
        EXPECT_EQ(messages.Texts(), texts);
        EXPECT_EQ(table.FindByAddress(320)->Value, before);
    }
}

// Locale weekday and date separators; hours always in two-digit 24-hour fields.
TEST(FileStamp, DateLineUsesLocaleWeekdayAndSeparators) {
    EXPECT_EQ(GeneratedOnLine(FixedStamp()), "Generated on: Sunday  07/03/2027 09:05:03");
    const std::pair<FileStamp, QString> stamps[] = {
        {FixedStamp(QLocale("de_DE")), "Sonntag  07.03.2027 09:05:03"},
        {FixedStamp(QLocale("it_IT")), "domenica  07/03/2027 09:05:03"},
        {FixedStamp(QLocale("ru_RU")), "Sunday  07.03.2027 09:05:03"},
        {FixedStamp(QLocale("fi_FI")), "sunnuntaina  07.03.2027 09.05.03"}, // dotted time
        {{QDateTime(QDate(2026, 12, 31), QTime(23, 59, 58)), QLocale("en_US")},
         "Thursday  31/12/2026 23:59:58"},
        {{QDateTime(QDate(2026, 1, 1), QTime(0, 0, 0)), QLocale::c()},
         "Thursday  01/01/2026 00:00:00"}};
    for (const auto& [stamp, text] : stamps)
        EXPECT_EQ(FormatStampDateTime(stamp), text);
}
