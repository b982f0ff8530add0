#include "ui/shell/ChildWindows.h"
#include "ui/shell/ExtraLinkPorts.h"

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
    EXPECT_EQ(std::tuple(aCalls, bCalls), std::tuple(1, 0));
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

std::vector<int> Numbers(const std::vector<DiscoveredPort>& ports) {
    std::vector<int> numbers;
    for (const DiscoveredPort& port : ports)
        numbers.push_back(port.ComNumber);
    return numbers;
}

TEST(ExtraLinkPorts, ParsesListSkippingBadAndDuplicateNumbersMergeKeepsDiscoveredRecords) {
    EXPECT_EQ(Numbers(ParseLinkPortList("1")), std::vector<int>({1}));
    EXPECT_EQ(Numbers(ParseLinkPortList(" 7, 3 ,3,x,0,256,-1,255")), std::vector<int>({3, 7, 255}));
    EXPECT_TRUE(ParseLinkPortList("").empty() && ParseLinkPortList(",,").empty());
    for (const DiscoveredPort& port : ParseLinkPortList("4,5"))
        EXPECT_EQ(port.UnitKind, 1);
    const auto merged = MergeLinkPorts({{9, 3}, {2, 1}}, ParseLinkPortList("9,4"));
    EXPECT_EQ(Numbers(merged), std::vector<int>({2, 4, 9}));
    EXPECT_EQ(merged.back().UnitKind, 3); // the discovered record wins
}

} // namespace
} // namespace kelm
