#include "ui/drive/TFOffLineSel.h"

#include "ui/drive/DialogPlacement.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QStyle>

namespace kelm {

TFOffLineSel::TFOffLineSel(QWidget* centreOn) : QDialog(centreOn), centreOn_(centreOn) {
    setWindowTitle(QStringLiteral(" Off Line "));
    // No border icons; Escape goes back to the selection dialog without a choice.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    auto* layout = new QHBoxLayout(this);
    const std::array<QStyle::StandardPixmap, DeviceKindCount> pictures{
        QStyle::SP_ComputerIcon, QStyle::SP_DriveHDIcon, QStyle::SP_DriveNetIcon,
        QStyle::SP_DesktopIcon};
    for (int i = 0; i < DeviceKindCount; ++i) {
        const DeviceKind kind = static_cast<DeviceKind>(i);
        auto* button = new QPushButton(style()->standardIcon(pictures[i]), DeviceKindText(kind));
        button->setIconSize(QSize(48, 48));
        button->setAutoDefault(true); // Enter picks the focused kind
        layout->addWidget(button);
        connect(button, &QPushButton::clicked, this, [this, kind] {
            chosen_ = kind;
            accept();
        });
        Buttons[i] = button;
    }
}

void TFOffLineSel::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOn(*this, centreOn_);
}

} // namespace kelm
