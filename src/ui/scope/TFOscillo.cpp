#include "ui/scope/TFOscillo.h"

#include "core/config/ConfigurationSet.h"
#include "core/drive/TDriver.h"
#include "core/drive/scope/ScopeSettingsFile.h"
#include "core/files/ScopeFile.h"
#include "core/seams/Messages.h"
#include "core/settings/SettingsStore.h"
#include "ui/pages/MainDevPage.h"
#include "ui/pages/TFMainDev.h"
#include "ui/scope/GraphCursors.h"
#include "ui/scope/OffsetTrack.h"
#include "ui/scope/OscilloMath.h"
#include "ui/scope/ScopeExport.h"
#include "ui/seams/DialogRunner.h"
#include "ui/shell/Principale.h"
#include "ui/shell/ShellHost.h"
#include "ui/widgets/ChildFrame.h"
#include "ui/widgets/TPNumEdit.h"

#include <QAction>
#include <QButtonGroup>
#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QToolButton>
#include <QVBoxLayout>
#include <QValueAxis>

namespace kelm {

namespace {

const char* const kTimeBaseTexts[] = {"1 ms/div",   "2 ms/div",  "5 ms/div",   "10 ms/div",
                                      "20 ms/div",  "50 ms/div", "100 ms/div", "200 ms/div",
                                      "500 ms/div", "1 s/div"};

void StyleSwitch(QPushButton* button, const QColor& colour) {
    const bool on = button->isChecked();
    button->setText(on ? QStringLiteral("Enabled") : QStringLiteral("Disabled"));
    button->setStyleSheet(on ? QStringLiteral("color: %1; font-weight: bold;").arg(colour.name())
                             : QString());
}

TPNumEdit* NumberField(int min, int max, QWidget* parent) {
    auto* field = new TPNumEdit(parent);
    field->SetIsNegative(min < 0);
    field->WrMin(min);
    field->WrMax(max);
    field->WrValore(0);
    return field;
}

// Enter (swallowed) or leaving the field runs the action.
void OnEnterOrExit(TPNumEdit* field, const std::function<void(TPNumEdit&)>& action) {
    field->SetKeyHandler([action](TPNumEdit& edit, QKeyEvent& key) {
        if (key.key() != Qt::Key_Return && key.key() != Qt::Key_Enter)
            return false;
        action(edit);
        return true;
    });
    field->SetExitHandler(action);
}

} // namespace

TFOscillo::TFOscillo(ShellHost& shell, QWidget* parent)
    : QWidget(parent), shell_(shell), capture_(std::make_unique<ScopeCapture>(shell.Driver())),
      session_(std::make_unique<ScopeSession>(shell.Driver(), *capture_)),
      model_(shell.Driver().ScopeSettingsTable(), shell.Driver().Config().ActiveScopeSet()) {
    setObjectName(QStringLiteral("TFOscillo"));
    setWindowTitle(QStringLiteral("Oscilloscope"));
    setMinimumSize(650, 556);
    channels_[0].Index = 0;
    channels_[0].Colour = Qt::red;
    channels_[1].Index = 1;
    channels_[1].Colour = QColor(80, 120, 255);
    capture_->Install();
    // Each upload step carries the status panel's pending requests (the poll is held).
    capture_->SetPendingRequests([&shell] { shell.ServicePendingRequests(); });

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(2, 2, 2, 2);
    BuildMenu(this);
    root->setMenuBar(findChild<QMenuBar*>());
    BuildChart();

    auto* body = new QHBoxLayout;
    auto* chartColumn = new QVBoxLayout;
    auto* chartRow = new QHBoxLayout;
    chartRow->setSpacing(0);
    for (ChannelView& ch : channels_) {
        ch.Track = new OffsetTrack(ch.Colour, ch.Index == 0, this);
        ch.Track->setObjectName(ch.Index == 0 ? QStringLiteral("POfs1") : QStringLiteral("POfs2"));
    }
    chartRow->addWidget(channels_[0].Track);
    chartRow->addWidget(view_, 1);
    chartRow->addWidget(channels_[1].Track);
    chartColumn->addLayout(chartRow, 1);
    cursorGroup_ = BuildCursorGroup();
    cursorGroup_->hide(); // shown by the first layout
    chartColumn->addWidget(cursorGroup_);
    body->addLayout(chartColumn, 1);
    body->addWidget(BuildPanel());
    root->addLayout(body, 1);

    // The status panel (samples and upload progress) stays hidden.
    statusPanel_ = new QWidget(this);
    auto* statusRow = new QHBoxLayout(statusPanel_);
    samplesLabel_ = new QLabel(QStringLiteral(" Nr. Samples = "), statusPanel_);
    progress_ = new QProgressBar(statusPanel_);
    statusRow->addWidget(samplesLabel_);
    statusRow->addWidget(progress_, 1);
    root->addWidget(statusPanel_);
    statusPanel_->hide();

    GraphCursors::Controls controls;
    controls.View = view_;
    controls.Cursor1 = cursor1_;
    controls.Cursor2 = cursor2_;
    controls.TimeAxis = timeAxis_;
    controls.ChannelAxes = {channels_[0].Axis, channels_[1].Axis};
    controls.Switch = bEnCur_;
    controls.Time = cTime_;
    controls.Channel1 = cCh1_;
    controls.Channel2 = cCh2_;
    controls.Readout1 = l1_;
    controls.Readout2 = l2_;
    controls.Difference = lD_;
    cursors_ = new GraphCursors(controls, this);

    layoutTimer_.setSingleShot(true);
    layoutTimer_.setInterval(100);
    connect(&layoutTimer_, &QTimer::timeout, this, [this] { InitialLayout(); });
    connect(chart_, &QChart::plotAreaChanged, this, [this] {
        if (laidOut_)
            layoutTimer_.start();
    });

    ScopeSession::Observer observer;
    observer.Settings = [this] {
        return scope::ArmSettings{static_cast<std::int16_t>(eLev_->RdValore()),
                                  static_cast<std::int16_t>(xPos_->RdValore()),
                                  static_cast<std::int16_t>(model_.UnitsPerDivision(0)),
                                  static_cast<std::int16_t>(model_.UnitsPerDivision(1))};
    };
    observer.Continuous = [this] { return rCont_->isChecked(); };
    observer.RunControlsReset = [this] { SetRunning(false); };
    observer.UploadStarting = [this] {
        bClr_->setEnabled(false);
        progress_->setMaximum(1000);
        progress_->setValue(0);
        shell_.HoldAlarmButton(true);
        GiveWindowsBack(false);
    };
    observer.Progress = [this] {
        UploadProgress& counters = capture_->Progress();
        if (progress_->maximum() != counters.Maximum)
            progress_->setMaximum(counters.Maximum);
        if (const int added = counters.TakeNewRegisters(); added > 0) {
            progress_->setValue(progress_->value() + added);
            shell_.StatusRefresh();
        }
    };
    observer.UploadEnded = [this](bool plot) { Plot(plot); };
    session_->SetObserver(observer);
    shell_.SetOscilloscopeOpen(true);
}

TFOscillo::~TFOscillo() = default;

std::int16_t TFOscillo::ScopeDriveValue(std::uint16_t address) const {
    const ParamEntry* entry = shell_.Driver().ScopeSettingsTable().FindByAddress(address);
    return entry != nullptr ? entry->DriveValue : 0;
}

TPNumEdit* TFOscillo::OffsetField(int channel) const {
    return channels_[static_cast<std::size_t>(channel)].Offset;
}

void TFOscillo::BuildChart() {
    chart_ = new QChart;
    chart_->legend()->hide();
    chart_->setBackgroundBrush(Qt::black);
    chart_->setPlotAreaBackgroundVisible(false);
    chart_->setMargins(QMargins(4, 4, 4, 4));
    chart_->setAnimationOptions(QChart::NoAnimation);
    view_ = new QChartView(chart_, this);
    view_->setObjectName(QStringLiteral("MyGr"));
    view_->setRenderHint(QPainter::Antialiasing);
    view_->setRubberBand(QChartView::RectangleRubberBand);
    view_->setMinimumSize(300, 300);

    timeAxis_ = new QValueAxis(chart_);
    timeAxis_->setLabelsColor(Qt::lightGray);
    timeAxis_->setGridLineColor(QColor(70, 70, 70));
    timeAxis_->setMinorTickCount(0);
    timeAxis_->setLabelFormat(QStringLiteral("%g"));
    timeAxis_->setTickType(QValueAxis::TicksDynamic);
    timeAxis_->setTitleText(QStringLiteral("ms"));
    timeAxis_->setTitleBrush(Qt::lightGray);
    chart_->addAxis(timeAxis_, Qt::AlignBottom);
    const char* names[] = {"Ch1", "Ch2"};
    for (ChannelView& ch : channels_) {
        ch.Axis = new QValueAxis(chart_);
        ch.Axis->setLabelsColor(ch.Colour);
        ch.Axis->setGridLineColor(QColor(70, 70, 70));
        ch.Axis->setTickType(QValueAxis::TicksDynamic);
        ch.Axis->setLabelFormat(QStringLiteral("%g"));
        ch.Axis->setGridLineVisible(ch.Index == 0);
        chart_->addAxis(ch.Axis, ch.Index == 0 ? Qt::AlignLeft : Qt::AlignRight);
        ch.Series = new QLineSeries(chart_);
        ch.Series->setName(QString::fromLatin1(names[ch.Index]));
        ch.Series->setPen(QPen(ch.Colour, 2));
        chart_->addSeries(ch.Series);
        ch.Series->attachAxis(timeAxis_);
        ch.Series->attachAxis(ch.Axis);
    }
    cursor1_ = new QLineSeries(chart_);
    cursor1_->setName(QStringLiteral("CH3"));
    cursor1_->setPen(QPen(Qt::white, 1, Qt::DashDotLine));
    cursor2_ = new QLineSeries(chart_);
    cursor2_->setName(QStringLiteral("CH4"));
    cursor2_->setPen(QPen(Qt::white, 1, Qt::DashLine));
    for (QLineSeries* cursor : {cursor1_, cursor2_}) {
        chart_->addSeries(cursor);
        cursor->attachAxis(timeAxis_);
        cursor->attachAxis(channels_[0].Axis);
    }
}

void TFOscillo::BuildMenu(QWidget* host) {
    auto* bar = new QMenuBar(host);
    QMenu* menu = bar->addMenu(QStringLiteral("&Oscilloscope"));
    startAction_ = menu->addAction(QStringLiteral("&Start"), this, [this] { StartClicked(); });
    startAction_->setShortcut(Qt::Key_F5);
    menu->addSeparator();
    QAction* open = menu->addAction(QStringLiteral("&Open file"), this, [this] { OpenFile(); });
    open->setShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
    QAction* save =
        menu->addAction(QStringLiteral("&Save to file"), this, [this] { SaveToFile(); });
    save->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    menu->addSeparator();
    menu->addAction(QStringLiteral("Export CSV…"), this, [this] { ExportCsv(); });
    menu->addAction(QStringLiteral("Save Picture…"), this, [this] { SavePicture(); });
}

QWidget* TFOscillo::BuildPanel() {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("PCtrl"));
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);

    auto* run = new QGroupBox(panel);
    auto* runLayout = new QVBoxLayout(run);
    rSingle_ = new QRadioButton(QStringLiteral("Single Acquisition"), run);
    rCont_ = new QRadioButton(QStringLiteral("Continuous Acquisition"), run);
    bGo_ = new QPushButton(QStringLiteral("Start"), run);
    bGo_->setObjectName(QStringLiteral("BGo"));
    bGo_->setCheckable(true);
    // Lit while a capture runs.
    bGo_->setStyleSheet(QStringLiteral("QPushButton:checked { font-weight: bold; color: white; "
                                       "background: #1a8f2a; }"));
    bStop_ = new QPushButton(QStringLiteral("Stop"), run);
    bClr_ = new QPushButton(QStringLiteral("Clear"), run);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {bGo_, bStop_, bClr_})
        buttons->addWidget(b);
    runLayout->addWidget(rSingle_);
    runLayout->addWidget(rCont_);
    runLayout->addLayout(buttons);
    connect(rSingle_, &QRadioButton::toggled, this, [this] { ModeChanged(); });
    connect(bGo_, &QPushButton::clicked, this, [this] {
        bGo_->setChecked(session_->Running()); // the session decides
        StartClicked();
    });
    connect(bStop_, &QPushButton::clicked, this, [this] { session_->RequestStop(); });
    connect(bClr_, &QPushButton::clicked, this, [this] { ClearTraces(); });

    auto* trigger = new QGroupBox(QStringLiteral(" Trigger "), panel);
    auto* trig = new QGridLayout(trigger);
    trUp_ = new QToolButton(trigger);
    trUp_->setText(QStringLiteral("↑"));
    trUp_->setToolTip(QStringLiteral("Rising edge"));
    trDown_ = new QToolButton(trigger);
    trDown_->setText(QStringLiteral("↓"));
    trDown_->setToolTip(QStringLiteral("Falling edge"));
    bAuto_ = new QToolButton(trigger);
    bAuto_->setText(QStringLiteral("Auto"));
    auto* edges = new QButtonGroup(trigger);
    int edge = 1;
    for (QToolButton* b : {trUp_, trDown_, bAuto_}) {
        b->setCheckable(true);
        edges->addButton(b, edge++);
    }
    connect(edges, &QButtonGroup::idClicked, this, [this](int id) { model_.SetEdge(id); });
    eLev_ = NumberField(-32768, 32767, trigger);
    trig->addWidget(new QLabel(QStringLiteral("Edge"), trigger), 0, 0);
    trig->addWidget(trUp_, 0, 1);
    trig->addWidget(trDown_, 0, 2);
    trig->addWidget(bAuto_, 0, 3);
    trig->addWidget(new QLabel(QStringLiteral("Level"), trigger), 1, 0);
    trig->addWidget(eLev_, 1, 1, 1, 3);

    auto* timeBase = new QGroupBox(QStringLiteral(" Time Base "), panel);
    auto* tb = new QGridLayout(timeBase);
    cTimeBase_ = new QComboBox(timeBase);
    for (const char* text : kTimeBaseTexts)
        cTimeBase_->addItem(QString::fromUtf8(text));
    xPos_ = NumberField(0, 500, timeBase);
    tb->addWidget(cTimeBase_, 0, 0, 1, 3);
    tb->addWidget(new QLabel(QStringLiteral("Delay"), timeBase), 1, 0);
    tb->addWidget(xPos_, 1, 1);
    tb->addWidget(new QLabel(QStringLiteral("ms"), timeBase), 1, 2);
    connect(cTimeBase_, &QComboBox::activated, this, [this](int index) { TimeBaseChanged(index); });

    column->addWidget(run);
    column->addWidget(trigger);
    column->addWidget(timeBase);
    for (ChannelView& ch : channels_)
        column->addWidget(BuildChannelGroup(ch));
    column->addWidget(BuildSpeedGroup());
    column->addStretch(1);
    return panel;
}

