#pragma once

#include <QDialog>
#include <optional>

class QLabel;

namespace kelm {

class TPNumEdit;

// The small number prompt of the diagnostic Write column: caption "Value", limits of the
// row (signed when the minimum is negative) shown under the field, value 0 and an empty
// text, OK and Cancel. Enter or OK with a number outside the limits is refused with a
// message naming them and the prompt stays open; an empty text closes it as OK.
class DiagValueDialog final : public QDialog {
    Q_OBJECT
public:
    DiagValueDialog(int minValue, int maxValue, QWidget* parent = nullptr);

    TPNumEdit& Field() { return *field_; }
    // The number typed, when the text is not empty and the number lies within the limits.
    std::optional<int> Accepted() const;
    void accept() override;

    // Runs the prompt (through the dialog seam) centred over `over`; the number to queue.
    static std::optional<int> Ask(int minValue, int maxValue, QWidget* over);

private:
    TPNumEdit* field_ = nullptr;
    QLabel* limits_ = nullptr;
    int min_;
    int max_;
};

} // namespace kelm
