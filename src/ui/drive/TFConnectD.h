#pragma once

#include "core/drive/WorkerMode.h"
#include "ui/shell/ProgressMode.h"

#include <QDialog>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>

class QLabel;
class QProgressBar;

namespace kelm {

class ModbusMaster;
class ShellHost;
class TDriver;

// What a progress-dialog mode does.
struct TransferMode {
    QString Label;
    std::optional<TransferTarget> Table; // none for the scanning window
    bool Write = false;                  // StartWrite instead of StartRead
    bool Transfer = true;                // ScanLink starts nothing
};
TransferMode TransferModeOf(ProgressMode mode);

// The transfer progress dialog: shown modally while a whole-table transfer runs, one step
// of the bar per register. Closing it before the transfer's end takes the program off line
// (the transfer stops after its current block). In mode ScanLink it is the non-modal "Scanning
// Tarn Link..." window of the link overview, which never affects the on-line state.
class TFConnectD final : public QDialog {
    Q_OBJECT
public:
    static constexpr int EndDelayMs = 100;

    // fileCleared: called after a full read (ReadTable) has cleared the driver's file name,
    // so the main window can clear its file panel.
    TFConnectD(TDriver& driver, ProgressMode mode, std::function<void()> fileCleared,
               QWidget* centreOn = nullptr);
    ~TFConnectD() override;

    // The whole-table transfer of a mode, run modally through the dialog runner.
    static void RunTransfer(ShellHost& shell, ProgressMode mode);
    // Mode ScanLink: a non-modal window on top, freed when closed.
    static TFConnectD* ShowScanning(TDriver& driver, QWidget* centreOn);
    // The progress dialog that exists now (at most one), or null.
    static TFConnectD* Current();
    // Lets the master disable the existing progress dialog while it reports "Device not
    // Respondig" (from either thread; the dialog is touched on its own thread only).
    static void InstallMasterHook(ModbusMaster& master);

    ProgressMode Mode() const { return mode_; }
    bool EndReached() const { return endReached_; }
    int Position() const;
    int Maximum() const;
    void SetMaximum(int maximum);
    void Advance();

    void done(int result) override;

    QLabel* LText = nullptr;
    QProgressBar* Progress = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void StartTransfer();
    void TransferDone();

    TDriver& driver_;
    ProgressMode mode_;
    TransferMode setup_;
    std::function<void()> fileCleared_;
    QWidget* centreOn_;
    QTimer endTimer_;
    bool started_ = false;
    bool endReached_ = false; // the end timer's tag
};

} // namespace kelm
