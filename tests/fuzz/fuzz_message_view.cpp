// libFuzzer driver: the message view over arbitrary input.
#include "fuzz_targets.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (!fuzz::MessageViewTarget(data, size))
        std::abort();
    return 0;
}