QWidget* TFOscillo::BuildChannelGroup(ChannelView& ch) {
    auto* group = new QGroupBox(
        ch.Index == 0 ? QStringLiteral(" Channel 1 ") : QStringLiteral(" Channel 2 "), this);
    auto* grid = new QGridLayout(group);
    ch.Enable = new QPushButton(group);
    ch.Enable->setCheckable(true);
    ch.Enable->setChecked(true);
    ch.Signal = new QComboBox(group);
    ch.Scale = new QComboBox(group);
    ch.Offset = NumberField(-5, 5, group);
    grid->addWidget(ch.Enable, 0, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("View"), group), 1, 0);
    grid->addWidget(ch.Signal, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Scale"), group), 2, 0);
    grid->addWidget(ch.Scale, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("Offset"), group), 3, 0);
    grid->addWidget(ch.Offset, 3, 1);
    connect(ch.Enable, &QPushButton::toggled, this, [this, &ch] { EnableChanged(ch); });
    connect(ch.Signal, &QComboBox::activated, this,
            [this, &ch](int index) { SignalChanged(ch, index); });
    connect(ch.Scale, &QComboBox::activated, this, [this, &ch](int index) {
        model_.SelectScale(ch.Index, index);
        ScaleChanged(ch);
    });
    return group;
}

