// Drive > Changes against the simulated drive: two changes listed newest first, one taken
// back after a Yes (a change of its own), "Back to the values read at connection" answered
// No writes nothing. Screenshots go to $KELM_SHOTS when it is set.
#include "ui/shell/ShellFixture.h"

#include "core/drive/WriteGate.h"
#include "ui/journal/ChangesWindow.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeWidget>

namespace kelm::test {
namespace {

class ChangesWindowTest : public ShellFixture {
protected:
    void SetUp() override {
        previousData_ = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(data_.path())); // this test's own journal
        ShellFixture::SetUp();
    }
    void TearDown() override {
        ShellFixture::TearDown();
        qputenv("XDG_DATA_HOME", previousData_);
    }
    // One user action writing value to register reg.
    void Change(const char* action, std::uint16_t reg, std::int16_t value) {
        TDriver& driver = window_->Driver();
        driver.WaitIdle();
        const WriteGate::Scope scope(driver.Gate(), driver.Ask(QString::fromLatin1(action)));
        ASSERT_TRUE(driver.WriteParam(reg, value, true, 100));
    }
    std::int16_t Sim(std::uint16_t reg) { return static_cast<std::int16_t>(SimRegister(1, reg)); }
    QString Count() const {
        return window_->statusBar()->findChild<QLabel*>(QStringLiteral("ChangeCount"))->text();
    }
    void Shot(const char* name) {
        if (const QString folder = qEnvironmentVariable("KELM_SHOTS"); !folder.isEmpty())
            for (QWidget* shown :
                 {static_cast<QWidget*>(ChangesWindow()), static_cast<QWidget*>(window_.get())})
                shown->grab().save(folder + QLatin1Char('/') + shown->objectName() + name);
    }
    QTemporaryDir data_;
    QByteArray previousData_;
};

TEST_F(ChangesWindowTest, UndoesOneChangeAndAsksBeforeGoingBack) {
    Build();
    GoOnline();
    const std::int16_t kp = Sim(23), ki = Sim(24);
    Change("Speed page: Apply", 23, static_cast<std::int16_t>(kp + 7));
    Change("Speed page: Apply", 24, static_cast<std::int16_t>(ki + 3));
    window_->MenuAction(Command::Changes)->trigger();
    TFChanges* changes = ChangesWindow();
    ASSERT_NE(changes, nullptr);
    EXPECT_TRUE(WaitFor([&] { return Count() == QStringLiteral("Changes: 2"); }))
        << Count().toStdString();
    QTreeWidget* tree = changes->Tree;
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(tree->topLevelItem(0)->child(0)->text(3),
              QStringLiteral("%1 -> %2").arg(ki).arg(ki + 3));
    Shot("-two.png");

    // Undo of the older change, Yes: register 23 holds its old value again, 24 keeps its own.
    tree->topLevelItem(1)->setSelected(true);
    messages_.Clear();
    messages_.ScriptAnswers({true});
    changes->UndoButton->click();
    EXPECT_EQ(std::tuple(Sim(23), Sim(24)), std::tuple(kp, static_cast<std::int16_t>(ki + 3)));
    const QStringList texts = messages_.Texts();
    ASSERT_EQ(texts.size(), 2) << texts.join('|').toStdString();
    EXPECT_TRUE(texts[0].contains(QStringLiteral("23 Speed Loop KP: %1 -> %2").arg(kp + 7).arg(kp)))
        << texts[0].toStdString();
    EXPECT_EQ(texts[1], QStringLiteral("Undo change 1: 1 register written back."));
    ASSERT_EQ(tree->topLevelItemCount(), 3);
    EXPECT_EQ(tree->topLevelItem(0)->text(2), QStringLiteral("Undo change 1"));
    EXPECT_EQ(tree->topLevelItem(0)->child(0)->text(3),
              QStringLiteral("%1 -> %2").arg(kp + 7).arg(kp));
    EXPECT_TRUE(WaitFor([&] { return Count() == QStringLiteral("Changes: 3"); }))
        << Count().toStdString();
    Shot("-undone.png");

    // Back to the values read at connection, No: asked with 24's line, nothing written.
    messages_.Clear();
    messages_.ScriptAnswers({false});
    changes->BackButton->click();
    ASSERT_EQ(messages_.Texts().size(), 1);
    EXPECT_TRUE(messages_.Texts()[0].contains(
        QStringLiteral("24 Speed Loop KI: %1 -> %2").arg(ki + 3).arg(ki)));
    EXPECT_EQ(std::tuple(Sim(23), Sim(24)), std::tuple(kp, static_cast<std::int16_t>(ki + 3)));
    EXPECT_EQ(tree->topLevelItemCount(), 3);
}

} // namespace
} // namespace kelm::test
