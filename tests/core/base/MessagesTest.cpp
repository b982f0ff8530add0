#include "core/seams/Messages.h"
#include "core/seams/RecordingMessages.h"

#include <gtest/gtest.h>

using namespace kelm;

TEST(Messages, ConfirmFollowsScriptThenDefault) {
    RecordingMessages rec;
    rec.ScriptAnswers({true, false});
    EXPECT_TRUE(AskConfirm("Save actual data to EEPROM?"));
    EXPECT_FALSE(AskConfirm("Reload data from EEPROM ?"));
    rec.SetDefaultAnswer(true);
    EXPECT_TRUE(AskConfirm("Load Default Data ?"));
    EXPECT_EQ(rec.Boxes()[0].Caption, "Confirm");
    EXPECT_TRUE(rec.Boxes()[2].Question);
}

TEST(Messages, TerminateIsRememberedAndClearedByNewRecorder) {
    {
        RecordingMessages rec;
        RequestTerminate();
        EXPECT_TRUE(TerminateRequested());
        EXPECT_EQ(rec.TerminateCount(), 1);
    }
    RecordingMessages rec2;
    EXPECT_FALSE(TerminateRequested());
}

TEST(Messages, NestedRecordersRestorePrevious) {
    RecordingMessages outer;
    {
        RecordingMessages inner;
        ShowInfo("Data Saved !");
        EXPECT_EQ(inner.Texts().size(), 1);
    }
    ShowInfo("Profiles Saved !");
    ShowDifferentExtensions("/tmp/a.tnp");
    EXPECT_EQ(outer.Texts(),
              (QStringList{"Profiles Saved !",
                           "Different File Extensions\r/tmp/a.tnp\rFile not processed!"}));
}
