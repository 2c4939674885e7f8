// Resource ids shared by the resource script and the code.
#pragma once

// Strings
#define IDS_SOCKET_INIT_FAILED 104
#define IDS_APP_NAME 57344
#define IDS_TAB_MAILBOX 57345
#define IDS_TAB_QUICK_MAIL 57346
#define IDS_ARRIVED_COUNT 57347
#define IDS_LAST_CHECK 57348
#define IDS_CHECK_MAIL 57349
#define IDS_STOP_CHECK 57350
#define IDS_VIEW_MAIL 57351
#define IDS_DELETE_MAIL 57352
#define IDS_COLUMN_SERVER 57353
#define IDS_COLUMN_SENDER 57354
#define IDS_COLUMN_SUBJECT 57355

// Dialogs
#define IDD_POSTMAN 134
#define IDD_MAILBOX_PAGE 140
#define IDD_QUICK_MAIL_PAGE 141

// Postman window controls
#define IDC_PAGE_TABS 1003
#define IDC_ALWAYS_TOP 1052
#define IDC_STATUS_TEXT 1078
#define IDC_HIDE 1123
#define IDC_AD_HOST 1134

// Mailbox page controls
#define IDC_CHECK_BUTTON 1007
#define IDC_VIEW_BUTTON 1008
#define IDC_DELETE_BUTTON 1009
#define IDC_MAIL_LIST 1034
#define IDC_ARRIVED_COUNT 1044
#define IDC_LAST_CHECK 1045

// Icons
#define IDI_TIDEMARK 128
#define IDI_ABOUT 132
#define IDI_ABOUT_OPENED 133
#define IDI_CHECK_HOT 142
#define IDI_CHECK 143
#define IDI_VIEW_HOT 144
#define IDI_VIEW 145
#define IDI_DELETE 146
#define IDI_DELETE_HOT 147
#define IDI_STOP_HOT 187
#define IDI_STOP 188

// Bitmaps
#define IDB_TAB_IMAGES 154
#define IDB_TOP_OFF 199
#define IDB_TOP_ON 200
#define IDB_PICTURE_STRIP 203
#define IDB_HIDE 205

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

// About box
#define IDD_ABOUT 100
#define IDC_ABOUT_ICON 1001
#define IDC_HOME_LINK 1002
#define IDC_DOWNLOAD_LINK 1003
#define IDC_UPGRADE_CHECK 1092

// Upgrade dialog: the result line; IDOK opens the home page
#define IDD_UPGRADE 192
#define IDC_UPGRADE_RESULT 1078

// Clip window
#define IDD_AVI_CLIP 190
#define IDC_CLIP_FRAME 1063
