#include "core/seams/Messages.h"
#include "core/seams/RecordingMessages.h"

#include <gtest/gtest.h>

using namespace kelm;

// Answers follow the script, then the default; a nested recorder hands back to the outer one;
// a new recorder starts without a termination request.
TEST(Messages, RecordersScriptAnswersNestAndForgetTermination) {
    RecordingMessages outer;
    {
        RecordingMessages inner;
        inner.ScriptAnswers({true, false});
        EXPECT_TRUE(AskConfirm("Save actual data to EEPROM?"));
        EXPECT_FALSE(AskConfirm("Reload data from EEPROM ?"));
        inner.SetDefaultAnswer(true);
        EXPECT_TRUE(AskConfirm("Load Default Data ?"));
        EXPECT_EQ(inner.Boxes()[0].Caption, "Confirm");
        EXPECT_TRUE(inner.Boxes()[2].Question);
        RequestTerminate();
        EXPECT_TRUE(TerminateRequested());
        EXPECT_EQ(inner.TerminateCount(), 1);
    }
    ShowDifferentExtensions("/tmp/a.tnp");
    EXPECT_EQ(outer.Texts(),
              QStringList{"Different File Extensions\r/tmp/a.tnp\rFile not processed!"});
    RecordingMessages fresh;
    EXPECT_FALSE(TerminateRequested());
}
