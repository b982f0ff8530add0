#include "ui/scope/TFRegOsc.h"

#include "core/config/ConfigurationSet.h"
#include "core/drive/TDriver.h"
#include "core/files/ScopeFile.h"
#include "core/rules/GraphCursorMath.h"
#include "core/rules/OscilloMath.h"
#include "ui/scope/GraphCursors.h"
#include "ui/scope/MeasurementPanel.h"
#include "ui/scope/OffsetTrack.h"
#include "ui/scope/ReferenceOverlay.h"
#include "ui/scope/ScopeExport.h"
#include "ui/shell/ShellHost.h"
#include "ui/widgets/TPNumEdit.h"

#include <QChart>
#include <QChartView>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QValueAxis>
#include <algorithm>
#include <cstdlib>

namespace kelm {

namespace {

const std::array<QColor, 2> kColours{QColor(Qt::red), QColor(80, 120, 255)};

QValueAxis* MakeAxis(QChart* chart, const QColor& labels, Qt::Alignment where) {
    auto* axis = new QValueAxis(chart);
    axis->setLabelsColor(labels);
    axis->setGridLineColor(QColor(70, 70, 70));
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setLabelFormat(QStringLiteral("%g"));
    chart->addAxis(axis, where);
    return axis;
}

} // namespace

TFRegOsc::TFRegOsc(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TFRegOsc"));
    auto* chart = new QChart;
    chart->legend()->hide();
    chart->setBackgroundBrush(Qt::black);
    chart->setMargins(QMargins(4, 4, 4, 4));
    auto* view = new QChartView(chart, this);
    view_ = view;
    view->setRenderHint(QPainter::Antialiasing);
    view->setRubberBand(QChartView::RectangleRubberBand);
    view->setMinimumSize(300, 300);
    timeAxis_ = MakeAxis(chart, Qt::lightGray, Qt::AlignBottom);
    timeAxis_->setTitleText(QStringLiteral("ms"));
    timeAxis_->setTitleBrush(Qt::lightGray);
    for (std::size_t ch = 0; ch < 2; ++ch) {
        axes_[ch] = MakeAxis(chart, kColours[ch], ch == 0 ? Qt::AlignLeft : Qt::AlignRight);
        axes_[ch]->setGridLineVisible(ch == 0);
        traces_[ch] = new QLineSeries(chart);
        traces_[ch]->setPen(QPen(kColours[ch], 2));
        chart->addSeries(traces_[ch]);
        traces_[ch]->attachAxis(timeAxis_);
        traces_[ch]->attachAxis(axes_[ch]);
    }
    std::array<QLineSeries*, 2>& cursorLines = cursorLines_;
    for (std::size_t i = 0; i < 2; ++i) {
        cursorLines[i] = new QLineSeries(chart);
        cursorLines[i]->setPen(QPen(Qt::white, 1, i == 0 ? Qt::DashDotLine : Qt::DashLine));
        chart->addSeries(cursorLines[i]);
        cursorLines[i]->attachAxis(timeAxis_);
        cursorLines[i]->attachAxis(axes_[0]);
    }

    // Read-only settings of the record.
    auto* panel = new QWidget(this);
    auto* column = new QVBoxLayout(panel);
    auto* trigger = new QGroupBox(QStringLiteral(" Trigger "), panel);
    trigger->setEnabled(false);
    auto* tg = new QGridLayout(trigger);
    edge_ = new QLabel(trigger);
    level_ = new QLabel(trigger);
    tg->addWidget(new QLabel(QStringLiteral("Edge"), trigger), 0, 0);
    tg->addWidget(edge_, 0, 1);
    tg->addWidget(new QLabel(QStringLiteral("Level"), trigger), 1, 0);
    tg->addWidget(level_, 1, 1);
    auto* time = new QGroupBox(QStringLiteral(" Time Base "), panel);
    auto* tb = new QGridLayout(time);
    timeBase_ = new QLabel(time);
    delay_ = new QLabel(time);
    tb->addWidget(timeBase_, 0, 0, 1, 2);
    tb->addWidget(new QLabel(QStringLiteral("Delay"), time), 1, 0);
    tb->addWidget(delay_, 1, 1);
    column->addWidget(trigger);
    column->addWidget(time);
    for (std::size_t ch = 0; ch < 2; ++ch) {
        auto* group = new QGroupBox(
            ch == 0 ? QStringLiteral(" Channel 1 ") : QStringLiteral(" Channel 2 "), panel);
        auto* grid = new QGridLayout(group);
        switches_[ch] = new QPushButton(QStringLiteral("View"), group);
        switches_[ch]->setCheckable(true);
        signals_[ch] = new QLabel(group);
        scales_[ch] = new QLabel(group);
        offsets_[ch] = new TPNumEdit(group);
        offsets_[ch]->SetIsNegative(true);
        offsets_[ch]->WrMin(-32768);
        offsets_[ch]->WrMax(32767);
        grid->addWidget(switches_[ch], 0, 0, 1, 2);
        grid->addWidget(new QLabel(QStringLiteral("View"), group), 1, 0);
        grid->addWidget(signals_[ch], 1, 1);
        grid->addWidget(new QLabel(QStringLiteral("Scale"), group), 2, 0);
        grid->addWidget(scales_[ch], 2, 1);
        grid->addWidget(new QLabel(QStringLiteral("Offset"), group), 3, 0);
        grid->addWidget(offsets_[ch], 3, 1);
        tracks_[ch] = new OffsetTrack(kColours[ch], ch == 0, this);
        const int channel = static_cast<int>(ch);
        BindOffset(*offsets_[ch], *tracks_[ch],
                   [this, channel](int offset) { ApplyOffset(channel, offset); });
        column->addWidget(group);
    }
    auto* exportCsv = new QPushButton(QStringLiteral("&Export CSV…"), panel);
    auto* savePicture = new QPushButton(QStringLiteral("Save &Picture…"), panel);
    connect(exportCsv, &QPushButton::clicked, this, [this] {
        ScopeRecording shown;
        FillRecording(shown);
        ExportScopeCsv(this, shown);
    });
    connect(savePicture, &QPushButton::clicked, this, [this] { SaveScopePicture(this, *view_); });
    overlays_ = new ReferenceOverlay({chart, timeAxis_, axes_, kColours}, {}, this);
    measures_ = new MeasurementPanel(panel);
    column->addWidget(measures_);
    column->addWidget(exportCsv);
    column->addWidget(savePicture);
    column->addStretch(1);

    auto* cursorGroup = new QGroupBox(QStringLiteral(" Cursors "), this);
    auto* cg = new QGridLayout(cursorGroup);
    auto* enable = new QPushButton(QStringLiteral("Enabled"), cursorGroup);
    enable->setCheckable(true);
    auto* cTime = new QRadioButton(QStringLiteral("Time"), cursorGroup);
    auto* cCh1 = new QRadioButton(QStringLiteral("Channel 1"), cursorGroup);
    auto* cCh2 = new QRadioButton(QStringLiteral("Channel 2"), cursorGroup);
    std::array<QLabel*, 3> readouts{};
    int col = 0;
    for (QWidget* w : std::initializer_list<QWidget*>{enable, cTime, cCh1, cCh2})
        cg->addWidget(w, 0, col++);
    for (std::size_t i = 0; i < readouts.size(); ++i) {
        readouts[i] = new QLabel(cursorGroup);
        readouts[i]->setMinimumWidth(120);
        cg->addWidget(readouts[i], 1, static_cast<int>(i));
    }
    GraphCursors::Controls controls{view,  cursorLines[0], cursorLines[1], timeAxis_,
                                    axes_, enable,         cTime,          cCh1,
                                    cCh2,  readouts[0],    readouts[1],    readouts[2]};
    cursors_ = new GraphCursors(controls, this);

    status_ = new QLabel(this);
    status_->setFrameShape(QFrame::StyledPanel);
    auto* chartRow = new QHBoxLayout;
    chartRow->setSpacing(0);
    chartRow->addWidget(tracks_[0]);
    chartRow->addWidget(view, 1);
    chartRow->addWidget(tracks_[1]);
    auto* root = new QGridLayout(this);
    root->addLayout(chartRow, 0, 0);
    root->addWidget(panel, 0, 1, 3, 1);
    root->addWidget(cursorGroup, 1, 0);
    root->addWidget(overlays_, 2, 0);
    root->addWidget(status_, 3, 0, 1, 2);
    root->setColumnStretch(0, 1);
    root->setRowStretch(0, 1);
    for (std::size_t ch = 0; ch < 2; ++ch)
        connect(switches_[ch], &QPushButton::toggled, this,
                [this, ch] { SwitchChanged(static_cast<int>(ch)); });
    // The tracks follow the chart's plot area a moment after it changes.
    layoutTimer_.setSingleShot(true);
    layoutTimer_.setInterval(50);
    connect(&layoutTimer_, &QTimer::timeout, this, [this] { LayoutTracks(); });
    connect(chart, &QChart::plotAreaChanged, this, [this] { layoutTimer_.start(); });
    // The figures follow the switches, the time cursors and the panel's choices.
    measureTimer_.setSingleShot(true);
    measureTimer_.setInterval(30);
    connect(&measureTimer_, &QTimer::timeout, this, [this] { Measure(); });
    const auto later = [this] { measureTimer_.start(); };
    for (QLineSeries* line : cursorLines_) {
        connect(line, &QXYSeries::pointsReplaced, this, later);
        connect(line, &QXYSeries::pointsRemoved, this, later);
    }
    for (QLineSeries* trace : traces_)
        connect(trace, &QXYSeries::visibleChanged, this, later);
    connect(measures_, &MeasurementPanel::OptionsChanged, this, later);
}

void TFRegOsc::SetUnits(const std::array<QString, 2>& units) {
    units_ = units;
    Measure();
}

void TFRegOsc::Measure() {
    measureTimer_.stop();
    ScopeRecording shown;
    FillRecording(shown);
    for (std::size_t ch = 0; ch < 2; ++ch)
        shown.Channels[ch].Enabled = switches_[ch]->isChecked();
    MeasureOptions options = measures_->Options();
    if (cursors_->Mode() == cursors::TimeMode)
        MeasureBetween(cursorLines_[0], cursorLines_[1], options);
    measures_->Show(MeasureRecord(shown, options), units_);
}

void TFRegOsc::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    layoutTimer_.start();
}

