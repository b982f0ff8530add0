#include "ui/diagnostic/ToolFixture.h"

#include "core/drive/TDriver.h"
#include "core/files/FileTestSupport.h"
#include "core/settings/SettingsStore.h"
#include "ui/compare/CompareCommands.h"
#include "ui/compare/CompareGrid.h"
#include "ui/compare/TFCompDev.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QWheelEvent>

namespace kelm::test {
namespace {

class CompareWindowTest : public ToolFixture {
protected:
    void SetUp() override {
        ToolFixture::SetUp();
        BuildEngine(sim::SimKind::Std);
        ShellFlows flows;
        InstallCompareWindows(flows);
        ShowOnline(flows);
        for (const ParamEntry& e : window_->Driver().ActiveTable())
            if (e.Compared)
                compared.push_back(e);
        ASSERT_GT(compared.size(), 10u);
    }
    void TearDown() override {
        if (CompareWindow())
            CompareWindow()->close();
        ToolFixture::TearDown();
    }

    // A device parameter file of the plain kind with the given rows (name, address, value).
    QString WriteFile(const QString& name, const QStringList& rows) {
        const QString path = Folder() + name;
        QByteArray body = testing::DeviceHeading;
        for (const QString& row : rows)
            body += (row + QStringLiteral("\r\n")).toLatin1();
        testing::WriteBytes(path, body);
        return path;
    }
    static QString Row(const ParamEntry& e, int value) {
        return e.Name + QLatin1Char('\t') + QString::number(e.Address) + QLatin1Char('\t') +
               QString::number(value);
    }
    TFCompDev& Window() {
        EXPECT_NE(CompareWindow(), nullptr);
        return *CompareWindow();
    }
    QString Cell(int row, int column) { return Window().Grid().item(row, column)->text(); }
    bool Enabled(const char* action) {
        return window_->findChild<QAction*>(QString::fromLatin1(action))->isEnabled();
    }

