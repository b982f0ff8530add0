#pragma once

#include <QWidget>

class QTimer;

namespace kelm {

// The splash window: borderless, centred on the screen, one 503 x 397 picture. When
// shown it starts a one-shot timer (2000 ms); the timer or a click on it closes it, and
// closing it emits Closed (the program then shows the main window).
class TFWelcome final : public QWidget {
    Q_OBJECT
public:
    static constexpr int PictureWidth = 503;
    static constexpr int PictureHeight = 397;

    explicit TFWelcome(int durationMs = 2000, QWidget* parent = nullptr);
    bool TimerActive() const;

signals:
    void Closed();

protected:
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QTimer* timer_ = nullptr;
    bool closed_ = false;
};

// Creates the splash window and shows `mainWindow` when it closes. The splash deletes
// itself after closing.
TFWelcome* ShowSplashThen(QWidget& mainWindow, int durationMs = 2000);

} // namespace kelm
