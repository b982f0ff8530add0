// File > Save, Compare and Open Machine on a simulated link: the menu items run the whole
// link through the progress dialog, the comparison opens one tab per unit, the restore
// writes the changed value back and the unit in use is the same afterwards.
#include "../tarnlink/LinkFixture.h"

#include "core/link/PortNames.h"
#include "core/machine/MachineManifest.h"
#include "ui/compare/CompareGrid.h"
#include "ui/machine/TFMachineCompare.h"
#include "ui/machine/TFMachineD.h"

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QTabWidget>

namespace kelm::test {
namespace {

class MachineFlowsTest : public LinkFixture {
protected:
    // Drive unit 3 (address 3) chosen in the link overview, its table read.
    void SetUp() override {
        LinkFixture::SetUp();
        SelectThroughOverview([](TFTarnSel& d) { d.Panel(2).SelectButton->click(); });
        ASSERT_TRUE(WaitFor([this] { return window_->Driver().Online(); }, 30000));
    }
    void Trigger(const QString& text) {
        QMenu* file = window_->findChild<QMenu*>(QStringLiteral("MFile"));
        ASSERT_NE(file, nullptr);
        emit file->aboutToShow();
        for (QAction* action : file->actions())
            if (action->text() == text) {
                ASSERT_TRUE(action->isEnabled());
                action->trigger();
                return;
            }
        FAIL() << text.toStdString();
    }
};

TEST_F(MachineFlowsTest, SaveCompareAndOpenTheWholeLink) {
    QTemporaryDir files;
    const QString dir = QDir(files.path()).filePath("machine");
    dialogs_->AnswerNextFile(dir);
    Trigger(QStringLiteral("Save &Machine…"));
    QFile json(QDir(dir).filePath("machine.json"));
    ASSERT_TRUE(json.open(QIODevice::ReadOnly));
    QString error;
    const auto manifest = ManifestFromJson(json.readAll(), &error);
    ASSERT_TRUE(manifest) << error.toStdString();
    const int com = window_->Master().GetPort(); // the device path, as kelmctl records it
    EXPECT_EQ(manifest->Port.Port,
              QStringLiteral("%1 (COM%2)").arg(PortNames().DevicePath(com)).arg(com));
    EXPECT_TRUE(messages_.Texts().join('\n').contains("Saved in " + dir));
    // Every unit's table and the Drive units' profiles went through the progress dialog.
    EXPECT_EQ(Executed("kelm::TFMachineD"), 4 + 3);

    SetSimRegister(4, 43, 777);
    dialogs_->AnswerNextFile(QDir(dir).filePath("machine.json"));
    Trigger(QStringLiteral("Compa&re Machine…"));
    TFMachineCompare* window = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* found = qobject_cast<TFMachineCompare*>(widget))
            window = found;
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(window->Tabs->count(), 4);
    EXPECT_EQ(QStringList({window->Tabs->tabText(2), window->Tabs->tabText(3)}),
              QStringList({"Unit 3 Drive", "Unit 4 Drive *"}));
    window->close();

    messages_.ScriptAnswers({true});
    dialogs_->AnswerNextFile(QDir(dir).filePath("machine.json"));
    Trigger(QStringLiteral("Open Mac&hine…"));
    EXPECT_EQ(SimRegister(4, 43), 500);
    EXPECT_TRUE(messages_.Texts().join('\n').contains("Unit 4 (Tarn Drive): restored"));
    // The unit in use before is in use again, on line.
    EXPECT_TRUE(WaitFor([this] { return window_->Driver().Online(); }, 30000));
    EXPECT_EQ(window_->Master().UnitAddress(), 3);
    EXPECT_EQ(dialogs_->UnexpectedCount(), 0);
}

} // namespace
} // namespace kelm::test
