#include "framework/socket_platform.h"

#ifdef _WIN32
bool StartSocketLibrary() {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
}
void StopSocketLibrary() {
    WSACleanup();
}
#else
#include <csignal>
bool StartSocketLibrary() {
    // A peer that closes mid-send must give an error, not kill the process.
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}
void StopSocketLibrary() {}
#endif
