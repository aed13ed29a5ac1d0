// The title window's menu: its frames and the options behind it, where the
// user looks for them.
#include <windowsx.h>

#include "display/display.h"
#include "plugin/display_state.h"
#include "plugin/vis_api.h"
#include "resources/resource_ids.h"
#include "settings/settings.h"

void ApplyTopMost(HWND window) {
    // The player owns the window: its own place in the order stays its own.
    SetWindowPos(window, g_state.topMost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

// The items from IDM_FRAME_TOOL on, in id order; an empty text is a separator.
static const char kItems[] =
    "Tool window frame\0Sizing border\0No frame\0\0Always on top\0Write title to nowplaying.txt\0";

void ShowTitleMenu(HWND window, LPARAM at) {
    DisplayState& s = g_state;
    POINT p = {GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    if (at == -1) {  // from the keyboard: at the window's corner
        p.x = p.y = 0;
        ClientToScreen(window, &p);
    }
    HMENU menu = CreatePopupMenu();  // without one every call below fails and nothing is chosen
    UINT id = IDM_FRAME_TOOL;
    for (const char* text = kItems; *text || text[1]; text += lstrlenA(text) + 1, ++id) {
        UINT flags = *text ? MF_STRING : MF_SEPARATOR;
        if (id <= IDM_FRAME_NONE) flags |= MFT_RADIOCHECK;
        if (id == IDM_FRAME_TOOL + (UINT)s.styleIndex || (id == IDM_TOPMOST && s.topMost) ||
            (id == IDM_TITLE_FILE && s.titleFile))
            flags |= MF_CHECKED;
        AppendMenuA(menu, flags, id, text);
    }
    AppendLookItems(menu);
    AppendScrollItems(menu);

    // The menu's own loop takes the keys while it is open.
    BYTE before[256], after[256];
    GetKeyboardState(before);
    const UINT chosen = (UINT)TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, p.x, p.y, window,
                                               NULL);
    DestroyMenu(menu);
    GetKeyboardState(after);
    NoteMenuKeys(&s.menuKeys, before, after);

    if (ChooseLook(window, chosen)) return;  // saved with the appearance
    if (ChooseScrolling(window, chosen)) return;
    const VisModule* module = (const VisModule*)GetWindowLongPtrA(window, GWLP_USERDATA);
    switch (chosen) {
    case IDM_FRAME_TOOL:
    case IDM_FRAME_BORDER:
    case IDM_FRAME_NONE:
        SetFrame(window, (int)(chosen - IDM_FRAME_TOOL));
        break;
    case IDM_TOPMOST:
        s.topMost = !s.topMost;
        ApplyTopMost(window);
        break;
    case IDM_TITLE_FILE:
        EmptyTitleFile(module);  // when it was on
        s.titleFile = !s.titleFile;
        s.titleFileWritten = 0;  // whatever the file holds now, the next title is written
        if (s.pictureShown) ShowTitleInFile(module, s.titleText);  // when it is on
        break;
    default:
        return;  // nothing chosen: nothing changes
    }
    // Saved now, so a player that crashes later does not lose the choice.
    if (module) SavePlacement(module);
}
