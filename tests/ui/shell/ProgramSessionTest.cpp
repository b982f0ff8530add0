#include "ui/common/FakeShellHost.h"
#include "ui/shell/WaitFor.h"

#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace kelm::test {
namespace {

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
    EXPECT_EQ(closed, QList<bool>({true, false}));
    EXPECT_EQ(shell.configured, 1);
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
