#include "framework/thread_stack.h"

#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <thread>

namespace {

// Recurses `pages` frames of a page each, touching them; `deepest` ends at
// the address of the lowest.
__attribute__((noinline)) void TouchStack(int pages, UINT_PTR& deepest) {
    volatile char page[4096];
    page[0] = page[sizeof page - 1] = 1;
    deepest = reinterpret_cast<UINT_PTR>(page);
    if (pages > 1)
        TouchStack(pages - 1, deepest);
    page[1] = page[0]; // no tail call: every frame stays on the stack
}

bool Resident(UINT_PTR address) {
    PSAPI_WORKING_SET_EX_INFORMATION page = {};
    page.VirtualAddress = reinterpret_cast<void*>(address);
    return QueryWorkingSetEx(GetCurrentProcess(), &page, sizeof page) && page.VirtualAttributes.Valid;
}

} // namespace

TEST(ThreadStack, PagesFarBelowTheFrameLeaveMemoryAndTheThreadGoesOn) {
    bool before = false, after = false, deepAgain = false;
    std::thread([&] {
        UINT_PTR deepest = 0;
        TouchStack(128, deepest);
        before = Resident(deepest);
        DiscardUnusedStack();
        after = Resident(deepest);
        TouchStack(128, deepest); // the stack grows down there again
        deepAgain = Resident(deepest);
    }).join();
    EXPECT_TRUE(before);
    EXPECT_FALSE(after);
    EXPECT_TRUE(deepAgain);
}
