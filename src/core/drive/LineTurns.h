#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace kelm {

// Takes turns on the line between writes and transitions of the session. A write holds its
// turn from its admission until its reply (or its last try); a transition waits for the
// write on the wire and goes first when both wait, so the screen never shows a state the
// line has already left and a write never slips in after it. A transition waits at most
// MaxWait (a write that never ends must not freeze the program).
class LineTurns {
public:
    static constexpr std::chrono::milliseconds MaxWait{3000};

    class Write {
    public:
        explicit Write(LineTurns& turns);
        ~Write();
        Write(const Write&) = delete;
        Write& operator=(const Write&) = delete;

    private:
        LineTurns& turns_;
    };

    class Transition {
    public:
        explicit Transition(LineTurns& turns);
        ~Transition();
        Transition(const Transition&) = delete;
        Transition& operator=(const Transition&) = delete;

    private:
        LineTurns& turns_;
    };

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int writing_ = 0;
    int transitions_ = 0; // waiting or running
};

} // namespace kelm
