// libFuzzer driver: ConvertDate, FindMonth, ParseDisplayDate and SplitSender
// over arbitrary texts.
#include "fuzz_targets.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (!fuzz::DatesTarget(data, size))
        std::abort();
    return 0;
}
