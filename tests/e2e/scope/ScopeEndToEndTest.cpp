// The oscilloscope as a user meets it: the main window offscreen, kelmsim on a pseudo-terminal
// as COM1. A capture on a link unit plotted exactly as the drive recorded it; a plain drive's
// link lost in the middle of an upload.
#include "core/link/ModbusMaster.h"
#include "e2e/app/ProgramOnSim.h"
#include "ui/scope/OscilloWindow.h"
#include "ui/scope/TFOscillo.h"
#include "ui/widgets/TPNumEdit.h"

#include <QFile>
#include <QLineSeries>
#include <QMdiSubWindow>
#include <QToolButton>
#include <utility>

namespace kelm {
namespace {

using test::WaitFor;

struct ScopeRun : test::ProgramOnSim {
    void Connect(const QString& kind, int unit, DeviceKind expected) {
        ASSERT_NO_FATAL_FAILURE(Open(kind, unit, expected));
        window->Run(Command::Oscilloscope);
        scope = OscilloWindow();
        ASSERT_NE(scope, nullptr);
    }
    // Sizes of the sample-block reads of one channel in the simulator's log; a block asked
    // again after a reply lost to a loaded machine counts once.
    std::vector<int> BlockReads(int first) const {
        QFile log(Log());
        std::vector<int> sizes;
        int previous = -1;
        if (log.open(QIODevice::ReadOnly))
            for (const QByteArray& line : log.readAll().split('\n'))
                if (const QList<QByteArray> f = line.split(' ');
                    f.size() == 6 && f[2] == "3" && f[3].toInt() / 1000 == first &&
                    std::exchange(previous, f[3].toInt()) != f[3].toInt())
                    sizes.push_back(f[4].toInt());
        return sizes;
    }

    TFOscillo* scope = nullptr;
};

// On a link unit (link frames, blocks of 16 registers; the plain drive's blocks of 32 are the
// core's to check) both traces hold the drive's samples through the factor rule, then the
// closing point; the status panel's Enable request pressed during the upload goes out inside it.
TEST_F(ScopeRun, PlotsWhatTheDriveRecorded) {
    ASSERT_NO_FATAL_FAILURE(Connect("link", 1, DeviceKind::Drive));
    ASSERT_TRUE(sim.Command(QStringLiteral("set %1 50012 5").arg(window->Master().UnitAddress())));
    ASSERT_TRUE(sim.Command(QStringLiteral("delay 10"))); // room to press Enable mid-upload
    scope->EdgeButton(3)->click();
    scope->StartButton()->click();
    ASSERT_TRUE(WaitFor([&] { return scope->Session().Uploading(); }, 30000));
    EXPECT_FALSE(Panel().BAllarm->isEnabled());
    Panel().BDEn->click(); // written by the upload: the button comes up before it ends
    ASSERT_TRUE(WaitFor([&] { return !Panel().BDEn->isChecked(); }));
    EXPECT_TRUE(scope->Session().Uploading());
    ASSERT_TRUE(WaitFor([&] { return !scope->Session().Running(); }, 30000));
    EXPECT_TRUE(Panel().BAllarm->isEnabled());

    std::vector<int> blocks(31, 16); // 500 samples a channel
    blocks.push_back(4);
    EXPECT_EQ(BlockReads(51), blocks);
    EXPECT_EQ(BlockReads(52), blocks);
    TDriver& driver = window->Driver();
    const int n = scope->Capture().SampleCount();
    ASSERT_EQ(n, 500);
    driver.WaitIdle();
    for (int ch = 0; ch < 2; ++ch) {
        std::vector<std::uint16_t> raw(n);
        for (int i = 0; i < n; i += 25)
            ASSERT_TRUE(driver.ReadRegs(static_cast<std::uint16_t>(51000 + 1000 * ch + i),
                                        raw.data() + i, true, 100, 25, nullptr));
        const auto factor = driver.ScopeSettingsTable().FindByAddress(50012 + ch)->DriveValue;
        EXPECT_EQ(factor, ch == 0 ? 5 : 2);
        const QList<QPointF> points = scope->Trace(ch)->points();
        ASSERT_EQ(points.size(), n + 1);
        for (int i = 0; i < n; ++i)
            ASSERT_EQ(points[i].y(), scope::ScaledSample(static_cast<std::int16_t>(raw[i]), factor,
                                                         scope->OffsetField(ch)->RdValore()))
                << ch << ":" << i;
        EXPECT_EQ(points[n], QPointF(driver.ScopeSettingsTable().FindByAddress(50001)->DriveValue,
                                     points[n - 1].y()));
    }
    driver.SetMode(WorkerMode::StatusPoll);
    EXPECT_TRUE(messages.Texts().isEmpty()) << messages.Texts().join('|').toStdString();
}

// The drive falls silent while the samples come in: the upload ends, nothing is plotted,
// the other windows are given back, and off line Start is not offered (it would write).
TEST_F(ScopeRun, LinkLostDuringUploadGivesEverythingBack) {
    ASSERT_NO_FATAL_FAILURE(Connect("std", 0, DeviceKind::Std));
    ASSERT_TRUE(sim.Command(QStringLiteral("delay 10")));
    QMdiSubWindow* mainPage = window->FindChildWindow(QStringLiteral("TFMainDev"));
    ASSERT_NE(mainPage, nullptr);
    scope->StartButton()->click();
    ASSERT_TRUE(WaitFor([&] { return scope->Session().Uploading(); }, 30000));
    EXPECT_FALSE(mainPage->isEnabled());
    ASSERT_TRUE(sim.Command(QStringLiteral("silent * on")));
    ASSERT_TRUE(WaitFor(
        [&] { return !scope->Session().Running() && !scope->Session().PostProcessingPending(); },
        30000));
    EXPECT_FALSE(window->Driver().Online() || scope->StartButton()->isChecked());
    EXPECT_EQ(scope->Trace(0)->count(), 0);
    EXPECT_TRUE(!scope->StartButton()->isEnabled() && mainPage->isEnabled());
    EXPECT_EQ(messages.Texts(), QStringList{"Device not Respondig"});
}

} // namespace
} // namespace kelm
