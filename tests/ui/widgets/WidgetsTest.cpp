#include "core/params/ParamTable.h"
#include "core/rules/EditTracker.h"
#include "core/rules/FieldBinding.h"
#include "ui/widgets/ChildFrame.h"
#include "ui/widgets/GreyedIcon.h"
#include "ui/widgets/PageFields.h"
#include "ui/widgets/TPNumEdit.h"

#include <QKeyEvent>
#include <QMainWindow>
#include <QMdiArea>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>
#include <map>
#include <tuple>

namespace kelm {
namespace {

class NumEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        field.show();
        field.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&field));
        field.setFocus();
    }
    void Range(int minimum, int maximum, bool negative = false, int decimals = 0) {
        field.WrMin(minimum);
        field.WrMax(maximum);
        field.SetIsNegative(negative);
        field.WrDec(decimals);
    }
    void Leave(Qt::FocusReason reason) {
        QFocusEvent out(QEvent::FocusOut, reason);
        QApplication::sendEvent(&field, &out);
    }
    // Plays keys as a user would: '#' empties the field (all selected, Backspace), '<' '>'
    // '^' are Left, End and Home, '|' moves to another control, '!' only deactivates the
    // window; "=text" is pasted whole.
    void Play(const char* keys) {
        if (keys[0] == '=')
            return field.setText(QString::fromLatin1(keys + 1));
        static const std::map<char, Qt::Key> named{
            {'#', Qt::Key_Backspace}, {'<', Qt::Key_Left}, {'>', Qt::Key_End}, {'^', Qt::Key_Home}};
        for (const char* k = keys; *k != 0; ++k) {
            if (*k == '|' || *k == '!')
                Leave(*k == '|' ? Qt::TabFocusReason : Qt::ActiveWindowFocusReason);
            else if (*k == '#')
                field.selectAll();
            if (named.count(*k) != 0)
                QTest::keyClick(&field, named.at(*k));
            else if (*k != '|' && *k != '!')
                QTest::keyClick(&field, *k); // also Backspace, Return and Escape as \b \r \x1b
        }
    }

    TPNumEdit field;
};

