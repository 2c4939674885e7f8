// libFuzzer driver: the multi-line reply reader over arbitrary streams cut
// into arbitrary chunks.
#include "fuzz_targets.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (!fuzz::ReplyReaderTarget(data, size))
        std::abort();
    return 0;
}
