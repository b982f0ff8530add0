#include "core/drive/MasterUseCheck.h"

#include <QtGlobal>

namespace kelm {

MasterUseCheck::Scope::Scope(MasterUseCheck& check) : check_(check) {
    const std::thread::id self = std::this_thread::get_id();
    std::thread::id none{};
    if (check_.user_.compare_exchange_strong(none, self)) {
        owner_ = true;
        return;
    }
    if (none != self) {
        ++check_.conflicts_;
        Q_ASSERT_X(false, "ModbusMaster", "used by two threads at once");
    }
}

MasterUseCheck::Scope::~Scope() {
    if (owner_)
        check_.user_.store(std::thread::id{});
}

} // namespace kelm