// From a shown value, the keys played; the text and value after them.
TEST_F(NumEditTest, EditingRules) {
    struct Case {
        int minimum, maximum;
        bool negative;
        int decimals, shown;
        const char* keys;
        const char* text;
        int value;
    };
    const Case cases[] = {
        {10, 5000, false, 0, 0, "#7", "7", 7}, // a positive minimum waits for the exit
        {10, 5000, false, 0, 0, "#7|", "10", 10},
        {10, 5000, false, 0, 0, "#5!", "5", 5}, // deactivating the window is not leaving
        {0, 32, false, 0, 0, "#45", "32", 32},  // the maximum is enforced while typing
        {0, 32, false, 0, 0, "#453", "32", 32}, // and stays: the caret stands after it
        {0, 300, false, 0, 0, "#4000\r", "300", 300},
        {0, 300, false, 0, 0, "#25^9", "300", 300}, // a digit in front goes past it too
        {INT32_MIN, INT32_MAX, true, 0, 0, "#99999999999", "2147483647", INT32_MAX}, // wide
        {INT32_MIN, INT32_MAX, true, 0, 0, "#-99999999999", "-2147483648", INT32_MIN},
        {-100, 100, true, 0, 0, "#-150", "-100", -100},
        {-100, 100, true, 0, 0, "#-150-", "-100", -100},    // the limit stays, unselected
        {-100, 100, true, 0, 50, "-", "-", 0},              // the minus replaces a selected text
        {-100, 100, true, 0, 0, "#12<-", "12", 12},         // and goes nowhere else
        {-100, 100, false, 0, 0, "#-5", "5", 5},            // no negative input: refused
        {10, 1000, false, 0, 0, "#1e2 x+;3", "123", 123},   // a stray letter or sign is refused
        {0, 100000, false, 0, 0, "#1,5.2", "152", 152},     // no decimals: comma and point refused
        {0, 100000, false, 2, 0, "#3.14", "3,14", 314},     // '.' becomes ','
        {0, 100000, false, 2, 0, "#3.149,", "3,14", 314},   // two decimals at most, one comma
        {0, 100000, false, 2, 0, "#1,15", "1,15", 115},     // 1.15 x 100 is 114.999... in binary
        {0, 100000, false, 2, 0, "#3,14^2", "23,14", 2314}, // digits before the comma go in
        // A shown value is selected whole: a digit replaces it though the caret stands last.
        {0, 100000, false, 2, 150, "2", "2", 200},
        // Negative ranges keep only the lower limit while typing; an empty text (or a lone
        // minus) shows the maximum.
        {-500, -10, true, 0, -20, "#", "-10", -10},
        {-500, -10, true, 0, -20, "#-", "-10", -10},
        {-500, -10, true, 0, -20, "#->\b", "-1", -1},
        {-500, -10, true, 0, -20, "#->\b000", "-500", -500},
        {-500, -10, true, 0, -20, "#->\b000>\b\b", "-5", -5},
        {-500, -10, true, 0, -20, "#->\b000>\b\b|", "-10", -10},
        {-500, -10, true, 0, -20, "#->\b0009", "-500", -500}, // the minimum stays too
        {10, 50, false, 0, 0, "#3\r", "10", 10},              // Enter clamps
        {10, 50, false, 0, 25, "3\x1b", "25", 25},            // Escape puts back the value before
        {0, 100, false, 0, 0, "=inf", "", 0},                 // looks numeric, is refused
        {-100, 100, true, 0, 0, "=-99999999999999999999999", "-100", -100}, // not overflowed
        {0, 100000, false, 2, 0, "=0,29", "0,29", 29},
        {0, 100000, false, 2, 0, "=12,349", "12,349", 1234}, // the third decimal is cut off
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.minimum << ".." << c.maximum << " " << c.keys);
        Range(c.minimum, c.maximum, c.negative, c.decimals);
        field.WrValore(c.shown);
        Play(c.keys);
        EXPECT_EQ(field.text(), QString::fromLatin1(c.text));
        EXPECT_EQ(field.RdValore(), c.value);
    }
}

TEST_F(NumEditTest, ShownValuesLimitsAndMark) {
    Range(-1000, 0, true, 2);
    field.WrValore(-5);
    EXPECT_EQ(field.text(), QStringLiteral("-0,05"));
    EXPECT_EQ(field.selectedText(), field.text()); // focused: ready to be typed over
    EXPECT_EQ(field.toolTip(), QStringLiteral("Limits: -10,00 \u2026 0,00"));
    field.clearFocus();
    field.WrValore(-7);
    EXPECT_FALSE(field.hasSelectedText()); // elsewhere the colour stays visible
    Range(10, 5000);
    field.WrValore(7000);
    const QString high = field.text();
    field.WrValore(-3);
    EXPECT_EQ(high + "|" + field.text(), "5000|10");
    // Limits alone do not touch the value until it is set again.
    field.WrMax(5);
    field.ChkValMin();
    const int afterMin = field.RdValore();
    field.ChkVal();
    EXPECT_EQ(std::tuple(afterMin, field.RdValore()), std::tuple(10, 5));
    field.SetMarked(true);
    EXPECT_EQ(field.palette().color(QPalette::Text), QColor(Qt::red));
    field.SetMarked(false);
    EXPECT_NE(field.palette().color(QPalette::Text), QColor(Qt::red));
}

