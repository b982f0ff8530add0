#include "ui/widgets/ChangeMark.h"

#include <QApplication>
#include <QWidget>

namespace kelm {

void MarkChanged(QWidget* control, bool marked) {
    QPalette colours = control->palette();
    const QPalette normal = QApplication::palette(control);
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        for (const QPalette::ColorRole role :
             {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
            colours.setColor(group, role, marked ? QColor(Qt::red) : normal.color(group, role));
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        colours.setColor(QPalette::Disabled, role, normal.color(QPalette::Disabled, role));
    control->setPalette(colours);
}

} // namespace kelm