// The speed mirror of the main parameter page's speed field, hidden unless that field is
// shown.
QGroupBox* TFOscillo::BuildSpeedGroup() {
    speedGroup_ = new QGroupBox(QStringLiteral(" Speed "), this);
    speedGroup_->setObjectName(QStringLiteral("PSpeed"));
    auto* row = new QHBoxLayout(speedGroup_);
    eSpd_ = NumberField(-32768, 32767, speedGroup_);
    eSpd_->setObjectName(QStringLiteral("ESpd"));
    row->addWidget(eSpd_);
    row->addWidget(new QLabel(QStringLiteral("rpm"), speedGroup_));
    OnEnterOrExit(eSpd_, [this](TPNumEdit&) { SpeedEntered(); });
    speedGroup_->hide();
    return speedGroup_;
}

QGroupBox* TFOscillo::BuildCursorGroup() {
    auto* group = new QGroupBox(QStringLiteral(" Cursors "), this);
    group->setObjectName(QStringLiteral("PCur"));
    auto* grid = new QGridLayout(group);
    bEnCur_ = new QPushButton(QStringLiteral("Enabled"), group);
    bEnCur_->setCheckable(true);
    cTime_ = new QRadioButton(QStringLiteral("Time"), group);
    cCh1_ = new QRadioButton(QStringLiteral("Channel 1"), group);
    cCh2_ = new QRadioButton(QStringLiteral("Channel 2"), group);
    l1_ = new QLabel(group);
    l2_ = new QLabel(group);
    lD_ = new QLabel(group);
    int column = 0;
    for (QWidget* w : std::initializer_list<QWidget*>{bEnCur_, cTime_, cCh1_, cCh2_})
        grid->addWidget(w, 0, column++);
    column = 0;
    for (QLabel* label : {l1_, l2_, lD_}) {
        label->setMinimumWidth(120);
        grid->addWidget(label, 1, column++, 1, label == lD_ ? 2 : 1);
    }
    grid->setColumnStretch(4, 1);
    return group;
}

