#include "framework/ole_support.h"

#include <ole2.h>

namespace {
bool oleStarted = false;
} // namespace

void StartOleSupport() {
    if (!oleStarted)
        oleStarted = SUCCEEDED(OleInitialize(nullptr));
}

void EndOleSupport() {
    if (oleStarted)
        OleUninitialize();
    oleStarted = false;
}
