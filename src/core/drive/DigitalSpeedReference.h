#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <cstdint>

namespace kelm {

// The digital speed reference as the windows share it. The main parameter page owns the
// field that writes it and publishes what the field shows; the digital I/O page holds the
// field while it is open and shows its slider's speed in it; the oscilloscope shows a copy
// and hands a typed speed over. What a window published or held ends when that window goes
// (a holder releases the field when it closes; one destroyed without closing tells nobody).
// User-interface thread only.
class DigitalSpeedReference final : public QObject {
    Q_OBJECT
public:
    struct View {
        bool Shown = false; // a page shows the field (only then may it write)
        std::uint16_t Register = 0;
        int Min = 0; // rpm
        int Max = 0;
        int Rpm = 0;
    };
    // What the field shows now; not shown when its page is gone.
    View Current() const { return publisher_ ? view_ : View{}; }
    void Publish(const QObject& publisher, const View& view);

    // A window holds the field (it shows that window's speeds and is not the user's).
    bool Held() const { return holder_ != nullptr; }
    void Hold(const QObject& holder);
    void Release(const QObject& holder);
    // The holder's speed in rpm, as it shows it.
    void ShowRpm(const QString& rpm) { emit RpmShown(rpm); }
    // A speed typed elsewhere for the field to write, as if the user left it with that.
    void Enter(int rpm) { emit Entered(rpm); }

signals:
    void HeldChanged(bool held);
    void RpmShown(const QString& rpm);
    void Entered(int rpm);

private:
    QPointer<const QObject> publisher_;
    QPointer<const QObject> holder_;
    View view_;
};

} // namespace kelm
