#include "widgets/web_site.h"

#include <windows.h>

#include <shellapi.h>

bool OpenWebPage(const char* url) {
    // Results of 32 and below are errors.
    return reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", url, nullptr, nullptr, SW_SHOWNORMAL)) >
           32;
}
