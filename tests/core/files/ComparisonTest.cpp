#include "FileTestSupport.h"

#include "core/files/Comparison.h"
#include "core/files/PathShortening.h"

using namespace kelm;
using namespace kelm::testing;

namespace {

using Addresses = QList<std::uint16_t>;

class ComparisonTest : public FileTest {
protected:
    void SetUp() override {
        AddEntry(3, "Kp", true, 10);
        AddEntry(7, "Hidden", false, 20);
        AddEntry(12, "Ki", true, -30);
        AddEntry(40, "Limit", true, 400);
    }
    void AddEntry(std::uint16_t address, const QString& name, bool compared, int drive) {
        ParamEntry e = MakeEntry(address, name, 'A', compared);
        e.DriveValue = static_cast<std::int16_t>(drive);
        e.Value = 999; // never used by the comparison
        table.Add(e);
    }
    QString File(const QString& name, const QByteArray& body,
                 const QByteArray& heading = DeviceHeading) {
        WriteBytes(dir.filePath(name), heading + body);
        return dir.filePath(name);
    }
    static Addresses Of(const std::vector<ComparisonRow>& rows) {
        Addresses list;
        for (const ComparisonRow& row : rows)
            list << row.Address;
        return list;
    }

    ParamTable table;
    Comparison comparison;
};

} // namespace

TEST_F(ComparisonTest, DriveModeRowsAndStates) {
    const QString file = File("f.dev", "Kp\t3\t10\r\nKi\t12\t-31\r\n");
    comparison.Load(table, DeviceKind::Std, "", file);
    EXPECT_TRUE(comparison.DriveMode());
    EXPECT_EQ(comparison.Caption(), " Compare Drive Values");
    EXPECT_EQ(comparison.ColumnTitles(), (QStringList{" Name", "Address", "Drive", "File"}));
    const auto& rows = comparison.Rows();
    ASSERT_EQ(Of(rows), (Addresses{3, 12, 40}));
    EXPECT_EQ(rows[0].Name, "Kp");
    // Missing from the file while the drive always has a value: different.
    EXPECT_TRUE(rows[2].Left.Valid && !rows[2].Right.Valid);
    EXPECT_EQ((std::array{rows[0].State(), rows[1].State(), rows[2].State()}),
              (std::array{RowState::Equal, RowState::Different, RowState::Different}));

    EXPECT_EQ(Of(comparison.Filtered(CompareFilter::All)), (Addresses{3, 12, 40}));
    EXPECT_EQ(Of(comparison.Filtered(CompareFilter::NotEqual)), (Addresses{12, 40}));
    EXPECT_EQ(Of(comparison.Filtered(CompareFilter::Equal)), (Addresses{3}));
    EXPECT_TRUE(messages.Texts().isEmpty());
}

TEST_F(ComparisonTest, FileAgainstItselfShowsMissingRowsOnlyUnderAll) {
    const QString file = File("f.dev", "Kp\t3\t1\r\nKi\t12\t2\r\n");
    comparison.Load(table, DeviceKind::Std, file, file);
    EXPECT_FALSE(comparison.DriveMode());
    EXPECT_EQ(comparison.Caption(), " Compare Files Values");
    EXPECT_EQ(comparison.ColumnTitles(), (QStringList{" Name", "Address", "File1", "File2"}));
    EXPECT_EQ(comparison.Rows()[2].State(), RowState::Neither);
    EXPECT_EQ(Of(comparison.Filtered(CompareFilter::All)), (Addresses{3, 12, 40}));
    EXPECT_EQ(Of(comparison.Filtered(CompareFilter::Equal)), (Addresses{3, 12}));
    EXPECT_TRUE(comparison.Filtered(CompareFilter::NotEqual).empty());

    // A second file replaces the right side; the left keeps the first file.
    const QString second = File("g.dev", "Kp\t3\t1\r\nKi\t12\t5\r\nLimit\t40\t0\r\n");
    comparison.Load(table, DeviceKind::Std, comparison.FirstFile(), second);
    EXPECT_EQ(Of(comparison.Filtered(CompareFilter::NotEqual)), (Addresses{12, 40}));
    EXPECT_EQ(std::tuple(comparison.Rows()[1].Left.Value, comparison.Rows()[1].Right.Value),
              std::tuple(2, 5));
}

