#pragma once

#include <QDialog>

class QLineEdit;

namespace kelm {

// A small number prompt: a bold numeric field and a hidden text field; Enter in either
// closes it with OK. Callers set the caption and read the value.
class TFGetNumber final : public QDialog {
    Q_OBJECT
public:
    explicit TFGetNumber(QWidget* parent = nullptr);

    // The number in the field; `ok` false when it is not a whole number.
    int Value(bool* ok = nullptr) const;
    void SetValue(int value);

    QLineEdit* ENumber = nullptr;
    QLineEdit* EText = nullptr; // hidden
};

} // namespace kelm
