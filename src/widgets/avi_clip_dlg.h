// The clip window: a small caption-less system-modal window that plays an
// AVI clip at its own size and closes itself when the clip has ended.
#pragma once

#include "widgets/avi_clip.h"
#include "framework/dialog.h"

#include <memory>
#include <string>

class CAviClipDlg : public CDialog {
  public:
    CAviClipDlg();

    std::string clipFile;

  protected:
    bool OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void StartClip();

    std::unique_ptr<CAviClip> clip;
};

// Plays `path` in the clip window and returns when it has closed; does
// nothing for an empty path.
void PlayAviClip(const std::string& path, HWND owner = nullptr);
