// Looked up at run time: the DLL must load on Windows 7 and 8.1 too.
#include "display/dpi.h"

typedef DpiContext(WINAPI* SetThreadContextFn)(DpiContext);
typedef DpiContext(WINAPI* WindowContextFn)(HWND);
typedef int(WINAPI* AwarenessFn)(DpiContext);
typedef UINT(WINAPI* DpiForWindowFn)(HWND);
typedef UINT(WINAPI* DpiForSystemFn)(void);

static const DpiContext kPerMonitor = (DpiContext)(LONG_PTR)-3;
static const DpiContext kPerMonitorV2 = (DpiContext)(LONG_PTR)-4;
static const int kUnaware = 0;  // DPI_AWARENESS_UNAWARE

static FARPROC User32(const char* name) {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 ? GetProcAddress(user32, name) : NULL;
}

static DpiContext Switch(DpiContext to) {
    SetThreadContextFn set = (SetThreadContextFn)(void*)User32("SetThreadDpiAwarenessContext");
    return set ? set(to) : NULL;
}

DpiContext EnterPerMonitorContext() {
    DpiContext previous = Switch(kPerMonitorV2);
    return previous ? previous : Switch(kPerMonitor);
}

DpiContext EnterWindowContext(HWND window) {
    WindowContextFn get = (WindowContextFn)(void*)User32("GetWindowDpiAwarenessContext");
    DpiContext context = get && window ? get(window) : NULL;
    return context ? Switch(context) : NULL;
}

DpiContext EnterDialogContext() { return Switch(kPerMonitorV2); }

void LeaveContext(DpiContext previous) {
    if (previous) Switch(previous);
}

int PlayerDpi(DpiContext previous) {
    AwarenessFn awareness = (AwarenessFn)(void*)User32("GetAwarenessFromDpiAwarenessContext");
    DpiForSystemFn system = (DpiForSystemFn)(void*)User32("GetDpiForSystem");
    if (!previous || !awareness || !system || awareness(previous) != kUnaware) return 0;
    return (int)system();
}

int WindowDpi(HWND window, int fallback) {
    DpiForWindowFn get = (DpiForWindowFn)(void*)User32("GetDpiForWindow");
    const UINT dpi = get && window ? get(window) : 0;
    return dpi ? (int)dpi : fallback;
}