void TFRegOsc::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutTimer_.start();
}

void TFRegOsc::LayoutTracks() {
    for (std::size_t ch = 0; ch < 2; ++ch)
        tracks_[ch]->FollowChart(*view_, offsets_[ch]->RdMin(), offsets_[ch]->RdMax(),
                                 offsets_[ch]->RdValore());
}

void TFRegOsc::FillRecording(ScopeRecording& recording) const {
    recording = recording_;
    for (std::size_t ch = 0; ch < 2; ++ch)
        recording.Channels[ch].Offset = lastOffsets_[ch];
    FillScopePoints(*traces_[0], *traces_[1], recording);
}

bool TFRegOsc::Load(const QString& path) {
    ScopeRecording recording;
    const ScopeReadResult result = ReadScopeFile(path, recording);
    if (!result.Ok)
        return false;
    setWindowTitle(QStringLiteral(" File: ") + path);
    status_->setText(QLatin1Char(' ') + recording.GeneratedOn);
    edge_->setText(recording.TriggerSlope == 1   ? QStringLiteral("Rising")
                   : recording.TriggerSlope == 2 ? QStringLiteral("Falling")
                                                 : QStringLiteral("Auto"));
    level_->setText(QString::number(recording.TriggerLevel));
    timeBase_->setText(recording.TimeBase);
    delay_->setText(QString::number(recording.Delay) + QStringLiteral(" ms"));
    const std::array<double, 2> increments{recording.LeftIncrement, recording.RightIncrement};
    for (std::size_t ch = 0; ch < 2; ++ch) {
        const ScopeChannelSettings& settings = recording.Channels[ch];
        const AxisRange range = VerticalAxisRange(increments[ch]);
        axes_[ch]->setRange(range.Min, range.Max);
        axes_[ch]->setTickAnchor(0);
        axes_[ch]->setTickInterval(increments[ch] > 0 ? increments[ch] : 1);
        signals_[ch]->setText(settings.Signal);
        scales_[ch]->setText(settings.Scale);
        // The marker spans the axis as in the window; an offset beyond it widens the span.
        const int span = std::max(oscillo::OffsetRangeForScale(qRound(increments[ch])).Max,
                                  std::abs(settings.Offset));
        offsets_[ch]->WrMin(-span);
        offsets_[ch]->WrMax(span);
        offsets_[ch]->WrValore(settings.Offset);
        lastOffsets_[ch] = settings.Offset;
        fileOffsets_[ch] = settings.Offset;
        // A channel the file left off cannot be shown.
        switches_[ch]->setEnabled(settings.Enabled);
        switches_[ch]->setChecked(settings.Enabled);
        SwitchChanged(static_cast<int>(ch));
    }
    const AxisRange time = TimeAxisRange(recording.BottomIncrement);
    timeAxis_->setRange(time.Min, time.Max);
    timeAxis_->setTickInterval(recording.BottomIncrement > 0 ? recording.BottomIncrement : 1);
    QList<QPointF> first, second;
    for (const ScopePoint& point : recording.Points) {
        first.append({point.X, point.Y1});
        second.append({point.X, point.Y2});
    }
    stored_ = {first, second};
    recording_ = recording;
    recording_.Points.clear();
    traces_[0]->replace(first);
    traces_[1]->replace(second);
    Measure();
    return true;
}

