#include "widgets/avi_clip.h"

#include <mmsystem.h>
// after mmsystem.h, whose records it extends
#include <digitalv.h>

bool CAviClip::Open(const std::string& path, HWND parent) {
    Close();
    std::string element = path;
    MCI_DGV_OPEN_PARMSA open = {};
    open.lpstrElementName = &element[0];
    open.dwStyle = WS_CHILD;
    open.hWndParent = parent;
    if (mciSendCommandA(0, MCI_OPEN, MCI_OPEN_ELEMENT | MCI_DGV_OPEN_WS | MCI_DGV_OPEN_PARENT,
                        reinterpret_cast<DWORD_PTR>(&open)) != 0)
        return false;
    deviceId = open.wDeviceID;

    MCI_DGV_WINDOW_PARMSA window = {};
    window.nCmdShow = SW_SHOW;
    mciSendCommandA(deviceId, MCI_WINDOW, MCI_DGV_WINDOW_STATE, reinterpret_cast<DWORD_PTR>(&window));

    MCI_DGV_RECT_PARMS rect = {};
    if (mciSendCommandA(deviceId, MCI_WHERE, MCI_DGV_WHERE_SOURCE, reinterpret_cast<DWORD_PTR>(&rect)) == 0) {
        clipRect = rect.rc; // left, top, width, height
        mciSendCommandA(deviceId, MCI_PUT, MCI_DGV_PUT_DESTINATION | MCI_DGV_RECT,
                        reinterpret_cast<DWORD_PTR>(&rect));
    }
    return true;
}

bool CAviClip::Play() {
    if (!deviceId)
        return false;
    MCI_DGV_PLAY_PARMS play = {};
    if (mciSendCommandA(deviceId, MCI_PLAY, 0, reinterpret_cast<DWORD_PTR>(&play)) != 0)
        return false;
    mciSendCommandA(deviceId, MCI_REALIZE, MCI_DGV_REALIZE_NORM, 0);
    return true;
}

bool CAviClip::IsAtEnd() const {
    if (!deviceId)
        return false;
    MCI_STATUS_PARMS length = {}, position = {};
    length.dwItem = MCI_STATUS_LENGTH;
    position.dwItem = MCI_STATUS_POSITION;
    return mciSendCommandA(deviceId, MCI_STATUS, MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&length)) ==
               0 &&
           mciSendCommandA(deviceId, MCI_STATUS, MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&position)) ==
               0 &&
           length.dwReturn == position.dwReturn;
}

void CAviClip::Close() {
    if (deviceId) {
        mciSendCommandA(deviceId, MCI_CLOSE, 0, 0);
        deviceId = 0;
    }
}
