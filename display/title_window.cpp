// The title window: start, stop and its window procedure.
#include "display/display.h"
#include "display/dpi.h"
#include "display/dpi_rules.h"
#include "display/placement_rules.h"
#include "plugin/display_state.h"
#include "plugin/vis_api.h"
#include "settings/settings.h"
#include "settings/settings_rules.h"

#include <windowsx.h>

static const char kClassName[] = "MirnVis";
static const char kErrorCaption[] = "blah";

const WindowStyle StyleTable[3] = {
    {WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, WS_EX_TOOLWINDOW},
    {WS_VISIBLE | WS_THICKFRAME, 0},
    {WS_VISIBLE, 0},
};

static void RecordPlacement(HWND window) {
    RECT r;
    if (!GetWindowRect(window, &r)) return;
    g_state.screenX = r.left;
    g_state.screenY = r.top;
    g_state.screenW = r.right - r.left;
    g_state.screenH = r.bottom - r.top;
}

static void ApplyStyle(HWND window, int index) {
    const WindowStyle look = LookStyle(index);
    // A hidden window stays hidden whatever its frame.
    const LONG visible = GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE;
    SetWindowLongA(window, GWL_STYLE, (LONG)(look.style & ~WS_VISIBLE) | visible);
    SetExStyle(window, look.exStyle);
}

// A frame that changes never takes the focus from the player.
static const UINT kFrameChanged = SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;

