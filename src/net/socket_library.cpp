#include "net/socket_platform.h"

#include <cstring>

bool ResolveIPv4(const std::string& host, in_addr& address) {
    address.s_addr = inet_addr(host.c_str());
    if (address.s_addr != INADDR_NONE)
        return true;
    addrinfo hints;
    std::memset(&hints, 0, sizeof hints);
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found)
        return false;
    address = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return true;
}

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
