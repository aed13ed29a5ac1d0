// When the title window shows, its fades, and clicks passing through it.
#include "display/display.h"
#include "display/dpi.h"
#include "display/player_info.h"
#include "display/show_rules.h"
#include "plugin/display_state.h"
#include "resources/resource_ids.h"

// A busy player keeps its last state; an idle one is asked again this often
// even when its caption stays (one that answers but never sets it).
static const DWORD kStateEveryMs = 1000;

void StartShow() {
    DisplayState& s = g_state;
    s.showSeconds = ShowSecondsWithin(s.showSeconds);
    s.showRun = StartRun(!s.show, TickMs());
    s.windowAlpha = s.showRun.alpha;
    s.windowHidden = s.show != kShowAlways;
    s.mouseTaken = 0;
    s.layerKind = kLayerNone;
    s.layerStyle = 0;
    s.stateSeen = kPlayUnknown;
    s.stateAsked = TickMs() - kStateEveryMs;
    s.songsSeen = s.songChanges - 1;  // the first title counts as a change
}

DWORD LayerBits() {
    const DisplayState& s = g_state;
    DWORD bits = s.transparent || s.clickThrough || s.windowAlpha < 255 ? WS_EX_LAYERED : 0;
    return s.clickThrough && !s.mouseTaken ? bits | WS_EX_TRANSPARENT : bits;
}

void SetExStyle(HWND window, DWORD exStyle) {
    DisplayState& s = g_state;
    const int kind = !(exStyle & WS_EX_LAYERED) ? kLayerNone : s.transparent ? kLayerUpdated : kLayerAlpha;
    // A window layered through its alpha takes updated pictures only once it
    // has been unlayered, and the other way round.
    if (kind != kLayerNone && s.layerKind != kLayerNone && kind != s.layerKind)
        SetWindowLongA(window, GWL_EXSTYLE, (LONG)(exStyle & ~WS_EX_LAYERED));
    SetWindowLongA(window, GWL_EXSTYLE, (LONG)exStyle);
    if (kind == kLayerAlpha) SetLayeredWindowAttributes(window, 0, (BYTE)s.windowAlpha, LWA_ALPHA);
    // The opaque picture is drawn again into (or out of) the layer.
    if (kind != s.layerKind && kind != kLayerUpdated) InvalidateRect(window, NULL, FALSE);
    s.layerKind = kind;
    s.layerStyle = exStyle & (WS_EX_LAYERED | WS_EX_TRANSPARENT);
}

static void MatchLayer(HWND window) {
    if (LayerBits() != g_state.layerStyle) SetExStyle(window, LookStyle(g_state.styleIndex).exStyle);
}

// Ctrl held with the pointer over the window takes the mouse back, until
// either ends.
static void FollowCtrl(HWND window) {
    DisplayState& s = g_state;
    bool taken = false;
    POINT p;
    RECT r;
    if (s.clickThrough && (GetAsyncKeyState(VK_CONTROL) & 0x8000))
        taken = GetCursorPos(&p) && GetWindowRect(window, &r) && PtInRect(&r, p);
    s.mouseTaken = taken;
}

static void ApplyAlpha(HWND window, int alpha) {
    DisplayState& s = g_state;
    s.windowAlpha = alpha;
    if (LayerBits() != s.layerStyle)
        MatchLayer(window);
    else if (s.layerKind == kLayerAlpha)
        SetLayeredWindowAttributes(window, 0, (BYTE)alpha, LWA_ALPHA);
    else if (s.layerKind == kLayerUpdated) {
        const DpiContext player = EnterWindowContext(window);
        PresentLayered(s.screenW, s.screenH);
        LeaveContext(player);
    }
}

bool ShowFrame() {
    DisplayState& s = g_state;
    // Shown for good, as ever: the frame pays two loads, or a key state.
    if (!s.show && !s.windowHidden && s.windowAlpha == 255) {
        if ((s.clickThrough || s.layerStyle) && TitleWindowLive()) {
            FollowCtrl(s.titleWnd);
            MatchLayer(s.titleWnd);
        }
        return true;
    }
    const DWORD now = TickMs();
    // Hidden, and nothing that could show it: no new song, no new state (a
    // composition asks the player), no question due. Its style waits for it
    // to show.
    if (s.windowHidden && s.show && s.songChanges == s.songsSeen && s.playState == s.stateSeen &&
        !s.showRun.target && now - s.stateAsked < kStateEveryMs)
        return false;
    if (!TitleWindowLive()) return true;
    HWND window = s.titleWnd;
    FollowCtrl(window);
    // A player that changes its state without its caption is asked now and then.
    if (s.show && now - s.stateAsked >= kStateEveryMs) {
        s.stateAsked = now;
        AskPlayState();
    }
    // The state moves with compositions too: playback starting is seen here.
    const bool started = s.playState == kPlaying && s.stateSeen != kPlaying && s.stateSeen != kPlayUnknown;
    s.stateSeen = s.playState;
    const bool changed = s.songChanges != s.songsSeen;
    s.songsSeen = s.songChanges;
    const ShowInput in = {now, s.show, s.showSeconds, s.playState != kPaused && s.playState != kStopped, changed,
                          started};
    const int alpha = StepShow(&s.showRun, in);
    if (alpha != s.windowAlpha) ApplyAlpha(window, alpha);
    MatchLayer(window);
    if ((alpha == 0) != (s.windowHidden != 0)) {
        s.windowHidden = alpha == 0;
        // Never taking the focus from the player.
        ShowWindow(window, alpha ? SW_SHOWNOACTIVATE : SW_HIDE);
    }
    return !s.windowHidden;
}

void AppendShowItems(HMENU menu) {
    const DisplayState& s = g_state;
    AppendMenuA(menu, MF_SEPARATOR, 0, NULL);
    HMENU show = CreatePopupMenu();
    if (show) {
        static const char* const kChoices[] = {"Always", "While playing", "For a few seconds on each change"};
        for (int i = 0; i < kShowChoices; ++i)
            AppendMenuA(show, MF_STRING | MFT_RADIOCHECK | (s.show == i ? MF_CHECKED : 0), IDM_SHOW_ALWAYS + i,
                        kChoices[i]);
        // Destroyed with the menu it is appended to.
        char buffer[kItemTextBytes];
        if (!AppendMenuA(menu, MF_POPUP, (UINT_PTR)show, ItemText("Show", kChoiceShow, buffer))) DestroyMenu(show);
    }
    char buffer[kItemTextBytes];
    AppendMenuA(menu, MF_STRING | (s.clickThrough ? MF_CHECKED : 0), IDM_CLICK_THROUGH,
                ItemText("Click-through (hold Ctrl to reach it)", kChoiceClickThrough, buffer));
}

bool ChooseShow(HWND window, UINT id) {
    DisplayState& s = g_state;
    if (id == IDM_CLICK_THROUGH)
        s.clickThrough = !s.clickThrough;
    else if (id - IDM_SHOW_ALWAYS < (UINT)kShowChoices)
        s.show = (int)(id - IDM_SHOW_ALWAYS);
    else
        return false;
    MatchLayer(window);
    return true;
}
