// A seeded random walk over what a user does, with line faults between the steps, against
// the in-process simulator of every kind. The walk keeps its own oracle (WriteOracle.h):
// every write the simulator receives must belong to an action the walk performed on the
// unit the screen showed, to a register that action may write, before the next change of
// state; and while "On Line" is shown, a poll is answered within 1.5 s.
//
// KELM_WALK_STEPS (steps per kind and seed, default 100) and KELM_WALK_SEEDS (default 1,
// first seed KELM_WALK_SEED) make longer runs; the soak runs thousands of steps.
#include "../diagnostic/ToolFixture.h"
#include "WriteOracle.h"

#include "app/InstallFlows.h"
#include "core/common/Ticks.h"
#include "core/drive/TDriver.h"
#include "core/drive/status/StatusView.h"
#include "core/files/DeviceFile.h"
#include "core/rules/FieldBinding.h"
#include "ui/drive/SelectDrive.h"
#include "ui/drive/TFConnectD.h"
#include "ui/drive/TFOffLineSel.h"
#include "ui/pages/DialogPage.h"
#include "ui/pages/DialogPages.h"
#include "ui/tarnlink/TFTarnSel.h"
#include "ui/tarnlink/UnitPanel.h"
#include "ui/widgets/TPNumEdit.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <iostream>
#include <random>

namespace kelm::test {
namespace {

enum class Act {
    Select,
    Cancel,
    OffLine,
    CloseRead,
    Enable,
    Disable,
    Eeprom,
    Page,
    Silent,
    Answer,
    Wait,
    OpenFile
};
constexpr const char* ActNames[] = {"select", "cancel-overview", "off-line", "close-read",
                                    "enable", "disable",         "eeprom",   "page-edit",
                                    "silent", "answer",          "wait",     "open-file"};

struct Step {
    Act What;
    int A = 0; // unit, page, or kind
    int B = 0; // field
    int C = 0; // button, digits
};

QString Describe(const Step& s) {
    return QStringLiteral("%1(%2,%3,%4)")
        .arg(QLatin1String(ActNames[static_cast<int>(s.What)]))
        .arg(s.A)
        .arg(s.B)
        .arg(s.C);
}

int EnvInt(const char* name, int fallback) {
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok ? value : fallback;
}

// The unit and kind the status bar shows; unit -1 while "Off Line".
struct Screen {
    int Unit = -1;
    DeviceKind Kind = DeviceKind::Std;
};

class WriteWalkTest : public ToolFixture {
protected:
    struct Outcome {
        QString Violation;
        int FailedStep = -1;
    };

    std::vector<Step> Generate(sim::SimKind kind, std::uint32_t seed, int count) const {
        std::mt19937 random(seed);
        const auto pick = [&](int n) { return static_cast<int>(random() % std::uint32_t(n)); };
        const bool link = kind == sim::SimKind::Link;
        // Weights: selections and faults are rarer than edits and requests.
        const std::vector<std::pair<Act, int>> weights{
            {Act::Select, 6},  {Act::Cancel, link ? 2 : 0},
            {Act::OffLine, 1}, {Act::CloseRead, 1},
            {Act::Enable, 4},  {Act::Disable, 3},
            {Act::Eeprom, 2},  {Act::Page, 10},
            {Act::Silent, 1},  {Act::Answer, 3},
            {Act::Wait, 3},    {Act::OpenFile, 2}};
        int total = 0;
        for (const auto& w : weights)
            total += w.second;
        std::vector<Step> steps;
        steps.push_back({Act::Select, 1, 0, 0});
        while (static_cast<int>(steps.size()) < count) {
            int roll = pick(total);
            Act act = Act::Wait;
            for (const auto& [a, w] : weights) {
                if (roll < w) {
                    act = a;
                    break;
                }
                roll -= w;
            }
            steps.push_back({act, pick(4), pick(40), pick(1000)});
        }
        return steps;
    }

