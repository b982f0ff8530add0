#pragma once

#include "core/common/DeviceKind.h"
#include "core/drive/WriteGate.h"
#include "core/rules/EditTracker.h"
#include "ui/widgets/PageFields.h"

#include <QWidget>
#include <functional>
#include <initializer_list>
#include <vector>

class QComboBox;
class QGridLayout;
class QHBoxLayout;
class QPushButton;

namespace kelm {

class TDriver;
class TPNumEdit;

// The frame shared by every dialog page (motor, loop and analog pages): the page's controls
// above "&Ok", "&Cancel" and "&Apply". The page holds its edits (the fields the user typed
// into, the lists chosen, the corrections made when it opened) and never puts them into the
// table before Apply; Apply writes exactly the registers edited on this page, Cancel drops
// the edits and closes, Ok applies and closes. Off line the controls are disabled and Ok
// stays open, saying that nothing was written.
//
// In the guided layout (the main window's menu is locked) the frame has no border icons,
// hides Apply and puts Ok in its place; Ok then applies and hands over to the guided
// sequence (GuidedOk), and closing the page any other way ends the sequence (GuidedEnd).
class DialogPage : public QWidget {
    Q_OBJECT
public:
    struct Guided {
        bool Active = false;
        // Ok was pressed and the page applied; written tells whether the write succeeded.
        std::function<void(bool written)> Ok;
        // The page was closed by Cancel or its close box.
        std::function<void()> End;
    };

    DialogPage(TDriver& driver, const QString& name, const QString& caption,
               QWidget* parent = nullptr);
    ~DialogPage() override;

    // Call once the subclass has built and loaded its controls: sets Apply by the line
    // state and the guided layout.
    void Finish(Guided guided);

    // Apply: the page's edits go into Value and exactly their registers are written (a bit
    // register is read again from the drive first, so that only the edited bits change);
    // recolour. An edit that did not reach the drive stays on the page and its register
    // keeps its former Value. true when no edit is left; false off line (nothing written).
    bool Apply();
    // Drop the edits and show every control from Value again (normal colours), as Cancel
    // does before closing; corrections the page makes are edits again.
    void Reload();
    // The controls and Apply follow the line state.
    void SetOnline(bool online);
    // Edits not yet written: fields typed into, lists chosen, corrections.
    bool HasEdits() const;
    bool IsGuided() const { return guided_.Active; }
    // The kind the page was laid out for (its registers).
    DeviceKind Kind() const { return kind_; }

    QPushButton* OkButton() const { return bOk_; }
    QPushButton* CancelButton() const { return bCancel_; }
    QPushButton* ApplyButton() const { return bApply_; }
    // Apply and Ok may be blocked by a page rule (the gear ratio check).
    void SetApplyAllowed(bool allowed);

signals:
    // The page was closed (it is freed soon after).
    void Closed();

protected:
    // The grid the subclass puts its controls into.
    QGridLayout* Grid() const { return grid_; }
    QHBoxLayout* Buttons() const { return buttons_; }
    TDriver& Driver() const { return driver_; }
    PageFields& Fields() { return fields_; }
    EditTracker& Edits() { return edits_; }

    // A numeric field registered with the page's field list (tag and decimals given).
    TPNumEdit* AddField(const QString& name, int tag, int decimals = 0, bool wide = false);
    // One captioned numeric field per grid row: caption, field, unit. The field is named
    // Field ("E..."), its caption and unit "L..." and "U...". A wide (32-bit) field spans
    // the unit column too, so the other units stay beside their fields.
    struct FieldRow {
        const char* Field;
        const char* Caption;
        int Tag;
        int Decimals = 0;
        const char* Unit = "";
        bool Wide = false;
    };
    // Adds the rows from grid row first on; returns the next free row.
    int AddFieldRows(std::initializer_list<FieldRow> rows, int first = 0);
    // Red text in a list while the register(s) it edits differ from the drive.
    static void MarkList(QComboBox* list, bool marked);
    // The register as this page shows it: its edit over Value (0 when the table lacks it).
    int Shown(int address) const;
    // A choice of the user (or a correction of the page): the whole register, or bits of a
    // register other controls share.
    void EditWord(int address, int value);
    void EditBits(int address, int mask, bool set);
    // True while the register is edited on this page or its Value differs from DriveValue.
    bool RegisterMarked(int address) const;

    // Apply as asked at origin (a request the page kept for a moment): nothing is written
    // when a transition has voided it, and the edits stay.
    bool ApplyAs(const WriteOrigin& origin);

    // Page-specific parts of Reload and Apply (the field list itself is handled here).
    // LoadControls shows the controls from Shown(); corrections go in through EditWord.
    virtual void LoadControls() {}
    virtual void RecolourControls() {}
    // written: the registers that reached the drive.
    virtual void AfterApply(const std::vector<std::uint16_t>& written) { (void)written; }

    void closeEvent(QCloseEvent* event) override;

private:
    void RecolourAll();
    void OkClicked();
    void CancelClicked();

    TDriver& driver_;
    DeviceKind kind_;
    PageFields fields_;
    EditTracker edits_;
    Guided guided_;
    bool online_ = true;
    bool allowed_ = true;
    bool handedOver_ = false; // Ok of the guided layout moved on: closing is not an end
    QWidget* body_ = nullptr; // the page's controls, disabled off line
    QGridLayout* grid_ = nullptr;
    QHBoxLayout* buttons_ = nullptr;
    QPushButton* bOk_ = nullptr;
    QPushButton* bCancel_ = nullptr;
    QPushButton* bApply_ = nullptr;
};

} // namespace kelm
