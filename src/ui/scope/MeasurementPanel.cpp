#include "ui/scope/MeasurementPanel.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QTableWidget>

namespace kelm {

std::array<QString, 2> SignalUnits(const ScopeScaleSet& signalSet, const ScopeRecording& record) {
    std::array<QString, 2> units;
    for (const ScopeSignal& signal : signalSet)
        for (std::size_t ch = 0; ch < 2; ++ch)
            if (signal.Name == record.Channels[ch].Signal)
                units[ch] = signal.Unit.trimmed();
    return units;
}

void MeasureBetween(const QLineSeries* first, const QLineSeries* second, MeasureOptions& options) {
    if (first == nullptr || second == nullptr || first->count() == 0 || second->count() == 0)
        return;
    options.From = first->at(0).x();
    options.To = second->at(0).x();
}

MeasurementPanel::MeasurementPanel(QWidget* parent)
    : QGroupBox(QStringLiteral(" Measurements "), parent) {
    setObjectName(QStringLiteral("PMeas"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setSpacing(3);
    stepSource_ = new QComboBox(this);
    stepSource_->addItems({QStringLiteral("Step at trigger"), QStringLiteral("Step from Ch1"),
                           QStringLiteral("Step from Ch2")});
    band_ = new QDoubleSpinBox(this);
    band_->setRange(0.5, 20);
    band_->setSingleStep(0.5);
    band_->setDecimals(1);
    band_->setValue(2);
    band_->setSuffix(QStringLiteral(" %"));
    band_->setToolTip(QStringLiteral("Settling band"));
    range_ = new QLabel(this);
    range_->setWordWrap(true);
    table_ = new QTableWidget(0, 2, this);
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
    connect(stepSource_, &QComboBox::currentIndexChanged, this, &MeasurementPanel::OptionsChanged);
    connect(band_, &QDoubleSpinBox::valueChanged, this, &MeasurementPanel::OptionsChanged);
}

MeasureOptions MeasurementPanel::Options() const {
    MeasureOptions options;
    options.Step = static_cast<StepSampleFrom>(stepSource_->currentIndex());
    options.Band = band_->value() / 100;
    return options;
}

QString MeasurementPanel::RangeText() const {
    return range_->text();
}

void MeasurementPanel::Show(const RecordFigures& figures, const std::array<QString, 2>& units) {
    range_->setText(MeasurementRange(figures));
    const std::vector<MeasurementRow> rows = MeasurementRows(figures, units);
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

} // namespace kelm
