// A player that is not DPI-aware on a display at 150 % (LogPixels 144 in
// this program's own prefix): the title window is per-monitor aware and
// drawn at the screen's real pixels, the player's threads are left as they
// were, and the settings file keeps the player's coordinates.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host_player.h"

namespace {

typedef HANDLE(WINAPI* GetThreadContextFn)(void);
typedef HANDLE(WINAPI* WindowContextFn)(HWND);
typedef int(WINAPI* AwarenessFn)(HANDLE);
typedef UINT(WINAPI* DpiForWindowFn)(HWND);
typedef BOOL(WINAPI* ProcessAwarenessFn)(HANDLE, int*);

const int kDpi = 144;
const COLORREF kBackground = RGB(0, 128, 0);
const char kIni[] =
    "[Title Display (ALPHA)]\r\nScreen_x=100\r\nScreen_y=300\r\nScreen_w=300\r\nScreen_h=64\r\n"
    "Window_style=2\r\nColor=16777215\r\nBkColor=32768\r\nScroll_Step=4\r\nScroll_Interval=20\r\n";
const char kLongTitle[] = "1. A title much longer than the window, so that it runs as a marquee - Winamp";

int Awareness(HANDLE context) {
    AwarenessFn awareness = (AwarenessFn)(void*)User32Proc("GetAwarenessFromDpiAwarenessContext");
    return awareness && context ? awareness(context) : -1;
}

int ThreadAwareness() {
    GetThreadContextFn get = (GetThreadContextFn)(void*)User32Proc("GetThreadDpiAwarenessContext");
    return get ? Awareness(get()) : -1;
}

int ProcessAwareness() {
    ProcessAwarenessFn get = (ProcessAwarenessFn)(void*)User32Proc("GetProcessDpiAwarenessInternal");
    int awareness = -1;
    return get && get(nullptr, &awareness) ? awareness : -1;
}

// Runs `work` on this thread in a per-monitor context, where sizes and
// pixels of the title window are its real ones.
void AsPerMonitor(const std::function<void()>& work) {
    HANDLE previous = SetThreadDpiContext(kDpiPerMonitor);
    work();
    SetThreadDpiContext(previous);
}

// The title window as it really is: its rectangles and client pixels.
struct RealView {
    RECT window = {}, client = {};
    std::vector<DWORD> pixels;
};
RealView ViewReal(HWND w) {
    RealView v;
    AsPerMonitor([&] {
        GetWindowRect(w, &v.window);
        GetClientRect(w, &v.client);
        v.pixels = ClientPixels(w);
    });
    return v;
}

// Rows from the first to the last one holding anything but `background`.
int InkRows(const std::vector<DWORD>& pixels, int w, DWORD background) {
    int first = -1, last = -1;
    for (size_t i = 0; i < pixels.size(); ++i) {
        if (pixels[i] == background) continue;
        const int row = (int)i / w;
        if (first < 0) first = row;
        last = row;
    }
    return first < 0 ? 0 : last - first + 1;
}

// The ink height of `text` drawn the way the plug-in draws it, in a font as
// high as `height`.
int ReferenceInkRows(const char* text, int height) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    const int w = 2000;
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, height);
    ReleaseDC(nullptr, screen);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    LOGFONTA lf = {};
    lf.lfHeight = height;
    HFONT font = CreateFontIndirectA(&lf);
    HGDIOBJ oldFont = SelectObject(dc, font);
    RECT all = {0, 0, w, height};
    FillRect(dc, &all, (HBRUSH)GetStockObject(WHITE_BRUSH));
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    DrawTextA(dc, text, -1, &all, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    const int rows = InkRows(DcPixels(dc, w, height), w, 0xFFFFFF);
    SelectObject(dc, oldFont);
    DeleteObject(font);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return rows;
}

// Client pixels that neither the title nor the background could have made.
int BlackPixels(HWND window) {
    int black = 0;
    AsPerMonitor([&] {
        for (DWORD p : ClientPixels(window)) black += p == 0;
    });
    return black;
}

