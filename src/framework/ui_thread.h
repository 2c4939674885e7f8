// Hands work from a worker thread to the user-interface thread. Windows,
// the tray and shared lists are changed only there; the worker waits until
// its piece of work has run, so the order of its changes is kept.
#pragma once

#include <functional>

class CUiThread {
  public:
    // Called once on the user-interface thread before any worker starts.
    static void Start();
    static void Stop();

    static bool IsCurrent();
    // Runs `work` on the user-interface thread and returns when it is done;
    // runs it at once when called there. Does nothing after Stop.
    static void Run(const std::function<void()>& work);
    // Queues `work` for the user-interface thread and returns at once.
    static void Post(std::function<void()> work);
};
