#pragma once

#include "core/rules/ProfileSession.h"
#include "ui/shell/ProgressMode.h"

#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace kelm {

class ProfileChart;
class ShellHost;
class TDriver;
class TPNumEdit;

// The profile editor: the header registers and one of the 32 position tasks at a time,
// with a sketch of its speed trapezoid. Task edits stay in the registers' Value until
// Apply; header fields are written when left. Flash save and load, and profiles files.
// What is shown and written is decided by ProfileSession; the window wires its widgets.
class TFProfile final : public QWidget {
    Q_OBJECT
public:
    // transfer runs a whole-table transfer with the progress dialog.
    TFProfile(ShellHost& shell, std::function<void(ProgressMode mode)> transfer,
              QWidget* parent = nullptr);
    ~TFProfile() override;

    // Header fields and task 1 from the table.
    void ShowData();
    // The speed limit changed: show the new maximum and check the shown task against it.
    void RefreshSpeedLimit();

private:
    using Field = ProfileSession::Field;
    using Header = ProfileSession::Header;
    using Outcome = ProfileSession::Outcome;

    QWidget* BuildHeader();
    QWidget* BuildTaskPanel();
    TPNumEdit* NewField(const char* name, ProfileSession::Range range);
    TPNumEdit*& TaskField(Field field) { return taskFields_[static_cast<std::size_t>(field)]; }
    ProfileSession::TaskValues ShownValues() const;
    void ReadSpeedLimit();
    void LoadHeader();
    void LoadTask(int task);
    void StoreFields();
    void Recolour();
    void TaskChosen();
    void SpeedEdited();
    void Redraw();
    void CommitHeader(Header field);
    void ReportSpeedOverMax();
    // What the window does after a sequence: off line it closes (after the main window
    // laid itself out for that), and `closeOnFailure` also closes it when the drive
    // refused. true when the table is to be shown again.
    bool Follow(Outcome outcome, bool closeOnFailure = false);
    void CloseSelf();

    void OpenClicked();
    void SaveAsClicked();
    void SaveToFlashClicked();
    void LoadFromFlashClicked();
    void CancelClicked();
    void ApplyClicked();

    ShellHost& shell_;
    TDriver& driver_;
    // Shared so that a sequence running while the window goes away ends on a live object.
    std::shared_ptr<ProfileSession> session_;
    QTimer* speedErrorTimer_ = nullptr;
    std::array<TPNumEdit*, 3> headerFields_{};
    std::array<TPNumEdit*, ProfileSession::FieldCount> taskFields_{};
    QLineEdit* maxSpeedField_ = nullptr;
    QComboBox* taskList_ = nullptr;
    QComboBox* successorList_ = nullptr;
    QLabel* speedCaption_ = nullptr;
    ProfileChart* chart_ = nullptr;
};

} // namespace kelm
