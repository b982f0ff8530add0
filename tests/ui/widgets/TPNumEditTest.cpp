#include "ui/widgets/TPNumEdit.h"

#include <QKeyEvent>
#include <QTest>
#include <gtest/gtest.h>
#include <map>

namespace kelm {
namespace {

class NumEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        field.show();
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
        {0, 32, false, 0, 0, "#453", "3", 3},   // the re-shown text is selected
        {-100, 100, true, 0, 0, "#-150", "-100", -100},
        {-100, 100, true, 0, 0, "#-150-", "-", 0},          // the minus replaces a selected text
        {-100, 100, true, 0, 0, "#12<-", "12", 12},         // and goes nowhere else
        {-100, 100, false, 0, 0, "#-5", "5", 5},            // no negative input: refused
        {0, 100, false, 0, 0, "#15x", "15", 15},            // a stray letter is refused
        {10, 1000, false, 0, 0, "#1e2 +;3", "123", 123},    // and all else no number holds
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
        {10, 50, false, 0, 0, "#3\r", "10", 10},   // Enter clamps
        {10, 50, false, 0, 25, "3\x1b", "25", 25}, // Escape puts back the value before
        {0, 100, false, 0, 0, "=inf", "", 0},      // looks numeric, is refused
        {0, 100, false, 0, 0, "=nan", "", 0},
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
    EXPECT_EQ(field.FormatText(), QStringLiteral("0."));
    Range(-1000, 0, true, 2);
    EXPECT_EQ(field.FormatText(), QStringLiteral("0.00"));
    field.WrValore(-5);
    EXPECT_EQ(field.text(), QStringLiteral("-0,05"));
    EXPECT_EQ(field.selectedText(), field.text());
    Range(10, 5000);
    field.WrValore(7000);
    EXPECT_EQ(field.text(), QStringLiteral("5000"));
    field.WrValore(-3);
    EXPECT_EQ(field.text(), QStringLiteral("10"));
    // Limits alone do not touch the value until it is set again.
    field.WrMax(5);
    field.ChkValMin();
    EXPECT_EQ(field.RdValore(), 10);
    field.ChkVal();
    EXPECT_EQ(field.RdValore(), 5);
    field.SetMarked(true);
    EXPECT_EQ(field.palette().color(QPalette::Text), QColor(Qt::red));
    field.SetMarked(false);
    EXPECT_NE(field.palette().color(QPalette::Text), QColor(Qt::red));
}

// What the page's handlers see: refused keys never, Enter with the value clamped, a key it
// swallows is not typed; one exit per edit committed by a command or by leaving the field,
// none for a command without an edit (the colour that edits set is PageFieldsTest's).
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
    EXPECT_EQ(field.selectedText(), QStringLiteral("10"));
    EXPECT_EQ(keys.back(), Qt::Key_Return);
    EXPECT_EQ(exits, 0);
    field.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&field));
    for (const char* typed : {"", "3", ""}) {
        Play(typed);
        TPNumEdit::CommitFocusedEdit();
    }
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(field.RdValore(), 10); // clamped as on leaving
    Play("#7|#5!");
    EXPECT_EQ(exits, 2);
}

} // namespace
} // namespace kelm
