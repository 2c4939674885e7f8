// The window base of the framework: a C++ object bound to its HWND, with
// messages dispatched to virtual handlers. Derived classes route commands
// with a plain switch in OnCommand ("case ID: OnSomething(); return true;"),
// so every command of a window can be read in one place.
#pragma once

#include <windows.h>

#include <string>

class CWindow {
  public:
    CWindow() = default;
    CWindow(const CWindow&) = delete;
    CWindow& operator=(const CWindow&) = delete;
    virtual ~CWindow();

    HWND GetHandle() const { return handle; }
    bool IsCreated() const { return handle != nullptr; }
    HWND GetItem(int id) const { return GetDlgItem(handle, id); }

    std::string GetItemText(int id) const;
    void SetItemText(int id, const std::string& text) const;

    // The object behind a window made by this framework, or null.
    static CWindow* FromHandle(HWND window);

    // The window procedure of every framework window class: binds the object
    // at WM_NCCREATE (from lpCreateParams) and dispatches to WindowProc.
    static LRESULT CALLBACK StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  protected:
    // Every message of the window comes here first. The default handles
    // WM_COMMAND and WM_NOTIFY by calling OnCommand and OnNotify.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Returns true when the command was handled.
    virtual bool OnCommand(int /*id*/, int /*code*/, HWND /*control*/) { return false; }
    // Returns true when handled; `result` is what the window procedure returns.
    virtual bool OnNotify(NMHDR* /*header*/, LRESULT& /*result*/) { return false; }
    // After the window is gone (WM_NCDESTROY); the object may delete itself here.
    virtual void OnFinalDestroy(HWND /*window*/) {}

    // What unhandled messages get: DefWindowProc for windows, FALSE for dialogs.
    virtual LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);

    void Attach(HWND window);
    void Detach();

    HWND handle = nullptr;

    // Runs WindowProc, keeping exceptions from crossing into the system.
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
};

// Registers a window class that dispatches to CWindow objects. Returns its name.
const char* RegisterFrameworkClass(const char* className, UINT style = 0, HICON icon = nullptr);