TEST_F(ComparisonTest, ReaderIgnoresUnknownUncomparedCommentAndBadRows) {
    const QString file =
        File("f.dev", "X\t9999\t1\r\nHidden\t7\t20\r\n;Kp\t3\t10\r\n  \"Kp\t3\t10\r\n\r\n"
                      "Ki\tabc\t-30\r\nKi\t12\t-3o\r\nLimit\t40\r\n" +
                          QByteArray(120, 'x') + "\t3\t10\r\nWrongName\t12\t-30\textra\n");
    comparison.Load(table, DeviceKind::Std, "", file);
    const auto& rows = comparison.Rows();
    ASSERT_EQ(rows.size(), 3u);
    // Only comments, and a cut line, mention address 3; names are not compared.
    EXPECT_TRUE(!rows[0].Right.Valid && rows[1].Right.Valid && !rows[2].Right.Valid);
    EXPECT_EQ(rows[1].Right.Value, -30);
    EXPECT_TRUE(messages.Texts().isEmpty());
}

TEST_F(ComparisonTest, UnreadableFilesLeaveTheirSideEmpty) {
    const QString missing = dir.filePath("none.dev");
    comparison.Load(table, DeviceKind::Std, "", missing);
    EXPECT_EQ(messages.Texts(), QStringList{"Unable open Device:" + missing});
    EXPECT_EQ(comparison.Filtered(CompareFilter::NotEqual).size(), 3u);

    messages.Clear();
    const QString power = File("p.tnp", "Kp\t3\t10\r\n",
                               "Kelm Industries\r\nTarn Power Configuration File\r\nd\r\nc\r\n");
    const QString good = File("f.dev", "Kp\t3\t10\r\n");
    comparison.Load(table, DeviceKind::Std, power, good);
    EXPECT_EQ(messages.Texts(), QStringList{"Error Opening Device:" + power});
    EXPECT_EQ(std::tuple(comparison.Rows()[0].State(), comparison.Rows()[1].State()),
              std::tuple(RowState::Different, RowState::Neither));

    messages.Clear();
    comparison.Load(table, DeviceKind::Power, power, power);
    EXPECT_TRUE(messages.Texts().isEmpty());
    EXPECT_EQ(comparison.Rows()[0].State(), RowState::Equal);

    // Any kind outside the known ones expects the plain device file.
    comparison.Load(table, static_cast<DeviceKind>(9), good, good);
    EXPECT_TRUE(messages.Texts().isEmpty());
    EXPECT_EQ(comparison.Rows()[0].State(), RowState::Equal);
}

TEST(ComparisonRowCells, FormatsAddressAndValues) {
    ComparisonRow row{"Kp", 5, {-5, true}, {123, false}};
    EXPECT_EQ(row.Cells(), (std::array<QString, 4>{"Kp", "005", "-00005", ""}));
    row = {"Big", 40000, {32767, true}, {7, true}};
    EXPECT_EQ(row.Cells(), (std::array<QString, 4>{"Big", "40000", "32767", "00007"}));
    EXPECT_EQ(row.State(), RowState::Different);
}

TEST(PathShortening, ReplacesFoldersFromTheLeft) {
    const auto within = [](int chars) {
        return [chars](const QString& s) { return s.size() <= chars; };
    };
    const QString path = "/home/user/data/devices/a.dev";
    const std::pair<int, QString> cases[] = {{100, path},
                                             {28, "/.../user/data/devices/a.dev"},
                                             {20, "/.../devices/a.dev"},
                                             {10, "/.../a.dev"},
                                             {9, ".../a.dev"},
                                             {2, "a.dev"}};
    for (const auto& [chars, shortened] : cases)
        EXPECT_EQ(ShortenPath(path, within(chars)), shortened) << chars;
    EXPECT_EQ(ShortenPath("C:\\Kelm\\Data\\x.dev", within(14)), "C:\\...\\x.dev");
    EXPECT_EQ(ShortenPath("x.dev", within(1)), "x.dev");
}
