#pragma once

#include <cstdint>
#include <functional>

namespace kelm {

// The child windows a command closes before it runs, besides those that always close (the
// diagnostic, alarm and digital windows, and the analog page unless it runs a procedure).
struct WindowsToClose {
    bool Pages = false;   // the parameter pages are asked to close
    bool Profile = false; // the profile window closes

    bool operator==(const WindowsToClose&) const = default;
};

// How TDriver reaches the main window. The desktop program's main window implements it;
// tests use a fake host. Every call except RunSynchronized comes from the user-interface
// thread.
class DriverHost {
public:
    virtual ~DriverHost() = default;
    // Runs fn on the user-interface thread while the calling (worker) thread waits.
    // Called from the user-interface thread itself, it runs fn directly.
    virtual void RunSynchronized(const std::function<void()>& fn) = 0;
    // Lays the main window out for the current kind and on-line state.
    virtual void ConfigureForDevice() = 0;
    // Closes child windows before an EEPROM command.
    virtual void CloseChildWindows(WindowsToClose windows) = 0;
    // The pause timer of the status poll: start it with an interval; when it fires the host
    // calls TDriver::PauseElapsed(). Stop cancels a pending firing.
    virtual void StartPauseTimer(int intervalMs) = 0;
    virtual void StopPauseTimer() = 0;
    // Processes pending window events except user input (used while waiting for the worker).
    virtual void ProcessEvents() = 0;
};

} // namespace kelm