// The showing sequence: stored settings (repaired where invalid), controls, layout.
void TFOscillo::Start() {
    for (ChannelView& ch : channels_)
        ch.Series->clear();
    TDriver& driver = shell_.Driver();
    const SettingsStore& settings = shell_.Settings();
    const ScopeSettingsFile file(QFileInfo(settings.SettingsFile()).absolutePath() +
                                     QStringLiteral("/ZavaRive.dll"),
                                 settings.InstallFolder + QStringLiteral("Bin/ZavaRive.dll"));
    file.Load(driver.CurrentKind(), driver.ScopeSettingsTable(), storedOffsets_);
    rSingle_->setChecked(true);
    ModeChanged();

    model_.Show();
    const int edge = model_.Edge();
    (edge == 1 ? trUp_ : edge == 2 ? trDown_ : bAuto_)->setChecked(true);
    eLev_->WrValore(driver.ScopeSettingsTable().FindByAddress(scope::Level)->Value);
    cTimeBase_->setCurrentIndex(model_.TimeBaseIndex());
    const int window = model_.TimeWindow();
    timeAxis_->setRange(0, window);
    timeAxis_->setTickInterval(0.1 * window);
    xPos_->WrMin(0);
    xPos_->WrMax(window);
    xPos_->WrValore(model_.Delay());
    const QStringList names = model_.SignalNames();
    for (ChannelView& ch : channels_) {
        const QSignalBlocker block(ch.Signal);
        ch.Signal->clear();
        ch.Signal->addItems(names);
        ch.Signal->setCurrentIndex(model_.At(ch.Index).Signal);
        LoadScales(ch);
        ScaleChanged(ch);
    }
    ShowSpeedMirror();
    for (ChannelView& ch : channels_)
        EnableChanged(ch);
    layoutTimer_.start();
}

