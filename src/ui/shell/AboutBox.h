#pragma once

#include <QDialog>

namespace kelm {

// Help > About: caption " KELM - Kelm Servo Drive Software " + version; a click anywhere
// on it closes it.
class AboutBox final : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* Version = "2.0.9";
    explicit AboutBox(QWidget* parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

} // namespace kelm
