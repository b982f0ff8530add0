// Where child windows open: inside the free area, beside the others, cascading when full.
#include "core/rules/ChildPlacement.h"

#include <gtest/gtest.h>

namespace kelm {
namespace {

TEST(ChildPlacement, OpensInTheFreeAreaBesideTheOthers) {
    const QRect area(0, 0, 1000, 600);
    const QRect mainPage(0, 0, 400, 500);
    struct Case {
        const char* Name;
        QRect Panel;
        std::vector<QRect> Open;
        QSize Size;
        QRect Expected;
    } const cases[] = {
        {"empty frame", {}, {}, {300, 200}, {0, 0, 300, 200}},
        {"larger than the frame", {}, {}, {1200, 700}, {0, 0, 1000, 600}},
        {"panel over the right part", {800, 0, 200, 600}, {}, {900, 200}, {0, 0, 800, 200}},
        {"panel outside the area", {1000, 0, 200, 600}, {}, {900, 200}, {0, 0, 900, 200}},
        {"beside the main page", {}, {mainPage}, {300, 300}, {400, 0, 300, 300}},
        {"below when no room beside", {}, {{0, 0, 800, 300}}, {300, 200}, {0, 300, 300, 200}},
        {"beside the second", {}, {mainPage, {400, 0, 300, 300}}, {250, 250}, {700, 0, 250, 250}},
        {"beside, up to the panel", {800, 0, 200, 600}, {mainPage}, {400, 300}, {400, 0, 400, 300}},
        {"below when the panel leaves no room beside",
         {800, 0, 200, 600},
         {{0, 0, 400, 200}},
         {450, 300},
         {0, 200, 450, 300}},
        // No place is free: the one covering least, its caption below the other's.
        {"cascades when full", {}, {{0, 0, 1000, 300}}, {1000, 400}, {0, 200, 1000, 400}},
        {"keeps the caption seen", {}, {{0, 0, 1000, 600}}, {900, 500}, {0, 100, 900, 500}},
        {"cascades from the corner",
         {},
         {{0, 0, 600, 600}},
         {900, 500},
         {CascadeStep, CascadeStep, 900, 500}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PlaceChildWindow(area, c.Panel, c.Open, c.Size), c.Expected) << c.Name;
}

} // namespace
} // namespace kelm
