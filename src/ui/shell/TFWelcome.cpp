#include "ui/shell/TFWelcome.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <QTimer>

namespace kelm {

TFWelcome::TFWelcome(int durationMs, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("TFWelcome"));
    setFixedSize(PictureWidth, PictureHeight);
    timer_ = new QTimer(this);
    timer_->setSingleShot(true);
    timer_->setInterval(durationMs);
    connect(timer_, &QTimer::timeout, this, &QWidget::close);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

bool TFWelcome::TimerActive() const {
    return timer_->isActive();
}

void TFWelcome::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    timer_->start();
}

void TFWelcome::mousePressEvent(QMouseEvent*) {
    close();
}

void TFWelcome::closeEvent(QCloseEvent* event) {
    timer_->stop();
    event->accept();
    if (!closed_) {
        closed_ = true;
        emit Closed();
    }
}

void TFWelcome::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0, QColor(20, 40, 90));
    gradient.setColorAt(1, QColor(5, 10, 30));
    painter.fillRect(rect(), gradient);
    painter.setPen(QColor(230, 230, 240));
    QFont font = painter.font();
    font.setPointSize(40);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(rect().adjusted(0, 90, 0, 0), Qt::AlignHCenter | Qt::AlignTop,
                     QStringLiteral("KELM"));
    font.setPointSize(16);
    font.setBold(false);
    painter.setFont(font);
    painter.drawText(rect().adjusted(0, 180, 0, 0), Qt::AlignHCenter | Qt::AlignTop,
                     QStringLiteral("Kelm Servo Drive Software"));
    font.setPointSize(10);
    painter.setFont(font);
    painter.drawText(rect().adjusted(0, 0, 0, -20), Qt::AlignHCenter | Qt::AlignBottom,
                     QStringLiteral("Starting..."));
}

TFWelcome* ShowSplashThen(QWidget& mainWindow, int durationMs) {
    auto* splash = new TFWelcome(durationMs);
    splash->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(splash, &TFWelcome::Closed, &mainWindow, [&mainWindow] { mainWindow.show(); });
    splash->show();
    return splash;
}

} // namespace kelm
