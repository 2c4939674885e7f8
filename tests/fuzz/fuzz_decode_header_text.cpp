// libFuzzer driver: DecodeHeaderText over arbitrary texts.
#include "fuzz_targets.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (!fuzz::DecodeHeaderTextTarget(data, size))
        std::abort();
    return 0;
}