    // Runs the steps on a fresh window and simulator; the first violation, if any.
    Outcome Run(sim::SimKind kind, const std::vector<Step>& steps) {
        Restart(kind);
        WriteOracle oracle;
        Screen shown = Shown();
        const auto sample = [&] {
            const Screen s = Shown();
            oracle.Shown(TickCount(), s.Unit);
            if (s.Unit != shown.Unit || s.Kind != shown.Kind)
                oracle.Transition(TickCount());
            shown = s;
        };
        QTimer sampler;
        QObject::connect(&sampler, &QTimer::timeout, &sampler, sample);
        sampler.start(2);
        for (std::size_t i = 0; i < steps.size(); ++i) {
            sample();
            onlineSteps_ += shown.Unit >= 0;
            Perform(kind, steps[i], oracle);
            sample();
            QString violation = oracle.Check(Records());
            if (violation.isEmpty() && i % 6 == 5)
                violation = CheckPollAnswered();
            if (!violation.isEmpty())
                return {violation, static_cast<int>(i)};
        }
        return {};
    }

    void Restart(sim::SimKind kind) {
        window_.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        dialogs_.reset(); // the old script gives the seam back before the new one takes it
        dialogs_ = std::make_unique<ScriptedDialogs>();
        messages_.Clear();
        BuildEngine(kind);
        ClearRecords();
        Control(QStringLiteral("live * off"));
        if (kind != sim::SimKind::Std)
            ScanLinkPorts([] { return std::vector{DiscoveredPort{10, 1}}; });
        kind_ = kind;
        plan_ = {Act::Wait};
        dialogs_->SetDefaultDialogHandler([this](QDialog& d) { AnswerDialog(d); });
        ShellFlows flows = ProgramFlows();
        flows.Windows.erase(QStringLiteral("TFMainDev")); // pages are opened directly
        MakeWindow(std::move(flows), {QStringLiteral("kelmdrive"), QStringLiteral("travik")});
        window_->resize(1000, 700);
        window_->show(); // the start's selection is turned down
        WaitFor([this] { return window_->Started() && !dialogs_->Executed().empty(); });
    }

    Screen Shown() const {
        Screen s;
        if (window_->StatusPanelText(StatusPanel::LineState) != QLatin1String("On Line"))
            return s;
        const QString id = window_->StatusPanelText(StatusPanel::DeviceId);
        bool number = false;
        const int address = id.toInt(&number);
        if (number) {
            s.Unit = address;
        } else if (id == QLatin1String("Tarn Pwr")) {
            s = {1, DeviceKind::Power};
        } else if (id == QLatin1String("Tarn")) {
            s = {2, DeviceKind::Orca230};
        } else if (id.startsWith(QLatin1String("Tarn Drv"))) {
            s = {1 + id.mid(8).toInt(), DeviceKind::Drive};
        }
        return s;
    }

    // Answers every dialog from the plan of the step running (none: turned down).
    void AnswerDialog(QDialog& d) {
        const bool link = kind_ != sim::SimKind::Std;
        if (auto* select = qobject_cast<TFSelectDriver*>(&d)) {
            if (plan_.What == Act::OffLine) {
                select->BOffLine->click();
            } else if (plan_.What != Act::Wait) {
                select->EId->setText(QStringLiteral("1"));
                (link ? select->BLinkOk : select->BStdOk)->click();
            }
        } else if (auto* chooser = qobject_cast<TFOffLineSel*>(&d)) {
            chooser->Buttons[std::size_t(plan_.A % 4)]->click();
        } else if (auto* overview = qobject_cast<TFTarnSel*>(&d)) {
            const int index = plan_.A % overview->UnitCount();
            if (plan_.What == Act::Cancel)
                return;
            WaitFor([&] { return overview->Panel(index).SelectTag() != 0; }, 3000);
            overview->Panel(index).SelectButton->click(); // a silent unit: stays open
        } else if (auto* progress = qobject_cast<TFConnectD*>(&d)) {
            if (plan_.What == Act::CloseRead)
                return; // closed at once
            if (plan_.What == Act::OpenFile && plan_.A % 2 == 0) {
                WaitFor([&] { return progress->Position() > plan_.B; }, 3000);
                return; // the write closed part way
            }
            ScriptedDialogs::WaitClosed(d, 30000);
        }
    }

