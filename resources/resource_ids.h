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
