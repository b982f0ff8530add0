#pragma once

#include "../../core/link/Pty.h"

#include <QString>
#include <atomic>
#include <thread>

namespace kelm::test {

// Two pseudo-terminals joined back to back: bytes written to one slave side come out of the
// other one, like a null-modem cable. Both slave paths can be opened by name.
class PtyBridge {
public:
    PtyBridge();
    ~PtyBridge();
    PtyBridge(const PtyBridge&) = delete;
    PtyBridge& operator=(const PtyBridge&) = delete;

    bool Ok() const { return relay_.joinable(); }
    const QString& PathA() const { return a_.Path(); }
    const QString& PathB() const { return b_.Path(); }

private:
    void Relay();

    Pty a_;
    Pty b_;
    int wake_[2] = {-1, -1};
    std::thread relay_;
};

} // namespace kelm::test
