#include "ui/drive/DialogPlacement.h"

#include <QWidget>

namespace kelm {

void CentreOn(QWidget& widget, const QWidget* reference) {
    if (!reference)
        return;
    const QRect r = reference->frameGeometry();
    widget.move(r.left() + (r.width() - widget.width()) / 2,
                r.top() + (r.height() - widget.height()) / 2);
}

} // namespace kelm
