#pragma once

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

    bool Ok() const { return ok_; }
    const QString& PathA() const { return pathA_; }
    const QString& PathB() const { return pathB_; }

private:
    void Relay();

    bool ok_ = false;
    int masterA_ = -1, slaveA_ = -1, masterB_ = -1, slaveB_ = -1;
    int wake_[2] = {-1, -1};
    QString pathA_, pathB_;
    std::thread relay_;
};

} // namespace kelm::test
