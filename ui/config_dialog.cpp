// The settings dialog: font, colours and the marquee's speed.
#include "ui/config_dialog.h"

#include <commdlg.h>

#include <cstddef>

#include "display/dpi.h"
#include "plugin/display_state.h"
#include "plugin/vis_api.h"
#include "resources/resource_ids.h"
#include "settings/settings.h"
#include "settings/settings_rules.h"
#include "ui/dialog_rules.h"

static const int kTextLimit = 80;

// What is in effect: as the dialog opened, then as last applied. Cancel
// goes back to it, choices a failed save kept in memory included. The fields
// from `font` to `scrollEnabled` are copied as the one run they are.
static const size_t kRunBytes = offsetof(DisplayState, scrollEnabled) + sizeof(int) - offsetof(DisplayState, font);
static_assert(offsetof(AppearanceValues, scrollEnabled) + sizeof(int) == kRunBytes, "the run is laid out alike");

static void NoteInEffect() {
    DisplayState& s = g_state;
    AppearanceValues& v = s.inEffect;
    LockFont();
    CopyMemory(&v.font, &s.font, kRunBytes);
    lstrcpynA(v.titleFormat, s.titleFormat, kTemplateLimit);
    UnlockFont();
    v.transparent = s.transparent;
    v.outline = s.outline;
    v.outlineColor = s.outlineColor;
    v.scrollMode = s.scrollMode;
    v.scrollPauseOver = s.scrollPauseOver;
    v.fadeEdges = s.fadeEdges;
    v.unsaved = s.appearanceUnsaved;
}

static void RestoreInEffect() {
    DisplayState& s = g_state;
    const AppearanceValues& v = s.inEffect;
    LockFont();
    CopyMemory(&s.font, &v.font, kRunBytes);
    lstrcpynA(s.titleFormat, v.titleFormat, kTemplateLimit);
    UnlockFont();
    s.transparent = v.transparent;
    s.outline = v.outline;
    s.outlineColor = v.outlineColor;
    s.scrollMode = v.scrollMode;
    s.scrollPauseOver = v.scrollPauseOver;
    s.fadeEdges = v.fadeEdges;
    s.appearanceUnsaved = v.unsaved;
}

void __cdecl VisConfig(VisModule* module) {
    // A running display's choices are in memory already, saved as made.
    if (!TitleWindowLive()) LoadShow(module);
    // Choices that could not be saved are still the user's: start from them,
    // unless memory never held the file's values to start with.
    if (!g_state.appearanceUnsaved || !g_state.appearanceRead) LoadAppearance(module, kAskPatientlyMs);
    NoteInEffect();
    g_state.saveFailureShown = 0;
    // While it is open, compositions keep the picks made in it.
    InterlockedExchange(&g_state.dialogOpen, 1);
    // The system scales dialog templates, the About box and the pickers to
    // the monitor only under per-monitor version 2; elsewhere as ever.
    const DpiContext player = EnterDialogContext();
    INT_PTR result = DialogBoxParamA(module->instance, MAKEINTRESOURCEA(IDD_CONFIG), module->hostWindow,
                                     ConfigDlgProc, (LPARAM)module);
    LeaveContext(player);
    // OK saved before the dialog closed; -1 (no dialog) counts as OK, as the
    // values in memory are kept.
    if (result == -1)
        SaveAppearance(module, kAskPatientlyMs);
    else if (result == 0)
        RestoreInEffect();
    InterlockedExchange(&g_state.dialogOpen, 0);
    RequestRedraw();
}

static const VisModule* DialogModule(HWND dialog) {
    return (const VisModule*)GetWindowLongPtrA(dialog, DWLP_USER);
}

// Once per opening of the dialog, however often saving fails in it.
static void TellSaveFailed(HWND dialog, const VisModule* module) {
    if (g_state.saveFailureShown) return;
    g_state.saveFailureShown = 1;
    char path[MAX_PATH];
    if (!SettingsPath(module, path)) lstrcpynA(path, kSettingsFileName, MAX_PATH);
    char text[MAX_PATH + 160];
    wsprintfA(text, "The settings could not be saved to\n%s\n\nThey stay in effect until the plug-in is unloaded.",
              path);
    MessageBoxA(dialog, text, module->description, MB_OK | MB_ICONWARNING);
}

static void Save(HWND dialog, const VisModule* module) {
    if (!SaveAppearance(module, kAskPatientlyMs)) TellSaveFailed(dialog, module);
}

