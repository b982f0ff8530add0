#pragma once

#include "core/drive/diag/DiagnosticCycle.h"
#include "core/drive/status/StatusLink.h"
#include "core/drive/status/StatusPoller.h"
#include "ui/diagnostic/DiagStatusHost.h"
#include "ui/diagnostic/MainWindowReduction.h"

#include <QWidget>
#include <array>
#include <memory>
#include <mutex>

class QLabel;
class QTableWidget;

namespace kelm {

class ShellHost;

// The diagnostic register view: every entry of the active table as a grid row, the
// registers of the visible rows re-read in the background (mode Diagnostic), each value in
// decimal and hexadecimal, values queued in the Write column and written at the row's next
// visit, and the serial master's request, reply and failure counters. While it is open the
// main window is reduced to the "&Diagnostic" menu.
class TFDiagnostic final : public QWidget {
    Q_OBJECT
public:
    enum Column { ColName, ColAddress, ColMin, ColMax, ColRead, ColHex, ColWrite, ColumnCount };

    // Builds the grid, reduces the main window. Start switches the worker to mode Diagnostic.
    explicit TFDiagnostic(ShellHost& shell, QWidget* parent = nullptr);
    ~TFDiagnostic() override;

    void Start();
    QTableWidget& Grid() { return *grid_; }
    DiagnosticCycle& Cycle() { return *cycle_; }
    // Texts of the three counter panels (requests, replies, failures).
    QString CounterText(int index) const;
    // The grid's visible rows, as handed to the cycle.
    VisibleRows Visible() const;
    // A click in the Write column (or Enter there): the number prompt, then the queue.
    void EditWriteCell(int row);
    // What runs on the worker once per pass over the visible rows: by default one status
    // poll cycle (which paints the status panel through the synchronized call). Tests may
    // replace it.
    void SetPassAction(std::function<void()> action) {
        const std::lock_guard lock(passMutex_);
        passAction_ = std::move(action);
    }
    // Repeats the main window's reduction (after it laid itself out again). A closed window
    // waiting for its deferred delete leaves the restored main window alone.
    void ReapplyReduction() {
        if (!closed_)
            reduction_.Apply();
    }

    // Cell texts.
    static QString ReadText(std::uint16_t value);
    static QString HexText(std::uint16_t value);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillGrid();
    void FitColumns();
    void UpdateVisibleRows();
    void ShowCounters(std::uint32_t requests, std::uint32_t replies, std::uint32_t failures);
    void RestoreMainWindow();

    ShellHost& shell_;
    std::unique_ptr<DiagnosticCycle> cycle_;
    MainWindowReduction reduction_;
    DriverStatusLink statusLink_;
    DiagStatusHost statusHost_;
    StatusPoller statusPoller_;
    std::mutex passMutex_; // the worker runs the pass action, a test may replace it
    std::function<void()> passAction_;
    QTableWidget* grid_ = nullptr;
    std::array<QLabel*, 3> counters_{};
    bool closed_ = false;
};

} // namespace kelm
