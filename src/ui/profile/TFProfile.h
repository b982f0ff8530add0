#pragma once

#include "ui/shell/ProgressMode.h"

#include <QWidget>
#include <cstdint>
#include <functional>
#include <map>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace kelm {

class ParamTable;
class ProfileChart;
class ShellHost;
class TDriver;
class TPNumEdit;

// The profile editor: the header registers and one of the 32 position tasks at a time,
// with a sketch of its speed trapezoid. Task edits stay in the registers' Value until
// Apply; header fields are written when left. Flash save and load, and profiles files.
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
    int ShownTask() const { return shownTask_; }
    int MaxSpeed() const { return maxSpeed_; }
    bool SpeedOverMax() const;

    void BOpenClick();
    void BSaveAsClick();
    void BSaveFlClick();
    void BLoadFlClick();
    void BCancelClick();
    void BApplyClick();

    QPushButton* BOpen = nullptr;
    QPushButton* BSaveAs = nullptr;
    QPushButton* BSaveFl = nullptr;
    QPushButton* BLoadFl = nullptr;
    QPushButton* BCancel = nullptr;
    QPushButton* BApply = nullptr;
    TPNumEdit* EFirst = nullptr;
    QLineEdit* MSpeed = nullptr;
    TPNumEdit* EPStop = nullptr;
    TPNumEdit* ENStop = nullptr;
    QComboBox* CActProf = nullptr;
    TPNumEdit* EAcc = nullptr;
    TPNumEdit* ESpd = nullptr;
    TPNumEdit* EDec = nullptr;
    TPNumEdit* EPosEnd = nullptr;
    TPNumEdit* EWPos = nullptr;
    TPNumEdit* EWTime = nullptr;
    TPNumEdit* EDelay = nullptr;
    QComboBox* CSucc = nullptr;
    QLabel* LSpd = nullptr;
    ProfileChart* MyGraph = nullptr;

private:
    QWidget* BuildHeader();
    QWidget* BuildTaskPanel();
    TPNumEdit* NewField(const char* name, std::int32_t min, std::int32_t max);
    void LoadHeader();
    void LoadTask(int task);
    void StoreFields();
    void Recolour();
    void CActProfChange();
    void ESpdChange();
    void Redraw();
    void HeaderCommit(TPNumEdit& field);
    void TSpeedErrTimer();
    // Closes the editor when the drive went off line; true then.
    bool OfflineCheck();
    void CloseSelf();

    ShellHost& shell_;
    TDriver& driver_;
    ParamTable& table_;
    std::function<void(ProgressMode)> transfer_;
    int shownTask_ = 0;
    int maxSpeed_ = 0;
    QTimer* speedErrTimer_ = nullptr;
    // The numbers the task fields showed when loaded: a field clamped to its range on
    // showing writes nothing unless the user changes it.
    std::map<const TPNumEdit*, std::int32_t> loaded_;
};

} // namespace kelm
