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
        EXPECT_TRUE(AskConfirm("a") && !AskConfirm("b") && !AskConfirm("c"));
        RequestTerminate();
        EXPECT_EQ(std::tuple(inner.Texts().size(), inner.TerminateCount()), std::tuple(3, 1));
    }
    ShowError("d");
    EXPECT_EQ(outer.Texts(), QStringList{"d"});
    RecordingMessages fresh;
    EXPECT_FALSE(TerminateRequested());
}
