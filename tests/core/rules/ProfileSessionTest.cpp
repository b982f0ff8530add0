#include "core/rules/ProfileSession.h"
#include "core/params/ParamTable.h"
#include "core/rules/FieldBinding.h"
#include "core/rules/ProfileRules.h"
#include "core/seams/RecordingMessages.h"

#include <QStringList>
#include <cmath>
#include <gtest/gtest.h>

namespace kelm {
namespace {

using Outcome = ProfileSession::Outcome;
constexpr int Task1 = 320, Task2 = 336;

struct ProfileSessionTest : ::testing::Test {
    ProfileSessionTest() : table(ParamTable::MakeSynthetic(QStringLiteral("R"), 256, 831)) {
        ProfileSession::Link link;
        link.Online = [this] { return online; };
        link.WriteChanged = [this] { return Step("write"); };
        link.SaveToFlash = [this] { return Step("save"); };
        link.LoadFromFlash = [this] { return Step("load"); };
        link.Transfer = [this](bool write) {
            Step(write ? QStringLiteral("p") : QStringLiteral("P"));
        };
        session = std::make_unique<ProfileSession>(table, std::move(link));
        session->SetShowAgain([this] { steps << "show"; });
        session->SetSpeedLimit(3000);
    }
    bool Step(const QString& name) {
        steps << name;
        if (name == closeAt)
            session->Detach();
        return driveAnswers;
    }
    void Set(int address, std::int16_t value) {
        ParamEntry& entry = *table.FindByAddress(static_cast<std::uint16_t>(address));
        entry.Value = entry.DriveValue = value;
    }
    std::int16_t Value(int address) { return table.FindByAddress(address)->Value; }

