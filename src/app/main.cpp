#include "app/checker_app.h"

#include <windows.h>

#include <cstdlib>

// The standard library's default terminate handler writes the exception's
// demangled type to standard error, which a windows program does not have;
// replacing it keeps the demangler (45 KB) out of the program.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    CCheckerApp app;
    return app.Run();
}
