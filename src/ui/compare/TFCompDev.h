#pragma once

#include "core/files/Comparison.h"

#include <QWidget>
#include <functional>

class QButtonGroup;
class QLabel;
class QPushButton;

namespace kelm {

class CompareGrid;
class TDriver;

// The comparison window: the compared parameters of the drive against a device file
// (drive mode), or of one file against another (file mode), side by side, with the
// filters "Show All", "Show NOT Equal" and "Show Equal". It never changes the table, the
// drive or a file. Open File runs the same command as Drive > Compare with File.
class TFCompDev final : public QWidget {
    Q_OBJECT
public:
    TFCompDev(TDriver& driver, std::function<void()> openFileCommand, QWidget* parent = nullptr);

    // Builds the rows (drive mode when firstFile is empty), shows the window and the
    // grid with every row (BAll down).
    void CompLoad(const QString& firstFile, const QString& secondFile);

    const Comparison& Data() const { return comparison_; }
    bool DriveMode() const { return comparison_.DriveMode(); }
    // The filter of the button that is down (1 all, 2 not equal, 3 equal).
    int Filter() const;
    // Clicks a filter button: "BAll", "BNoteq" or "BEq".
    void ClickFilter(const QString& buttonName);

    CompareGrid& Grid() { return *grid_; }
    QLabel& FirstLabel() { return *label1_; }
    QLabel& SecondLabel() { return *label2_; }
    QPushButton& OpenButton() { return *open_; }
    // Runs when the window closes (before it is destroyed).
    void SetOnClose(std::function<void()> fn) { onClose_ = std::move(fn); }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FilterClick(int tag);
    void UpdateLabels();
    void SetLabel(QLabel& label, const QString& title, const QString& path);

    TDriver& driver_;
    Comparison comparison_;
    QLabel* label1_ = nullptr;
    QLabel* label2_ = nullptr;
    QButtonGroup* filters_ = nullptr;
    QPushButton* open_ = nullptr;
    CompareGrid* grid_ = nullptr;
    std::function<void()> onClose_;
};

} // namespace kelm
