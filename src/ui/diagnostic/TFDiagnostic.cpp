#include "ui/diagnostic/TFDiagnostic.h"

#include "core/drive/TDriver.h"
#include "core/drive/status/StatusFormats.h"
#include "core/link/ModbusMaster.h"
#include "core/settings/SettingsStore.h"
#include "ui/diagnostic/DiagValueDialog.h"
#include "ui/shell/ShellHost.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace kelm {

TFDiagnostic::TFDiagnostic(ShellHost& shell, QWidget* parent)
    : QWidget(parent), shell_(shell),
      cycle_(std::make_unique<DiagnosticCycle>(
          shell.Driver(),
          DiagnosticCycle::PlainLine{static_cast<std::uint32_t>(shell.Settings().BaudRate),
                                     shell.Settings().Parity})),
      reduction_(shell.Window()), statusLink_(shell.Driver()),
      statusHost_([&shell] { shell.StatusRefresh(); }), statusPoller_(statusLink_, statusHost_),
      passAction_([this] {
          TDriver& driver = shell_.Driver();
          statusPoller_.Poll([&driver] { return driver.Mode() != WorkerMode::Diagnostic; });
      }) {
    setObjectName(QStringLiteral("TFDiagnostic"));
    setWindowTitle(QStringLiteral(" Diagnostic"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    grid_ = new QTableWidget(this);
    grid_->setObjectName(QStringLiteral("Grid"));
    grid_->setColumnCount(ColumnCount);
    grid_->setHorizontalHeaderLabels({QStringLiteral("Desc."), QStringLiteral("Address"),
                                      QStringLiteral("Min."), QStringLiteral("Max."),
                                      QStringLiteral("Read"), QString(), QStringLiteral("Write")});
    grid_->verticalHeader()->hide();
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    layout->addWidget(grid_);

    auto* bar = new QStatusBar(this);
    bar->setSizeGripEnabled(false);
    const char* captions[] = {"Req", "Ok", "Fail"};
    for (int i = 0; i < 3; ++i) {
        bar->addWidget(new QLabel(QString::fromLatin1(captions[i]), bar));
        counters_[static_cast<std::size_t>(i)] = new QLabel(QStringLiteral("0"), bar);
        counters_[static_cast<std::size_t>(i)]->setObjectName(QStringLiteral("Counter%1").arg(i));
        counters_[static_cast<std::size_t>(i)]->setMinimumWidth(
            std::max(60, counters_[static_cast<std::size_t>(i)]->fontMetrics().horizontalAdvance(
                             QStringLiteral("4294967295")) +
                             8));
        bar->addWidget(counters_[static_cast<std::size_t>(i)]);
    }
    layout->addWidget(bar);

    // The main window shows only the diagnostic menu.
    shell_.SetDiagnosticMenuVisible(true);
    reduction_.Apply();
    // Titles and one row per entry.
    FillGrid();
    FitColumns();

    DiagnosticCycle::Observer observer;
    observer.RowRead = [this](int row, std::uint16_t value) {
        if (row < grid_->rowCount()) {
            grid_->item(row, ColRead)->setText(ReadText(value));
            grid_->item(row, ColHex)->setText(HexText(value));
        }
    };
    observer.WriteDone = [this](int row) {
        if (row < grid_->rowCount())
            grid_->item(row, ColWrite)->setText(QString());
    };
    observer.Counters = [this](std::uint32_t requests, std::uint32_t replies,
                               std::uint32_t failures) {
        ShowCounters(requests, replies, failures);
    };
    cycle_->SetObserver(observer);
    // Once per pass over the visible rows the status display is brought up to date. The
    // poll's requests run on the worker; only the painting comes to this thread.
    cycle_->SetPassPoll([this] {
        std::function<void()> action;
        {
            const std::lock_guard lock(passMutex_);
            action = passAction_;
        }
        if (action)
            action();
    });
    cycle_->Install();

    connect(grid_->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { UpdateVisibleRows(); });
    connect(grid_, &QTableWidget::cellClicked, this, [this](int row, int column) {
        if (column == ColWrite)
            EditWriteCell(row);
    });
    grid_->installEventFilter(this);
}

TFDiagnostic::~TFDiagnostic() {
    // Normally the close has already stopped the worker and dropped the cycle; a window
    // destroyed without a close still takes the cycle's bodies off the worker first.
    if (cycle_) {
        shell_.Driver().WaitIdle();
        cycle_.reset();
    }
}

void TFDiagnostic::Start() {
    UpdateVisibleRows();
    ShowCounters(0, 0, 0);
    shell_.Driver().SetMode(WorkerMode::Diagnostic);
}

QString TFDiagnostic::ReadText(std::uint16_t value) {
    return FormatFiveDigits(static_cast<std::int16_t>(value));
}

QString TFDiagnostic::HexText(std::uint16_t value) {
    return QStringLiteral("0x%1")
        .arg(value, 4, 16, QLatin1Char('0'))
        .toUpper()
        .replace(QStringLiteral("0X"), QStringLiteral("0x"));
}

void TFDiagnostic::FillGrid() {
    const ParamTable& table = shell_.Driver().ActiveTable();
    grid_->setRowCount(table.Count());
    for (int row = 0; row < table.Count(); ++row) {
        const ParamEntry& entry = table.At(row);
        const QString cells[ColumnCount] = {
            entry.Name,
            QStringLiteral("%1").arg(entry.Address, 4, 10, QLatin1Char('0')),
            FormatFiveDigits(entry.MinValue),
            FormatFiveDigits(entry.MaxValue),
            QString(),
            QString(),
            QString()};
        for (int column = 0; column < ColumnCount; ++column)
            grid_->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
}

// Every column as wide as its widest text, the values the poll may bring included; the
// table then asks for the width of all its columns.
void TFDiagnostic::FitColumns() {
    grid_->resizeColumnsToContents();
    const QFontMetrics metrics = grid_->fontMetrics();
    const int padding =
        2 * (grid_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid_) + 1) + 2;
    const auto fit = [&](int column, int least, const QString& widest) {
        const int width = std::max(least, metrics.horizontalAdvance(widest) + padding);
        grid_->setColumnWidth(column, std::max(grid_->columnWidth(column), width));
    };
    fit(ColName, 130, QString());
    for (int column = ColAddress; column < ColumnCount; ++column)
        fit(column, 52, QString());
    fit(ColRead, 52, ReadText(0x8000));
    fit(ColHex, 52, HexText(0xBBBB));
    fit(ColWrite, 52, FormatFiveDigits(-32768));
    int width = 2 * grid_->frameWidth() + grid_->verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < ColumnCount; ++column)
        width += grid_->columnWidth(column);
    grid_->setMinimumWidth(width);
}

VisibleRows TFDiagnostic::Visible() const {
    const int rows = grid_->rowCount();
    if (rows == 0)
        return {};
    int top = grid_->rowAt(0);
    if (top < 0)
        top = 0;
    int bottom = grid_->rowAt(grid_->viewport()->height() - 1);
    if (bottom < 0)
        bottom = rows - 1;
    return {top, bottom - top + 1};
}

void TFDiagnostic::UpdateVisibleRows() {
    if (cycle_)
        cycle_->SetVisibleRows(Visible());
}

void TFDiagnostic::ShowCounters(std::uint32_t requests, std::uint32_t replies,
                                std::uint32_t failures) {
    counters_[0]->setText(QString::number(requests));
    counters_[1]->setText(QString::number(replies));
    counters_[2]->setText(QString::number(failures));
}

QString TFDiagnostic::CounterText(int index) const {
    return counters_.at(static_cast<std::size_t>(index))->text();
}

void TFDiagnostic::EditWriteCell(int row) {
    if (row < 0 || row >= grid_->rowCount())
        return;
    // A value already waiting stays as it is.
    if (!cycle_ || !grid_->item(row, ColWrite)->text().isEmpty() || cycle_->PendingWrite(row))
        return;
    const ParamEntry& entry = shell_.Driver().ActiveTable().At(row);
    const std::optional<int> value = DiagValueDialog::Ask(entry.MinValue, entry.MaxValue, this);
    if (!value)
        return;
    if (cycle_->QueueWrite(row, static_cast<std::int16_t>(*value)))
        grid_->item(row, ColWrite)->setText(FormatFiveDigits(*value));
}

bool TFDiagnostic::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            grid_->currentColumn() == ColWrite) {
            EditWriteCell(grid_->currentRow());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TFDiagnostic::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    UpdateVisibleRows();
}

void TFDiagnostic::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    UpdateVisibleRows();
}

void TFDiagnostic::RestoreMainWindow() {
    QWidget* main = shell_.Window();
    if (main != nullptr) {
        main->setEnabled(true);
        if (main->isMinimized())
            main->showNormal();
    }
    reduction_.Undo();
    // Hides the diagnostic menu and lets the main window's command rules decide the
    // kind-dependent buttons (oscilloscope, profile tool, firmware loader) again.
    shell_.SetDiagnosticMenuVisible(false);
}

void TFDiagnostic::closeEvent(QCloseEvent* event) {
    if (!closed_) {
        closed_ = true;
        TDriver& driver = shell_.Driver();
        driver.WaitIdle();
        // The cycle goes now, not with the window: the drive model may be gone by the time
        // a deferred delete runs (the main window closing).
        cycle_.reset();
        driver.SetMode(WorkerMode::StatusPoll);
        RestoreMainWindow();
    }
    QWidget::closeEvent(event);
}

} // namespace kelm
