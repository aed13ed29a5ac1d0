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

// Looked up once: a marquee step switches twice, and must stay as cheap as
// the copy it makes. Threads that race here store the same values.
struct DpiFunctions {
    SetThreadContextFn setThreadContext;
    WindowContextFn windowContext;
    AwarenessFn awareness;
    DpiForWindowFn dpiForWindow;
    DpiForSystemFn dpiForSystem;
};
static DpiFunctions g_dpi;
static volatile LONG g_dpiLooked;

static const DpiFunctions& Dpi() {
    if (!g_dpiLooked) {
        HMODULE user32 = GetModuleHandleA("user32.dll");
        if (user32) {
            g_dpi.setThreadContext = (SetThreadContextFn)(void*)GetProcAddress(user32, "SetThreadDpiAwarenessContext");
            g_dpi.windowContext = (WindowContextFn)(void*)GetProcAddress(user32, "GetWindowDpiAwarenessContext");
            g_dpi.awareness = (AwarenessFn)(void*)GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext");
            g_dpi.dpiForWindow = (DpiForWindowFn)(void*)GetProcAddress(user32, "GetDpiForWindow");
            g_dpi.dpiForSystem = (DpiForSystemFn)(void*)GetProcAddress(user32, "GetDpiForSystem");
        }
        InterlockedExchange(&g_dpiLooked, 1);
    }
    return g_dpi;
}

static DpiContext Switch(DpiContext to) {
    SetThreadContextFn set = Dpi().setThreadContext;
    return set ? set(to) : NULL;
}

DpiContext EnterPerMonitorContext() {
    DpiContext previous = Switch(kPerMonitorV2);
    return previous ? previous : Switch(kPerMonitor);
}

DpiContext EnterWindowContext(HWND window) {
    WindowContextFn get = Dpi().windowContext;
    DpiContext context = get && window ? get(window) : NULL;
    return context ? Switch(context) : NULL;
}

DpiContext EnterDialogContext() { return Switch(kPerMonitorV2); }

void LeaveContext(DpiContext previous) {
    if (previous) Switch(previous);
}

int PlayerDpi(DpiContext previous) {
    AwarenessFn awareness = Dpi().awareness;
    DpiForSystemFn system = Dpi().dpiForSystem;
    if (!previous || !awareness || !system || awareness(previous) != kUnaware) return 0;
    return (int)system();
}

int WindowDpi(HWND window, int fallback) {
    DpiForWindowFn get = Dpi().dpiForWindow;
    const UINT dpi = get && window ? get(window) : 0;
    return dpi ? (int)dpi : fallback;
}
