#include "framework/ui_thread.h"

#include <windows.h>

#include <atomic>

namespace {

constexpr UINT runMessage = WM_APP + 1;
constexpr UINT postMessage = WM_APP + 2;

std::atomic<HWND> invoker{nullptr};
DWORD uiThreadId = 0;

LRESULT CALLBACK InvokerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == runMessage) {
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        return 0;
    }
    if (message == postMessage) {
        auto* work = reinterpret_cast<std::function<void()>*>(lParam);
        (*work)();
        delete work;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

void CUiThread::Start() {
    if (invoker)
        return;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = InvokerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TidemarkUiThread";
    RegisterClassA(&wc);
    uiThreadId = GetCurrentThreadId();
    invoker =
        CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
}

void CUiThread::Stop() {
    HWND window = invoker.exchange(nullptr);
    if (window)
        DestroyWindow(window);
}

bool CUiThread::IsCurrent() {
    return GetCurrentThreadId() == uiThreadId;
}

void CUiThread::Run(const std::function<void()>& work) {
    if (IsCurrent()) {
        work();
        return;
    }
    HWND window = invoker;
    if (window)
        SendMessageA(window, runMessage, 0, reinterpret_cast<LPARAM>(&work));
}

void CUiThread::Post(std::function<void()> work) {
    HWND window = invoker;
    if (!window)
        return;
    auto* queued = new std::function<void()>(std::move(work));
    if (!PostMessageA(window, postMessage, 0, reinterpret_cast<LPARAM>(queued)))
        delete queued;
}
