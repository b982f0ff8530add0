#include "core/drive/LineTurns.h"

namespace kelm {

LineTurns::Write::Write(LineTurns& turns) : turns_(turns) {
    std::unique_lock lock(turns_.mutex_);
    turns_.changed_.wait(lock, [this] { return turns_.transitions_ == 0; });
    ++turns_.writing_;
}

LineTurns::Write::~Write() {
    {
        const std::lock_guard lock(turns_.mutex_);
        --turns_.writing_;
    }
    turns_.changed_.notify_all();
}

LineTurns::Transition::Transition(LineTurns& turns) : turns_(turns) {
    std::unique_lock lock(turns_.mutex_);
    ++turns_.transitions_;
    turns_.changed_.wait_for(lock, MaxWait, [this] { return turns_.writing_ == 0; });
}

LineTurns::Transition::~Transition() {
    {
        const std::lock_guard lock(turns_.mutex_);
        --turns_.transitions_;
    }
    turns_.changed_.notify_all();
}

} // namespace kelm