// The player's rectangle as the user left it: a minimised window reports
// its icon's place (-32000, -32000 on Windows), so take the one it will be
// restored to.
static bool HostRect(HWND host, RECT* r) {
    if (!IsIconic(host)) return GetWindowRect(host, r) != 0;
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    if (!GetWindowPlacement(host, &wp)) return false;
    *r = wp.rcNormalPosition;
    // Given in workspace coordinates, which start at the work area's corner.
    MONITORINFO mi = {};
    mi.cbSize = sizeof mi;
    if (!(GetWindowLongA(host, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) &&
        GetMonitorInfoA(MonitorFromWindow(host, MONITOR_DEFAULTTONEAREST), &mi))
        OffsetRect(r, mi.rcWork.left - mi.rcMonitor.left, mi.rcWork.top - mi.rcMonitor.top);
    return true;
}

// A window the user cannot grab (on no monitor, under a taskbar, a pixel or
// its border on a screen: a monitor unplugged, a resolution lowered, a place
// saved by hand) moves into the work area of the nearest monitor, keeping
// its size where it fits. One that can be grabbed stays exactly where it is.
static void KeepReachable(HWND window) {
    RECT outer, client;
    if (!GetWindowRect(window, &outer) || !GetClientRect(window, &client)) return;
    MapWindowPoints(window, NULL, (POINT*)&client, 2);
    // The monitor holding most of the client is the one that can hold a grab.
    MONITORINFO mi = {};
    mi.cbSize = sizeof mi;
    if (!GetMonitorInfoA(MonitorFromRect(&client, MONITOR_DEFAULTTONEAREST), &mi)) return;
    const PlaceRect work = {mi.rcWork.left, mi.rcWork.top, mi.rcWork.right, mi.rcWork.bottom};
    const Placement inside = {client.left, client.top, client.right - client.left, client.bottom - client.top};
    if (Reachable(inside, &work, 1)) return;
    const Placement moved =
        MoveIntoArea({outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top}, work);
    SetWindowPos(window, NULL, moved.x, moved.y, moved.w, moved.h, SWP_NOZORDER | SWP_NOACTIVATE);
    RecordPlacement(window);
}

// The stored place, in real pixels, given to the window; then the window's
// rectangle as the system really made it (a size the screen cannot hold is
// clamped) is the one laid out, drawn and saved.
static void PlaceWindow(HWND window) {
    DisplayState& s = g_state;
    // Taken first: the frame's change reports the window's present rectangle.
    const int x = s.screenX, y = s.screenY;
    // Opened on a monitor of another scale: as large as it looks elsewhere.
    const int w = ScaleToDpi(s.screenW, s.playerDpi, s.windowDpi);
    const int h = ScaleToDpi(s.screenH, s.playerDpi, s.windowDpi);
    ApplyStyle(window, s.styleIndex);
    SetWindowPos(window, NULL, 0, 0, 0, 0, kFrameChanged);
    SetWindowPos(window, NULL, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyTopMost(window);
    RecordPlacement(window);
    KeepReachable(window);
}

void PlaceWhenSettled(const VisModule* module) {
    DisplayState& s = g_state;
    if (!s.placementPending || !TitleWindowLive()) return;
    if (!SettingsKnown(module)) return;
    // Read as VisInit reads it: the first start's place stands for keys
    // the file lacks.
    const Placement stored = StoredFromReal({s.screenX, s.screenY, s.screenW, s.screenH}, s.playerDpi, s.windowDpi);
    s.screenX = stored.x;
    s.screenY = stored.y;
    s.screenW = stored.w;
    s.screenH = stored.h;
    LoadPlacement(module);
    PlaceWindow(s.titleWnd);
    RequestRedraw();  // the appearance from the same file
}

int __cdecl VisInit(VisModule* module) {
    DisplayState& s = g_state;
    s.hostWnd = module->hostWindow;
    RECT host;
    if (HostRect(s.hostWnd, &host)) {
        s.screenX = host.left;
        s.screenY = host.bottom;
        s.screenW = host.right - host.left;
    }
    s.screenH = 64;
    // The window is made aware of its monitor's scale, so that the title is
    // drawn at the screen's real pixels; all sizes below are real pixels.
    const DpiContext player = EnterPerMonitorContext();
    s.playerDpi = s.windowDpi = PlayerDpi(player);
    LoadPlacement(module);
    int w = s.screenW, h = s.screenH;

    WNDCLASSA wc = {};
    wc.style = CS_DBLCLKS | CS_OWNDC;  // a step copies to the window without asking for a DC
    wc.lpfnWndProc = TitleWndProc;
    wc.hInstance = module->instance;
    wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
    wc.lpszClassName = kClassName;
    if (!RegisterClassA(&wc)) {
        LeaveContext(player);
        MessageBoxA(s.hostWnd, "Error registering window class", kErrorCaption, MB_OK);
        return 1;
    }

    s.titleWndDestroyed = 0;
    s.madeTopMost = 0;
    s.sizeLoop = s.composeAfterSizing = 0;
    StartShow();
    // A window that shows only at times starts hidden; the frames show it.
    s.titleWnd = CreateWindowExA(StyleTable[0].exStyle, kClassName, module->description,
                                 StyleTable[0].style & ~(s.show ? WS_VISIBLE : 0),
                                 s.screenX, s.screenY, w, h, s.hostWnd, NULL, module->instance, NULL);
    if (!s.titleWnd) {
        LeaveContext(player);
        MessageBoxA(s.hostWnd, "Error creating window", kErrorCaption, MB_OK);
        UnregisterClassA(kClassName, module->instance);  // so the next start can register again
        return 1;
    }
    SetWindowLongPtrA(s.titleWnd, GWLP_USERDATA, (LONG_PTR)module);
    if (s.playerDpi) s.windowDpi = WindowDpi(s.titleWnd, s.playerDpi);

    HDC windowDC = GetDC(s.titleWnd);
    s.memDC = CreateCompatibleDC(windowDC);
    ReleaseDC(s.titleWnd, windowDC);
    s.surfaceBitmap = NULL;
    s.savedBitmap = NULL;
    s.pictureShown = 0;
    // The player is asked afresh what it is and what it plays.
    s.playState = kPlayUnknown;
    g_song.versionOf = NULL;
    s.timeShown = 0;
    MakeSurface(s.screenW, s.screenH);  // if it fails, the first composition makes one

    PlaceWindow(s.titleWnd);
    if (!s.show) ShowWindow(s.titleWnd, SW_SHOWNORMAL);
    RequestRedraw();

    // Only the thread that owns the player's window: every WM_SETTEXT to it,
    // whoever sends it, is handled there. Thread 0 would mean every program
    // on the desktop, so no window means no hook.
    HOOKPROC hook = (HOOKPROC)(void*)GetProcAddress(module->instance, "GetMsgProc");
    const DWORD hostThread = GetWindowThreadProcessId(s.hostWnd, NULL);
    s.hookHandle = hook && hostThread ? SetWindowsHookExA(WH_CALLWNDPROC, hook, module->instance, hostThread) : NULL;
    LeaveContext(player);
    return 0;
}

void __cdecl VisQuit(VisModule* module) {
    DisplayState& s = g_state;
    const DpiContext player = EnterWindowContext(TitleWindowLive() ? s.titleWnd : NULL);
    // The picker hands back nothing after this.
    ClosePicker();
    if (TitleWindowLive()) TakePickedColor(s.titleWnd);
    // Still no word from the player on where its settings are: nothing is
    // written to a guess.
    if (!s.placementPending) SavePlacement(module);
    SaveChoices(module, true);
    s.placementPending = 0;
    EmptyTitleFile(module);
    DropSurface();
    DropLayer();
    if (s.memDC) DeleteDC(s.memDC);
    s.memDC = NULL;
    s.savedBitmap = NULL;
    if (s.hookHandle) UnhookWindowsHookEx(s.hookHandle);
    s.hookHandle = NULL;
    // After the user closed it there is nothing left to destroy.
    if (TitleWindowLive()) DestroyWindow(s.titleWnd);
    s.titleWnd = NULL;
    s.titleWndDestroyed = 0;
    UnregisterClassA(kClassName, module->instance);
    LeaveContext(player);
}

static void ForwardKey(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (KeyBelongsToMenu(&g_state.menuKeys, (uint32_t)wParam, message == WM_KEYDOWN, (lParam & (1 << 30)) != 0))
        return;
    const VisModule* module = (const VisModule*)GetWindowLongPtrA(window, GWLP_USERDATA);
    if (module) PostMessageA(module->hostWindow, message, wParam, lParam);
}

static void Paint(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    PresentSurface(dc, client.right, client.bottom);
    EndPaint(window, &ps);
}

// Pressing in the client area and dragging moves the window whatever its
// frame; a click that does not drag does nothing.
static void DragMove(HWND window, LPARAM at) {
    POINT press = {GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    ClientToScreen(window, &press);
    if (!DragDetect(window, press)) return;
    // The move loop starts from where the drag was noticed: catch up the
    // first step, so that the point pressed stays under the pointer.
    const DWORD now = GetMessagePos();
    RECT r;
    if (GetWindowRect(window, &r))
        SetWindowPos(window, NULL, r.left + GET_X_LPARAM(now) - press.x, r.top + GET_Y_LPARAM(now) - press.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageA(window, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, (LPARAM)now);
}

void SetFrame(HWND window, int index) {
    DisplayState& s = g_state;
    s.styleIndex = index;
    ApplyStyle(window, s.styleIndex);
    RecordPlacement(window);
    SetWindowPos(window, NULL, 0, 0, 0, 0, kFrameChanged);  // keeps WS_EX_TOPMOST, which only SetWindowPos changes
}

LRESULT CALLBACK TitleWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return 0;
    case WM_DESTROY:
        if (window == g_state.titleWnd) g_state.titleWndDestroyed = 1;
        PostQuitMessage(0);
        return 0;
    case WM_MOVE:  // a move changes nothing drawn
        RecordPlacement(window);
        return 0;
    case WM_SIZE:
        RecordPlacement(window);
        // A player that does not answer now gets asked again on a frame.
        if (g_state.sizeLoop)
            g_state.composeAfterSizing = 1;
        else if (!ComposeTitle(NULL))
            RequestRedraw();
        return 0;
    case WM_ENTERSIZEMOVE:
        g_state.sizeLoop = 1;
        return 0;
    case WM_EXITSIZEMOVE:
        g_state.sizeLoop = 0;
        if (g_state.composeAfterSizing) {
            g_state.composeAfterSizing = 0;
            if (!ComposeTitle(NULL)) RequestRedraw();
        }
        return 0;
    case WM_DISPLAYCHANGE:  // a monitor gone, a resolution lowered
        KeepReachable(window);
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_SETTINGCHANGE:  // a taskbar moved or grown
        if (wParam == SPI_SETWORKAREA) KeepReachable(window);
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_DPICHANGED: {
        // Another monitor, another scale: the size the system suggests
        // keeps the window as large there as it looked here.
        if (g_state.playerDpi) g_state.windowDpi = LOWORD(wParam);
        const RECT* r = (const RECT*)lParam;
        SetWindowPos(window, NULL, r->left, r->top, r->right - r->left, r->bottom - r->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        RequestRedraw();
        return 0;
    }
    case WM_PAINT:
        Paint(window);
        return 0;
    case WM_ERASEBKGND:  // the surface covers everything
        return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
        ForwardKey(window, message, wParam, lParam);
        return 0;
    case WM_TIMER:
        return 0;
    case WM_LBUTTONDOWN:
        DragMove(window, lParam);
        return 0;
    case WM_LBUTTONDBLCLK:
        SetFrame(window, (g_state.styleIndex + 1) % 3);
        return 0;
    case WM_CONTEXTMENU:
        ShowTitleMenu(window, lParam);
        return 0;
    case WM_PICKED_COLOR:
        TakePickedColor(window);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
