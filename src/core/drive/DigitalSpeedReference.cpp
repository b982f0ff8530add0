#include "core/drive/DigitalSpeedReference.h"

namespace kelm {

void DigitalSpeedReference::Publish(const QObject& publisher, const View& view) {
    publisher_ = &publisher;
    view_ = view;
}

void DigitalSpeedReference::Hold(const QObject& holder) {
    if (holder_ == &holder)
        return;
    holder_ = &holder;
    emit HeldChanged(true);
}

void DigitalSpeedReference::Release(const QObject& holder) {
    if (holder_ != &holder)
        return;
    holder_ = nullptr;
    emit HeldChanged(false);
}

} // namespace kelm
