// Notices the player's title changes without polling its window.
#include "plugin/display_state.h"
#include "plugin/vis_api.h"

extern "C" LRESULT CALLBACK GetMsgProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code >= 0 && lParam) {
        const CWPSTRUCT* sent = (const CWPSTRUCT*)lParam;
        // hostWnd is set only in the player's process.
        if (sent->message == WM_SETTEXT && g_state.hostWnd && sent->hwnd == g_state.hostWnd)
            RequestTitleCheck();
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}