void TFRegOsc::SwitchChanged(int channel) {
    const auto ch = static_cast<std::size_t>(channel);
    const bool on = switches_[ch]->isChecked();
    switches_[ch]->setText(on ? QStringLiteral("Hide") : QStringLiteral("View"));
    traces_[ch]->setVisible(on);
    offsets_[ch]->setEnabled(on);
    tracks_[ch]->setEnabled(on);
    const bool firstOn = switches_[0]->isChecked();
    axes_[0]->setGridLineVisible(firstOn);
    axes_[1]->setGridLineVisible(!firstOn);
}

// The file holds display values: an offset moves every stored point by its difference to
// the file's offset. Shifting from the stored points (not the shown ones) keeps them exact
// however often the offset changes.
void TFRegOsc::ApplyOffset(int channel, int offset) {
    const auto ch = static_cast<std::size_t>(channel);
    if (offset == lastOffsets_[ch])
        return;
    const int shift = offset - fileOffsets_[ch];
    QList<QPointF> points = stored_[ch];
    if (shift != 0)
        for (QPointF& point : points)
            point.setY(point.y() + shift);
    traces_[ch]->replace(points);
    lastOffsets_[ch] = offset;
}

void OpenTraceViewer(ShellHost& shell, const QString& path) {
    auto* viewer = new TFRegOsc;
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    if (!viewer->Load(path)) {
        delete viewer;
        return;
    }
    ScopeRecording record;
    viewer->FillRecording(record);
    viewer->SetUnits(SignalUnits(shell.Driver().Config().ActiveScopeSet(), record));
    if (QMdiArea* area = shell.Frame()) {
        QMdiSubWindow* sub = area->addSubWindow(viewer);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        // 800 x 576 where the frame has room, else the frame's size (never below the
        // content).
        const QSize room = area->viewport()->size() - QSize(10, 0);
        sub->resize(QSize(800, 576).boundedTo(room).expandedTo(sub->minimumSizeHint()));
        sub->move(10, 0);
        sub->show();
    } else {
        viewer->setParent(shell.Window(), Qt::Window);
        viewer->show();
    }
}

} // namespace kelm
