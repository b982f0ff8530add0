#include "core/drive/diag/DiagRowWalk.h"

#include <gtest/gtest.h>
#include <vector>

namespace kelm {
namespace {

std::vector<int> Walk(int from, int rows, VisibleRows visible, int steps,
                      std::vector<bool>* passes = nullptr) {
    std::vector<int> out;
    int row = from;
    for (int i = 0; i < steps; ++i) {
        bool pass = false;
        row = NextDiagRow(row, rows, visible, pass);
        out.push_back(row);
        if (passes)
            passes->push_back(pass);
    }
    return out;
}

TEST(DiagRowWalk, VisitsOnlyTheVisibleRowsAndMarksEachPass) {
    std::vector<bool> passes;
    EXPECT_EQ(Walk(0, 20, {5, 3}, 7, &passes), (std::vector<int>{5, 6, 7, 5, 6, 7, 5}));
    EXPECT_EQ(passes, (std::vector<bool>{true, false, false, true, false, false, true}));
}

TEST(DiagRowWalk, WrapsAroundTheTableEndAndFollowsAScroll) {
    // The last rows are visible: 8, 9, then around through 0.. back to 8.
    EXPECT_EQ(Walk(9, 10, {8, 2}, 3), (std::vector<int>{8, 9, 8}));
    // A range running past the table end is cut at the last row.
    EXPECT_EQ(Walk(7, 10, {8, 5}, 3), (std::vector<int>{8, 9, 8}));
    // Row 3 was visible; the grid scrolled to 12..15: the next step starts a pass there.
    std::vector<bool> passes;
    EXPECT_EQ(Walk(3, 30, {12, 4}, 2, &passes), (std::vector<int>{12, 13}));
    EXPECT_EQ(passes, (std::vector<bool>{true, false}));
}

TEST(DiagRowWalk, NoVisibleRowStepsOnInsteadOfLooping) {
    bool pass = true;
    EXPECT_EQ(NextDiagRow(3, 10, {0, 0}, pass), 4);
    EXPECT_FALSE(pass);
    EXPECT_EQ(NextDiagRow(9, 10, {20, 5}, pass), 0);
    EXPECT_EQ(NextDiagRow(5, 0, {0, 10}, pass), 0);
    EXPECT_EQ(NextDiagRow(-3, 10, {-5, 7}, pass), 0); // range clipped to 0..1
    EXPECT_TRUE(pass);
}

TEST(DiagRowWalk, SingleVisibleRowIsAPassEveryStep) {
    std::vector<bool> passes;
    EXPECT_EQ(Walk(4, 10, {4, 1}, 3, &passes), (std::vector<int>{4, 4, 4}));
    EXPECT_EQ(passes, (std::vector<bool>{true, true, true}));
}

} // namespace
} // namespace kelm
