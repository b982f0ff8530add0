#include "core/drive/SynchronizedCaller.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

namespace kelm {

SynchronizedCaller::SynchronizedCaller(std::function<void()> onPauseElapsed, QObject* parent)
    : QObject(parent), onPauseElapsed_(std::move(onPauseElapsed)), pauseTimer_(new QTimer(this)) {
    pauseTimer_->setObjectName(QStringLiteral("TmrPause"));
    pauseTimer_->setSingleShot(true);
    connect(pauseTimer_, &QTimer::timeout, this, [this] {
        if (onPauseElapsed_)
            onPauseElapsed_();
    });
}

void SynchronizedCaller::Run(const std::function<void()>& fn) {
    if (QThread::currentThread() == thread())
        fn();
    else
        QMetaObject::invokeMethod(
            this, [&fn] { fn(); }, Qt::BlockingQueuedConnection);
}

void SynchronizedCaller::StartPause(int intervalMs) {
    pauseTimer_->start(intervalMs);
}

void SynchronizedCaller::StopPause() {
    pauseTimer_->stop();
}

bool SynchronizedCaller::PauseActive() const {
    return pauseTimer_->isActive();
}

void SynchronizedCaller::ProcessEvents() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace kelm