    void Perform(sim::SimKind kind, const Step& step, WriteOracle& oracle) {
        (void)kind;
        const Screen screen = Shown();
        const std::uint32_t start = TickCount();
        switch (step.What) {
        case Act::Select:
        case Act::Cancel:
        case Act::OffLine:
        case Act::CloseRead:
            oracle.Transition(start);
            plan_ = step;
            window_->Run(Command::SelectDrive);
            plan_ = {Act::Wait};
            break;
        case Act::Enable:
        case Act::Disable: {
            const bool enable = step.What == Act::Enable;
            const StatusRegisters r = StatusRegistersOf(screen.Kind);
            oracle.Ask({QLatin1String(ActNames[static_cast<int>(step.What)]),
                        screen.Unit,
                        {enable ? r.EnableRequest : r.DisableRequest},
                        start});
            window_->Run(enable ? Command::Enable : Command::Disable);
            break; // written by a later poll
        }
        case Act::Eeprom:
            oracle.Ask(
                {QStringLiteral("eeprom"), screen.Unit, {RegistersOf(screen.Kind).Command}, start});
            messages_.ScriptAnswers({true});
            window_->Run(Command::SaveEeprom);
            oracle.Done(TickCount());
            break;
        case Act::Page:
            EditPage(step, screen, oracle);
            break;
        case Act::OpenFile:
            OpenFile(step, screen, oracle);
            break;
        case Act::Silent:
            Control(QStringLiteral("silent * on"));
            break;
        case Act::Answer:
            Control(QStringLiteral("silent * off"));
            break;
        case Act::Wait:
            QTest::qWait(100 + step.C % 400);
            break;
        }
    }

    void EditPage(const Step& step, const Screen& screen, WriteOracle& oracle) {
        static const std::array<std::pair<const char*, void (*)(ShellHost&)>, 4> pages{
            {{"TFSpeed", &OpenSpeedPage},
             {"TFMotor", &OpenMotorPage},
             {"TFCurrent", &OpenCurrentPage},
             {"TFPosit", &OpenPositionPage}}};
        const auto& [name, open] = pages[std::size_t(step.A % 4)];
        open(*window_);
        DialogPage* page = OpenDialogPage(QString::fromLatin1(name));
        if (page == nullptr)
            return;
        std::vector<TPNumEdit*> fields;
        for (TPNumEdit* f : page->findChildren<TPNumEdit*>())
            if (f->isVisibleTo(page) && f->isEnabled())
                fields.push_back(f);
        std::set<std::uint16_t> registers;
        if (!fields.empty()) {
            TPNumEdit* field = fields[std::size_t(step.B) % fields.size()];
            const int tag = field->Tag();
            // A 32-bit field packs its two registers into the tag and is drawn twice as wide.
            if (field->minimumWidth() >= 180)
                registers = {WideTagLowRegister(tag), WideTagHighRegister(tag)};
            else
                registers = {static_cast<std::uint16_t>(tag)};
            field->setFocus();
            field->selectAll();
            QTest::keyClicks(field, QString::number(step.C));
            QTest::keyClick(field, Qt::Key_Return);
        }
        const int button = step.C % 4;
        const std::uint32_t start = TickCount();
        if (button < 2)
            oracle.Ask({QLatin1String(name) +
                            (button == 0 ? QLatin1String(" Apply") : QLatin1String(" Ok")),
                        screen.Unit, registers, start});
        QPointer<DialogPage> alive(page);
        QPushButton* buttons[] = {page->ApplyButton(), page->OkButton(), page->CancelButton()};
        if (button < 3) {
            if (buttons[button]->isEnabled())
                buttons[button]->click();
        } else {
            page->close();
        }
        if (button < 2)
            oracle.Done(TickCount());
        if (alive && button != 0)
            alive->close();
    }

