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
    for (const auto& [role, name] : {std::pair{Role::Profile, "profile"},
                                     {Role::AnalogPage, "analog"},
                                     {Role::DigitalPage, "digital"},
                                     {Role::Alarm, "alarm"},
                                     {Role::ParameterPage, "motor"},
                                     {Role::ParameterPage, "speed"},
                                     {Role::Diagnostic, "diagnostic"},
                                     {Role::Other, "main"}})
        children.Register(role, name, [&closed, name](bool pages) {
            closed << QString::fromLatin1(name) + (pages ? QStringLiteral("+") : QString());
        });
    children.CloseAll(true, false);
    EXPECT_EQ(closed,
              QStringList({"diagnostic+", "motor+", "speed+", "alarm+", "digital+", "analog+"}));
    closed.clear();
    children.CloseAll(false, true);
    EXPECT_EQ(closed.last(), "profile");
    EXPECT_FALSE(closed.contains("main"));
}

// Closing A also closes (unregisters) B: B is not called afterwards. A window without a
// close routine is skipped. A window may keep the id of a registry since destroyed: a new
// registry at the same address must not lose one of its own entries to that id.
TEST(ChildWindows, UnregisteringWhileClosingOrWithAStaleIdIsSafe) {
    std::optional<ChildWindows> registry{std::in_place};
    int aCalls = 0, bCalls = 0, a = 0, b = 0;
    a = registry->Register(Role::ParameterPage, "a", [&](bool) {
        ++aCalls;
        registry->Unregister(a);
        registry->Unregister(b);
    });
    b = registry->Register(Role::ParameterPage, "b", [&](bool) { ++bCalls; });
    registry->Register(Role::Diagnostic, "silent", ChildWindows::CloseFn{});
    registry->CloseAll(true, true);
    EXPECT_EQ(aCalls, 1);
    EXPECT_EQ(bCalls, 0);
    EXPECT_FALSE(registry->IsRegistered("a") || registry->IsRegistered("b"));
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