// The layout timer. The first run hands the offsets their handlers and the stored values;
// every run lays the tracks out along the chart and shows the cursor group.
void TFOscillo::InitialLayout() {
    if (!laidOut_) {
        laidOut_ = true;
        layoutTimer_.setInterval(50);
        for (ChannelView& ch : channels_) {
            BindOffset(*ch.Offset, *ch.Track,
                       [this, &ch](int offset) { OffsetChanged(ch, offset); });
            ch.Track->setEnabled(false);
            ch.Offset->setEnabled(false);
            ch.Offset->WrValore(storedOffsets_[static_cast<std::size_t>(ch.Index)]);
            model_.ResetOffset(ch.Index);
        }
    }
    LayoutTracks();
    cursorGroup_->show();
}

void TFOscillo::ShowSpeedMirror() {
    TFMainDev* main = MainDevPage();
    TPNumEdit* speed = main != nullptr ? main->SpeedField() : nullptr;
    if (speed == nullptr || !speed->isVisibleTo(main))
        return;
    eSpd_->SetTag(speed->Tag());
    eSpd_->WrMin(speed->RdMin());
    eSpd_->WrMax(speed->RdMax());
    eSpd_->WrValore(speed->RdValore());
    speedGroup_->show();
}

// The typed speed goes to the main page's field, whose exit action sends it to the drive.
void TFOscillo::SpeedEntered() {
    TFMainDev* main = MainDevPage();
    if (main == nullptr || main->SpeedField() == nullptr)
        return;
    main->SpeedField()->WrValore(eSpd_->RdValore());
    main->SpeedFieldExit();
}

