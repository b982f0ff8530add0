#include "ui/shell/ChildWindows.h"

#include <algorithm>
#include <atomic>

namespace kelm {

namespace {
std::atomic<int> g_nextId{1};
} // namespace

int ChildWindows::Register(Role role, const QString& name, Hooks hooks) {
    const int id = g_nextId.fetch_add(1);
    entries_.push_back({id, role, name, std::move(hooks)});
    return id;
}

void ChildWindows::Unregister(int id) {
    std::erase_if(entries_, [id](const Entry& entry) { return entry.Id == id; });
}

bool ChildWindows::IsRegistered(const QString& name) const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [&name](const Entry& entry) { return entry.Name == name; });
}

void ChildWindows::CloseAll(bool closePages, bool closeProfile) {
    static constexpr Role order[] = {Role::Diagnostic,  Role::ParameterPage, Role::Alarm,
                                     Role::DigitalPage, Role::AnalogPage,    Role::Profile};
    for (const Role role : order) {
        if (role == Role::Profile && !closeProfile)
            continue;
        // Collect first: a close routine usually unregisters its window.
        std::vector<int> ids;
        for (const Entry& entry : entries_)
            if (entry.WindowRole == role)
                ids.push_back(entry.Id);
        for (const int id : ids) {
            auto it = std::find_if(entries_.begin(), entries_.end(),
                                   [id](const Entry& entry) { return entry.Id == id; });
            if (it == entries_.end())
                continue;
            const CloseFn close = it->Calls.Close; // the routine may erase the entry
            if (close)
                close(closePages);
        }
    }
}

template <typename Fn> void ChildWindows::ForEach(Fn fn) {
    std::vector<int> ids;
    for (const Entry& entry : entries_)
        ids.push_back(entry.Id);
    for (const int id : ids) {
        auto it = std::find_if(entries_.begin(), entries_.end(),
                               [id](const Entry& entry) { return entry.Id == id; });
        if (it == entries_.end())
            continue; // unregistered by an earlier call
        const Hooks hooks = it->Calls;
        fn(hooks);
    }
}

void ChildWindows::NotifyOnline(bool online) {
    ForEach([online](const Hooks& hooks) {
        if (hooks.OnlineChanged)
            hooks.OnlineChanged(online);
    });
}

void ChildWindows::NotifyTableChanged() {
    ForEach([](const Hooks& hooks) {
        if (hooks.TableChanged)
            hooks.TableChanged();
    });
}

} // namespace kelm