    std::vector<ParamEntry> compared;
};

TEST_F(CompareWindowTest, DriveAgainstFileRowsFiltersAndColours) {
    // A file of another kind, or Cancel, opens nothing.
    dialogs_->AnswerNextFile(WriteFile(QStringLiteral("power.tnp"), {}));
    window_->Run(Command::DriveCompare);
    dialogs_->AnswerNextFile(QString());
    window_->Run(Command::FileCompare);
    EXPECT_EQ(CompareWindow(), nullptr);
    EXPECT_EQ(messages_.Texts().size(), 1);
    EXPECT_TRUE(messages_.Texts().value(0).startsWith("Different File Extensions\r"));
    messages_.Clear();

    const ParamEntry& same = compared[0];
    const ParamEntry& changed = compared[1];
    // Which rows a file gives and how they compare is ComparisonTest's; here, the grid.
    const QString path =
        WriteFile(QStringLiteral("drive.dev"),
                  {Row(same, same.DriveValue), Row(changed, changed.DriveValue + 1)});
    dialogs_->AnswerNextFile(path);
    window_->Run(Command::DriveCompare);
    ASSERT_NE(CompareWindow(), nullptr);
    TFCompDev& w = Window();
    EXPECT_TRUE(w.DriveMode() && w.FirstLabel().isHidden());
    EXPECT_EQ(std::tuple(w.windowTitle(), w.Grid().horizontalHeaderItem(2)->text()),
              std::tuple(QString(" Compare Drive Values"), QString("Drive")));
    EXPECT_TRUE(w.SecondLabel().text().startsWith("File: ") &&
                w.SecondLabel().text().endsWith("drive.dev"));
    ASSERT_EQ(dialogs_->Files().size(), 3u);
    EXPECT_EQ(std::tuple(dialogs_->Files()[2].Request.DefaultExtension,
                         window_->Settings().DevicesFolder),
              std::tuple(QString("dev"), Folder()));

    // Show All: every compared entry in table order (the cells' texts and the filters are
    // ComparisonTest's); the row missing from the file is not equal.
    EXPECT_EQ(w.Filter(), 1);
    ASSERT_EQ(w.Grid().rowCount(), static_cast<int>(compared.size()));
    EXPECT_EQ(std::tuple(Cell(0, 0), Cell(0, 3)), std::tuple(same.Name, Cell(0, 2)));
    EXPECT_EQ(
        std::tuple(w.Grid().item(0, 0)->background().color(), w.Grid().item(0, 3)->font().bold(),
                   w.Grid().item(1, 3)->background().color(), w.Grid().item(1, 3)->font().bold()),
        std::tuple(QColor(Qt::white), false, QColor(255, 60, 60), true));
    w.ClickFilter(QStringLiteral("BNoteq"));
    ASSERT_EQ(w.Grid().rowCount(), static_cast<int>(compared.size()) - 1);
    EXPECT_TRUE(Cell(0, 0) == changed.Name && messages_.Texts().isEmpty());
    // Both comparison commands are taken while the window is open, and given back on close.
    EXPECT_FALSE(Enabled("MCompare"));
    w.close();
    EXPECT_TRUE(Enabled("MCompare") && Enabled("MFCompare"));
}

TEST_F(CompareWindowTest, FileAgainstFileThenASecondFile) {
    const QString first =
        WriteFile(QStringLiteral("first.dev"), {Row(compared[0], 11), Row(compared[1], -22)});
    const QString second =
        WriteFile(QStringLiteral("second.dev"), {Row(compared[0], 11), Row(compared[1], 23)});
    dialogs_->AnswerNextFile(first);
    window_->Run(Command::FileCompare);
    TFCompDev& w = Window();
    EXPECT_FALSE(w.DriveMode() || w.FirstLabel().isHidden() || Enabled("MCompare"));
    EXPECT_EQ(w.windowTitle(), " Compare Files Values");
    EXPECT_EQ(w.FirstLabel().text().left(7) + w.SecondLabel().text().left(7), "File1: File2: ");
    // The file against itself.
    EXPECT_EQ(std::pair(Cell(1, 2), Cell(1, 3)), std::pair(QString("-00022"), QString("-00022")));
    w.ClickFilter(QStringLiteral("BNoteq"));

    // File > Compare again only brings the window up.
    window_->Run(Command::FileCompare);
    EXPECT_EQ(dialogs_->Files().size(), 1u);

    // Open File: the first file against a second one; BAll goes down again.
    dialogs_->AnswerNextFile(second);
    w.OpenButton().click();
    EXPECT_EQ(std::tuple(CompareWindow(), w.Data().FirstFile(), w.Data().SecondFile(), w.Filter()),
              std::tuple(&w, first, second, 1));
    EXPECT_EQ(std::pair(Cell(1, 2), Cell(1, 3)), std::pair(QString("-00022"), QString("00023")));
    EXPECT_TRUE(w.Grid().item(1, 0)->font().bold());
}

// Every row differs from an empty file: the wheel and arrows scroll by one row, and nothing
// equal leaves one empty row.
TEST_F(CompareWindowTest, WheelAndArrowsScrollByOneRowAndNothingEqualLeavesAnEmptyRow) {
    dialogs_->AnswerNextFile(WriteFile(QStringLiteral("scroll.dev"), {}));
    window_->Run(Command::DriveCompare);
    CompareGrid& grid = Window().Grid();
    grid.resize(400, 150);
    QApplication::processEvents();
    ASSERT_GT(grid.verticalScrollBar()->maximum(), 3);
    EXPECT_EQ(grid.TopRow(), 0);
    const auto wheel = [&](int delta) {
        QWheelEvent e(QPointF(10, 10), grid.mapToGlobal(QPointF(10, 10)), QPoint(),
                      QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(grid.viewport(), &e);
        return grid.TopRow();
    };
    const auto key = [&](Qt::Key k) {
        QKeyEvent e(QEvent::KeyPress, k, Qt::NoModifier);
        QApplication::sendEvent(&grid, &e);
        return grid.TopRow();
    };
    const int tops[] = {wheel(-120), key(Qt::Key_Down), key(Qt::Key_Up), wheel(120), wheel(120)};
    EXPECT_EQ(std::vector(std::begin(tops), std::end(tops)), (std::vector{1, 2, 1, 0, 0}));

    Window().ClickFilter(QStringLiteral("BEq"));
    ASSERT_EQ(grid.rowCount(), 1);
    EXPECT_EQ(Cell(0, 0) + Cell(0, 1) + Cell(0, 2) + Cell(0, 3), "");
    EXPECT_EQ(grid.item(0, 0)->background().color(), QColor(Qt::white));
}

} // namespace
} // namespace kelm::test
