#include "app/network_watch.h"

#include <winsock2.h>
#include <ws2ipdef.h>
#include <iphlpapi.h>
#include <netioapi.h>

namespace {

void CALLBACK OnInterfaceChange(PVOID context, PMIB_IPINTERFACE_ROW, MIB_NOTIFICATION_TYPE) {
    const CNetworkWatch& watch = *static_cast<const CNetworkWatch*>(context);
    watch.Post();
}

} // namespace

bool CNetworkWatch::Start(HWND window, UINT changeMessage) {
    Stop();
    target = window;
    message = changeMessage;
    return NotifyIpInterfaceChange(AF_UNSPEC, OnInterfaceChange, this, FALSE, &notification) == NO_ERROR;
}

void CNetworkWatch::Stop() {
    // Returns only when no callback runs any more.
    if (notification)
        CancelMibChangeNotify2(notification);
    notification = nullptr;
}

void CNetworkWatch::Post() const {
    PostMessageA(target, message, 0, 0);
}

bool CNetworkWatch::IsConnected() {
    // A route for a public address (no packet is sent); any will do.
    DWORD index = 0;
    return GetBestInterface(htonl(0x08080808), &index) == NO_ERROR;
}
