#include "SimDrive.h"

#include "ui/pages/TFCurrent.h"
#include "ui/pages/TFEncOut.h"
#include "ui/pages/TFMotor.h"
#include "ui/pages/TFPosit.h"
#include "ui/pages/TFSpeed.h"

namespace kelm {
namespace {

using test::Pairs;

class DialogPagesTest : public test::OnDrive<DialogPage> {
protected:
    template <typename Page, typename... Args>
    Page* Open(DeviceKind kind, std::initializer_list<std::pair<int, int>> registers,
               Args... args) {
        page.reset(); // before the drive it works on
        drive = test::SimDrive::Connected(kind, registers);
        page = std::make_unique<Page>(drive->Driver(), args...);
        page->Finish({});
        page->show();
        return static_cast<Page*>(page.get());
    }
};

TEST_F(DialogPagesTest, MotorApplyWritesTheEditsAndKeepsOtherBits) {
    Open<TFMotor>(DeviceKind::Std, {{0, 0x0102}, {70, 0x0021}, {12, 0}, {8, 0}, {7, 8}});
    std::vector<std::uint16_t> told; // what the other windows are told reached the drive
    QObject::connect(&drive->Driver().Notice(), &TableNotice::TableChanged, page.get(),
                     [&told](const std::vector<std::uint16_t>& registers) { told = registers; });
    EXPECT_EQ(Shown("CPolar") + Shown("CPoles"), QStringLiteral("0208"));
    Choose("CBrake", 1);
    Choose("CFeed", 1); // "Resolver"
    EXPECT_EQ(std::tuple(Find<QComboBox>("CPolar")->isVisible(), Text("LImpulsi")),
              std::tuple(true, QString("No. of Poles")));
    drive->Set(70, 0x0061); // meanwhile another page set bit 6 of the shared register
    // Resolver poles 0 became 2 on opening; brake bit 13 joins the bits the drive holds now.
    EXPECT_EQ(After("BApply"), (Pairs{{8, 2}, {12, 1}, {70, 0x2061}}));
    EXPECT_TRUE(told == std::vector<std::uint16_t>({8, 12, 70}) && !page->HasEdits());

    // Cancel throws an edit away and writes nothing.
    drive->ClearWrites();
    Choose("CPoles", 0);
    Type("EFasa", QStringLiteral("90"));
    EXPECT_TRUE(Find<TPNumEdit>("EFasa")->IsMarked());
    const Pairs cancelled = After("BCancel");
    EXPECT_EQ(std::tuple(cancelled, Shown("CPoles"), Field("EFasa")->RdValore()),
              std::tuple(Pairs{}, QString("08"), 0));
}

TEST_F(DialogPagesTest, MotorKindsCurrentAmperesAndSpeedRotaryBit) {
    Open<TFMotor>(DeviceKind::Drive, {{13, 1}});
    EXPECT_EQ(Shown("CFeed"), QStringLiteral("Encoder"));
    EXPECT_EQ(After("BOk"), (Pairs{{13, 0}}));
    EXPECT_FALSE(page->isVisible()) << "Ok closes the page";
    Open<TFMotor>(DeviceKind::Orca230, {{7, -2}, {12, 8}});
    // No brake bit on this kind.
    EXPECT_EQ(std::tuple(Shown("CPoles"), Find<QComboBox>("CBrake")->isVisible()),
              std::tuple(QString("Stepper"), false));
    Choose("CPoles", 16); // "32", the last number
    EXPECT_EQ(After("BApply"), (Pairs{{7, 32}}));
    Open<TFCurrent>(DeviceKind::Orca230, {{0, 45}, {13, 50}, {14, 100}});
    EXPECT_EQ(Text("LInomA"), QStringLiteral(" (4.5 A)"));
    Type("EImax", QStringLiteral("200"));
    EXPECT_EQ(Text("LImaxA"), QStringLiteral(" (18.0 A)"));
    Type("EI2t", QStringLiteral("1,5"));
    EXPECT_EQ(After("BApply"), (Pairs{{14, 200}, {21, 150}}));

    Open<TFSpeed>(DeviceKind::Drive, {{76, 0x4003}}, TFSpeed::Applied());
    Choose("CRotary", 1);
    EXPECT_EQ(After("BOk"), (Pairs{{76, 0x4023}}));
}

TEST_F(DialogPagesTest, PositionGearRatioWideErrorAndEncoderOut) {
    Open<TFPosit>(DeviceKind::Std, {{44, 0x0101}, {45, 1024}, {46, 2}, {47, 3}});
    EXPECT_EQ(Text("LResult"), QStringLiteral("1536"));
    Type("ENum", QStringLiteral("64"));
    Type("EDen", QStringLiteral("1"));
    EXPECT_FALSE(Find<QPushButton>("BApply")->isEnabled() || Find<QPushButton>("BOk")->isEnabled());
    EXPECT_TRUE(Find<QLabel>("PRatio")->isVisible());
    Type("ENum", QStringLiteral("63"));
    EXPECT_TRUE(Find<QPushButton>("BApply")->isEnabled());
    Choose("CPosPol", 1);
    EXPECT_EQ(After("BApply"), (Pairs{{44, 0x0109}, {46, 63}, {47, 1}}));

    // A number that is not in the list selects nothing and is left alone.
    Open<TFPosit>(DeviceKind::Drive, {{68, 1000}, {69, 1}, {70, 1}});
    EXPECT_EQ(std::tuple(Find<QComboBox>("CPulse")->currentIndex(), Text("LResult")),
              std::tuple(-1, QString("1000")));
    Type("EPul", QStringLiteral("70000"));
    EXPECT_EQ(After("BApply"), (Pairs{{60, 1}, {61, 70000 - 65536}}));

    // Encoder out: a stored divider 0 shows the default, 1 (the entries are DividerEntries').
    Open<TFEncOut>(DeviceKind::Std, {{12, 0}, {9, 2500}, {68, 0}});
    EXPECT_EQ(Find<QComboBox>("CDiv")->currentIndex(), 0);
    Choose("CDiv", 2);
    EXPECT_EQ(After("BApply"), (Pairs{{68, 3}}));
}

// A stored number outside a field's limits (phasing stored 1234 for 0..360; a speed limit of
// 0 under its minimum of 100) is shown as it is and never written unless typed over; Apply
// and Ok write only what was edited on the page.
TEST_F(DialogPagesTest, StoredNumbersOutsideTheLimitsAreShownAndNeverWritten) {
    Open<TFMotor>(DeviceKind::Std, {{11, 1234}, {70, 0}, {8, 2}});
    TPNumEdit* phase = Field("EFasa");
    EXPECT_EQ(std::tuple(phase->text(), phase->OutOfLimits(), phase->IsMarked()),
              std::tuple(QString("1234"), true, false));
    Choose("CBrake", 1);
    Click("BApply");
    EXPECT_EQ(After("BOk"), (Pairs{{70, 0x2000}}));

    Open<TFSpeed>(DeviceKind::Std, {{31, 0}}, TFSpeed::Applied());
    EXPECT_EQ(Field("ESpeed")->text(), QStringLiteral("0"));
    Type("EKp", QStringLiteral("600"));
    EXPECT_EQ(After("BOk"), (Pairs{{23, 600}}));
    EXPECT_EQ(Value(31), 0);
}

// Typing past the maximum writes the maximum, never the digits typed after it; a wide field
// stops at the 32-bit maximum.
TEST_F(DialogPagesTest, TypingPastTheMaximumWritesTheMaximum) {
    Open<TFCurrent>(DeviceKind::Std, {});
    Type("EImax", QStringLiteral("4000"));
    QTest::keyClick(Field("EImax"), Qt::Key_Return);
    EXPECT_EQ(After("BApply"), (Pairs{{14, 300}}));
    Open<TFPosit>(DeviceKind::Drive, {{69, 1}, {70, 1}});
    Type("EPul", QStringLiteral("99999999999"));
    EXPECT_EQ(After("BApply"), (Pairs{{60, 32767}, {61, -1}}));
}

// Corrections a page makes when it opens are its own edits: shown as edited, not put into
// the table, gone with Cancel, so an Apply on another page cannot send them.
TEST_F(DialogPagesTest, CorrectionsStayWithTheirPage) {
    Open<TFMotor>(DeviceKind::Drive, {{13, 1}, {15, 0}, {72, 0}});
    EXPECT_EQ(std::tuple(page->HasEdits(), Shown("CPolar"), Value(13), Value(15)),
              std::tuple(true, QString("02"), 1, 0));
    EXPECT_EQ(Find<QComboBox>("CPolar")->palette().color(QPalette::Text), QColor(Qt::red));
    Click("BCancel");
    TFEncOut encoder(drive->Driver());
    encoder.Finish({});
    EXPECT_TRUE(encoder.HasEdits() && Value(72) == 0);
    encoder.CancelButton()->click();

    TFSpeed speed(drive->Driver(), TFSpeed::Applied());
    speed.Finish({});
    Type(speed.findChild<TPNumEdit*>(QStringLiteral("EKp")), QStringLiteral("700"));
    EXPECT_TRUE(speed.Apply());
    EXPECT_EQ(Written(), (Pairs{{43, 700}}));
}

// Off line the controls are disabled and Ok stays, saying that nothing was written; the
// edits are still there to be written once the drive is back.
TEST_F(DialogPagesTest, OffLineOkKeepsThePageAndItsEdits) {
    Open<TFSpeed>(DeviceKind::Std, {}, TFSpeed::Applied());
    Type("EKp", QStringLiteral("700"));
    Choose("CRotary", 1);
    SetOnline(false);
    EXPECT_FALSE(Field("EKp")->isEnabled() || Find<QPushButton>("BApply")->isEnabled());
    Click("BOk");
    EXPECT_EQ(
        std::tuple(drive->Said(), page->isVisible(), page->HasEdits(), Field("EKp")->text()),
        std::tuple(QStringList{"Off Line: nothing was written."}, true, true, QString("700")));
    SetOnline(true);
    EXPECT_EQ(After("BOk"), (Pairs{{23, 700}, {70, 0x20}}));
    EXPECT_FALSE(page->isVisible());
}

} // namespace
} // namespace kelm