// Typed past a limit: the limit stays with the caret after it and the limits are named. A
// stored number outside the limits is shown as it is, marked, and neither Enter nor
// leaving the field changes it; typing makes it an edit like any other.
TEST_F(NumEditTest, LimitsWhileTypingAndStoredNumbersOutsideThem) {
    Range(0, 300);
    Play("#400");
    EXPECT_EQ(std::tuple(field.text(), field.hasSelectedText(), field.cursorPosition(),
                         field.toolTip(), field.Edited()),
              std::tuple(QString("300"), false, 3, QString("Limits: 0 \u2026 300"), true));

    const QColor normalBase = field.palette().color(QPalette::Base);
    Range(0, 360);
    int exits = 0;
    field.SetExitHandler([&exits](TPNumEdit&) { ++exits; });
    field.ShowNumber(1234);
    EXPECT_TRUE(!field.Edited() && field.OutOfLimits());
    EXPECT_NE(field.palette().color(QPalette::Base), normalBase);
    EXPECT_TRUE(field.toolTip().startsWith(QStringLiteral("Limits: 0 \u2026 360")));
    Play("\r|");
    EXPECT_EQ(std::tuple(field.text(), field.RdValore()), std::tuple(QString("1234"), 1234));
    EXPECT_EQ(exits, 1); // the page still hears of the exit
    field.setFocus();
    Play("#5\x1b"); // Escape: back to the stored number, unedited
    EXPECT_EQ(std::tuple(field.RdValore(), field.Edited()), std::tuple(1234, false));
    Play("#5|");
    EXPECT_EQ(std::tuple(field.RdValore(), field.Edited()), std::tuple(5, true));
    EXPECT_EQ(field.palette().color(QPalette::Base), normalBase);
}

// What the page's handlers see: refused keys never, Enter with the value clamped, a key it
// swallows is not typed; one exit per edit committed by a command or by leaving the field,
// none for a command without an edit (the colour that edits set is checked with PageFields).
TEST_F(NumEditTest, PageHandlers) {
    Range(10, 50);
    std::vector<int> keys;
    int exits = 0;
    field.SetKeyHandler([&keys](TPNumEdit& f, QKeyEvent& event) {
        keys.push_back(event.key());
        EXPECT_TRUE(event.key() != Qt::Key_Return || f.RdValore() == 10);
        return event.key() == Qt::Key_Return || event.key() == Qt::Key_7;
    });
    field.SetExitHandler([&exits](TPNumEdit&) { ++exits; });
    Play("#");
    keys.clear();
    Play("-,.171");
    EXPECT_EQ(keys, (std::vector<int>{Qt::Key_1, Qt::Key_7, Qt::Key_1}));
    EXPECT_EQ(field.text(), QStringLiteral("11"));
    Play("#3\r");
    EXPECT_EQ(std::tuple(field.selectedText(), keys.back(), exits),
              std::tuple(QString("10"), int(Qt::Key_Return), 0));
    field.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&field));
    for (const char* typed : {"", "3", ""}) {
        Play(typed);
        TPNumEdit::CommitFocusedEdit();
    }
    EXPECT_EQ(std::tuple(exits, field.RdValore()), std::tuple(1, 10)); // clamped as on leaving
    Play("#7|#5!");
    EXPECT_EQ(exits, 2);
}

class PageFieldsTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Address, limits and value; 92 and 93 are the high and low words of a wide field.
        const int rows[][4] = {
            {10, 0, 500, 120}, {11, -100, 100, -7}, {92, -32768, 32767, 0}, {93, -32768, 32767, 5}};
        for (const auto& [address, minimum, maximum, value] : rows)
            table.Add({.Name = {},
                       .Address = std::uint16_t(address),
                       .MinValue = std::int16_t(minimum),
                       .MaxValue = std::int16_t(maximum),
                       .Value = std::int16_t(value),
                       .DriveValue = std::int16_t(value)});
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
// leaves its field alone) and shows a number outside the limits as it is; typing marks red;
// Collect hands only the edited fields to the page's edits (a wide field as both words),
// Settle shows Value again where the edit reached the drive; Store (write-through pages)
// puts a field into Value; Reload discards typed numbers.
TEST_F(PageFieldsTest, BindTypeCollectStoreAndReload) {
    EXPECT_EQ((std::vector<int>{plain.RdMin(), plain.RdMax(), wide.RdMin(), wide.RdMax(),
                                missing.RdMax()}),
              (std::vector<int>{0, 500, INT32_MIN, INT32_MAX, 100}));
    EXPECT_FALSE(plain.IsNegative() || plain.IsMarked());
    EXPECT_TRUE(signedField.IsNegative());
    EXPECT_EQ(signedField.text() + "|" + wide.text(), "-7|5");
    table.FindByAddress(11)->Value = 900; // beyond 100
    fields.Reload(&signedField);
    EXPECT_EQ(signedField.text(), QStringLiteral("900"));

    EditTracker edits;
    fields.Collect(edits);
    EXPECT_TRUE(edits.Empty()); // nothing typed: nothing to write, whatever is shown
    plain.setText(QStringLiteral("300"));
    wide.setText(QStringLiteral("-1"));
    EXPECT_TRUE(plain.IsMarked());
    fields.Collect(edits);
    EXPECT_EQ(edits.Addresses(), (std::vector<std::uint16_t>{10, 92, 93}));
    EXPECT_EQ((std::vector<int>{edits.Shown(10, 0), edits.Shown(92, 0), edits.Shown(93, 0)}),
              (std::vector<int>{300, -1, -1}));
    EXPECT_EQ(table.FindByAddress(10)->Value, 120); // the table is not touched
    fields.Recolour();
    EXPECT_TRUE(plain.IsMarked() && wide.IsMarked());
    EXPECT_TRUE(signedField.IsMarked()); // Value 900 is not the drive's -7

    edits.Drop(10); // the plain field's edit reached the drive
    table.FindByAddress(10)->Value = table.FindByAddress(10)->DriveValue = 300;
    fields.Settle(edits);
    EXPECT_TRUE(!plain.Edited() && wide.Edited());
    fields.Recolour();
    EXPECT_FALSE(plain.IsMarked());

    EXPECT_TRUE(fields.Store(&wide));
    EXPECT_FALSE(wide.Edited());
    EXPECT_EQ(std::tuple(table.FindByAddress(92)->Value, table.FindByAddress(93)->Value),
              std::tuple(-1, -1));
    for (const int drive : {93, 92}) {
        fields.Recolour(&wide);
        EXPECT_TRUE(wide.IsMarked()) << drive;
        table.FindByAddress(static_cast<std::uint16_t>(drive))->DriveValue = -1;
    }
    fields.Recolour(&wide);
    EXPECT_FALSE(wide.IsMarked());
    plain.setText(QStringLiteral("400"));
    fields.Reload();
    EXPECT_EQ(plain.text(), QStringLiteral("300"));
    EXPECT_FALSE(plain.Edited() || plain.IsMarked());
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

// A dark icon turns light grey and faint when disabled, at the normal picture's size at every
// scale; enabled it is drawn as it was.
TEST(GreyedIconTest, DisabledPictureIsGreyAndFaint) {
    QPixmap dark(16, 16);
    dark.fill(Qt::black);
    const QIcon icon = GreyedWhenDisabled(QIcon(dark));
    for (const qreal scale : {1.0, 1.5, 2.0}) {
        const QImage normal = icon.pixmap(QSize(16, 16), scale, QIcon::Normal).toImage();
        const QImage disabled = icon.pixmap(QSize(16, 16), scale, QIcon::Disabled).toImage();
        EXPECT_EQ(disabled.size(), normal.size()) << scale;
        EXPECT_EQ(normal.pixelColor(8, 8), QColor(Qt::black)) << scale;
        const QColor faded = disabled.pixelColor(8, 8);
        EXPECT_GE(faded.red(), 120) << scale;
        EXPECT_LE(faded.alpha(), 100) << scale;
    }
}

} // namespace
} // namespace kelm
