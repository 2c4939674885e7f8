#include "app/checker_app.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    CCheckerApp app;
    return app.Run();
}
