#include "ui/widgets/GreyedIcon.h"

#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <utility>

namespace kelm {
namespace {

// Grey by its brightness, lifted towards white and a third as opaque.
QPixmap Greyed(const QPixmap& pixmap) {
    QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int grey = 128 + qGray(line[x]) / 2;
            line[x] = qRgba(grey, grey, grey, qAlpha(line[x]) / 3);
        }
    }
    QPixmap greyed = QPixmap::fromImage(image);
    greyed.setDevicePixelRatio(pixmap.devicePixelRatio());
    return greyed;
}

// Draws the icon it wraps, except in the disabled mode, where it greys the normal picture.
class GreyedEngine final : public QIconEngine {
public:
    explicit GreyedEngine(QIcon icon) : icon_(std::move(icon)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal scale =
            painter->device() != nullptr ? painter->device()->devicePixelRatioF() : 1.0;
        painter->drawPixmap(rect, scaledPixmap(rect.size(), mode, state, scale));
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        if (mode != QIcon::Disabled)
            return icon_.pixmap(size, scale, mode, state);
        return Greyed(icon_.pixmap(size, scale, QIcon::Normal, state));
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon_.actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return icon_.availableSizes(mode, state);
    }
    QIconEngine* clone() const override { return new GreyedEngine(icon_); }

private:
    QIcon icon_;
};

} // namespace

QIcon GreyedWhenDisabled(const QIcon& icon) {
    return QIcon(new GreyedEngine(icon));
}

} // namespace kelm
