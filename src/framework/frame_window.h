// A top-level frame window with an optional menu resource. Before a popup
// menu of the frame opens, OnUpdateCommand runs for each of its items so
// the frame can set their text, check mark and state.
#pragma once

#include "framework/window.h"

#include <string>

// One menu item as seen by OnUpdateCommand.
class CCommandUpdate {
  public:
    CCommandUpdate(HMENU menu, int position, int id) : menu(menu), position(position), id(id) {}

    int GetId() const { return id; }
    void SetText(const std::string& text);
    void SetCheck(bool checked);
    void Enable(bool enabled);

  private:
    HMENU menu;
    int position;
    int id;
};

class CFrameWindow : public CWindow {
  public:
    // Creates the window hidden. `menuId` 0 means no menu. Fails when OnCreate
    // returns -1.
    bool Create(const std::string& title, DWORD style, int menuId = 0);

    // Calls OnUpdateCommand for every command item of `menu` (not recursing).
    void UpdateMenuItems(HMENU menu);

  protected:
    // 0 to go on, -1 to fail the creation.
    virtual int OnCreate() { return 0; }
    // WM_CLOSE; the default destroys the window.
    virtual void OnClose() { DestroyWindow(handle); }
    virtual void OnTimer(UINT_PTR /*id*/) {}
    // WM_DESTROY, while the child windows still exist.
    virtual void OnDestroy() {}
    virtual void OnUpdateCommand(CCommandUpdate& /*item*/) {}

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};
