// libFuzzer entry of one target; the target's name comes from the build.
#include "FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kelm::fuzz::RunTarget(KELM_FUZZ_TARGET, data, size);
    return 0;
}