void PaintBlack(HWND window) {
    AsPerMonitor([&] {
        RECT client;
        GetClientRect(window, &client);
        HDC dc = ReadingDC(window);
        FillRect(dc, &client, (HBRUSH)GetStockObject(BLACK_BRUSH));
        ReleaseDC(window, dc);
    });
}

TEST(DisplayScale, PerMonitorWindowInAnUnawarePlayer) {
    HostPlayer::unaware = true;
    HostPlayer player("Song - Winamp", kIni);
    const int process = ProcessAwareness();
    ASSERT_EQ(ThreadAwareness(), 0) << "the test player is not DPI-aware";
    auto displayAwareness = [&] {
        int a = -2;
        player.OnDisplay([&] { a = ThreadAwareness(); });
        return a;
    };
    ASSERT_EQ(player.Start(), 0);
    EXPECT_EQ(displayAwareness(), 0) << "after VisInit";
    player.Frame(3);
    EXPECT_EQ(displayAwareness(), 0) << "after VisRender";

    HWND w = player.TitleWindow();
    ASSERT_NE(w, nullptr);
    WindowContextFn context = (WindowContextFn)(void*)User32Proc("GetWindowDpiAwarenessContext");
    DpiForWindowFn dpi = (DpiForWindowFn)(void*)User32Proc("GetDpiForWindow");
    ASSERT_TRUE(context && dpi);
    EXPECT_EQ(Awareness(context(w)), 2) << "per-monitor aware";
    EXPECT_EQ(dpi(w), (UINT)kDpi);

    // 300 x 64 stored at 150 %: 450 x 96 real pixels, at (150, 450).
    const RealView view = ViewReal(w);
    const RECT& r = view.window;
    const RECT& client = view.client;
    const std::vector<DWORD>& pixels = view.pixels;
    EXPECT_EQ(r.left, 150);
    EXPECT_EQ(r.top, 450);
    EXPECT_EQ(r.right - r.left, 450);
    EXPECT_EQ(r.bottom - r.top, 96);
    ASSERT_EQ(client.bottom, 96);
    // The text drawn at full resolution: as tall as at a 96-pixel client,
    // and clearly taller than at the 64 pixels the player sees.
    const int ink = InkRows(pixels, client.right, 0x008000);
    const int full = ReferenceInkRows("Song ", 96);
    EXPECT_NEAR(ink, full, 1);
    EXPECT_GT(ink, ReferenceInkRows("Song ", 64) + 8);

    player.Configure([] {
        HWND dialog = WaitForDialog("configration - Title plugin");
        if (dialog) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(ThreadAwareness(), 0) << "after VisConfig";
    player.Stop();
    EXPECT_EQ(displayAwareness(), 0) << "after VisQuit";
    EXPECT_EQ(ProcessAwareness(), process);

    // Stopped without a move: the numbers it was given.
    const std::vector<std::string> lines = SectionLines(player.plugin.iniPath, "Title Display (ALPHA)");
    for (const char* want : {"Screen_x=100", "Screen_y=300", "Screen_w=300", "Screen_h=64"})
        EXPECT_NE(std::find(lines.begin(), lines.end(), want), lines.end()) << want;
}

// Whatever was on screen is painted over in full by a composition and by
// a marquee step: nothing is left from a size at 96 DPI (300 x 64).
TEST(DisplayScale, CompositionAndStepFillTheRealClientArea) {
    HostPlayer::unaware = true;
    HostPlayer player(kLongTitle, kIni);
    ASSERT_EQ(player.Start(), 0);
    player.Frame();
    HWND w = player.TitleWindow();
    ASSERT_NE(w, nullptr);

    PaintBlack(w);
    ASSERT_GT(BlackPixels(w), 450 * 96 / 2) << "the test could not paint";
    player.SetTitle("1. Another title, as long, so that it runs as a marquee too - Winamp");
    player.Pump(50);
    player.Frame();
    EXPECT_EQ(BlackPixels(w), 0) << "after a composition";

    // The first step comes 2 s after the composition; allow plenty.
    PaintBlack(w);
    int black = BlackPixels(w);
    for (DWORD end = GetTickCount() + 8000; black != 0 && (LONG)(GetTickCount() - end) < 0;) {
        player.Pump(30);
        player.Frame();
        black = BlackPixels(w);
    }
    EXPECT_EQ(black, 0) << "after a step";
    player.Stop();
}

// Dragged to a monitor at 200 %: the window takes the rectangle the system
// suggests, draws the title again at its height, and the file keeps the
// size as the player sees it (Wine has one monitor and never sends the
// message itself).
TEST(DisplayScale, AnotherMonitorAnotherScale) {
    HostPlayer::unaware = true;
    HostPlayer player("Song - Winamp", kIni);
    ASSERT_EQ(player.Start(), 0);
    player.Frame();
    HWND w = player.TitleWindow();
    ASSERT_NE(w, nullptr);
    RECT suggested = {200, 500, 200 + 600, 500 + 128};
    player.OnDisplay([&] { SendMessageA(w, WM_DPICHANGED, MAKEWPARAM(192, 192), (LPARAM)&suggested); });
    player.Frame();
    const RealView view = ViewReal(w);
    const RECT& r = view.window;
    const RECT& client = view.client;
    const std::vector<DWORD>& pixels = view.pixels;
    EXPECT_TRUE(EqualRect(&r, &suggested)) << r.left << "," << r.top << " " << r.right - r.left << "x" << r.bottom - r.top;
    ASSERT_EQ(client.bottom, 128);
    EXPECT_NEAR(InkRows(pixels, client.right, 0x008000), ReferenceInkRows("Song ", 128), 1);
    player.Stop();
    // Positions by the system's scale (150 %), sizes by the monitor's (200 %).
    const std::vector<std::string> lines = SectionLines(player.plugin.iniPath, "Title Display (ALPHA)");
    for (const char* want : {"Screen_x=133", "Screen_y=333", "Screen_w=300", "Screen_h=64"})
        EXPECT_NE(std::find(lines.begin(), lines.end(), want), lines.end()) << want;
}

// A player busy as the display starts, at 150 %: until it says where its
// settings are the window opens where a first start puts it, in real
// pixels; then at the place stored in the player's folder.
TEST(DisplayScale, ABusyPlayerAtStartGetsItsStoredPlaceOnceItAnswers) {
    HostPlayer::unaware = true;
    const std::string folder = MakeTempFolder();
    CreateDirectoryA((folder + "Plugins").c_str(), nullptr);
    const std::string stored = folder + "Plugins\\plugin.ini";
    WriteTextFile(stored, "[Title Display (ALPHA)]\r\nScreen_x=200\r\nScreen_y=500\r\nScreen_w=300\r\nScreen_h=50\r\n"
                          "Window_style=2\r\n");
    {
        ReadOnlyBeside readOnly;
        HostPlayer player("Song - Winamp", kIni);
        player.settingsFolder = folder.c_str();
        RECT during = {};
        player.OnDisplayWhileHung(1500, [&] {
            ASSERT_EQ(player.module->start(player.module), 0);
            player.module->render(player.module);
            AsPerMonitor([&] { GetWindowRect(player.TitleWindow(), &during); });
        });
        // Below the player's window (100,100 - 500,220 as it sees it), 400 x 64.
        EXPECT_EQ(during.left, 150);
        EXPECT_EQ(during.top, 330);
        EXPECT_EQ(during.right - during.left, 600);
        EXPECT_EQ(during.bottom - during.top, 96);
        player.Frame(3);
        const RealView view = ViewReal(player.TitleWindow());
        EXPECT_EQ(view.window.left, 300);
        EXPECT_EQ(view.window.top, 750);
        EXPECT_EQ(view.window.right - view.window.left, 450);
        EXPECT_EQ(view.window.bottom - view.window.top, 75);
        player.Stop();
    }
    const std::vector<std::string> lines = SectionLines(stored, "Title Display (ALPHA)");
    for (const char* want : {"Screen_x=200", "Screen_y=500", "Screen_w=300", "Screen_h=50"})
        EXPECT_NE(std::find(lines.begin(), lines.end(), want), lines.end()) << want;
    RemoveTree(folder);
}

}  // namespace
