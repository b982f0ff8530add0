#include "core/drive/diag/DiagRowWalk.h"

#include <gtest/gtest.h>
#include <vector>

namespace kelm {
namespace {

TEST(DiagRowWalk, StepsThroughTheVisibleRowsAndMarksEachPass) {
    struct Case {
        const char* Name;
        int From, Rows;
        VisibleRows Visible;
        std::vector<int> Next;
        std::vector<bool> Passes;
    } const cases[] = {
        {"only the visible rows", 0, 20, {5, 3}, {5, 6, 7, 5, 6, 7, 5}, {1, 0, 0, 1, 0, 0, 1}},
        {"around the table end", 9, 10, {8, 2}, {8, 9, 8}, {1, 0, 1}},
        {"a range past the end is cut", 7, 10, {8, 5}, {8, 9, 8}, {1, 0, 1}},
        {"a scroll starts a pass there", 3, 30, {12, 4}, {12, 13}, {1, 0}},
        {"one visible row", 4, 10, {4, 1}, {4, 4, 4}, {1, 1, 1}},
        // No visible row: step on instead of looping, never a pass.
        {"nothing visible", 3, 10, {0, 0}, {4}, {0}},
        {"empty table", 5, 0, {0, 10}, {0}, {0}},
        {"range clipped to 0..1", -3, 10, {-5, 7}, {0}, {1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<int> next;
        std::vector<bool> passes;
        for (int row = c.From; next.size() < c.Next.size();) {
            bool pass = false;
            next.push_back(row = NextDiagRow(row, c.Rows, c.Visible, pass));
            passes.push_back(pass);
        }
        EXPECT_EQ(next, c.Next);
        EXPECT_EQ(passes, c.Passes);
    }
}

} // namespace
} // namespace kelm
