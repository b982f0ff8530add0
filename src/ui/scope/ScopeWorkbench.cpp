#include "ui/scope/ScopeWorkbench.h"

#include "core/config/ConfigurationSet.h"
#include "core/drive/TDriver.h"
#include "core/params/ParamTable.h"
#include "core/rules/GraphCursorMath.h"
#include "core/rules/LoopRules.h"
#include "ui/scope/GraphCursors.h"
#include "ui/scope/ReferenceOverlay.h"
#include "ui/scope/ScopeExport.h"
#include "ui/scope/TFOscillo.h"
#include "ui/shell/Principale.h"
#include "ui/shell/ShellHost.h"
#include "ui/widgets/TPNumEdit.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
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

    auto* measures = new QGroupBox(QStringLiteral(" Measurements "), this);
    measures->setObjectName(QStringLiteral("PMeas"));
    auto* grid = new QGridLayout(measures);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setSpacing(3);
    stepSource_ = new QComboBox(measures);
    stepSource_->addItems({QStringLiteral("Step at trigger"), QStringLiteral("Step from Ch1"),
                           QStringLiteral("Step from Ch2")});
    band_ = new QDoubleSpinBox(measures);
    band_->setRange(0.5, 20);
    band_->setSingleStep(0.5);
    band_->setDecimals(1);
    band_->setValue(2);
    band_->setSuffix(QStringLiteral(" %"));
    band_->setToolTip(QStringLiteral("Settling band"));
    range_ = new QLabel(measures);
    range_->setWordWrap(true);
    table_ = new QTableWidget(0, 2, measures);
    table_->setObjectName(QStringLiteral("TMeas"));
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->setWordWrap(false);
    table_->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    table_->setMinimumWidth(260);
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 2);
    table_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->addWidget(stepSource_, 0, 0);
    grid->addWidget(band_, 0, 1);
    grid->addWidget(range_, 1, 0, 1, 2);
    grid->addWidget(table_, 2, 0, 1, 2);
    column->addWidget(measures);

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
    hooks.Folder = [&shell] {
        auto* main = qobject_cast<TFPrincipale*>(shell.Window());
        return main != nullptr ? main->ScopeDialogFolder() : QString();
    };
    hooks.SetFolder = [&shell](const QString& folder) {
        if (auto* main = qobject_cast<TFPrincipale*>(shell.Window()))
            main->SetScopeDialogFolder(folder);
    };
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
    connect(stepSource_, &QComboBox::currentIndexChanged, this, later);
    connect(band_, &QDoubleSpinBox::valueChanged, this, later);
    refresh_.start(); // the window is still being built
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

std::array<QString, 2> ScopeWorkbench::Units(const ScopeRecording& record) const {
    std::array<QString, 2> units;
    for (const ScopeSignal& signal : shell_.Driver().Config().ActiveScopeSet())
        for (std::size_t ch = 0; ch < 2; ++ch)
            if (signal.Name == record.Channels[ch].Signal)
                units[ch] = signal.Unit.trimmed();
    return units;
}

void ScopeWorkbench::Refresh() {
    const ScopeRecording record = LiveRecord();
    MeasureOptions options;
    options.Step = static_cast<StepSampleFrom>(stepSource_->currentIndex());
    options.Band = band_->value() / 100;
    const QLineSeries* cursor1 = SeriesNamed(*scope_.ChartView()->chart(), QStringLiteral("CH3"));
    const QLineSeries* cursor2 = SeriesNamed(*scope_.ChartView()->chart(), QStringLiteral("CH4"));
    if (scope_.Cursors().Mode() == cursors::TimeMode && cursor1 != nullptr && cursor2 != nullptr &&
        cursor1->count() > 0 && cursor2->count() > 0) {
        options.From = cursor1->at(0).x();
        options.To = cursor2->at(0).x();
    }
    figures_ = MeasureRecord(record, options);
    units_ = Units(record);
    for (std::size_t ch = 0; ch < 2; ++ch)
        names_[ch] =
            QStringLiteral("Ch%1 %2").arg(ch + 1).arg(record.Channels[ch].Signal).trimmed();
    range_->setText(MeasurementRange(figures_));
    const std::vector<MeasurementRow> rows = MeasurementRows(figures_, units_);
    table_->setRowCount(static_cast<int>(rows.size()));
    table_->setHorizontalHeaderLabels({QStringLiteral("Ch1"), QStringLiteral("Ch2")});
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const MeasurementRow& row = rows[static_cast<std::size_t>(r)];
        table_->setVerticalHeaderItem(r, new QTableWidgetItem(row.Label));
        for (int ch = 0; ch < 2; ++ch) {
            auto* item = new QTableWidgetItem(row.Values[static_cast<std::size_t>(ch)]);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(r, ch, item); // the table owns its items
        }
    }
}

QStringList ScopeWorkbench::Notes() {
    if (refresh_.isActive()) { // a change not counted yet
        refresh_.stop();
        Refresh();
    }
    return MeasurementNotes(figures_, names_, units_);
}

} // namespace kelm
