#include "framework/thread_stack.h"

#include <windows.h>

namespace {

// Left alone below the current frame: room for the calls that follow,
// VirtualAlloc's own among them.
constexpr SIZE_T spareBytes = 64 * 1024;
constexpr SIZE_T pageBytes = 4096;

} // namespace

void DiscardUnusedStack() {
    char* const frame = static_cast<char*>(__builtin_frame_address(0));
    MEMORY_BASIC_INFORMATION region;
    if (!VirtualQuery(frame, &region, sizeof region))
        return;
    // From the bottom of the stack's reservation, past the pages never
    // committed and the guard page, up to its committed pages.
    char* low = static_cast<char*>(region.AllocationBase);
    while (low < frame && VirtualQuery(low, &region, sizeof region) &&
           (region.State != MEM_COMMIT || (region.Protect & PAGE_GUARD)))
        low += region.RegionSize;
    char* const high =
        reinterpret_cast<char*>(reinterpret_cast<UINT_PTR>(frame - spareBytes) & ~(pageBytes - 1));
    if (low < high)
        VirtualAlloc(low, high - low, MEM_RESET, PAGE_READWRITE);
}
