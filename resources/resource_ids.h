// Resource ids of the two dialogs; shared by the .rc file and the code.
#pragma once

#define IDD_CONFIG 101
#define IDD_ABOUT 102

#define IDC_FONT_BUTTON 1000
#define IDC_BACK_COLOR 1001
#define IDC_ABOUT 1002
#define IDC_SCROLL_INTERVAL 1003
#define IDC_SCROLL_STEP 1004
#define IDC_FACE_NAME 1005
#define IDC_APPLY 1006
#define IDC_SCROLL_ENABLED 1007
#define IDC_TEXT_COLOR 1008
// The title's template
#define IDC_FORMAT_GROUP 1010
#define IDC_TITLE_FORMAT 1011
#define IDC_FORMAT_FIELDS 1012
#define IDC_SCROLL_SPEED 1040

// The title window's menu, one id an item in menu order (a separator too);
// the frame items in frame order.
#define IDM_FRAME_TOOL 2000
#define IDM_FRAME_BORDER 2001
#define IDM_FRAME_NONE 2002
#define IDM_TOPMOST 2004
#define IDM_TITLE_FILE 2005
#define IDM_TRANSPARENT 2007
#define IDM_OUTLINE_NONE 2008
#define IDM_OUTLINE_THIN 2009
#define IDM_OUTLINE_THICK 2010
#define IDM_OUTLINE_COLOR 2011

// When the title window shows, and click-through: the settings dialog's
// choices (the three in order) and the menu's items.
#define IDC_SHOW_ALWAYS 1020
#define IDC_SHOW_PLAYING 1021
#define IDC_SHOW_ON_CHANGE 1022
#define IDC_SHOW_SECONDS 1023
#define IDC_CLICK_THROUGH 1024
#define IDM_SHOW_ALWAYS 2020
#define IDM_SHOW_PLAYING 2021
#define IDM_SHOW_ON_CHANGE 2022
#define IDM_CLICK_THROUGH 2023

// The "Scrolling" submenu, in mode order.
#define IDM_SCROLL_LOOP 2030
#define IDM_SCROLL_BOUNCE 2031
#define IDM_SCROLL_ONCE 2032