void TFOscillo::LoadScales(ChannelView& ch) {
    const QSignalBlocker block(ch.Scale);
    ch.Scale->clear();
    ch.Scale->addItems(model_.ScaleCaptions(ch.Index));
    ch.Scale->setCurrentIndex(model_.At(ch.Index).Scale);
}

void TFOscillo::SignalChanged(ChannelView& ch, int index) {
    if (!model_.SelectSignal(ch.Index, index))
        return;
    LoadScales(ch);
    ch.Series->clear();
    ShowOffsetControls(ch);
    ScaleChanged(ch);
}

// The channel's axis shows ten divisions of the scale with zero in the middle; the offset
// spans the axis and starts at 0.
void TFOscillo::ScaleChanged(ChannelView& ch) {
    const int d = model_.UnitsPerDivision(ch.Index);
    const oscillo::ValueAxis axis = oscillo::AxisForScale(d);
    ch.Axis->setRange(axis.Min, axis.Max);
    ch.Axis->setTickAnchor(0);
    ch.Axis->setTickInterval(axis.Increment);
    const oscillo::OffsetRange range = oscillo::OffsetRangeForScale(d);
    ch.Offset->WrMin(range.Min);
    ch.Offset->WrMax(range.Max);
    ch.Offset->WrValore(0);
    LayoutTracks();
    cursors_->Respan();
    if (model_.TakeOffset(ch.Index, 0) && ch.Offset->isEnabled())
        Redraw(ch);
}

void TFOscillo::ShowOffsetControls(ChannelView& ch) {
    const bool enabled = model_.OffsetEnabled(ch.Index);
    ch.Track->setEnabled(enabled);
    ch.Offset->setEnabled(enabled);
}

void TFOscillo::EnableChanged(ChannelView& ch) {
    const bool on = ch.Enable->isChecked();
    model_.SetOn(ch.Index, on);
    StyleSwitch(ch.Enable, ch.Colour);
    ch.Series->setVisible(on);
    ShowOffsetControls(ch);
    ch.Signal->setEnabled(on);
    ch.Scale->setEnabled(on);
    const int grid = model_.GridChannel();
    channels_[0].Axis->setGridLineVisible(grid == 0);
    channels_[1].Axis->setGridLineVisible(grid == 1);
}

