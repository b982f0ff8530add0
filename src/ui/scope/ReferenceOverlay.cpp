#include "ui/scope/ReferenceOverlay.h"

#include "core/files/ScopeFile.h"
#include "ui/seams/DialogRunner.h"

#include <QChart>
#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineSeries>
#include <QListWidget>
#include <QPushButton>
#include <QValueAxis>

namespace kelm {

ReferenceOverlay::ReferenceOverlay(const Chart& chart, Hooks hooks, QWidget* parent)
    : QGroupBox(QStringLiteral(" References "), parent), chart_(chart), hooks_(std::move(hooks)) {
    setObjectName(QStringLiteral("PRef"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setSpacing(3);
    hold_ = new QPushButton(QStringLiteral("Hold as Reference"), this);
    hold_->setVisible(static_cast<bool>(hooks_.Live));
    show_ = new QCheckBox(QStringLiteral("Show"), this);
    show_->setChecked(true);
    auto* open = new QPushButton(
        hooks_.Live ? QStringLiteral("Open…") : QStringLiteral("Overlay File…"), this);
    auto* save = new QPushButton(QStringLiteral("Save…"), this);
    auto* clear = new QPushButton(QStringLiteral("Clear"), this);
    legend_ = new QListWidget(this);
    legend_->setObjectName(QStringLiteral("LRef"));
    legend_->setMaximumHeight(4 * fontMetrics().height() + 8);
    legend_->setWordWrap(true);
    status_ = new QLabel(this);
    status_->setWordWrap(true);
    // One row of commands where the owner has no live record to hold.
    const int row = hooks_.Live ? 1 : 0;
    if (hooks_.Live)
        grid->addWidget(hold_, 0, 0, 1, 3);
    grid->addWidget(open, row, 0);
    grid->addWidget(save, row, 1);
    grid->addWidget(clear, row, 2);
    grid->addWidget(show_, row, 3);
    grid->addWidget(legend_, row + 1, 0, 1, 4);
    grid->addWidget(status_, row + 2, 0, 1, 4);
    legend_->hide(); // shown while there are references
    status_->hide();
    connect(hold_, &QPushButton::clicked, this, [this] { HoldLive(); });
    connect(open, &QPushButton::clicked, this, [this] { OpenClicked(); });
    connect(save, &QPushButton::clicked, this, [this] { SaveClicked(); });
    connect(clear, &QPushButton::clicked, this, [this] { ClearClicked(); });
    connect(show_, &QCheckBox::toggled, this, [this](bool on) {
        set_.SetShown(on);
        for (QLineSeries* series : series_)
            series->setVisible(on);
    });
}

ReferenceOverlay::~ReferenceOverlay() = default;

void ReferenceOverlay::HoldLive() {
    std::optional<ReferenceTrace> live = hooks_.Live();
    if (!live || live->Record.Points.empty()) {
        SetStatus(QStringLiteral("No record to hold."));
        return;
    }
    Hold(std::move(*live));
}

void ReferenceOverlay::Hold(ReferenceTrace reference) {
    const int replaced = set_.Hold(std::move(reference));
    SetStatus(replaced == 0 ? QString()
                            : QStringLiteral("Ref %1 replaced: %2 references are kept.")
                                  .arg(replaced)
                                  .arg(ReferenceSet::Capacity));
    Redraw();
}

bool ReferenceOverlay::Open(const QString& path) {
    ReferenceTrace reference;
    if (!ReadScopeFile(path, reference.Record).Ok)
        return false;
    reference.Source = QFileInfo(path).fileName();
    Hold(std::move(reference));
    return true;
}

const ReferenceTrace* ReferenceOverlay::Selected() const {
    const std::vector<ReferenceTrace>& all = set_.All();
    if (all.empty())
        return nullptr;
    const int row = legend_->currentRow();
    return row >= 0 && row < static_cast<int>(all.size()) ? &all[static_cast<std::size_t>(row)]
                                                          : &all.back();
}

bool ReferenceOverlay::Save(const QString& path) const {
    const ReferenceTrace* reference = Selected();
    return reference != nullptr && WriteScopeFile(reference->Record, path);
}

void ReferenceOverlay::SetLiveGains(GainSnapshot gains) {
    live_ = std::move(gains);
    for (int row = 0; row < legend_->count(); ++row)
        legend_->item(row)->setText(
            ReferenceSet::Legend(set_.All()[static_cast<std::size_t>(row)], live_));
}

void ReferenceOverlay::OpenClicked() {
    FileDialogRequest request;
    request.Filter = ScopeFileFilter();
    request.DefaultExtension = QStringLiteral("kls");
    request.InitialDir = hooks_.Folder ? hooks_.Folder() : QString();
    if (!Dialogs().GetOpenFileName(this, request))
        return;
    if (hooks_.SetFolder)
        hooks_.SetFolder(QFileInfo(request.FileName).absolutePath() + QLatin1Char('/'));
    Open(request.FileName);
}

void ReferenceOverlay::SaveClicked() {
    if (Selected() == nullptr) {
        SetStatus(QStringLiteral("No reference to save."));
        return;
    }
    FileDialogRequest request;
    request.Filter = ScopeFileFilter();
    request.DefaultExtension = QStringLiteral("kls");
    request.InitialDir = hooks_.Folder ? hooks_.Folder() : QString();
    if (!Dialogs().GetSaveFileName(this, request))
        return;
    if (hooks_.SetFolder)
        hooks_.SetFolder(QFileInfo(request.FileName).absolutePath() + QLatin1Char('/'));
    Save(request.FileName);
}

void ReferenceOverlay::ClearClicked() {
    set_.Clear();
    SetStatus({});
    Redraw();
}

// Every reference again: one dashed series per channel that was on when it was held, in
// the channel's colour, on the channel's axis.
void ReferenceOverlay::Redraw() {
    for (QLineSeries* series : series_) {
        chart_.Chart->removeSeries(series);
        delete series; // handed back by removeSeries
    }
    series_.clear();
    legend_->clear();
    for (const ReferenceTrace& reference : set_.All()) {
        for (std::size_t ch = 0; ch < 2; ++ch) {
            if (!reference.Record.Channels[ch].Enabled)
                continue;
            auto series = std::make_unique<QLineSeries>();
            series->setName(QStringLiteral("Ref %1 Ch%2").arg(reference.Number).arg(ch + 1));
            QColor colour = chart_.Colours[ch];
            colour.setAlpha(200);
            series->setPen(QPen(colour, 1, Qt::DashLine));
            QList<QPointF> points;
            points.reserve(static_cast<qsizetype>(reference.Record.Points.size()));
            for (const ScopePoint& point : reference.Record.Points)
                points.append({point.X, ch == 0 ? point.Y1 : point.Y2});
            series->replace(points);
            chart_.Chart->addSeries(series.get());
            series->attachAxis(chart_.Time);
            series->attachAxis(chart_.Axes[ch]);
            series->setVisible(set_.Shown());
            series_.push_back(series.release()); // the chart owns it now
        }
        legend_->addItem(ReferenceSet::Legend(reference, live_));
    }
    legend_->setVisible(!set_.Empty());
}

void ReferenceOverlay::SetStatus(const QString& text) {
    status_->setText(text);
    status_->setVisible(!text.isEmpty());
}

} // namespace kelm
