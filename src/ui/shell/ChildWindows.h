#pragma once

#include <QString>
#include <functional>
#include <vector>

namespace kelm {

// The child windows CloseChildWindows knows about. Each window registers a close routine
// under its role when it is created and unregisters when it is destroyed (or registers a
// routine that checks its own global reference).
class ChildWindows {
public:
    enum class Role {
        Diagnostic,    // closed always
        ParameterPage, // current, speed, motor, encoder output, position: asked to close
                       // with the close-pages flag
        Alarm,         // closed always
        DigitalPage,   // closed always
        AnalogPage,    // closed unless running its own procedure (its routine decides)
        Profile,       // closed only with WindowsToClose::Profile
        Other          // not touched by CloseChildWindows
    };
    // closePages: WindowsToClose::Pages of CloseChildWindows (only ParameterPage routines
    // use it).
    using CloseFn = std::function<void(bool closePages)>;
    // What a registered window wants to hear from the main window; any may be empty.
    struct Hooks {
        CloseFn Close;
        // ConfigureForDevice ran: edit controls follow the on-line state.
        std::function<void(bool online)> OnlineChanged;
        // The active table was reloaded or replaced (drive read, file opened): refresh.
        std::function<void()> TableChanged;
    };

    // Returns an id for Unregister. The same role may hold several windows. Ids are unique
    // across all registries of the process, so an id kept from a destroyed registry never
    // removes an entry of a later one (which may live at the same address).
    int Register(Role role, const QString& name, Hooks hooks);
    int Register(Role role, const QString& name, CloseFn close) {
        return Register(role, name, Hooks{std::move(close), {}, {}});
    }
    void Unregister(int id);
    bool IsRegistered(const QString& name) const;

    // Runs the close routines in the order: diagnostic, parameter pages (in registration
    // order), alarm, digital page, analog page, profile (only with closeProfile).
    void CloseAll(bool closePages, bool closeProfile);
    void NotifyOnline(bool online);
    void NotifyTableChanged();

private:
    struct Entry {
        int Id;
        Role WindowRole;
        QString Name;
        Hooks Calls;
    };
    // Calls hook on each registered window; tolerant of windows that unregister meanwhile.
    template <typename Fn> void ForEach(Fn fn);

    std::vector<Entry> entries_;
};

} // namespace kelm
