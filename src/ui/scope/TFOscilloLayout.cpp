#include "ui/scope/TFOscillo.h"

#include "ui/scope/GraphCursors.h"
#include "ui/scope/OffsetTrack.h"
#include "ui/scope/ScopeWorkbench.h"
#include "ui/scope/StepControl.h"
#include "ui/shell/ShellHost.h"
#include "ui/widgets/TPNumEdit.h"

#include <QButtonGroup>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineSeries>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <QValueAxis>

// The oscilloscope window's controls: the chart, the menu, the control panel and the cursor
// group, built once by the constructor.

namespace kelm {

namespace {

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
        ch.Axis->setTitleBrush(ch.Colour);
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
    menu->addAction(QStringLiteral("&Export CSV…"), this, [this] { ExportCsv(); });
    menu->addAction(QStringLiteral("Save &Picture…"), this, [this] { SavePicture(); });
    QAction* bench = menu->addAction(QStringLiteral("&Measurements and References"));
    bench->setObjectName(QStringLiteral("MOBench"));
    bench->setCheckable(true);
    connect(bench, &QAction::toggled, this, [this](bool on) { workbench_->setVisible(on); });
    menu->addSeparator();
    // Always available, also off line with a silent drive.
    QAction* close = menu->addAction(QStringLiteral("&Close"), this, [this] { CloseWindow(); });
    close->setObjectName(QStringLiteral("MOClose"));
    auto* escape = new QAction(this);
    escape->setShortcut(Qt::Key_Escape);
    escape->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QAction::triggered, this, [this] { EscapePressed(); });
    addAction(escape);
}

QWidget* TFOscillo::BuildPanel() {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("PCtrl"));
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);

    auto* run = new QGroupBox(panel);
    auto* runLayout = new QVBoxLayout(run);
    singleMode_ = new QRadioButton(QStringLiteral("Single Acquisition"), run);
    continuousMode_ = new QRadioButton(QStringLiteral("Continuous Acquisition"), run);
    startButton_ = new QPushButton(QStringLiteral("Start"), run);
    startButton_->setObjectName(QStringLiteral("BGo"));
    startButton_->setCheckable(true);
    // Lit while a capture runs.
    startButton_->setStyleSheet(
        QStringLiteral("QPushButton:checked { font-weight: bold; color: white; "
                       "background: #1a8f2a; }"));
    stopButton_ = new QPushButton(QStringLiteral("Stop"), run);
    clearButton_ = new QPushButton(QStringLiteral("Clear"), run);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {startButton_, stopButton_, clearButton_})
        buttons->addWidget(b);
    runLayout->addWidget(singleMode_);
    runLayout->addWidget(continuousMode_);
    runLayout->addLayout(buttons);
    connect(singleMode_, &QRadioButton::toggled, this, [this] { ModeChanged(); });
    connect(startButton_, &QPushButton::clicked, this, [this] {
        startButton_->setChecked(session_->Running()); // the session decides
        StartClicked();
    });
    connect(stopButton_, &QPushButton::clicked, this, [this] {
        session_->RequestStop();
        stepControl_->Stop();
    });
    connect(clearButton_, &QPushButton::clicked, this, [this] { ClearTraces(); });

    auto* trigger = new QGroupBox(QStringLiteral(" Trigger "), panel);
    auto* trig = new QGridLayout(trigger);
    risingEdge_ = new QToolButton(trigger);
    risingEdge_->setText(QStringLiteral("↑"));
    risingEdge_->setToolTip(QStringLiteral("Rising edge"));
    fallingEdge_ = new QToolButton(trigger);
    fallingEdge_->setText(QStringLiteral("↓"));
    fallingEdge_->setToolTip(QStringLiteral("Falling edge"));
    autoTrigger_ = new QToolButton(trigger);
    autoTrigger_->setText(QStringLiteral("Auto"));
    auto* edges = new QButtonGroup(trigger);
    int edge = 1;
    for (QToolButton* b : {risingEdge_, fallingEdge_, autoTrigger_}) {
        b->setCheckable(true);
        edges->addButton(b, edge++);
    }
    connect(edges, &QButtonGroup::idClicked, this, [this](int id) { model_.SetEdge(id); });
    levelField_ = NumberField(-32768, 32767, trigger);
    trig->addWidget(new QLabel(QStringLiteral("Edge"), trigger), 0, 0);
    trig->addWidget(risingEdge_, 0, 1);
    trig->addWidget(fallingEdge_, 0, 2);
    trig->addWidget(autoTrigger_, 0, 3);
    trig->addWidget(new QLabel(QStringLiteral("Level"), trigger), 1, 0);
    trig->addWidget(levelField_, 1, 1, 1, 3);

    auto* timeBase = new QGroupBox(QStringLiteral(" Time Base "), panel);
    auto* tb = new QGridLayout(timeBase);
    timeBaseList_ = new QComboBox(timeBase);
    timeBaseList_->addItems(OscilloChartModel::TimeBaseTexts());
    delayField_ = NumberField(0, 500, timeBase);
    tb->addWidget(timeBaseList_, 0, 0, 1, 3);
    tb->addWidget(new QLabel(QStringLiteral("Delay"), timeBase), 1, 0);
    tb->addWidget(delayField_, 1, 1);
    tb->addWidget(new QLabel(QStringLiteral("ms"), timeBase), 1, 2);
    connect(timeBaseList_, &QComboBox::activated, this,
            [this](int index) { TimeBaseChanged(index); });

    column->addWidget(run);
    column->addWidget(trigger);
    column->addWidget(timeBase);
    for (ChannelView& ch : channels_)
        column->addWidget(BuildChannelGroup(ch));
    column->addWidget(BuildSpeedGroup());
    stepControl_ = new StepControl(
        shell_.Driver(), *capture_,
        [this](const scope::StepCapture& capture, const WriteOrigin& origin) {
            return ArmStep(capture, origin);
        },
        panel);
    column->addWidget(stepControl_);
    column->addStretch(1);
    // Tight margins, so the panel fits the window's own height.
    column->setSpacing(2);
    for (QGroupBox* group : panel->findChildren<QGroupBox*>())
        if (QLayout* inner = group->layout()) {
            inner->setContentsMargins(6, 2, 6, 4);
            inner->setSpacing(3);
        }
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
    cursorSwitch_ = new QPushButton(QStringLiteral("Enabled"), group);
    cursorSwitch_->setCheckable(true);
    cursorOnTime_ = new QRadioButton(QStringLiteral("Time"), group);
    cursorOnChannel1_ = new QRadioButton(QStringLiteral("Channel 1"), group);
    cursorOnChannel2_ = new QRadioButton(QStringLiteral("Channel 2"), group);
    cursorReadout1_ = new QLabel(group);
    cursorReadout2_ = new QLabel(group);
    cursorDifference_ = new QLabel(group);
    int column = 0;
    for (QWidget* w : std::initializer_list<QWidget*>{cursorSwitch_, cursorOnTime_,
                                                      cursorOnChannel1_, cursorOnChannel2_})
        grid->addWidget(w, 0, column++);
    // The readouts two by two under the buttons, so the group fits the window's own width.
    grid->addWidget(cursorReadout1_, 1, 0, 1, 2);
    grid->addWidget(cursorReadout2_, 1, 2, 1, 2);
    grid->addWidget(cursorDifference_, 2, 0, 1, 2);
    grid->setVerticalSpacing(2);
    grid->setColumnStretch(4, 1);
    return group;
}

} // namespace kelm
