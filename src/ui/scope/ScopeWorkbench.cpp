#include "ui/scope/ScopeWorkbench.h"

#include "core/config/ConfigurationSet.h"
#include "core/drive/TDriver.h"
#include "core/params/ParamTable.h"
#include "core/rules/GraphCursorMath.h"
#include "core/rules/LoopRules.h"
#include "core/settings/SettingsStore.h"
#include "ui/scope/GraphCursors.h"
#include "ui/scope/MeasurementPanel.h"
#include "ui/scope/ReferenceOverlay.h"
#include "ui/scope/ScopeExport.h"
#include "ui/scope/TFOscillo.h"
#include "ui/shell/ShellHost.h"
#include "ui/widgets/TPNumEdit.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QLineSeries>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>

namespace kelm {

namespace {

QLineSeries* SeriesNamed(QChart& chart, const QString& name) {
    for (QAbstractSeries* series : chart.series())
        if (series->name() == name)
            return qobject_cast<QLineSeries*>(series);
    return nullptr;
}

QValueAxis* ValueAxisOf(QLineSeries& series) {
    for (QAbstractAxis* axis : series.attachedAxes())
        if (axis->alignment() == Qt::AlignLeft || axis->alignment() == Qt::AlignRight)
            return qobject_cast<QValueAxis*>(axis);
    return nullptr;
}

} // namespace

GainSnapshot LoopGains(const ParamTable& table, DeviceKind kind) {
    const SpeedAddresses speed = SpeedAddressTable(kind);
    const CurrentAddresses current = CurrentAddressTable(kind);
    const std::pair<const char*, int> wanted[] = {
        {"Speed KP", speed.Kp},
        {"Speed KI", speed.Ki},
        {"Speed KP2", speed.Kd},
        {"PID filter", speed.PidFilter},
        {"Feedback filter", speed.Feedback},
        {"Current KP", current.Kp},
        {"Current Ti", current.Tn},
        {"I peak", current.Imax},
    };
    GainSnapshot gains;
    for (const auto& [name, address] : wanted)
        if (const ParamEntry* entry = table.FindByAddress(static_cast<std::uint16_t>(address)))
            gains.push_back({QString::fromLatin1(name), entry->DriveValue});
    return gains;
}

ScopeWorkbench::ScopeWorkbench(TFOscillo& scope, ShellHost& shell, QWidget* parent)
    : QWidget(parent), scope_(scope), shell_(shell) {
    setObjectName(QStringLiteral("PWork"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);

    measures_ = new MeasurementPanel(this);
    column->addWidget(measures_);

    QChart& chart = *scope.ChartView()->chart();
    ReferenceOverlay::Chart drawn;
    drawn.Chart = &chart;
    for (std::size_t ch = 0; ch < 2; ++ch) {
        QLineSeries* trace = scope.Trace(static_cast<int>(ch));
        drawn.Axes[ch] = ValueAxisOf(*trace);
        drawn.Colours[ch] = trace->pen().color();
        for (QAbstractAxis* axis : trace->attachedAxes())
            if (axis->alignment() == Qt::AlignBottom)
                drawn.Time = qobject_cast<QValueAxis*>(axis);
    }
    ReferenceOverlay::Hooks hooks;
    hooks.Live = [this]() -> std::optional<ReferenceTrace> {
        ReferenceTrace live;
        live.Record = LiveRecord();
        live.Captured = QDateTime::currentDateTime();
        live.Gains = liveGains_;
        return live;
    };
    hooks.Folder = [&shell] { return shell.Settings().ScopeFolder; };
    hooks.SetFolder = [&shell](const QString& folder) { shell.Settings().ScopeFolder = folder; };
    references_ = new ReferenceOverlay(drawn, std::move(hooks), this);
    column->addWidget(references_);
    column->addStretch(1);

    refresh_.setSingleShot(true);
    refresh_.setInterval(30);
    connect(&refresh_, &QTimer::timeout, this, [this] { Refresh(); });
    const auto later = [this] { refresh_.start(); };
    std::vector<QLineSeries*> watched{scope.Trace(0), scope.Trace(1)};
    for (const char* cursor : {"CH3", "CH4"})
        if (QLineSeries* line = SeriesNamed(chart, QString::fromLatin1(cursor)))
            watched.push_back(line);
    for (QLineSeries* series : watched) {
        connect(series, &QXYSeries::pointsReplaced, this, later);
        connect(series, &QXYSeries::pointsRemoved, this, later);
        connect(series, &QXYSeries::visibleChanged, this, later);
    }
    connect(measures_, &MeasurementPanel::OptionsChanged, this, later);
    refresh_.start(); // the window is still being built
}

QTableWidget* ScopeWorkbench::Table() const {
    return measures_->Table();
}

QComboBox* ScopeWorkbench::StepChoice() const {
    return measures_->StepChoice();
}

void ScopeWorkbench::Captured() {
    TDriver& driver = shell_.Driver();
    liveGains_ = LoopGains(driver.ActiveTable(), driver.CurrentKind());
    references_->SetLiveGains(liveGains_);
    refresh_.start();
}

ScopeRecording ScopeWorkbench::LiveRecord() const {
    ScopeRecording record;
    scope_.FillRecording(record);
    FillScopePoints(*scope_.Trace(0), *scope_.Trace(1), record);
    for (std::size_t ch = 0; ch < 2; ++ch) {
        record.Channels[ch].Offset = scope_.OffsetField(static_cast<int>(ch))->RdValore();
        record.Channels[ch].Enabled = scope_.Trace(static_cast<int>(ch))->isVisible();
    }
    return record;
}

void ScopeWorkbench::Refresh() {
    const ScopeRecording record = LiveRecord();
    MeasureOptions options = measures_->Options();
    if (scope_.Cursors().Mode() == cursors::TimeMode)
        MeasureBetween(SeriesNamed(*scope_.ChartView()->chart(), QStringLiteral("CH3")),
                       SeriesNamed(*scope_.ChartView()->chart(), QStringLiteral("CH4")), options);
    figures_ = MeasureRecord(record, options);
    units_ = SignalUnits(shell_.Driver().Config().ActiveScopeSet(), record);
    for (std::size_t ch = 0; ch < 2; ++ch)
        names_[ch] =
            QStringLiteral("Ch%1 %2").arg(ch + 1).arg(record.Channels[ch].Signal).trimmed();
    measures_->Show(figures_, units_);
}

QStringList ScopeWorkbench::Notes() {
    if (refresh_.isActive()) { // a change not counted yet
        refresh_.stop();
        Refresh();
    }
    return MeasurementNotes(figures_, names_, units_);
}

} // namespace kelm