void TFOscillo::TimeBaseChanged(int index) {
    const int window = model_.SelectTimeBase(index);
    xPos_->WrMax(window);
    xPos_->WrValore(model_.Delay());
    ClearTraces();
    timeAxis_->setTickInterval(0.1 * window);
    timeAxis_->setRange(0, window);
    cursors_->Respan();
}

// The selected mode is shown in bold.
void TFOscillo::ModeChanged() {
    for (QRadioButton* mode : {rSingle_, rCont_}) {
        QFont font = mode->font();
        font.setBold(mode->isChecked());
        mode->setFont(font);
    }
}

void TFOscillo::ClearTraces() {
    for (ChannelView& ch : channels_) {
        ch.Series->clear();
        ch.Track->setEnabled(false);
        ch.Offset->setEnabled(false);
    }
}

// The tracks span the left axis from its maximum to its minimum row.
void TFOscillo::LayoutTracks() {
    for (ChannelView& ch : channels_)
        ch.Track->FollowChart(*view_, ch.Offset->RdMin(), ch.Offset->RdMax(),
                              ch.Offset->RdValore());
}

void TFOscillo::OffsetChanged(ChannelView& ch, int offset) {
    if (model_.TakeOffset(ch.Index, offset))
        Redraw(ch);
}

// The channel's samples with its current offset, and one more point at the right edge at
// the height of the last sample.
void TFOscillo::Redraw(ChannelView& ch) {
    const int count = capture_->SampleCount();
    const double window = ScopeDriveValue(scope::TimeWindow);
    const auto factor = ScopeDriveValue(ch.Index == 0 ? scope::Factor1 : scope::Factor2);
    const int offset = model_.At(ch.Index).LastOffset;
    const auto& samples = capture_->Samples(ch.Index);
    QList<QPointF> points;
    points.reserve(count + 1);
    for (int i = 0; i < count; ++i)
        points.append({window * i / count,
                       scope::ScaledSample(samples[static_cast<std::size_t>(i)], factor, offset)});
    points.append({window, points.isEmpty() ? 0.0 : points.back().y()});
    ch.Series->replace(points);
}

void TFOscillo::Plot(bool plot) {
    if (plot) {
        const double window = ScopeDriveValue(scope::TimeWindow);
        timeAxis_->setTickInterval(0.1 * window);
        timeAxis_->setRange(0, window);
        for (ChannelView& ch : channels_) {
            model_.TakeOffset(ch.Index, ch.Offset->RdValore());
            Redraw(ch);
        }
        samplesLabel_->setText(QStringLiteral(" Nr. Samples = ") +
                               QString::number(capture_->ReportedCount()));
        model_.Captured();
    }
    bClr_->setEnabled(true);
    shell_.HoldAlarmButton(false);
    GiveWindowsBack(true);
    for (ChannelView& ch : channels_)
        ShowOffsetControls(ch);
}

void TFOscillo::GiveWindowsBack(bool enabled) {
    if (!enabled) {
        disabledWindows_.clear();
        if (QMdiArea* area = shell_.Frame())
            for (QMdiSubWindow* sub : area->subWindowList())
                if (sub->widget() != this && sub->isEnabled()) {
                    sub->setEnabled(false);
                    disabledWindows_.emplace_back(sub);
                }
        ChildFrame(this)->raise();
        return;
    }
    for (const QPointer<QWidget>& window : disabledWindows_)
        if (window)
            window->setEnabled(true);
    disabledWindows_.clear();
}

void TFOscillo::SetRunning(bool running) {
    const OscilloPanelModel::RunControls run = OscilloPanelModel::Run(running, rCont_->isChecked());
    bGo_->setChecked(run.StartChecked);
    bGo_->setEnabled(run.StartEnabled);
    startAction_->setEnabled(run.StartEnabled);
    rSingle_->setEnabled(run.ModesEnabled);
    rCont_->setEnabled(run.ModesEnabled);
    eSpd_->setEnabled(run.SpeedEnabled);
}