static void SetItemNumber(HWND dialog, int id, int value) {
    char text[32];
    wsprintfA(text, "%d", value);
    SendDlgItemMessageA(dialog, id, WM_SETTEXT, 0, (LPARAM)text);
}

static int ReadItemNumber(HWND dialog, int id) {
    char text[kTextLimit] = "";
    GetDlgItemTextA(dialog, id, text, kTextLimit);
    return ParseDecimal(text);
}

static void SetCheck(HWND dialog, int id, int on) {
    SendDlgItemMessageA(dialog, id, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

static bool Checked(HWND dialog, int id) {
    return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void ReadScrollControls(HWND dialog) {
    g_state.scrollEnabled = Checked(dialog, IDC_SCROLL_ENABLED) ? 1 : 0;
    g_state.scrollStep = ReadItemNumber(dialog, IDC_SCROLL_STEP);
    g_state.scrollInterval = ReadItemNumber(dialog, IDC_SCROLL_INTERVAL);
}

// The template is taken, like the scroll values, on OK and on Apply.
static void ReadFormatControl(HWND dialog) {
    char format[kTemplateLimit] = "";
    GetDlgItemTextA(dialog, IDC_TITLE_FORMAT, format, kTemplateLimit);
    LockFont();
    lstrcpynA(g_state.titleFormat, format, kTemplateLimit);
    UnlockFont();
}

static void InitShowControls(HWND dialog) {
    const DisplayState& s = g_state;
    for (int i = 0; i < kShowChoices; ++i) SetCheck(dialog, IDC_SHOW_ALWAYS + i, s.show == i);
    SetItemNumber(dialog, IDC_SHOW_SECONDS, ShowSecondsWithin(s.showSeconds));
    SetCheck(dialog, IDC_CLICK_THROUGH, s.clickThrough);
}

// Read on OK and Apply, as the scroll controls; the frames follow them.
static void ReadShowControls(HWND dialog) {
    DisplayState& s = g_state;
    for (int i = 0; i < kShowChoices; ++i)
        if (Checked(dialog, IDC_SHOW_ALWAYS + i)) s.show = i;
    s.showSeconds = ShowSecondsWithin(ReadItemNumber(dialog, IDC_SHOW_SECONDS));
    s.clickThrough = Checked(dialog, IDC_CLICK_THROUGH);
}

// The speed the step and interval fields give, in its own field.
static void ShowSpeed(HWND dialog) {
    SetItemNumber(dialog, IDC_SCROLL_SPEED,
                  SpeedOfPace(ReadItemNumber(dialog, IDC_SCROLL_STEP), ReadItemNumber(dialog, IDC_SCROLL_INTERVAL)));
}

// Typing a speed sets the step and interval that give it; typing either of
// those shows the speed they give. What the dialog writes itself is not typed.
static void OnEdited(HWND dialog, int id) {
    DisplayState& s = g_state;
    if (s.speedShown) return;
    s.speedShown = 1;
    const VisModule* module = DialogModule(dialog);
    ScrollPace pace;
    if (id == IDC_SCROLL_STEP || id == IDC_SCROLL_INTERVAL) {
        ShowSpeed(dialog);
    } else if (id == IDC_SCROLL_SPEED && module &&
               PaceForSpeed(ReadItemNumber(dialog, IDC_SCROLL_SPEED), module->delayMs, &pace)) {
        SetItemNumber(dialog, IDC_SCROLL_STEP, pace.step);
        SetItemNumber(dialog, IDC_SCROLL_INTERVAL, pace.interval);
    }
    s.speedShown = 0;
}

static void ShowFaceName(HWND dialog, const char* face) {
    SendDlgItemMessageA(dialog, IDC_FACE_NAME, WM_SETTEXT, 0, (LPARAM)face);
}

static void InitDialog(HWND dialog) {
    LockFont();
    char face[LF_FACESIZE];
    lstrcpynA(face, g_state.font.lfFaceName, LF_FACESIZE);
    UnlockFont();
    ShowFaceName(dialog, face);
    SetCheck(dialog, IDC_SCROLL_ENABLED, g_state.scrollEnabled);
    g_state.speedShown = 1;
    SetItemNumber(dialog, IDC_SCROLL_STEP, g_state.scrollStep);
    SetItemNumber(dialog, IDC_SCROLL_INTERVAL, g_state.scrollInterval);
    char format[kTemplateLimit];
    LockFont();
    lstrcpynA(format, g_state.titleFormat, kTemplateLimit);
    UnlockFont();
    SendDlgItemMessageA(dialog, IDC_TITLE_FORMAT, EM_LIMITTEXT, kTemplateLimit - 1, 0);
    SendDlgItemMessageA(dialog, IDC_TITLE_FORMAT, WM_SETTEXT, 0, (LPARAM)format);
    InitShowControls(dialog);
    ShowSpeed(dialog);
    g_state.speedShown = 0;

    RECT desktop, box;
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(dialog, &box);
    Point at = CentreOrigin(desktop.right - desktop.left, desktop.bottom - desktop.top, box.right - box.left,
                            box.bottom - box.top);
    SetWindowPos(dialog, HWND_TOPMOST, at.x, at.y, 0, 0, SWP_NOSIZE);
}

// The picker edits a copy, handed to the display under the font lock, so a
// composition never reads a half-written record. Its request has a colour
// of its own: the text colour stays what the user chose while it runs.
static void PickFont(HWND dialog) {
    LockFont();
    FontSpec picked = g_state.font;
    UnlockFont();

    CHOOSEFONTA& cf = g_state.fontDialog;
    cf.lStructSize = sizeof(CHOOSEFONTA);
    cf.hwndOwner = dialog;
    cf.hDC = NULL;
    cf.lpLogFont = &picked;
    cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS;
    cf.rgbColors = 0;
    if (ChooseFontA(&cf)) {
        picked.lfFaceName[LF_FACESIZE - 1] = '\0';
        LockFont();
        g_state.font = picked;
        UnlockFont();
        ShowFaceName(dialog, picked.lfFaceName);
    }
    cf.lpLogFont = &g_state.font;  // never left pointing at this frame
}

static void PickColor(HWND dialog, COLORREF* color, COLORREF* customColors) {
    CHOOSECOLORA cc = {};
    cc.lStructSize = sizeof(CHOOSECOLORA);
    cc.hwndOwner = dialog;
    cc.rgbResult = *color;
    cc.lpCustColors = customColors;
    cc.Flags = CC_RGBINIT | CC_ANYCOLOR;
    if (ChooseColorA(&cc)) *color = cc.rgbResult;
}

// When the window shows and click-through are saved as applied, running or
// not, so Cancel has nothing of theirs to undo.
static void SaveShowChoices(HWND dialog) {
    ReadShowControls(dialog);
    if (!SaveShow(DialogModule(dialog))) TellSaveFailed(dialog, DialogModule(dialog));
}

// What OK and Apply take from the fields before saving the appearance.
static void TakeFields(HWND dialog) {
    ReadScrollControls(dialog);
    ReadFormatControl(dialog);
    SaveShowChoices(dialog);
}

static void Apply(HWND dialog) {
    TakeFields(dialog);
    // The handle stays stale after the user closed the window.
    if (!TitleWindowLive() || !IsWindow(g_state.titleWnd)) return;
    const VisModule* module = (const VisModule*)GetWindowLongPtrA(g_state.titleWnd, GWLP_USERDATA);
    if (!module) return;
    Save(dialog, module);
    NoteInEffect();
    RequestRedraw();
}

static INT_PTR OnCommand(HWND dialog, WPARAM command) {
    switch (command) {
    case IDOK:
        TakeFields(dialog);
        Save(dialog, DialogModule(dialog));
        EndDialog(dialog, 1);
        return 1;
    case IDCANCEL:
        EndDialog(dialog, 0);
        return 1;
    case IDC_FONT_BUTTON:
        PickFont(dialog);
        return 1;
    case IDC_BACK_COLOR:
        PickColor(dialog, &g_state.bkColor, g_state.bkCustomColors);
        return 1;
    case IDC_TEXT_COLOR:
        PickColor(dialog, &TextColor(), g_state.textCustomColors);
        return 1;
    case IDC_ABOUT: {
        const VisModule* module = DialogModule(dialog);
        DialogBoxParamA(module->instance, MAKEINTRESOURCEA(IDD_ABOUT), dialog, AboutDlgProc, 0);
        return 1;
    }
    case IDC_APPLY:
        Apply(dialog);
        return 1;
    default:
        return 0;
    }
}

INT_PTR CALLBACK ConfigDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        InitDialog(dialog);
        return 1;
    case WM_COMMAND:
        if (HIWORD(wParam) == EN_CHANGE) OnEdited(dialog, LOWORD(wParam));
        return OnCommand(dialog, wParam);
    default:
        return 0;
    }
}
