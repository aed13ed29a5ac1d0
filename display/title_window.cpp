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
    SetWindowLongA(window, GWL_STYLE, (LONG)look.style);
    SetWindowLongA(window, GWL_EXSTYLE, (LONG)look.exStyle);
}

static const UINT kFrameChanged = SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER;

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

// A place on no monitor (a monitor unplugged, a player at the edge of the
// screen, a place saved by hand) is never opened: the window goes into the
// work area of the nearest monitor. One at least partly on a monitor stays.
static void KeepOnScreen() {
    DisplayState& s = g_state;
    const Placement stored = {s.screenX, s.screenY, s.screenW, s.screenH};
    const PlaceRect c = CoveredRect(stored);
    const RECT r = {c.left, c.top, c.right, c.bottom};
    if (MonitorFromRect(&r, MONITOR_DEFAULTTONULL)) return;
    MONITORINFO mi = {};
    mi.cbSize = sizeof mi;
    if (!GetMonitorInfoA(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &mi)) return;
    const PlaceRect work = {mi.rcWork.left, mi.rcWork.top, mi.rcWork.right, mi.rcWork.bottom};
    const Placement moved = MoveIntoArea(stored, work);
    s.screenX = moved.x;
    s.screenY = moved.y;
    s.screenW = moved.w;
    s.screenH = moved.h;
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
    KeepOnScreen();
    int w = s.screenW, h = s.screenH;

    WNDCLASSA wc = {};
    wc.style = CS_DBLCLKS;
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
    s.titleWnd = CreateWindowExA(StyleTable[0].exStyle, kClassName, module->description, StyleTable[0].style,
                                 s.screenX, s.screenY, w, h, s.hostWnd, NULL, module->instance, NULL);
    if (!s.titleWnd) {
        LeaveContext(player);
        MessageBoxA(s.hostWnd, "Error creating window", kErrorCaption, MB_OK);
        UnregisterClassA(kClassName, module->instance);  // so the next start can register again
        return 1;
    }
    SetWindowLongPtrA(s.titleWnd, GWLP_USERDATA, (LONG_PTR)module);
    if (s.playerDpi) s.windowDpi = WindowDpi(s.titleWnd, s.playerDpi);
    // Opened on a monitor of another scale: as large as it looks elsewhere.
    w = ScaleToDpi(w, s.playerDpi, s.windowDpi);
    h = ScaleToDpi(h, s.playerDpi, s.windowDpi);

    HDC windowDC = GetDC(s.titleWnd);
    s.memDC = CreateCompatibleDC(windowDC);
    ReleaseDC(s.titleWnd, windowDC);
    s.surfaceBitmap = NULL;
    s.savedBitmap = NULL;
    s.pictureShown = 0;
    MakeSurface(w, h);  // if it fails, the first composition makes one

    ApplyStyle(s.titleWnd, s.styleIndex);
    SetWindowPos(s.titleWnd, NULL, 0, 0, 0, 0, kFrameChanged);
    SetWindowPos(s.titleWnd, NULL, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER);
    ShowWindow(s.titleWnd, SW_SHOWNORMAL);
    if (s.topMost) ApplyTopMost(s.titleWnd);
    s.screenW = w;
    s.screenH = h;
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
    SavePlacement(module);
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
    case WM_MOVE:
    case WM_SIZE:
        RecordPlacement(window);
        // A player that does not answer now gets asked again on a frame.
        if (!ComposeTitle(NULL)) RequestRedraw();
        return 0;
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
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
