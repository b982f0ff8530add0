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
        Profile,       // closed only with the close-profile flag
        Other          // not touched by CloseChildWindows
    };
    // closePages: the first flag of CloseChildWindows (only ParameterPage routines use it).
    using CloseFn = std::function<void(bool closePages)>;

    // Returns an id for Unregister. The same role may hold several windows.
    int Register(Role role, const QString& name, CloseFn close);
    void Unregister(int id);
    bool IsRegistered(const QString& name) const;

    // Runs the close routines in the order: diagnostic, parameter pages (in registration
    // order), alarm, digital page, analog page, profile (only with closeProfile).
    void CloseAll(bool closePages, bool closeProfile);

private:
    struct Entry {
        int Id;
        Role WindowRole;
        QString Name;
        CloseFn Close;
    };
    std::vector<Entry> entries_;
    int nextId_ = 1;
};

} // namespace kelm
