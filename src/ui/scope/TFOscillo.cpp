#include "ui/scope/TFOscillo.h"

#include "core/config/ConfigurationSet.h"
#include "core/drive/TDriver.h"
#include "core/drive/scope/ScopeRules.h"
#include "core/drive/scope/ScopeSettingsFile.h"
#include "core/files/ScopeFile.h"
#include "core/link/ModbusMaster.h"
#include "core/rules/OscilloLegend.h"
#include "core/rules/OscilloMath.h"
#include "core/seams/Messages.h"
#include "core/settings/SettingsStore.h"
#include "ui/scope/ChartZoom.h"
#include "ui/scope/GraphCursors.h"
#include "ui/scope/OffsetTrack.h"
#include "ui/scope/ScopeExport.h"
#include "ui/scope/ScopeWorkbench.h"
#include "ui/scope/StepControl.h"
#include "ui/scope/TFRegOsc.h"
#include "ui/seams/DialogRunner.h"
#include "ui/shell/LastScopeRecord.h"
#include "ui/shell/ShellHost.h"
#include "ui/widgets/ChildFrame.h"
#include "ui/widgets/TPNumEdit.h"

#include <QAction>
#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineSeries>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <QValueAxis>

namespace kelm {

namespace {

void StyleSwitch(QPushButton* button, const QColor& colour) {
    const bool on = button->isChecked();
    button->setText(on ? QStringLiteral("Enabled") : QStringLiteral("Disabled"));
    button->setStyleSheet(on ? QStringLiteral("color: %1; font-weight: bold;").arg(colour.name())
                             : QString());
}

} // namespace

TFOscillo::TFOscillo(ShellHost& shell, QWidget* parent)
    : QWidget(parent), shell_(shell), capture_(std::make_unique<ScopeCapture>(shell.Driver())),
      session_(std::make_unique<ScopeSession>(shell.Driver(), *capture_)),
      model_(shell.Driver().ScopeSettingsTable(), shell.Driver().Config().ActiveScopeSet()),
      chartModel_(model_, shell.Driver().ScopeSettingsTable()) {
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
    QWidget* panel = BuildPanel();
    workbench_ = new ScopeWorkbench(*this, shell, this);
    workbench_->hide(); // the window at its own size has no room for it: the menu shows it
    body->addWidget(workbench_);
    body->addWidget(panel);
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
    controls.Switch = cursorSwitch_;
    controls.Time = cursorOnTime_;
    controls.Channel1 = cursorOnChannel1_;
    controls.Channel2 = cursorOnChannel2_;
    controls.Readout1 = cursorReadout1_;
    controls.Readout2 = cursorReadout2_;
    controls.Difference = cursorDifference_;
    cursors_ = new GraphCursors(controls, this);
    zoom_ = new ChartZoom(
        {view_,
         timeAxis_,
         {channels_[0].Axis, channels_[1].Axis},
         {channels_[0].Series, channels_[1].Series}},
        [this](int axis) {
            return axis == 0 ? oscillo::ValueAxis{0, 1.0 * chartModel_.Window(),
                                                  chartModel_.TimeIncrement()}
                             : chartModel_.ChannelAxis(axis - 1);
        },
        *cursors_, this);
    chartColumn->insertWidget(0, zoom_->BuildButtons(this));

    layoutTimer_.setSingleShot(true);
    layoutTimer_.setInterval(100);
    connect(&layoutTimer_, &QTimer::timeout, this, [this] { InitialLayout(); });
    connect(chart_, &QChart::plotAreaChanged, this, [this] {
        if (laidOut_)
            layoutTimer_.start();
    });

    ScopeSession::Observer observer;
    observer.Settings = [this] {
        return scope::ArmSettings{static_cast<std::int16_t>(levelField_->RdValore()),
                                  static_cast<std::int16_t>(delayField_->RdValore()),
                                  static_cast<std::int16_t>(model_.UnitsPerDivision(0)),
                                  static_cast<std::int16_t>(model_.UnitsPerDivision(1))};
    };
    observer.Continuous = [this] { return continuousMode_->isChecked(); };
    observer.RunControlsReset = [this] { SetRunning(false); };
    observer.UploadStarting = [this] {
        clearButton_->setEnabled(false);
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
    observer.UploadEnded = [this](bool plot) {
        Plot(plot);
        stepControl_->RecordEnded(plot);
    };
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

// The showing sequence: stored settings (repaired where invalid), controls, layout.
void TFOscillo::Start() {
    for (ChannelView& ch : channels_)
        ch.Series->clear();
    TDriver& driver = shell_.Driver();
    const SettingsStore& settings = shell_.Settings();
    const ScopeSettingsFile file =
        ScopeSettingsFile::For(settings.SettingsFile(), settings.InstallFolder);
    file.Load(driver.CurrentKind(), driver.ScopeSettingsTable(), storedOffsets_);
    singleMode_->setChecked(true);
    ModeChanged();

    model_.Show();
    const int edge = model_.Edge();
    (edge == 1 ? risingEdge_ : edge == 2 ? fallingEdge_ : autoTrigger_)->setChecked(true);
    levelField_->WrValore(driver.ScopeSettingsTable().FindByAddress(scope::Level)->Value);
    timeBaseList_->setCurrentIndex(model_.TimeBaseIndex());
    chartModel_.ShowWindow(model_.TimeWindow());
    ShowTimeAxis();
    delayField_->WrMin(0);
    delayField_->WrMax(chartModel_.Window());
    delayField_->WrValore(model_.Delay());
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
    SetRunning(session_->Running());
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

// A copy of the shared digital speed reference, shown while the main page shows its field.
void TFOscillo::ShowSpeedMirror() {
    const DigitalSpeedReference::View speed = shell_.Driver().DigitalSpeed().Current();
    if (!speed.Shown)
        return;
    eSpd_->SetTag(speed.Register);
    eSpd_->WrMin(speed.Min);
    eSpd_->WrMax(speed.Max);
    eSpd_->WrValore(speed.Rpm);
    speedGroup_->show();
}

// The typed speed goes to the shared reference, whose field's exit action sends it.
void TFOscillo::SpeedEntered() {
    if (shell_.Driver().Online())
        shell_.Driver().DigitalSpeed().Enter(eSpd_->RdValore());
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
    const oscillo::ValueAxis axis = chartModel_.ChannelAxis(ch.Index);
    zoom_->ShowRange(ch.Index + 1, axis.Min, axis.Max);
    const oscillo::OffsetRange range =
        oscillo::OffsetRangeForScale(model_.UnitsPerDivision(ch.Index));
    ch.Offset->WrMin(range.Min);
    ch.Offset->WrMax(range.Max);
    ch.Offset->WrValore(0);
    LayoutTracks();
    ShowUnits();
    cursors_->Respan();
    if (model_.TakeOffset(ch.Index, 0) && ch.Offset->isEnabled())
        Redraw(ch);
}

// The value axes and the cursor readouts carry the signals' units.
void TFOscillo::ShowUnits() {
    for (ChannelView& ch : channels_)
        ch.Axis->setTitleText(model_.Unit(ch.Index));
    cursors_->SetUnits(QStringLiteral("ms"), {model_.Unit(0), model_.Unit(1)});
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
    delayField_->WrMax(window);
    delayField_->WrValore(model_.Delay());
    ClearTraces();
    chartModel_.ShowWindow(window);
    ShowTimeAxis();
    cursors_->Respan();
}

void TFOscillo::ShowTimeAxis() {
    zoom_->ShowRange(0, 0, chartModel_.Window());
}

// The selected mode is shown in bold.
void TFOscillo::ModeChanged() {
    for (QRadioButton* mode : {singleMode_, continuousMode_}) {
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
    const int reported = capture_->ReportedCount();
    const double window = ScopeDriveValue(scope::TimeWindow);
    const auto factor = ScopeDriveValue(ch.Index == 0 ? scope::Factor1 : scope::Factor2);
    const int offset = model_.At(ch.Index).LastOffset;
    const auto& samples = capture_->Samples(ch.Index);
    QList<QPointF> points;
    points.reserve(count + 1);
    for (int i = 0; i < count; ++i)
        points.append({scope::SampleTime(i, window, reported),
                       scope::ScaledSample(samples[static_cast<std::size_t>(i)], factor, offset)});
    points.append({window, points.isEmpty() ? 0.0 : points.back().y()});
    ch.Series->replace(points);
}

void TFOscillo::Plot(bool plot) {
    if (plot) {
        chartModel_.ShowWindow(ScopeDriveValue(scope::TimeWindow));
        ShowTimeAxis();
        for (ChannelView& ch : channels_) {
            model_.TakeOffset(ch.Index, ch.Offset->RdValore());
            Redraw(ch);
        }
        samplesLabel_->setText(QStringLiteral(" Nr. Samples = ") +
                               QString::number(capture_->ReportedCount()));
        model_.Captured();
        workbench_->Captured();
        PublishRecord();
    }
    clearButton_->setEnabled(true);
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
    const OscilloPanelModel::RunControls run =
        OscilloPanelModel::Run(running, continuousMode_->isChecked(), shell_.Driver().Online());
    startButton_->setChecked(run.StartChecked);
    startButton_->setEnabled(run.StartEnabled);
    startAction_->setEnabled(run.StartEnabled);
    singleMode_->setEnabled(run.ModesEnabled);
    continuousMode_->setEnabled(run.ModesEnabled);
    eSpd_->setEnabled(run.SpeedEnabled);
}

void TFOscillo::StartClicked() {
    TDriver& driver = shell_.Driver();
    if (session_->Running() || !driver.Online())
        return;
    armOrigin_ = driver.Ask(QStringLiteral("Oscilloscope Start"));
    const WriteGate::Scope scope(driver.Gate(), armOrigin_);
    SetRunning(true);
    if (!session_->Start())
        SetRunning(false);
}

void TFOscillo::LineChanged(bool /*online*/) {
    SetRunning(session_->Running());
    stepControl_->LineChanged();
}

bool TFOscillo::ArmStep(const scope::StepCapture& capture, const WriteOrigin& origin) {
    if (session_->Running() || !shell_.Driver().Online())
        return false;
    for (ChannelView& ch : channels_) {
        ch.Enable->setChecked(true);
        const int signal = scope::SignalIndex(ch.Index == 0 ? capture.Signal1 : capture.Signal2);
        ch.Signal->setCurrentIndex(signal);
        SignalChanged(ch, signal);
        const int units = ch.Index == 0 ? capture.Scale1 : capture.Scale2;
        for (int i = 0; i < ch.Scale->count(); ++i) {
            model_.SelectScale(ch.Index, i);
            if (model_.UnitsPerDivision(ch.Index) == units) {
                ch.Scale->setCurrentIndex(i);
                break;
            }
        }
        ScaleChanged(ch);
    }
    const int timeBase = scope::TimeBaseIndex(capture.TimeWindow);
    timeBaseList_->setCurrentIndex(timeBase);
    TimeBaseChanged(timeBase);
    model_.SetEdge(capture.Edge);
    EdgeButton(capture.Edge)->setChecked(true);
    levelField_->WrValore(capture.Level);
    delayField_->WrValore(capture.Delay);
    singleMode_->setChecked(true);
    ModeChanged();
    armOrigin_ = origin;
    SetRunning(true);
    if (session_->Start())
        return true;
    SetRunning(false);
    return false;
}

void TFOscillo::StatusStep() {
    scope::ReadScopeState(shell_.Driver());
}

void TFOscillo::CaptureComplete() {
    session_->CaptureComplete();
}

void TFOscillo::FillRecording(ScopeRecording& recording) const {
    chartModel_.FillSettings(recording,
                             {channels_[0].Offset->RdValore(), channels_[1].Offset->RdValore()});
    FillScopePoints(*channels_[0].Series, *channels_[1].Series, recording);
}

void TFOscillo::SaveToFile() {
    QString& folder = shell_.Settings().ScopeFolder;
    FileDialogRequest request;
    request.Filter = ScopeFileFilter();
    request.DefaultExtension = QStringLiteral("kls");
    request.InitialDir = folder;
    if (!Dialogs().GetSaveFileName(this, request))
        return;
    folder = QFileInfo(request.FileName).absolutePath() + QLatin1Char('/');
    ScopeRecording recording;
    FillRecording(recording);
    WriteScopeFile(recording, request.FileName);
}

void TFOscillo::OpenFile() {
    QString& folder = shell_.Settings().ScopeFolder;
    FileDialogRequest request;
    request.Filter = ScopeFileFilter();
    request.DefaultExtension = QStringLiteral("kls");
    request.InitialDir = folder;
    if (!Dialogs().GetOpenFileName(this, request))
        return;
    folder = QFileInfo(request.FileName).absolutePath() + QLatin1Char('/');
    OpenTraceViewer(shell_, request.FileName);
}

void TFOscillo::ExportCsv() {
    ScopeRecording recording;
    FillRecording(recording);
    QString& stored = shell_.Settings().ScopeFolder;
    const QString folder = ExportScopeCsv(this, recording, workbench_->Notes(), stored);
    if (!folder.isEmpty())
        stored = folder;
}

// The record just plotted, for the commissioning report: the picture as Save Picture makes
// it and the measurements as the column shows them.
void TFOscillo::PublishRecord() {
    LastScopeRecord* holder = shell_.ScopeRecordHolder();
    if (holder == nullptr)
        return;
    ScopeRecording recording;
    FillRecording(recording);
    const QStringList notes = workbench_->Notes(); // counts the new record now
    (void)notes;
    ScopeSnapshot snapshot;
    snapshot.Kind = shell_.Driver().CurrentKind();
    snapshot.Address = shell_.Master().UnitAddress();
    const QString drive =
        DeviceKindText(snapshot.Kind) + QStringLiteral(", address %1").arg(snapshot.Address);
    snapshot.Picture = PictureWithLegend(
        *view_, OscilloLegendLines(recording, drive, QDateTime::currentDateTime()));
    const RecordFigures& figures = workbench_->Figures();
    snapshot.Measurements.Range = MeasurementRange(figures);
    for (std::size_t ch = 0; ch < 2; ++ch)
        snapshot.Measurements.Channels[ch] =
            QStringLiteral("Ch%1 %2").arg(ch + 1).arg(recording.Channels[ch].Signal).trimmed();
    snapshot.Measurements.Rows = MeasurementRows(figures, recording.Units);
    holder->Publish(std::move(snapshot));
}

// The picture carries a legend: signals, scales, trigger, the drive and the date.
void TFOscillo::SavePicture() {
    ScopeRecording recording;
    FillRecording(recording);
    const QString drive = DeviceKindText(shell_.Driver().CurrentKind()) +
                          QStringLiteral(", address %1").arg(shell_.Master().UnitAddress());
    QString& stored = shell_.Settings().ScopeFolder;
    const QString folder = SaveScopePicture(
        this, *view_, OscilloLegendLines(recording, drive, QDateTime::currentDateTime()), stored);
    if (!folder.isEmpty())
        stored = folder;
}

void TFOscillo::EscapePressed() {
    if (!zoom_->Reset())
        CloseWindow();
}

void TFOscillo::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (laidOut_)
        layoutTimer_.start();
}

void TFOscillo::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        EscapePressed();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TFOscillo::CloseWindow() {
    ChildFrame(this)->close();
}

void TFOscillo::StopArmedRecorder() {
    TDriver& driver = shell_.Driver();
    if (session_->Running() && driver.Online() && driver.StillCurrent(armOrigin_)) {
        const WriteGate::Scope scope(driver.Gate(),
                                     driver.Ask(QStringLiteral("Oscilloscope close")));
        scope::Stop(driver);
    }
    // Off line nothing is sent; the table keeps no arm request either way.
    if (ParamEntry* command = driver.ScopeSettingsTable().FindByAddress(scope::Command))
        command->Value = scope::StateIdle;
}

// Closing can always be done, also off line with a silent drive. It writes nothing new to
// the drive: settings chosen since the last capture go to the settings file only, and the
// one write is the stop of a recorder this window armed.
void TFOscillo::closeEvent(QCloseEvent* event) {
    event->accept();
    if (closed_) // a second close of the same window (the frame, then the shutdown)
        return;
    closed_ = true;
    TDriver& driver = shell_.Driver();
    ParamTable& registers = driver.ScopeSettingsTable();
    ParamTable chosen = registers; // the user's settings, for the settings file
    session_->RequestStop();       // a capture that is finishing is not armed again
    for (ParamEntry& entry : registers)
        if (entry.Address != scope::Command)
            entry.Value = entry.DriveValue;
    // A capture's last step must finish first (it stops the recorder it armed).
    while (session_->PostProcessingPending() || session_->Uploading())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
    // A step still on is ended as Stop ends it: its reference goes back to 0.
    stepControl_->Stop();
    StopArmedRecorder();
    if (ParamEntry* command = chosen.FindByAddress(scope::Command))
        command->Value = scope::StateIdle;
    const SettingsStore& settings = shell_.Settings();
    const ScopeSettingsFile file =
        ScopeSettingsFile::For(settings.SettingsFile(), settings.InstallFolder);
    const std::array<int, 2> offsets{channels_[0].Offset->RdValore(),
                                     channels_[1].Offset->RdValore()};
    if (!file.Save(driver.CurrentKind(), chosen, offsets) && !saveReported_) {
        saveReported_ = true;
        ShowError(QStringLiteral("Unable save: ") + file.UserFile());
    }
    shell_.SetOscilloscopeOpen(false);
    // Once the window is gone the main window's commands follow the level and kind again.
    QTimer::singleShot(0, shell_.Window(), [&shell = shell_] { shell.ApplyUserLevel(); });
    emit Closed();
}

} // namespace kelm
