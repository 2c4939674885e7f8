// libFuzzer driver: the header extraction and the store over arbitrary messages.
#include "fuzz_targets.h"

#include <cstdlib>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    static const std::string dir = [] {
        char name[] = "store-XXXXXX"; // in the working directory (scripts/fuzz.sh: build/fuzz)
        return std::string(mkdtemp(name)) + "/";
    }();
    if (!fuzz::ParseHeadersTarget(data, size, dir))
        std::abort();
    return 0;
}
