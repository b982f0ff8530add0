#include "ui/widgets/TPNumEdit.h"

#include <QKeyEvent>
#include <QTest>
#include <gtest/gtest.h>

namespace kelm {
namespace {

class NumEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        field.show();
        field.setFocus();
    }
    // Replaces the whole text through real key events, as a user would.
    void Type(const QString& keys) { QTest::keyClicks(&field, keys); }
    void Range(int minimum, int maximum, bool negative = false) {
        field.WrMin(minimum);
        field.WrMax(maximum);
        field.SetIsNegative(negative);
    }
    void Leave() {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(&field, &out);
    }
    void Clear() {
        field.selectAll();
        QTest::keyClick(&field, Qt::Key_Backspace);
    }

    TPNumEdit field;
};

TEST_F(NumEditTest, Formatting) {
    EXPECT_EQ(field.FormatText(), QStringLiteral("0."));
    field.WrDec(2);
    EXPECT_EQ(field.FormatText(), QStringLiteral("0.00"));
    field.WrMin(-1000);
    field.WrValore(-5);
    EXPECT_EQ(field.text(), QStringLiteral("-0,05"));
    EXPECT_EQ(field.selectedText(), field.text());
}

TEST_F(NumEditTest, WrValoreClampsToTheNearestLimit) {
    Range(10, 5000);
    field.WrValore(7000);
    EXPECT_EQ(field.text(), QStringLiteral("5000"));
    field.WrValore(-3);
    EXPECT_EQ(field.text(), QStringLiteral("10"));
    EXPECT_EQ(field.RdValore(), 10);
    // Limits alone do not touch the value until it is set again.
    field.WrMax(5);
    EXPECT_EQ(field.RdValore(), 10);
    field.ChkValMin();
    EXPECT_EQ(field.RdValore(), 10);
    field.ChkVal();
    EXPECT_EQ(field.RdValore(), 5);
}

// Keys typed into an emptied field, as a user would; the text and value after them.
TEST_F(NumEditTest, TypingRules) {
    struct Case {
        int minimum, maximum;
        bool negative;
        int decimals;
        const char* keys;
        const char* text;
        int value;
    };
    const Case cases[] = {
        {10, 5000, false, 0, "7", "7", 7}, // a positive minimum waits for the exit
        {10, 5000, false, 0, "75", "75", 75},
        {0, 32, false, 0, "4", "4", 4},
        {0, 32, false, 0, "45", "32", 32}, // the maximum is enforced while typing
        {0, 32, false, 0, "453", "3", 3},  // the re-shown text is selected
        {-100, 100, true, 0, "-150", "-100", -100},
        {-100, 100, true, 0, "-150-", "-", 0},        // the minus replaces a selected text
        {-100, 100, false, 0, "-5", "5", 5},          // no negative input: the minus is refused
        {0, 100, false, 0, "15x", "15", 15},          // a stray letter is refused
        {10, 1000, false, 0, "1e2 +;3", "123", 123},  // and all else no number holds
        {0, 100000, false, 0, "1,5.2", "152", 152},   // no decimals: comma and point refused
        {0, 100000, false, 2, "3.14", "3,14", 314},   // '.' becomes ','
        {0, 100000, false, 2, "3.149,", "3,14", 314}, // two decimals at most, one comma
        {0, 100000, false, 2, "1,15", "1,15", 115},   // 1.15 x 100 is 114.999... in binary
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        Range(c.minimum, c.maximum, c.negative);
        field.WrDec(c.decimals);
        Clear();
        Type(QString::fromLatin1(c.keys));
        EXPECT_EQ(field.text(), QString::fromLatin1(c.text));
        EXPECT_EQ(field.RdValore(), c.value);
    }
}

TEST_F(NumEditTest, PositiveMinimumIsAppliedWhenTheFieldIsLeft) {
    Range(10, 5000);
    int exits = 0;
    field.SetExitHandler([&exits](TPNumEdit&) { ++exits; });
    Clear();
    Type(QStringLiteral("7"));
    Leave();
    EXPECT_EQ(field.text(), QStringLiteral("10"));
    EXPECT_EQ(field.RdValore(), 10);
    EXPECT_EQ(exits, 1);
    // Losing the window's activation is not leaving the field.
    Clear();
    Type(QStringLiteral("5"));
    QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(&field, &out);
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(field.text(), QStringLiteral("5"));
}

TEST_F(NumEditTest, MinusOnlyIntoAnEmptyOrFullySelectedText) {
    Range(-100, 100, true);
    Clear();
    Type(QStringLiteral("12"));
    QTest::keyClick(&field, Qt::Key_Left);
    Type(QStringLiteral("-"));
    EXPECT_EQ(field.text(), QStringLiteral("12"));
    QTest::keyClick(&field, Qt::Key_End);
    Type(QStringLiteral("-"));
    EXPECT_EQ(field.text(), QStringLiteral("12"));
}

TEST_F(NumEditTest, NegativeRangeKeepsOnlyTheLowerLimitWhileTyping) {
    Range(-500, -10, true);
    field.WrValore(-20);
    // An empty text (or a lone minus) is not a number: the negative maximum is shown.
    Clear();
    EXPECT_EQ(field.text(), QStringLiteral("-10"));
    Type(QStringLiteral("-"));
    EXPECT_EQ(field.text(), QStringLiteral("-10"));
    QTest::keyClick(&field, Qt::Key_End);
    QTest::keyClick(&field, Qt::Key_Backspace);
    EXPECT_EQ(field.text(), QStringLiteral("-1"));
    EXPECT_EQ(field.RdValore(), -1); // above the maximum, not enforced while typing
    Type(QStringLiteral("000"));
    EXPECT_EQ(field.text(), QStringLiteral("-500"));
    QTest::keyClick(&field, Qt::Key_End);
    QTest::keyClick(&field, Qt::Key_Backspace);
    QTest::keyClick(&field, Qt::Key_Backspace);
    EXPECT_EQ(field.text(), QStringLiteral("-5"));
    Leave();
    EXPECT_EQ(field.text(), QStringLiteral("-10"));
}

