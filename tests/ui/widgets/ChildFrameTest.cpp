#include "ui/widgets/ChildFrame.h"

#include <QMainWindow>
#include <QMdiArea>
#include <gtest/gtest.h>

using namespace kelm;

// A stand-alone child must be its own frame: raising or closing "the frame" must never
// reach the main window that parents it.
TEST(ChildFrame, IsTheSubWindowInsideAFrameAndTheWindowItselfAlone) {
    QMainWindow main;
    auto* area = new QMdiArea(&main);
    main.setCentralWidget(area);
    auto* framed = new QWidget;
    QMdiSubWindow* sub = area->addSubWindow(framed);
    EXPECT_EQ(ChildFrame(framed), sub);

    auto* alone = new QWidget(&main, Qt::Window);
    EXPECT_EQ(ChildFrame(alone), alone);
}
