// The title window: start, stop and its window procedure.
#include "display/display.h"
#include "plugin/display_state.h"
#include "plugin/vis_api.h"
#include "settings/settings.h"
#include "settings/settings_rules.h"

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
    SetWindowLongA(window, GWL_STYLE, (LONG)StyleTable[index].style);
    SetWindowLongA(window, GWL_EXSTYLE, (LONG)StyleTable[index].exStyle);
}

static const UINT kFrameChanged = SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER;

int __cdecl VisInit(VisModule* module) {
    DisplayState& s = g_state;
    s.hostWnd = module->hostWindow;
    RECT host;
    if (GetWindowRect(s.hostWnd, &host)) {
        s.screenX = host.left;
        s.screenY = host.bottom;
        s.screenW = host.right - host.left;
    }
    s.screenH = 64;
    LoadPlacement(module);
    const int w = s.screenW, h = s.screenH;

    WNDCLASSA wc = {};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = TitleWndProc;
    wc.hInstance = module->instance;
    wc.lpszClassName = kClassName;
    if (!RegisterClassA(&wc)) {
        MessageBoxA(s.hostWnd, "Error registering window class", kErrorCaption, MB_OK);
        return 1;
    }

    s.titleWndDestroyed = 0;
    s.titleWnd = CreateWindowExA(StyleTable[0].exStyle, kClassName, module->description, StyleTable[0].style,
                                 s.screenX, s.screenY, w, h, s.hostWnd, NULL, module->instance, NULL);
    if (!s.titleWnd) {
        MessageBoxA(s.hostWnd, "Error creating window", kErrorCaption, MB_OK);
        UnregisterClassA(kClassName, module->instance);  // so the next start can register again
        return 1;
    }
    SetWindowLongA(s.titleWnd, GWL_USERDATA, (LONG)(LONG_PTR)module);

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
    s.screenW = w;
    s.screenH = h;
    RequestRedraw();

    HOOKPROC hook = (HOOKPROC)(void*)GetProcAddress(module->instance, "GetMsgProc");
    s.hookHandle = hook ? SetWindowsHookExA(WH_CALLWNDPROC, hook, module->instance, 0) : NULL;
    return 0;
}

void __cdecl VisQuit(VisModule* module) {
    DisplayState& s = g_state;
    SavePlacement(module);
    if (s.memDC) {
        SelectObject(s.memDC, s.savedBitmap);
        DeleteDC(s.memDC);
    }
    if (s.surfaceBitmap) DeleteObject(s.surfaceBitmap);
    s.memDC = NULL;
    s.surfaceBitmap = NULL;
    s.savedBitmap = NULL;
    if (s.hookHandle) UnhookWindowsHookEx(s.hookHandle);
    s.hookHandle = NULL;
    // After the user closed it there is nothing left to destroy.
    if (TitleWindowLive()) DestroyWindow(s.titleWnd);
    s.titleWnd = NULL;
    s.titleWndDestroyed = 0;
    UnregisterClassA(kClassName, module->instance);
}

static void ForwardKey(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const VisModule* module = (const VisModule*)(LONG_PTR)GetWindowLongA(window, GWL_USERDATA);
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

static void CycleStyle(HWND window) {
    DisplayState& s = g_state;
    s.styleIndex = (s.styleIndex + 1) % 3;
    ApplyStyle(window, s.styleIndex);
    RecordPlacement(window);
    SetWindowPos(window, NULL, 0, 0, 0, 0, kFrameChanged);
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
        ComposeTitle(NULL);
        return 0;
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
    case WM_LBUTTONDBLCLK:
        CycleStyle(window);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