// Texts set whole (pasted): the value read from them.
TEST_F(NumEditTest, PastedTexts) {
    struct Case {
        int minimum, maximum, decimals;
        const char* text;
        int value;
    };
    const Case cases[] = {
        {0, 100, 0, "inf", 0}, // looks numeric, is refused
        {0, 100, 0, "nan", 0},
        {-100, 100, 0, "-99999999999999999999999", -100}, // clamped, not overflowed
        {0, 100000, 2, "0,29", 29},
        {0, 100000, 2, "12,349", 1234}, // the third decimal is cut off
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Range(c.minimum, c.maximum, c.minimum < 0);
        field.WrDec(c.decimals);
        field.setText(QString::fromLatin1(c.text));
        EXPECT_EQ(field.RdValore(), c.value);
    }
    field.WrDec(0);
    field.setText(QStringLiteral("inf"));
    EXPECT_EQ(field.text(), QString());
}

TEST_F(NumEditTest, DecimalsAreReadExactlyAndASelectedTextCanBeRetyped) {
    Range(0, 100000);
    field.WrDec(2);
    Clear();
    // Before the comma digits are still accepted.
    Type(QStringLiteral("3,14"));
    QTest::keyClick(&field, Qt::Key_Home);
    Type(QStringLiteral("2"));
    EXPECT_EQ(field.text(), QStringLiteral("23,14"));
    EXPECT_EQ(field.RdValore(), 2314);
    // A shown value is selected whole; typing a digit replaces it even though the caret
    // stands after the two decimals.
    field.WrValore(150);
    ASSERT_EQ(field.text(), QStringLiteral("1,50"));
    ASSERT_EQ(field.selectedText(), field.text());
    Type(QStringLiteral("2"));
    EXPECT_EQ(field.text(), QStringLiteral("2"));
    EXPECT_EQ(field.RdValore(), 200);
}

TEST_F(NumEditTest, EnterClampsSelectsAndReachesThePageKeyHandler) {
    Range(10, 50);
    std::vector<int> keys;
    field.SetKeyHandler([&keys](TPNumEdit& f, QKeyEvent& event) {
        keys.push_back(event.key());
        // The value is already clamped when the page sees Enter.
        if (event.key() == Qt::Key_Return) {
            EXPECT_EQ(f.RdValore(), 10);
            return true;
        }
        return false;
    });
    Clear();
    Type(QStringLiteral("3"));
    QTest::keyClick(&field, Qt::Key_Return);
    EXPECT_EQ(field.text(), QStringLiteral("10"));
    EXPECT_EQ(field.selectedText(), QStringLiteral("10"));
    ASSERT_FALSE(keys.empty());
    EXPECT_EQ(keys.back(), Qt::Key_Return);
}

TEST_F(NumEditTest, RefusedKeysDoNotReachThePageAndThePageCanSwallowAKey) {
    Range(0, 1000);
    Clear();
    int calls = 0;
    field.SetKeyHandler([&calls](TPNumEdit&, QKeyEvent& event) {
        ++calls;
        return event.key() == Qt::Key_7;
    });
    Type(QStringLiteral("-,."));
    EXPECT_EQ(calls, 0);
    Type(QStringLiteral("171"));
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(field.text(), QStringLiteral("11"));
}

TEST_F(NumEditTest, ChangeHandlerRunsForEditsNotForShownValues) {
    Range(0, 32);
    int changes = 0;
    field.SetChangeHandler([&changes](TPNumEdit&) { ++changes; });
    field.WrValore(5);
    EXPECT_EQ(changes, 0);
    Clear();
    EXPECT_EQ(changes, 1);
    Type(QStringLiteral("45")); // '4', then '5' re-shown as 32: one change per key
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(field.RdValore(), 32);
}

// Escape puts back the value from before the edit; a command commits a pending edit once.
TEST_F(NumEditTest, PendingEditIsRevertedByEscapeOrCommittedBeforeACommand) {
    Range(10, 50);
    int exits = 0;
    field.SetExitHandler([&exits](TPNumEdit&) { ++exits; });
    field.WrValore(25);
    Type(QStringLiteral("3\x1b"));
    EXPECT_EQ(field.RdValore(), 25);
    EXPECT_EQ(field.text(), QStringLiteral("25"));
    field.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&field));
    for (const char* keys : {"", "3", ""}) {
        Type(QString::fromLatin1(keys));
        TPNumEdit::CommitFocusedEdit();
    }
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(field.RdValore(), 10); // clamped as on leaving
}

TEST_F(NumEditTest, MarkPaintsTheTextRed) {
    field.SetMarked(true);
    EXPECT_TRUE(field.IsMarked());
    EXPECT_EQ(field.palette().color(QPalette::Text), QColor(Qt::red));
    field.SetMarked(false);
    EXPECT_NE(field.palette().color(QPalette::Text), QColor(Qt::red));
}

} // namespace
} // namespace kelm
