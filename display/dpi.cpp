// Looked up at run time: the DLL must load on Windows 7 and 8.1 too.
#include "display/dpi.h"

typedef DpiContext(WINAPI* SetThreadContextFn)(DpiContext);
typedef DpiContext(WINAPI* WindowContextFn)(HWND);
typedef int(WINAPI* AwarenessFn)(DpiContext);
typedef UINT(WINAPI* DpiForWindowFn)(HWND);
typedef UINT(WINAPI* DpiForSystemFn)(void);

static const DpiContext kPerMonitor = (DpiContext)(LONG_PTR)-3;
static const DpiContext kPerMonitorV2 = (DpiContext)(LONG_PTR)-4;
static const int kUnaware = 0;          // DPI_AWARENESS_UNAWARE
static const int kPerMonitorAware = 2;  // DPI_AWARENESS_PER_MONITOR_AWARE

// Looked up once: a marquee step switches twice, and must stay as cheap as
// the copy it makes. Threads that race here store the same values.
enum { kSetThreadContext, kWindowContext, kAwareness, kDpiForWindow, kDpiForSystem, kDpiFunctions };
static const char* const kDpiNames[kDpiFunctions] = {
    "SetThreadDpiAwarenessContext", "GetWindowDpiAwarenessContext", "GetAwarenessFromDpiAwarenessContext",
    "GetDpiForWindow", "GetDpiForSystem"};
static FARPROC g_dpi[kDpiFunctions];
static volatile LONG g_dpiLooked;

static void* Dpi(int which) {
    if (!g_dpiLooked) {
        HMODULE user32 = GetModuleHandleA("user32.dll");
        for (int i = 0; user32 && i < kDpiFunctions; ++i) g_dpi[i] = GetProcAddress(user32, kDpiNames[i]);
        InterlockedExchange(&g_dpiLooked, 1);
    }
    return (void*)g_dpi[which];
}

static DpiContext Switch(DpiContext to) {
    SetThreadContextFn set = (SetThreadContextFn)Dpi(kSetThreadContext);
    return set ? set(to) : NULL;
}

// The player's own context, from the thread that starts the display.
static DpiContext g_playerContext;
// That thread sees the title window's real pixels already (a player aware
// of each monitor's scale): a marquee step need not switch at all.
static bool g_playerSeesRealPixels;

DpiContext EnterPerMonitorContext() {
    DpiContext previous = Switch(kPerMonitorV2);
    if (!previous) previous = Switch(kPerMonitor);
    if (previous) g_playerContext = previous;
    AwarenessFn awareness = (AwarenessFn)Dpi(kAwareness);
    g_playerSeesRealPixels = previous && awareness && awareness(previous) == kPerMonitorAware;
    return previous;
}

DpiContext EnterWindowContext(HWND window) {
    WindowContextFn get = (WindowContextFn)Dpi(kWindowContext);
    DpiContext context = get && window && !g_playerSeesRealPixels ? get(window) : NULL;
    return context ? Switch(context) : NULL;
}

DpiContext EnterDialogContext() {
    DpiContext previous = Switch(kPerMonitorV2);
    // The older per-monitor context (the title window's, where version 2 is
    // refused) leaves dialogs unscaled: run them as the player would.
    return previous || !g_playerContext ? previous : Switch(g_playerContext);
}

void LeaveContext(DpiContext previous) {
    if (previous) Switch(previous);
}

int PlayerDpi(DpiContext previous) {
    AwarenessFn awareness = (AwarenessFn)Dpi(kAwareness);
    DpiForSystemFn system = (DpiForSystemFn)Dpi(kDpiForSystem);
    if (!previous || !awareness || !system || awareness(previous) != kUnaware) return 0;
    return (int)system();
}

int WindowDpi(HWND window, int fallback) {
    DpiForWindowFn get = (DpiForWindowFn)Dpi(kDpiForWindow);
    const UINT dpi = get && window ? get(window) : 0;
    return dpi ? (int)dpi : fallback;
}
