// One include for the BSD socket calls on both platforms: Winsock in the
// Windows build, the POSIX headers natively. Code using it calls only the
// names that exist in both, plus the few spelled out here.
#pragma once

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
using SocketHandle = SOCKET;
using SocketLength = int;
inline int CloseSocketHandle(SocketHandle s) {
    return closesocket(s);
}
inline int LastSocketError() {
    return WSAGetLastError();
}
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>
#include <cerrno>
using SocketHandle = int;
using SocketLength = socklen_t;
constexpr SocketHandle INVALID_SOCKET = -1;
constexpr int SOCKET_ERROR = -1;
inline int CloseSocketHandle(SocketHandle s) {
    return ::close(s);
}
inline int LastSocketError() {
    return errno;
}
#endif

#include <string>

// The IPv4 address of `host`: a dotted address is taken as it is, without a
// lookup; a name is looked up. False when the name cannot be resolved.
bool ResolveIPv4(const std::string& host, in_addr& address);

// Socket library start-up for the process. Winsock needs WSAStartup before
// any other call; elsewhere there is nothing to do. Returns false on failure.
bool StartSocketLibrary();
void StopSocketLibrary();