    // File > Save As, then File > Open of that file: its values go to the drive, the
    // progress dialog closed part way or not.
    void OpenFile(const Step& step, const Screen& screen, WriteOracle& oracle) {
        const QString path = Folder() + QStringLiteral("walk") +
                             DeviceFileTypeOf(window_->Driver().CurrentKind()).Extension;
        const auto answer = [path](FileDialogRequest& request) {
            request.FileName = path;
            return true;
        };
        dialogs_->OnNextFileDialog(answer);
        window_->Run(Command::SaveAs);
        std::set<std::uint16_t> registers;
        for (const ParamEntry& entry : window_->Driver().ActiveTable())
            registers.insert(entry.Address);
        oracle.Ask({QStringLiteral("open file"), screen.Unit, registers, TickCount()});
        plan_ = step;
        dialogs_->OnNextFileDialog(answer);
        window_->Run(Command::Open);
        plan_ = {Act::Wait};
        oracle.Done(TickCount());
    }

    // "On Line" is shown only while the unit answers: a poll answered within 1.5 s, or the
    // screen off line by then.
    QString CheckPollAnswered() {
        const std::uint32_t since = TickCount();
        const int unit = Shown().Unit;
        if (unit < 0)
            return {};
        const bool ok = WaitFor(
            [&] {
                if (Shown().Unit != unit)
                    return true;
                for (const sim::ExchangeRecord& r : Records())
                    if (r.ms >= since && r.function == 3 && r.answered && r.address == unit)
                        return true;
                return false;
            },
            1500);
        return ok ? QString()
                  : QStringLiteral("no poll answered within 1.5 s while unit %1 "
                                   "was shown on line")
                        .arg(unit);
    }

    // A shorter list of steps that still fails: chunks of halving size are dropped while the
    // walk still breaks a rule (the first step, a selection, stays).
    std::vector<Step> Shrink(sim::SimKind kind, std::vector<Step> steps) {
        int budget = EnvInt("KELM_WALK_SHRINK", 24);
        for (std::size_t chunk = steps.size() / 2; chunk >= 1 && budget > 0; chunk /= 2) {
            for (std::size_t i = 1; i + chunk <= steps.size() && budget > 0; --budget) {
                std::vector<Step> fewer = steps;
                fewer.erase(fewer.begin() + std::ptrdiff_t(i),
                            fewer.begin() + std::ptrdiff_t(i + chunk));
                const Outcome outcome = fewer.size() > 1 ? Run(kind, fewer) : Outcome{};
                if (outcome.Violation.isEmpty())
                    i += chunk;
                else
                    steps.assign(fewer.begin(), fewer.begin() + outcome.FailedStep + 1);
            }
        }
        return steps;
    }

    void Walk(sim::SimKind kind) {
        const int count = EnvInt("KELM_WALK_STEPS", 100);
        const int seeds = EnvInt("KELM_WALK_SEEDS", 1);
        const int first = EnvInt("KELM_WALK_SEED", 1);
        for (int seed = first; seed < first + seeds; ++seed) {
            std::vector<Step> steps = Generate(kind, static_cast<std::uint32_t>(seed), count);
            const Outcome outcome = Run(kind, steps);
            int writes = 0;
            for (const sim::ExchangeRecord& r : Records())
                writes += r.function == 16;
            std::cout << "seed " << seed << ": " << steps.size() << " steps, " << onlineSteps_
                      << " on line, " << writes << " writes in the last run\n";
            onlineSteps_ = 0;
            if (outcome.Violation.isEmpty())
                continue;
            steps.resize(std::size_t(outcome.FailedStep) + 1);
            QStringList list;
            for (const Step& s : Shrink(kind, steps))
                list << Describe(s);
            ADD_FAILURE() << "seed " << seed << ": " << outcome.Violation.toStdString()
                          << "\nshortest steps: " << list.join(QStringLiteral(" ")).toStdString();
            return;
        }
    }

    sim::SimKind kind_ = sim::SimKind::Std;
    Step plan_{Act::Wait};
    int onlineSteps_ = 0;
};

TEST_F(WriteWalkTest, StandardDrive) {
    Walk(sim::SimKind::Std);
}

TEST_F(WriteWalkTest, OrcaOnItsLinkPort) {
    Walk(sim::SimKind::Orca);
}

TEST_F(WriteWalkTest, TarnLink) {
    Walk(sim::SimKind::Link);
}

} // namespace
} // namespace kelm::test
