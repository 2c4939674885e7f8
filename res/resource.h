// Resource ids shared by the resource script and the code.
#pragma once

// Strings
#define IDS_SOCKET_INIT_FAILED 104
#define IDS_APP_NAME 57344

// Menus
#define IDR_TRAY_MENU 130

// Tray menu commands
#define ID_CHECK_NOW 32771
#define ID_OPTIONS 32772
#define ID_SHOW_POSTMAN 32773
#define ID_WEB_HOME 32783
#define ID_WEB_HELP 32784
#define ID_PAUSE 32787
#define ID_WEB_FAQ 32789
#define ID_WEB_BOARD 32790
#define ID_APP_ABOUT 57664
#define ID_APP_EXIT 57665

// Clip window
#define IDD_AVI_CLIP 190
#define IDC_CLIP_FRAME 1063
