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
    // Moves the window to the middle of the work area (the screen without
    // the taskbar) of the monitor it is on: for top-level windows without an
    // owner, which the system would otherwise put in the screen's corner.
    void CenterOnWorkArea() const;

    // Binds this object to an existing window, typically a dialog control:
    // its messages then pass through WindowProc, and what that leaves goes to
    // the window's own procedure. The binding ends when the window is
    // destroyed or the object goes. False when `window` is null or bound.
    bool Subclass(HWND window);

    // The object behind a window made by this framework, or null.
    static CWindow* FromHandle(HWND window);

    // Offers a message taken from the queue, before it is dispatched, to the
    // framework windows from the one it is for up to its top-level window,
    // each through PreTranslateMessage. True when one consumed it.
    static bool PreTranslateChain(MSG& message);

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
    // WM_NOTIFY or WM_DRAWITEM that this control sent to its parent, handed
    // back to it first. Returns true when handled; `result` is what the
    // parent's window procedure returns.
    virtual bool OnReflectedMessage(UINT /*message*/, LPARAM /*lParam*/, LRESULT& /*result*/) {
        return false;
    }
    // A queued message for this window or one of its descendants, before it
    // is dispatched (see PreTranslateChain). Return true to consume it; the
    // message may also be changed for those that see it next.
    virtual bool PreTranslateMessage(MSG& /*message*/) { return false; }
    // Just before Subclass binds this object to `window`; a control class may
    // adjust the window's style here.
    virtual void OnSubclassing(HWND /*window*/) {}
    // After the window is gone (WM_NCDESTROY); the object may delete itself here.
    virtual void OnFinalDestroy(HWND /*window*/) {}

    // What unhandled messages get: DefWindowProc for windows, FALSE for dialogs.
    virtual LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);

    void Attach(HWND window);
    void Detach();

    HWND handle = nullptr;

    // Runs WindowProc, keeping exceptions from crossing into the system.
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR object);
    // Gives a control's WM_NOTIFY or WM_DRAWITEM to the control's own object.
    bool ReflectToControl(UINT message, LPARAM lParam, LRESULT& result);

    bool subclassed = false;
};

// Registers a window class that dispatches to CWindow objects. Returns its name.
const char* RegisterFrameworkClass(const char* className, UINT style = 0, HICON icon = nullptr);
