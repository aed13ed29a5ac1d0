// The title window's menu: its frames and the options behind it, where the
// user looks for them.
#include <windowsx.h>

#include "display/display.h"
#include "plugin/display_state.h"
#include "plugin/vis_api.h"
#include "resources/resource_ids.h"
#include "settings/settings.h"

void ApplyTopMost(HWND window) {
    DisplayState& s = g_state;
    // The player owns the window: its own place in the order stays its own.
    const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
    if (s.topMost) {
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, flags);
        s.madeTopMost = 1;
        return;
    }
    // Only what we raised is lowered: an owned window made non-topmost takes
    // its owners with it, and a player on top by its own setting stays there.
    const HWND owner = GetWindow(window, GW_OWNER);
    if (s.madeTopMost && !(owner && (GetWindowLongA(owner, GWL_EXSTYLE) & WS_EX_TOPMOST)))
        SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, flags);
    s.madeTopMost = 0;
}

const char* ItemText(const char* text, int choice, char* buffer /* kItemTextBytes */) {
    const DisplayState& s = g_state;
    const char* note = choice == kChoiceTitleFile && s.titleFile && s.titleFileInUse ? " (in use by another player)"
                       : choice >= 0 && (s.choicesFailed & (1 << choice))               ? " (not saved)"
                                                                                          : NULL;
    if (!note) return text;
    lstrcpynA(buffer, text, kItemTextBytes - 40);
    lstrcatA(buffer, note);
    return buffer;
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
        const bool checked = id == IDM_FRAME_TOOL + (UINT)s.styleIndex || (id == IDM_TOPMOST && s.topMost) ||
                             (id == IDM_TITLE_FILE && s.titleFile);
        if (checked) flags |= MF_CHECKED;
        const int choice = id == IDM_TOPMOST      ? kChoiceTopMost
                           : id == IDM_TITLE_FILE ? kChoiceTitleFile
                           : checked              ? kChoiceFrame
                                                  : -1;
        char buffer[kItemTextBytes];
        AppendMenuA(menu, flags, id, ItemText(text, choice, buffer));
    }
    AppendLookItems(menu);
    AppendScrollItems(menu);
    AppendShowItems(menu);

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
    int choice;
    switch (chosen) {
    case IDM_FRAME_TOOL:
    case IDM_FRAME_BORDER:
    case IDM_FRAME_NONE:
        SetFrame(window, (int)(chosen - IDM_FRAME_TOOL));
        choice = kChoiceFrame;
        break;
    case IDM_TOPMOST:
        s.topMost = !s.topMost;
        ApplyTopMost(window);
        choice = kChoiceTopMost;
        break;
    case IDM_TITLE_FILE:
        EmptyTitleFile(module);  // when it was on
        s.titleFile = !s.titleFile;
        s.titleFileWritten = 0;  // whatever the file holds now, the next title is written
        if (s.pictureShown) ShowTitleInFile(module, s.titleText);  // when it is on
        choice = kChoiceTitleFile;
        break;
    default:
        if (!ChooseShow(window, chosen)) return;  // nothing chosen: nothing changes
        choice = chosen == IDM_CLICK_THROUGH ? kChoiceClickThrough : kChoiceShow;
        break;
    }
    // Saved now, so a player that crashes later does not lose the choice;
    // one that cannot be saved yet is kept and saved at the first chance.
    NoteChoice(choice);
    if (!module) return;
    if (!s.placementPending) SavePlacement(module);
    SaveChoices(module, false);
}
