// One AVI clip played through the media control interface in a child
// window of its own, at the clip's own size.
#pragma once

#include <windows.h>

#include <string>

class CAviClip {
  public:
    CAviClip() = default;
    CAviClip(const CAviClip&) = delete;
    CAviClip& operator=(const CAviClip&) = delete;
    ~CAviClip() { Close(); }

    // Opens the file in a child window of `parent`; false when it cannot be played.
    bool Open(const std::string& path, HWND parent);
    RECT GetClipRect() const { return clipRect; }
    // Plays from the current position to the end and returns at once.
    bool Play();
    // True once the position has reached the length.
    bool IsAtEnd() const;
    void Close();

  private:
    UINT deviceId = 0;
    RECT clipRect = {};
};
