#include "ui/common/FakeShellHost.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/ExtraLinkPorts.h"
#include "ui/shell/WaitFor.h"

#include <QStringList>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <optional>
#include <thread>

namespace kelm::test {
namespace {

using Role = ChildWindows::Role;

TEST(ChildWindows, ClosesInOrderAndHonoursFlags) {
    ChildWindows children;
    QStringList closed;
    const std::pair<Role, const char*> windows[] = {
        {Role::Profile, "profile"},       {Role::AnalogPage, "analog"},
        {Role::DigitalPage, "digital"},   {Role::Alarm, "alarm"},
        {Role::ParameterPage, "motor"},   {Role::ParameterPage, "speed"},
        {Role::Diagnostic, "diagnostic"}, {Role::Other, "main"}};
    for (const auto& [role, name] : windows)
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
    EXPECT_NE(registry->Register(Role::ParameterPage, "motor", ChildWindows::CloseFn{}), stale);
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

// Only a plain drive on line shows an address (the selection dialog starts from it).
TEST(ProgramSession, ShownAddressOnlyForAPlainDriveOnLine) {
    FakeShellHost shell;
    ProgramSession& session = shell.Session();
    EXPECT_EQ(session.ShownAddress(), std::nullopt); // off line at start
    const std::tuple<bool, DeviceKind, std::optional<std::uint8_t>> rows[] = {
        {true, DeviceKind::Std, 7},
        {false, DeviceKind::Std, std::nullopt},
        {true, DeviceKind::Orca230, std::nullopt}};
    for (const auto& [online, kind, expected] : rows) {
        session.SetShown({online, kind, 7});
        EXPECT_EQ(session.ShownAddress(), expected) << KindIndex(kind) << online;
    }
    // A file comparison is not a drive comparison; closing forgets the file mode.
    session.SetCompareOpen(true, true);
    EXPECT_EQ(std::pair(session.CompareOpen(), session.DriveCompareOpen()), std::pair(true, false));
    session.SetCompareOpen(false, true);
    session.SetCompareOpen(true, false);
    EXPECT_TRUE(session.DriveCompareOpen());
}

// The drive model's calls reach the window: which windows to close, the
// synchronized call on the user-interface thread while the worker waits.
TEST(ProgramSession, DriveModelCallsReachTheWindowOnItsThread) {
    FakeShellHost shell;
    DriverHost& host = shell.Session();
    QList<bool> closed;
    shell.Children().Register(ChildWindows::Role::ParameterPage, QStringLiteral("motor"),
                              [&](bool pages) { closed << pages; });
    host.CloseChildWindows({.Pages = true});
    host.CloseChildWindows({});
    host.ConfigureForDevice();
    EXPECT_EQ(std::pair(closed, shell.configured), std::pair(QList<bool>({true, false}), 1));
    QThread* ranOn = nullptr;
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        host.RunSynchronized([&] { ranOn = QThread::currentThread(); });
        returned = true;
    });
    EXPECT_TRUE(WaitFor([&] { return returned.load(); }));
    worker.join();
    EXPECT_EQ(ranOn, QThread::currentThread());
}

} // namespace
} // namespace kelm::test
