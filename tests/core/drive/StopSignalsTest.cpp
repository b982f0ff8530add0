#include "core/drive/stop/StopSignals.h"

#include <csignal>
#include <gtest/gtest.h>
#include <poll.h>

namespace kelm {
namespace {

bool Readable(int fd) {
    pollfd watch{fd, POLLIN, 0};
    return ::poll(&watch, 1, 0) == 1;
}

// The handler records the first signal and wakes the pipe; a second of another kind does
// not replace it; clearing forgets it and empties the pipe.
TEST(StopSignals, TheFirstSignalIsKeptAndThePipeWakes) {
    ASSERT_TRUE(InstallStopSignals({SIGUSR1, SIGUSR2}, false));
    ClearStopSignal();
    EXPECT_FALSE(Readable(StopSignalFd()));
    std::raise(SIGUSR2);
    std::raise(SIGUSR1);
    EXPECT_EQ(StopSignalReceived(), SIGUSR2);
    EXPECT_TRUE(Readable(StopSignalFd()));
    ClearStopSignal();
    EXPECT_EQ(StopSignalReceived(), 0);
    EXPECT_FALSE(Readable(StopSignalFd()));
    UninstallStopSignals();
    EXPECT_EQ(ExitCodeForSignal(SIGINT), 130);
}

} // namespace
} // namespace kelm
