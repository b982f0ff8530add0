#include "ui/shell/ChildWindows.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <optional>

namespace kelm {
namespace {

using Role = ChildWindows::Role;

TEST(ChildWindows, ClosesInOrderAndHonoursFlags) {
    ChildWindows children;
    QStringList closed;
    const auto reg = [&](Role role, const QString& name) {
        children.Register(role, name, [&closed, name](bool pages) {
            closed << name + (pages ? QStringLiteral("+") : QString());
        });
    };
    reg(Role::Profile, "profile");
    reg(Role::AnalogPage, "analog");
    reg(Role::DigitalPage, "digital");
    reg(Role::Alarm, "alarm");
    reg(Role::ParameterPage, "motor");
    reg(Role::ParameterPage, "speed");
    reg(Role::Diagnostic, "diagnostic");
    reg(Role::Other, "main");
    children.CloseAll(true, false);
    EXPECT_EQ(closed,
              QStringList({"diagnostic+", "motor+", "speed+", "alarm+", "digital+", "analog+"}));
    closed.clear();
    children.CloseAll(false, true);
    EXPECT_EQ(closed.last(), "profile");
    EXPECT_FALSE(closed.contains("main"));
}

TEST(ChildWindows, WindowsThatUnregisterWhileClosingAreSafe) {
    ChildWindows children;
    int aCalls = 0, bCalls = 0, a = 0, b = 0;
    // Closing A also closes (unregisters) B; B must not be called afterwards.
    a = children.Register(Role::ParameterPage, "a", [&](bool) {
        ++aCalls;
        children.Unregister(a);
        children.Unregister(b);
    });
    b = children.Register(Role::ParameterPage, "b", [&](bool) { ++bCalls; });
    children.CloseAll(true, true);
    EXPECT_EQ(aCalls, 1);
    EXPECT_EQ(bCalls, 0);
    EXPECT_FALSE(children.IsRegistered("a"));
    EXPECT_FALSE(children.IsRegistered("b"));
}

TEST(ChildWindows, NotifiesChangesAndAStaleIdRemovesNothing) {
    ChildWindows children;
    std::vector<bool> online;
    int tables = 0;
    ChildWindows::Hooks hooks;
    hooks.OnlineChanged = [&](bool on) { online.push_back(on); };
    hooks.TableChanged = [&] { ++tables; };
    const int id = children.Register(Role::Other, "page", hooks);
    children.Register(Role::Other, "silent", ChildWindows::CloseFn{});
    children.NotifyOnline(true);
    children.NotifyOnline(false);
    children.NotifyTableChanged();
    EXPECT_EQ(online, (std::vector<bool>{true, false}));
    EXPECT_EQ(tables, 1);
    children.Unregister(id);
    children.NotifyTableChanged();
    EXPECT_EQ(tables, 1);
    children.CloseAll(true, true); // a window without a close routine is skipped
    // A window keeps the id of a registry that has since been destroyed; a new registry at
    // the same address must not lose one of its own entries when that id is unregistered.
    std::optional<ChildWindows> registry{std::in_place};
    const ChildWindows* first = &*registry;
    const int stale = registry->Register(Role::Diagnostic, "diagnostic", ChildWindows::CloseFn{});
    registry.emplace();
    ASSERT_EQ(&*registry, first);
    const int fresh = registry->Register(Role::ParameterPage, "motor", ChildWindows::CloseFn{});
    EXPECT_NE(fresh, stale);
    registry->Unregister(stale);
    EXPECT_TRUE(registry->IsRegistered("motor"));
}

} // namespace
} // namespace kelm
