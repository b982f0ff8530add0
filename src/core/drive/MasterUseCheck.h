#pragma once

#include <atomic>
#include <thread>

namespace kelm {

// Debug guard for the serial master, which has no lock: the mode protocol must ensure that
// only one thread uses it at a time. A Scope marks a use; in debug builds a use from a
// second thread while another is in progress asserts. Same-thread nesting is allowed.
class MasterUseCheck {
public:
    class Scope {
    public:
        explicit Scope(MasterUseCheck& check);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        MasterUseCheck& check_;
        bool owner_ = false;
    };

    // Number of overlapping uses from two threads seen so far (also counted in release).
    int Conflicts() const { return conflicts_.load(); }

private:
    std::atomic<std::thread::id> user_{};
    std::atomic<int> conflicts_{0};
};

} // namespace kelm
