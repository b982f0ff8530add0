#pragma once

#include "core/analysis/RecordMeasurements.h"
#include "core/config/ScopeScales.h"

#include <QGroupBox>
#include <array>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineSeries;
class QTableWidget;

namespace kelm {

// The units of a record's two signals, as the signal set names them (empty when the set
// does not know a signal).
std::array<QString, 2> SignalUnits(const ScopeScaleSet& signalSet, const ScopeRecording& record);

// Measuring between two cursor lines: the range of their times when both are drawn.
void MeasureBetween(const QLineSeries* first, const QLineSeries* second, MeasureOptions& options);

// The " Measurements " box of a chart: where the step is (trigger or the other channel), the
// settling band, the range measured and one row per figure and channel. It shows figures;
// the chart's window measures its record with Options() and hands them to Show.
class MeasurementPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit MeasurementPanel(QWidget* parent);

    // The step source and the band as chosen (no range).
    MeasureOptions Options() const;
    void Show(const RecordFigures& figures, const std::array<QString, 2>& units);

    QComboBox* StepChoice() const { return stepSource_; }
    QTableWidget* Table() const { return table_; }
    QString RangeText() const;

signals:
    // The step source or the band changed: measure again.
    void OptionsChanged();

private:
    QComboBox* stepSource_ = nullptr;
    QDoubleSpinBox* band_ = nullptr;
    QLabel* range_ = nullptr;
    QTableWidget* table_ = nullptr;
};

} // namespace kelm
