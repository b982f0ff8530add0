#pragma once

#include "core/journal/ChangesModel.h"
#include "core/journal/JournalEntry.h"

#include <QWidget>
#include <vector>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QStatusBar;
class QTimer;
class QTreeWidget;

namespace kelm {

class ProgramSession;
class ShellHost;

// Drive > Changes: the journal's changes of the drive selected in this run, newest first,
// one tree row per change with its entries below, filtered by session and date. "Undo"
// writes back the old values of the selected changes, "Back to the values read at
// connection" those of every change since the drive was selected; both ask first, listing
// what they write. The rows come from ChangeRows; the window keeps only the entries it read.
class TFChanges final : public QWidget {
    Q_OBJECT
public:
    TFChanges(ShellHost& shell, ProgramSession& session, QWidget* parent = nullptr);

    // Reads the journal again and lists the drive's changes the filter takes.
    void Refresh();
    void UndoSelected();
    void BackToConnection();
    // The change numbers of the selected rows (a register row counts as its change).
    std::vector<std::uint64_t> SelectedChanges() const;

    QLabel* DriveLabel = nullptr;
    QComboBox* SessionChoice = nullptr; // "This session", "All sessions"
    QCheckBox* SinceCheck = nullptr;
    QDateEdit* SinceDate = nullptr;
    QTreeWidget* Tree = nullptr;
    QLabel* Note = nullptr; // damaged lines, no drive yet
    QPushButton* UndoButton = nullptr;
    QPushButton* BackButton = nullptr;

private:
    // The entries of the drive selected in this run (all of them, whatever the filter).
    std::vector<JournalEntry> DriveEntries() const;
    // Asks, writes plan and says what became of it; nothing is written without a Yes.
    void Carry(const UndoPlan& plan, const QStringList& extraNotes, const QString& nothingText);
    void FollowState();

    ShellHost& shell_;
    ProgramSession& session_;
    std::vector<JournalEntry> entries_;
    QTimer* refreshSoon_ = nullptr; // journal changes close together refresh once
};

// The window's single instance; nullptr while it does not exist.
TFChanges* ChangesWindow();
// Brings the window up, or creates it in the main frame (registered for CloseChildWindows:
// it closes with the parameter pages).
void ShowChangesWindow(ShellHost& shell, ProgramSession& session);

// The status bar's "Changes: N" field: this run's change count, following the journal.
void AddChangeCountField(QStatusBar& bar, ProgramSession& session);

} // namespace kelm
