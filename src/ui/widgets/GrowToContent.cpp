#include "ui/widgets/GrowToContent.h"

#include "ui/widgets/ChildFrame.h"

#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <algorithm>

namespace kelm {

void GrowToContent(QWidget& window) {
    if (QLayout* layout = window.layout())
        layout->activate();
    window.updateGeometry();
    QWidget* frame = ChildFrame(&window);
    QSize size = frame->size().expandedTo(frame->sizeHint());
    auto* sub = qobject_cast<QMdiSubWindow*>(frame);
    if (sub == nullptr || sub->mdiArea() == nullptr) {
        frame->resize(size);
        return;
    }
    const QSize room = sub->mdiArea()->viewport()->size();
    size = size.boundedTo(room);
    const QPoint at(std::clamp(sub->x(), 0, room.width() - size.width()),
                    std::clamp(sub->y(), 0, room.height() - size.height()));
    sub->setGeometry(QRect(at, size));
}

} // namespace kelm
