// libFuzzer driver: the html text over arbitrary input.
#include "fuzz_targets.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (!fuzz::HtmlTextTarget(data, size))
        std::abort();
    return 0;
}
