#pragma once

#include "core/common/DeviceKind.h"
#include "ui/widgets/PageFields.h"

#include <QWidget>
#include <functional>
#include <initializer_list>

class QComboBox;
class QGridLayout;
class QHBoxLayout;
class QPushButton;

namespace kelm {

class TDriver;
class TPNumEdit;

// The frame shared by every dialog page (motor, loop and analog pages): the page's controls
// above "&Ok", "&Cancel" and "&Apply". Edits are collected in the controls; Apply stores
// them into Value and writes the changed registers, Cancel reloads the controls from Value
// and closes, Ok applies and closes.
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

    // Apply: store every control into Value, write the changed registers, recolour. false
    // when the write failed (the drive is off line or did not answer).
    bool Apply();
    // Reload every control from Value (normal colours), as Cancel does before closing.
    void Reload();
    // Apply follows the line state.
    void SetOnline(bool online);
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
    // True when the register's Value differs from its DriveValue.
    bool RegisterDiffers(int address) const;

    // Page-specific parts of Apply and Reload (the field list itself is handled here).
    virtual void StoreControls() {}
    virtual void LoadControls() {}
    virtual void RecolourControls() {}
    virtual void AfterApply() {}

    void closeEvent(QCloseEvent* event) override;

private:
    void Deselect();
    void OkClicked();
    void CancelClicked();

    TDriver& driver_;
    DeviceKind kind_;
    PageFields fields_;
    Guided guided_;
    bool online_ = true;
    bool allowed_ = true;
    bool handedOver_ = false; // Ok of the guided layout moved on: closing is not an end
    QGridLayout* grid_ = nullptr;
    QHBoxLayout* buttons_ = nullptr;
    QPushButton* bOk_ = nullptr;
    QPushButton* bCancel_ = nullptr;
    QPushButton* bApply_ = nullptr;
};

} // namespace kelm
