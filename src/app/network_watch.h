// Tells a window when the machine's network changes: the IP helper reports
// every change of an IP interface (a cable, a wireless network, a VPN) on a
// thread of its own, and the watch posts one message to the window for it,
// so the window learns of it on its own thread.
#pragma once

#include <windows.h>

class CNetworkWatch {
  public:
    CNetworkWatch() = default;
    CNetworkWatch(const CNetworkWatch&) = delete;
    CNetworkWatch& operator=(const CNetworkWatch&) = delete;
    ~CNetworkWatch() { Stop(); }

    // Posts `message` to `window` at each change from now on; false when the
    // system offers no such report (the program then relies on its timer).
    bool Start(HWND window, UINT message);
    // No message is posted once this returns.
    void Stop();

    // Whether the machine has a route to the internet now: a default route
    // exists, so mail servers may be reachable.
    static bool IsConnected();

    // Called on the IP helper's thread.
    void Post() const;

  private:
    HANDLE notification = nullptr;
    HWND target = nullptr;
    UINT message = 0;
};
