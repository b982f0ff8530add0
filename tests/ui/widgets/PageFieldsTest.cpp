#include "ui/widgets/PageFields.h"
#include "core/params/ParamTable.h"
#include "ui/widgets/ChildFrame.h"
#include "ui/widgets/FieldBinding.h"
#include "ui/widgets/TPNumEdit.h"

#include <QMainWindow>
#include <QMdiArea>
#include <QTest>
#include <gtest/gtest.h>

namespace kelm {
namespace {

ParamEntry Entry(std::uint16_t address, std::int16_t minimum, std::int16_t maximum,
                 std::int16_t value) {
    ParamEntry entry;
    entry.Address = address;
    entry.MinValue = minimum;
    entry.MaxValue = maximum;
    entry.Value = entry.DriveValue = value;
    return entry;
}

// A value, its high and its low word (the tags are MainDevRulesTest's).
TEST(FieldBinding, WordsJoinedWithAnUnsignedLowWord) {
    const std::int32_t words[][3] = {
        {65535, 0, -1},           {-1, -1, -1},           {65536, 1, 0},
        {INT32_MIN, -32768, 0},   {INT32_MAX, 32767, -1}, {0, 0, 0},
        {123456789, 1883, -13035}};
    for (const auto& [value, high, low] : words) {
        EXPECT_EQ(JoinWords(static_cast<std::int16_t>(high), static_cast<std::int16_t>(low)),
                  value);
        EXPECT_EQ(HighWordOf(value), high) << value;
        EXPECT_EQ(LowWordOf(value), low) << value;
    }
}

class PageFieldsTest : public ::testing::Test {
protected:
    void SetUp() override {
        table.Add(Entry(10, 0, 500, 120));
        table.Add(Entry(11, -100, 100, -7));
        table.Add(Entry(92, -32768, 32767, 0)); // high word
        table.Add(Entry(93, -32768, 32767, 5)); // low word
        plain.SetTag(10);
        signedField.SetTag(11);
        wide.SetTag(PackWideTag(93, 92));
        missing.SetTag(77);
        fields.Add(&plain);
        fields.Add(&signedField);
        fields.Add(&wide, true);
        fields.Add(&missing);
        fields.Bind();
    }
    ParamTable table;
    PageFields fields{table};
    TPNumEdit plain, signedField, wide, missing;
};

// Bind takes limits, number and colour from the registers (a register the table lacks
// leaves its field alone); typing marks red; Store writes the table, a wide field both words;
// the colour follows the table (red while either word differs); Reload discards typed
// numbers and clears the mark.
TEST_F(PageFieldsTest, BindTypeStoreRecolourAndReload) {
    EXPECT_EQ(plain.RdMin(), 0);
    EXPECT_EQ(plain.RdMax(), 500);
    EXPECT_FALSE(plain.IsNegative() || plain.IsMarked());
    EXPECT_TRUE(signedField.IsNegative());
    EXPECT_EQ(signedField.text(), QStringLiteral("-7"));
    EXPECT_EQ(wide.RdMin(), INT32_MIN);
    EXPECT_EQ(wide.RdMax(), INT32_MAX);
    EXPECT_EQ(wide.text(), QStringLiteral("5"));
    EXPECT_EQ(missing.RdMax(), 100);
    plain.setFocus();
    plain.selectAll();
    QTest::keyClicks(&plain, QStringLiteral("300"));
    EXPECT_TRUE(plain.IsMarked());
    EXPECT_EQ(table.FindByAddress(10)->Value, 120); // nothing stored yet
    EXPECT_TRUE(fields.Store());
    EXPECT_EQ(table.FindByAddress(10)->Value, 300);
    EXPECT_FALSE(fields.Store()); // nothing changed the second time
    fields.Recolour();
    EXPECT_TRUE(plain.IsMarked());
    EXPECT_FALSE(signedField.IsMarked());
    table.FindByAddress(10)->DriveValue = 300;
    fields.Recolour();
    EXPECT_FALSE(plain.IsMarked());
    wide.WrValore(-1);
    EXPECT_TRUE(fields.Store(&wide));
    EXPECT_EQ(static_cast<std::uint16_t>(table.FindByAddress(92)->Value), 0xFFFF);
    EXPECT_EQ(static_cast<std::uint16_t>(table.FindByAddress(93)->Value), 0xFFFF);
    for (const int drive : {93, 92}) {
        fields.Recolour(&wide);
        EXPECT_TRUE(wide.IsMarked()) << drive;
        table.FindByAddress(static_cast<std::uint16_t>(drive))->DriveValue = -1;
    }
    fields.Recolour(&wide);
    EXPECT_FALSE(wide.IsMarked());
    table.FindByAddress(11)->Value = 42;
    signedField.SetMarked(true);
    plain.WrValore(400);
    fields.Reload();
    EXPECT_EQ(signedField.text(), QStringLiteral("42"));
    EXPECT_FALSE(signedField.IsMarked());
    EXPECT_EQ(plain.text(), QStringLiteral("300"));
    // Reload shows Value while it differs from DriveValue; the colour is the caller's next step.
    fields.Recolour();
    EXPECT_TRUE(signedField.IsMarked());
}

// A stand-alone child must be its own frame: raising or closing "the frame" must never
// reach the main window that parents it.
TEST(ChildFrame, IsTheSubWindowInsideAFrameAndTheWindowItselfAlone) {
    QMainWindow main;
    auto* area = new QMdiArea(&main);
    main.setCentralWidget(area);
    auto* framed = new QWidget;
    EXPECT_EQ(ChildFrame(framed), area->addSubWindow(framed));
    auto* alone = new QWidget(&main, Qt::Window);
    EXPECT_EQ(ChildFrame(alone), alone);
}

} // namespace
} // namespace kelm
