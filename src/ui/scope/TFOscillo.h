#pragma once

#include "core/drive/WriteGate.h"
#include "core/drive/scope/ScopeCapture.h"
#include "core/drive/scope/ScopeSession.h"
#include "core/drive/scope/StepPlan.h"
#include "core/rules/OscilloChartModel.h"
#include "core/rules/OscilloPanelModel.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <array>
#include <memory>
#include <vector>

class QAction;
class QChart;
class QChartView;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineSeries;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QToolButton;
class QValueAxis;

namespace kelm {

class ChartZoom;
class GraphCursors;
class StepControl;
class OffsetTrack;
class ScopeWorkbench;
class ShellHost;
class TPNumEdit;
struct ScopeRecording;

// The software oscilloscope: a chart of the drive recorder's two channels with offset
// tracks, cursors, and the controls for mode, trigger, time base and channels. Captures
// run through ScopeSession; the recorder's settings are kept between sessions.
class TFOscillo : public QWidget {
    Q_OBJECT
public:
    explicit TFOscillo(ShellHost& shell, QWidget* parent = nullptr);
    ~TFOscillo() override;

    // The showing sequence: stored settings (repaired where invalid), controls, layout.
    void Start();

    // The status poll's hooks (user-interface thread, inside the poll).
    void StatusStep();
    void CaptureComplete();
    // The main window laid itself out for the line state: off line nothing that would
    // write is offered (Start, the speed mirror); closing always is.
    void LineChanged(bool online);

    ScopeSession& Session() { return *session_; }
    ScopeCapture& Capture() { return *capture_; }
    QLineSeries* Trace(int channel) const {
        return channels_[static_cast<std::size_t>(channel)].Series;
    }
    QChartView* ChartView() const { return view_; }
    GraphCursors& Cursors() { return *cursors_; }
    ChartZoom& Zoom() { return *zoom_; }
    // The controls a test drives.
    QPushButton* StartButton() const { return startButton_; }
    QPushButton* StopButton() const { return stopButton_; }
    QRadioButton* ContinuousButton() const { return continuousMode_; }
    QComboBox* TimeBase() const { return timeBaseList_; }
    // 1 rising, 2 falling, 3 Auto.
    QToolButton* EdgeButton(int edge) const {
        return edge == 1 ? risingEdge_ : edge == 2 ? fallingEdge_ : autoTrigger_;
    }
    TPNumEdit* OffsetField(int channel) const;
    QPushButton* CursorSwitch() const { return cursorSwitch_; }
    TPNumEdit* SpeedField() const { return eSpd_; }
    ScopeWorkbench& Workbench() const { return *workbench_; }
    StepControl* Step() const { return stepControl_; }

    // Fills a recording from the controls and traces (what "Save to file" writes).
    void FillRecording(ScopeRecording& recording) const;

signals:
    // The window closed (it is freed later): gone for the poll and the main window.
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The controls of one channel.
    struct ChannelView {
        int Index = 0;
        QComboBox* Signal = nullptr;
        QComboBox* Scale = nullptr;
        QPushButton* Enable = nullptr;
        OffsetTrack* Track = nullptr;
        TPNumEdit* Offset = nullptr;
        QLineSeries* Series = nullptr;
        QValueAxis* Axis = nullptr;
        QColor Colour;
    };

    void BuildChart();
    QWidget* BuildPanel();
    QWidget* BuildChannelGroup(ChannelView& ch);
    QGroupBox* BuildCursorGroup();
    void BuildMenu(QWidget* host);

    QGroupBox* BuildSpeedGroup();
    std::int16_t ScopeDriveValue(std::uint16_t address) const;

    void InitialLayout();
    void ShowSpeedMirror();
    void SpeedEntered();
    void LoadScales(ChannelView& ch);
    void SignalChanged(ChannelView& ch, int index);
    void ScaleChanged(ChannelView& ch);
    void ShowUnits();
    // Escape: a zoomed chart goes back home first, otherwise the window closes.
    void EscapePressed();
    void EnableChanged(ChannelView& ch);
    void TimeBaseChanged(int index);
    void ShowTimeAxis();
    void ModeChanged();
    void ClearTraces();
    void ShowOffsetControls(ChannelView& ch);
    void LayoutTracks();
    void OffsetChanged(ChannelView& ch, int offset);
    void Redraw(ChannelView& ch);
    void Plot(bool plot);
    void PublishRecord();
    void SetRunning(bool running);
    void StartClicked();
    // The step's capture in the controls, armed under the step's origin.
    bool ArmStep(const scope::StepCapture& capture, const WriteOrigin& origin);
    void SaveToFile();
    void OpenFile();
    void ExportCsv();
    void SavePicture();
    void GiveWindowsBack(bool enabled);
    void CloseWindow();
    // Closing: the recorder it armed is stopped (on line only); nothing else is written.
    void StopArmedRecorder();

    ShellHost& shell_;
    std::unique_ptr<ScopeCapture> capture_;
    std::unique_ptr<ScopeSession> session_;
    OscilloPanelModel model_;
    OscilloChartModel chartModel_;
    std::array<ChannelView, 2> channels_;
    QChart* chart_ = nullptr;
    QChartView* view_ = nullptr;
    QValueAxis* timeAxis_ = nullptr;
    QLineSeries* cursor1_ = nullptr;
    QLineSeries* cursor2_ = nullptr;
    GraphCursors* cursors_ = nullptr;
    ScopeWorkbench* workbench_ = nullptr; // measurements and references beside the chart
    ChartZoom* zoom_ = nullptr;
    QRadioButton* singleMode_ = nullptr;
    QRadioButton* continuousMode_ = nullptr;
    QPushButton* startButton_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    QPushButton* clearButton_ = nullptr;
    QToolButton* risingEdge_ = nullptr;
    QToolButton* fallingEdge_ = nullptr;
    QToolButton* autoTrigger_ = nullptr;
    TPNumEdit* levelField_ = nullptr;
    QComboBox* timeBaseList_ = nullptr;
    TPNumEdit* delayField_ = nullptr;
    QGroupBox* speedGroup_ = nullptr;
    StepControl* stepControl_ = nullptr;
    TPNumEdit* eSpd_ = nullptr;
    QGroupBox* cursorGroup_ = nullptr;
    QPushButton* cursorSwitch_ = nullptr;
    QRadioButton* cursorOnTime_ = nullptr;
    QRadioButton* cursorOnChannel1_ = nullptr;
    QRadioButton* cursorOnChannel2_ = nullptr;
    QLabel* cursorReadout1_ = nullptr;
    QLabel* cursorReadout2_ = nullptr;
    QLabel* cursorDifference_ = nullptr;
    QWidget* statusPanel_ = nullptr;
    QLabel* samplesLabel_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QAction* startAction_ = nullptr;
    QTimer layoutTimer_; // TInit: 100 ms the first time, 50 ms after every resize
    bool laidOut_ = false;
    std::array<int, 2> storedOffsets_{0, 0};
    bool saveReported_ = false;
    std::vector<QPointer<QWidget>> disabledWindows_;
    WriteOrigin armOrigin_; // the Start that armed the recorder last
    bool closed_ = false;
};

} // namespace kelm