void TFOscillo::StartClicked() {
    if (session_->Running())
        return;
    SetRunning(true);
    if (!session_->Start())
        SetRunning(false);
}

void TFOscillo::StatusStep() {
    scope::ReadScopeState(shell_.Driver());
}

void TFOscillo::CaptureComplete() {
    session_->CaptureComplete();
}

void TFOscillo::FillRecording(ScopeRecording& recording) const {
    TDriver& driver = shell_.Driver();
    const auto value = [&driver](std::uint16_t address) {
        return driver.ScopeSettingsTable().FindByAddress(address)->Value;
    };
    recording.TriggerSlope = value(scope::Edge);
    recording.TriggerLevel = value(scope::Level);
    recording.TimeBase = cTimeBase_->currentText();
    recording.Delay = value(scope::Delay);
    for (const ChannelView& ch : channels_) {
        ScopeChannelSettings& out = recording.Channels[static_cast<std::size_t>(ch.Index)];
        out.Enabled = ch.Enable->isChecked();
        out.Signal = ch.Signal->currentText();
        out.Scale = ch.Scale->currentText();
        out.Offset = ch.Offset->RdValore();
    }
    recording.LeftIncrement = channels_[0].Axis->tickInterval();
    recording.RightIncrement = channels_[1].Axis->tickInterval();
    recording.BottomIncrement = timeAxis_->tickInterval();
    FillScopePoints(*channels_[0].Series, *channels_[1].Series, recording);
}

void TFOscillo::SaveToFile() {
    auto* main = qobject_cast<TFPrincipale*>(shell_.Window());
    FileDialogRequest request;
    request.Filter = ScopeFileFilter();
    request.DefaultExtension = QStringLiteral("kls");
    request.InitialDir = main != nullptr ? main->ScopeDialogFolder() : QString();
    if (!Dialogs().GetSaveFileName(this, request))
        return;
    if (main != nullptr)
        main->SetScopeDialogFolder(QFileInfo(request.FileName).absolutePath() + QLatin1Char('/'));
    ScopeRecording recording;
    FillRecording(recording);
    WriteScopeFile(recording, request.FileName);
}

void TFOscillo::OpenFile() {
    if (auto* main = qobject_cast<TFPrincipale*>(shell_.Window()))
        main->Run(Command::ScopeOpenFile);
}

void TFOscillo::ExportCsv() {
    ScopeRecording recording;
    FillRecording(recording);
    ExportScopeCsv(this, recording);
}

void TFOscillo::SavePicture() {
    SaveScopePicture(this, *view_);
}

void TFOscillo::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (laidOut_)
        layoutTimer_.start();
}

void TFOscillo::closeEvent(QCloseEvent* event) {
    // A capture's last step must finish first (it writes the stop to the drive).
    while (session_->PostProcessingPending() || session_->Uploading())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
    TDriver& driver = shell_.Driver();
    if (session_->Running()) {
        session_->RequestStop();
        scope::Stop(driver);
    }
    const SettingsStore& settings = shell_.Settings();
    const ScopeSettingsFile file(QFileInfo(settings.SettingsFile()).absolutePath() +
                                     QStringLiteral("/ZavaRive.dll"),
                                 settings.InstallFolder + QStringLiteral("Bin/ZavaRive.dll"));
    const std::array<int, 2> offsets{channels_[0].Offset->RdValore(),
                                     channels_[1].Offset->RdValore()};
    if (!file.Save(driver.CurrentKind(), driver.ScopeSettingsTable(), offsets) && !saveReported_) {
        saveReported_ = true;
        ShowError(QStringLiteral("Unable save: ") + file.UserFile());
    }
    shell_.SetOscilloscopeOpen(false);
    // Once the window is gone the main window's commands follow the level and kind again.
    QTimer::singleShot(0, shell_.Window(), [&shell = shell_] { shell.ApplyUserLevel(); });
    event->accept();
}

} // namespace kelm
