#include "postman/ad_control.h"

HWND AdCreateControl(const char* /*clientId*/, HWND host, int /*x*/, int /*y*/, int /*width*/,
                     int /*height*/) {
    return host;
}