    ParamTable table;
    RecordingMessages messages;
    std::unique_ptr<ProfileSession> session;
    QStringList steps;
    bool online = true, driveAnswers = true;
    QString closeAt;
};

// Shown within each field's range; only what the user changed reaches the table.
TEST_F(ProfileSessionTest, ShowsWithinRangesAndStoresOnlyEdits) {
    Set(Task1 + 3, 0);      // acceleration below its minimum: shown as 10
    Set(Task1 + 7, -25536); // window time, unsigned
    Set(Task1 + 8, 40);     // no such successor: "None" in the table
    Set(Task1 + 5, -1), Set(Task1 + 6, -2);
    ProfileSession::TaskView view = session->LoadTask(0);
    EXPECT_EQ(view.Values, (ProfileSession::TaskValues{0, 10, 10, 10, -2, 40000, 0}));
    EXPECT_EQ(std::tuple(view.Successor, Value(Task1 + 8), view.SpeedMax), std::tuple(0, 0, 3000));
    EXPECT_TRUE(session->SuccessorMarked());

    view.Values[0] = -65536; // the position
    session->StoreTask(view.Values, 5);
    EXPECT_EQ(std::tuple(Value(Task1 + 3), Value(Task1), Value(Task1 + 1), Value(Task1 + 8)),
              std::tuple(0, -1, 0, 5));
    EXPECT_EQ(session->Marks(),
              (ProfileSession::TaskMarks{true, false, false, false, false, false, false}));
    // A stored speed over the maximum widens the speed field, and is reported.
    Set(Task2 + 2, 4000);
    view = session->LoadTask(1);
    EXPECT_TRUE(view.SpeedOverMax && view.SpeedMax == 4000 && view.Values[1] == 4000);
    session->ReportSpeedOverMax();
    EXPECT_EQ(messages.Texts().last(),
              "Speed Value Over Max Speed !\rSpeed = 4000\rMax Position Speed = 3000");
    session->Cancel();
    EXPECT_EQ(std::tuple(Value(Task1), Value(Task1 + 8)), std::tuple(0, 40));
}

TEST_F(ProfileSessionTest, HeaderWordsAndWhatAFailedWriteMeans) {
    using H = ProfileSession::Header;
    Set(257, 1), Set(258, -1);
    EXPECT_EQ(session->HeaderValue(H::PStop), 131071);
    EXPECT_EQ(session->CommitHeader(H::PStop, 131071), Outcome::Done);
    EXPECT_TRUE(steps.isEmpty()); // typed back: nothing written
    EXPECT_EQ(session->CommitHeader(H::NStop, -65536), Outcome::Done);
    EXPECT_EQ(std::tuple(Value(259), Value(260), session->HeaderMarked(H::NStop)),
              std::tuple(-1, 0, true));
    driveAnswers = false;
    EXPECT_EQ(session->CommitHeader(H::FirstTask, 3), Outcome::Failed);
    online = false;
    EXPECT_EQ(session->CommitHeader(H::FirstTask, 4), Outcome::Offline);
    closeAt = "write";
    EXPECT_EQ(session->CommitHeader(H::FirstTask, 5), Outcome::Closed);
}

TEST_F(ProfileSessionTest, ApplyFlashAndFileSequences) {
    session->LoadTask(4);
    EXPECT_EQ(session->Apply({}, 5), Outcome::Refused);
    EXPECT_EQ(messages.Texts(), QStringList{"Profile Loop!\r\nApply Aborted"});
    EXPECT_TRUE(steps.isEmpty());

    messages.ScriptAnswers({false, true, true});
    EXPECT_EQ(session->SaveToFlash(), Outcome::Refused);
    EXPECT_EQ(session->LoadFromFlash(), Outcome::Done);
    EXPECT_EQ(steps, (QStringList{"load", "P", "show"}));
    EXPECT_EQ(messages.Texts().last(), "Profiles Data Loaded !");
    steps.clear();
    closeAt = "P"; // the editor went away during the read: nothing more happens
    EXPECT_EQ(session->LoadFromFlash(), Outcome::Closed);
    EXPECT_EQ(steps, (QStringList{"load", "P"}));

    EXPECT_EQ(session->OpenFile(QStringLiteral("/nowhere/x.dev")), Outcome::Refused);
    EXPECT_EQ(messages.Texts().last(),
              "Different File Extensions\r/nowhere/x.dev\rFile not processed!");
    EXPECT_TRUE(ProfileSession::HasProfilesExtension(QStringLiteral("a.BCP")));
}

TEST(ProfileRules, DisplaySuccessorLoopLimitsAndTrapezoid) {
    using namespace profile;
    const struct {
        std::int16_t Stored;
        std::int32_t FieldMax, Shown;
    } shown[] = {{-25536, 65535, 40000}, {-1, 6000, -1}, {-1, 32767, -1}, {-1, 32768, 65535}};
    for (const auto& c : shown)
        EXPECT_EQ(ShownValue(c.Stored, c.FieldMax), c.Shown) << c.Stored << " " << c.FieldMax;

    const std::pair<std::int16_t, int> successors[] = {{0, 0},  {1, 1},  {32, 32},
                                                       {33, 0}, {-1, 0}, {-32768, 0}};
    for (const auto& [stored, index] : successors)
        EXPECT_EQ(SuccessorIndex(stored), index) << stored;

    // No successor is no loop (a task naming itself, tasks naming each other: the editor's);
    // no limit from a negative speed (those from 8000 and 3000 rpm: the editor's).
    EXPECT_EQ(std::tuple(IsProfileLoop(4, 0), MaxPositionSpeed(-5), SpeedOverMax(6001, 6000),
                         SpeedOverMax(6000, 6000)),
              std::tuple(false, 0, true, false));

    EXPECT_EQ(TaskBase(31) + 15, 831);
    // Ramps given for 6000 rpm are halved for 3000 rpm. (The points' places on the
    // logarithmic time axis are the chart's drawing.)
    const double x = TimeAxisMax();
    auto p = TrapezoidPoints(3000, 1000, 500, 6000, x);
    EXPECT_EQ(QStringList({p[0].Label, p[1].Label, p[2].Label, p[3].Label}),
              QStringList({"Start", "Acc = 500.0 ms", "Dec = 250.0 ms", "End"}));
    EXPECT_EQ(std::tuple(p[1].Y, p[3].X), std::tuple(3000, x));
    // A speed below 10 ramps as 10 but is drawn as typed; no maximum divides nothing by 0.
    p = TrapezoidPoints(5, 600, 600, 6000, x);
    EXPECT_EQ(std::tuple(p[1].Label, p[1].Y), std::tuple(QString("Acc = 1.0 ms"), 5));
    p = TrapezoidPoints(100, 600, 600, 0, x);
    EXPECT_TRUE(std::isfinite(p[1].X) && std::isfinite(p[2].X));

    EXPECT_EQ(
        (std::vector{SpeedAxisMax(1000, 6000), SpeedAxisMax(1001, 6000), SpeedAxisMax(500, 3001)}),
        (std::vector{1015, 6015, 515}));
}

} // namespace
} // namespace kelm
