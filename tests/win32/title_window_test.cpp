// The running display through the real DLL: window, placement, keys, hook.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "host_player.h"
#include "resources/resource_ids.h"

namespace {

const char kSection[] = "[Title Display (ALPHA)]\r\n";

std::string Ini(const std::string& lines) { return std::string(kSection) + lines; }

struct Styles {
    DWORD style, exStyle;
};
// The three frames, as the player sees them; the platform adds WS_CLIPSIBLINGS
// to top-level windows and WS_EX_WINDOWEDGE to sizing frames.
const Styles kStyles[3] = {
    {0x10CC0000u, WS_EX_TOOLWINDOW},
    {0x10040000u, 0},
    {0x10000000u, 0},
};

Styles StylesOf(HWND w) {
    return {(DWORD)GetWindowLongA(w, GWL_STYLE) & ~(DWORD)WS_CLIPSIBLINGS,
            (DWORD)GetWindowLongA(w, GWL_EXSTYLE) & ~(DWORD)WS_EX_WINDOWEDGE};
}

RECT OuterRect(HWND w) {
    RECT r = {};
    GetWindowRect(w, &r);
    return r;
}

std::string Describe(const RECT& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

bool SameRect(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != 0; }

// The client area as 0x00RRGGBB pixels.
struct Shot {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(int x, int y) const { return pixels[(size_t)y * width + x]; }
};

Shot Capture(HWND window) {
    Shot s;
    RECT client;
    GetClientRect(window, &client);
    s.width = client.right;
    s.height = client.bottom;
    if (s.width <= 0 || s.height <= 0) return s;
    const std::vector<DWORD> pixels = ClientPixels(window);
    s.pixels.assign(pixels.begin(), pixels.end());
    return s;
}

// Captured between two frames, so no frame is half drawn.
Shot Grab(HostPlayer& player) {
    Shot s;
    HWND w = player.TitleWindow();
    player.OnDisplay([&] { s = Capture(w); });
    return s;
}

uint32_t Rgb(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

// Rows and columns holding anything but the background.
struct Band {
    int top = -1, bottom = -1, left = -1, right = -1;
    bool empty() const { return top < 0; }
    int height() const { return bottom - top + 1; }
    int centreX() const { return (left + right) / 2; }
};

Band InkBand(const Shot& s, uint32_t background) {
    Band b;
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x)
            if (s.at(x, y) != background) {
                if (b.top < 0) b.top = y;
                b.bottom = y;
                if (b.left < 0 || x < b.left) b.left = x;
                if (x > b.right) b.right = x;
            }
    return b;
}

void DoubleClick(HostPlayer& player) {
    HWND w = player.TitleWindow();
    player.OnDisplay([&] { SendMessageA(w, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, 10)); });
}

void MoveTitleWindow(HostPlayer& player, int x, int y, int w, int h) {
    HWND t = player.TitleWindow();
    player.OnDisplay([&] { SetWindowPos(t, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE); });
}

bool HasLine(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::vector<std::string> PlacementLines(int x, int y, int w, int h, int style) {
    return {"Screen_x=" + std::to_string(x), "Screen_y=" + std::to_string(y), "Screen_w=" + std::to_string(w),
            "Screen_h=" + std::to_string(h), "Window_style=" + std::to_string(style)};
}

void ExpectPlacementSaved(const std::string& iniPath, int x, int y, int w, int h, int style) {
    const std::vector<std::string> lines = SectionLines(iniPath, "Title Display (ALPHA)");
    for (const std::string& want : PlacementLines(x, y, w, h, style)) EXPECT_TRUE(HasLine(lines, want)) << want;
}

bool WaitUntil(HostPlayer& player, const std::function<bool()>& done, int ms = 3000) {
    DWORD end = GetTickCount() + (DWORD)ms;
    while (!done()) {
        if ((LONG)(GetTickCount() - end) >= 0) return false;
        player.Pump(10);
    }
    return true;
}

// What the settings dialog shows for the marquee; leaves it with Cancel.
struct ScrollFields {
    std::string step, interval;
    bool enabled = false;
};

ScrollFields ReadScrollFields(HostPlayer& player) {
    ScrollFields f;
    player.Configure([&] {
        HWND dialog = WaitForDialog("configration - Title plugin");
        if (!dialog) return;
        char text[64] = "";
        GetDlgItemTextA(dialog, IDC_SCROLL_STEP, text, sizeof text);
        f.step = text;
        GetDlgItemTextA(dialog, IDC_SCROLL_INTERVAL, text, sizeof text);
        f.interval = text;
        f.enabled = SendDlgItemMessageA(dialog, IDC_SCROLL_ENABLED, BM_GETCHECK, 0, 0) == BST_CHECKED;
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    return f;
}

TEST(TitleWindow, FirstRunOpensBelowThePlayer) {
    HostPlayer player;
    ASSERT_EQ(player.Start(), 0);
    HWND w = player.TitleWindow();
    ASSERT_NE(w, nullptr);
    RECT host, title;
    GetWindowRect(player.main, &host);
    GetWindowRect(w, &title);
    EXPECT_EQ(title.left, host.left);
    EXPECT_EQ(title.top, host.bottom);
    EXPECT_EQ(title.right - title.left, host.right - host.left);
    EXPECT_EQ(title.bottom - title.top, 64);
    EXPECT_EQ((DWORD)GetWindowLongA(w, GWL_STYLE), 0x10CC0000u | WS_CLIPSIBLINGS);
    EXPECT_EQ(StylesOf(w).exStyle, (DWORD)WS_EX_TOOLWINDOW);
    EXPECT_EQ(GetWindow(w, GW_OWNER), player.main);
    EXPECT_TRUE(IsWindowVisible(w));
    char text[64] = "";
    GetWindowTextA(w, text, sizeof text);
    EXPECT_STREQ(text, "Title Display (ALPHA)");
    EXPECT_EQ(GetClassLongA(w, GCL_STYLE) & CS_DBLCLKS, (DWORD)CS_DBLCLKS);
    EXPECT_EQ((VisModule*)GetWindowLongPtrA(w, GWLP_USERDATA), player.module);
    player.Frame();
    player.Stop();
    EXPECT_EQ(player.TitleWindow(), nullptr);
    // Stop writes the placement that was used.
    ExpectPlacementSaved(player.plugin.iniPath, host.left, host.bottom, host.right - host.left, 64, 0);
}

// The one 1280 x 1024 screen of the test session is all work area.
const RECT kWorkArea = {0, 0, 1280, 1024};

TEST(TitleWindow, PlacementAndStyleFromTheFile) {
    MONITORINFO mi = {};
    mi.cbSize = sizeof mi;
    ASSERT_TRUE(GetMonitorInfoA(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &mi));
    ASSERT_TRUE(SameRect(mi.rcWork, kWorkArea)) << Describe(mi.rcWork);
    struct Row {
        const char* label;
        const char* lines;
        RECT expected;  // outer rectangle
        int style;      // as applied and saved back
        bool minimised = false;  // the player, when the display starts
    } rows[] = {
        {"style 0", "Screen_x=30\r\nScreen_y=40\r\nScreen_w=300\r\nScreen_h=90\r\nWindow_style=0\r\n",
         {30, 40, 330, 130}, 0},
        {"style 1", "Screen_x=50\r\nScreen_y=60\r\nScreen_w=250\r\nScreen_h=70\r\nWindow_style=1\r\n",
         {50, 60, 300, 130}, 1},
        {"style 2", "Screen_x=70\r\nScreen_y=80\r\nScreen_w=220\r\nScreen_h=50\r\nWindow_style=2\r\n",
         {70, 80, 290, 130}, 2},
        {"x and y above 10000", "Screen_x=10001\r\nScreen_y=10001\r\nScreen_w=200\r\nScreen_h=60\r\nWindow_style=1\r\n",
         {0, 0, 200, 60}, 1},
        // 10000 itself is kept, and is off the screen: into its corner.
        {"x and y at 10000", "Screen_x=10000\r\nScreen_y=10000\r\nScreen_w=200\r\nScreen_h=60\r\n",
         {1080, 964, 1280, 1024}, 0},
        {"negative x and y", "Screen_x=-40\r\nScreen_y=-30\r\nScreen_w=200\r\nScreen_h=60\r\nWindow_style=2\r\n",
         {-40, -30, 160, 30}, 2},
        // Off every screen: onto the monitor, with the stored size.
        {"a minimised player's place", "Screen_x=-32000\r\nScreen_y=-32000\r\nScreen_w=200\r\nScreen_h=60\r\nWindow_style=1\r\n",
         {0, 0, 200, 60}, 1},
        {"x 5000", "Screen_x=5000\r\nScreen_y=300\r\nScreen_w=300\r\nScreen_h=80\r\n", {980, 300, 1280, 380}, 0},
        {"y 9000", "Screen_x=100\r\nScreen_y=9000\r\nScreen_w=300\r\nScreen_h=80\r\nWindow_style=2\r\n",
         {100, 944, 400, 1024}, 2},
        {"x -3000", "Screen_x=-3000\r\nScreen_y=200\r\nScreen_w=300\r\nScreen_h=80\r\n", {0, 200, 300, 280}, 0},
        {"off the screen and wider than it", "Screen_x=5000\r\nScreen_y=100\r\nScreen_w=2000\r\nScreen_h=100\r\nWindow_style=2\r\n",
         {0, 100, 1280, 200}, 2},
        // Enough of it on the screen to grab: exactly where it was.
        {"two pixels off the left edge", "Screen_x=-2\r\nScreen_y=700\r\nScreen_w=300\r\nScreen_h=80\r\n",
         {-2, 700, 298, 780}, 0},
        {"80 x 34 on, in the corner", "Screen_x=1200\r\nScreen_y=990\r\nScreen_w=300\r\nScreen_h=80\r\nWindow_style=2\r\n",
         {1200, 990, 1500, 1070}, 2},
        // Too little to grab (30 x 24): into the corner.
        {"mostly off the corner", "Screen_x=1250\r\nScreen_y=1000\r\nScreen_w=300\r\nScreen_h=80\r\nWindow_style=2\r\n",
         {980, 944, 1280, 1024}, 2},
        {"one pixel on, under a caption", "Screen_x=1279\r\nScreen_y=500\r\nScreen_w=300\r\nScreen_h=80\r\n",
         {980, 500, 1280, 580}, 0},
        {"style 3", "Screen_x=20\r\nScreen_y=30\r\nScreen_w=240\r\nScreen_h=64\r\nWindow_style=3\r\n",
         {20, 30, 260, 94}, 0},
        {"style -1", "Screen_x=20\r\nScreen_y=30\r\nScreen_w=240\r\nScreen_h=64\r\nWindow_style=-1\r\n",
         {20, 30, 260, 94}, 0},
        // Keys absent: the default under the player (its window is at 100,100 400x120).
        {"only the height", "Screen_h=80\r\nWindow_style=2\r\n", {100, 220, 500, 300}, 2},
        // Minimised, it reports its icon's place (off the screen on Windows, at
        // the bottom edge here); under where it comes back is the place.
        {"player minimised, no placement", "", {100, 220, 500, 284}, 0, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        HostPlayer player("1. Artist - Song - Winamp", Ini(row.lines).c_str());
        if (row.minimised) {
            ShowWindow(player.main, SW_MINIMIZE);
            ASSERT_TRUE(IsIconic(player.main));
        }
        ASSERT_EQ(player.Start(), 0);
        HWND w = player.TitleWindow();
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(SameRect(OuterRect(w), row.expected)) << Describe(OuterRect(w));
        EXPECT_EQ(StylesOf(w).style, kStyles[row.style].style);
        EXPECT_EQ(StylesOf(w).exStyle, kStyles[row.style].exStyle);
        player.Frame(2);
        EXPECT_TRUE(SameRect(OuterRect(w), row.expected)) << Describe(OuterRect(w));
        player.Stop();
        const RECT& e = row.expected;
        ExpectPlacementSaved(player.plugin.iniPath, e.left, e.top, e.right - e.left, e.bottom - e.top, row.style);
    }
}

// A player whose window thread is still busy as the display starts (loading
// its UI, or waiting for the display) answers nothing for a while. Until it
// has said where its settings are, nothing is read or written at a guess;
// once it has, the window moves to the place stored there.
TEST(TitleWindow, ABusyPlayerAtStartGetsItsStoredPlaceOnceItAnswers) {
    struct Row {
        const char* label;
        bool besideReadOnly;
        bool namesFolder;    // the player answers 335 with a folder holding a placement
        bool stopWhileBusy;  // stopped before it ever answered
        RECT during, after;  // the window while it is busy, and once it has answered
    } rows[] = {
        {"read-only beside, the player's folder holds the place", true, true, false, {100, 220, 500, 284},
         {200, 500, 500, 550}},
        {"read-only beside, the player names no folder: the per-user copy takes the file's place", true, false, false,
         {100, 220, 500, 284}, {321, 123, 621, 173}},
        {"writable beside: nothing to ask", false, true, false, {321, 123, 621, 173}, {321, 123, 621, 173}},
        {"stopped while busy, never answered", true, true, true, {100, 220, 500, 284}, {}},
    };
    const std::string beside = Ini("Screen_x=321\r\nScreen_y=123\r\nScreen_w=300\r\nScreen_h=50\r\nWindow_style=2\r\n");
    const std::string inFolder =
        Ini("Screen_x=200\r\nScreen_y=500\r\nScreen_w=300\r\nScreen_h=50\r\nWindow_style=2\r\nBkColor=255\r\n");
    const std::string folder = MakeTempFolder();
    const std::string folderFile = folder + "Plugins\\plugin.ini";
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        RemoveUserSettings();
        RemoveTree(folder + "Plugins");
        CreateDirectoryA((folder + "Plugins").c_str(), nullptr);
        WriteTextFile(folderFile, inFolder);
        ReadOnlyBeside readOnly(row.besideReadOnly);
        HostPlayer player("1. Artist - Song - Winamp", beside.c_str());
        if (row.namesFolder) player.settingsFolder = folder.c_str();
        RECT during = {};
        player.OnDisplayWhileHung(1500, [&] {
            ASSERT_EQ(player.module->start(player.module), 0);
            for (int i = 0; i < 2; ++i) player.module->render(player.module);
            GetWindowRect(player.TitleWindow(), &during);
            if (row.stopWhileBusy) player.module->stop(player.module);
        });
        EXPECT_TRUE(SameRect(during, row.during)) << Describe(during);
        if (!row.stopWhileBusy) {
            player.Frame(3);
            HWND t = player.TitleWindow();
            ASSERT_NE(t, nullptr);
            EXPECT_TRUE(SameRect(OuterRect(t), row.after)) << Describe(OuterRect(t));
            if (row.namesFolder && row.besideReadOnly) {
                const Shot shot = Grab(player);
                ASSERT_GT(shot.width, 0);
                EXPECT_EQ(shot.at(0, 0), 0xFF0000u) << "the appearance from the same file";
            }
            player.Stop();
        }
        if (row.besideReadOnly) {
            EXPECT_EQ(FileBytes(player.plugin.iniPath), beside) << "the read-only file is left alone";
        }
        const bool perUser = !row.namesFolder && !row.stopWhileBusy;
        EXPECT_EQ(FileExists(UserSettingsFolder()), perUser) << "nothing read or written at a guess";
        if (row.stopWhileBusy || !row.besideReadOnly) {
            EXPECT_EQ(FileBytes(folderFile), inFolder) << "the player's folder is left alone";
        } else if (row.namesFolder) {
            ExpectPlacementSaved(folderFile, 200, 500, 300, 50, 2);
        }
    }
    RemoveUserSettings();
    RemoveTree(folder);
}

// A monitor unplugged, a resolution lowered or a taskbar grown while the
// display runs: the window is checked again, and one that can no longer be
// grabbed comes back into the work area. Other setting changes move nothing.
TEST(TitleWindow, KeptReachableWhenTheScreenChanges) {
    struct Row {
        const char* label;
        UINT message;
        WPARAM wParam;
        bool moved;
    } rows[] = {
        {"display change", WM_DISPLAYCHANGE, 32, true},
        {"work area change", WM_SETTINGCHANGE, SPI_SETWORKAREA, true},
        {"another setting", WM_SETTINGCHANGE, SPI_SETDESKWALLPAPER, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        HostPlayer player("Hi - Winamp", Ini("Screen_x=50\r\nScreen_y=300\r\nScreen_w=200\r\nScreen_h=64\r\nWindow_style=2\r\n").c_str());
        ASSERT_EQ(player.Start(), 0);
        player.Frame();
        HWND t = player.TitleWindow();
        // Where a screen that was there would have left it.
        player.OnDisplay([&] {
            SetWindowPos(t, nullptr, 1270, 1000, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
            SendMessageA(t, row.message, row.wParam, MAKELPARAM(1280, 1024));
        });
        const RECT want = row.moved ? RECT{1080, 960, 1280, 1024} : RECT{1270, 1000, 1470, 1064};
        EXPECT_TRUE(SameRect(OuterRect(t), want)) << Describe(OuterRect(t));
        player.Stop();
        ExpectPlacementSaved(player.plugin.iniPath, want.left, want.top, 200, 64, 2);
    }
}

// A window stretched once over two monitors, or lower than its frame
// allows, is clamped by the system: the rectangle it really has is laid out,
// drawn and saved.
TEST(TitleWindow, ASizeTheScreenCannotHoldIsTheSizeItGets) {
    struct Row {
        const char* label;
        const char* lines;
    } rows[] = {
        {"wider than the screen, no frame", "Screen_x=0\r\nScreen_y=300\r\nScreen_w=3000\r\nScreen_h=60\r\nWindow_style=2\r\n"},
        {"wider than the screen, tool frame", "Screen_x=0\r\nScreen_y=300\r\nScreen_w=3000\r\nScreen_h=60\r\n"},
        {"lower than the tool frame allows", "Screen_x=40\r\nScreen_y=300\r\nScreen_w=300\r\nScreen_h=3\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        HostPlayer player("Hi - Winamp", Ini(std::string(row.lines) + "BkColor=0\r\nColor=16777215\r\n").c_str());
        ASSERT_EQ(player.Start(), 0);
        player.Frame();
        HWND t = player.TitleWindow();
        const RECT r = OuterRect(t);
        EXPECT_LE(r.right - r.left, 1400) << "clamped by the system";
        EXPECT_GE(r.bottom - r.top, 20);
        const Shot shot = Grab(player);
        RECT client = {};
        GetClientRect(t, &client);
        ASSERT_EQ(shot.width, client.right);
        if (shot.height >= 16) {
            const Band ink = InkBand(shot, 0);
            ASSERT_FALSE(ink.empty()) << "the title is drawn inside the window";
            EXPECT_NEAR(ink.centreX(), shot.width / 2, 8) << "centred in the real window";
        }
        player.Stop();
        const std::vector<std::string> lines = SectionLines(player.plugin.iniPath, "Title Display (ALPHA)");
        EXPECT_TRUE(HasLine(lines, "Screen_w=" + std::to_string(r.right - r.left)));
        EXPECT_TRUE(HasLine(lines, "Screen_h=" + std::to_string(r.bottom - r.top)));
    }
}

// Dragging sends a move at every step: while the player is busy none of them
// waits for it (each would wait for the title fetch's limit).
TEST(TitleWindow, MovesWhileThePlayerIsBusyWaitForNothing) {
    HostPlayer player("Hi - Winamp", Ini("Screen_x=50\r\nScreen_y=300\r\nScreen_w=200\r\nScreen_h=64\r\nWindow_style=2\r\n").c_str());
    ASSERT_EQ(player.Start(), 0);
    player.Frame();
    HWND t = player.TitleWindow();
    const Shot before = Grab(player);
    DWORD took = 0;
    player.OnDisplayWhileHung(1500, [&] {
        const DWORD started = GetTickCount();
        for (int i = 1; i <= 10; ++i) SetWindowPos(t, nullptr, 50 + 10 * i, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        took = GetTickCount() - started;
    });
    EXPECT_LT(took, 300u) << "ten moves";
    player.Frame();
    EXPECT_EQ(OuterRect(t).left, 150);
    const Shot after = Grab(player);
    EXPECT_TRUE(after.pixels == before.pixels) << "the same picture, moved";
    player.Stop();
    ExpectPlacementSaved(player.plugin.iniPath, 150, 300, 200, 64, 2);
}

TEST(TitleWindow, DoubleClicksCycleTheStylesAndKeepTheRectangle) {
    HostPlayer player("1. Artist - Song - Winamp",
                      Ini("Screen_x=40\r\nScreen_y=300\r\nScreen_w=320\r\nScreen_h=80\r\n").c_str());
    ASSERT_EQ(player.Start(), 0);
    player.Frame();
    HWND w = player.TitleWindow();
    ASSERT_NE(w, nullptr);
    const RECT start = OuterRect(w);
    ASSERT_TRUE(SameRect(start, RECT{40, 300, 360, 380})) << Describe(start);
    const int expected[] = {1, 2, 0};
    RECT client0;
    GetClientRect(w, &client0);
    for (int click = 0; click < 3; ++click) {
        SCOPED_TRACE("double click " + std::to_string(click + 1));
        DoubleClick(player);
        player.Frame();
        const Styles now = StylesOf(w);
        EXPECT_EQ(now.style, kStyles[expected[click]].style);
        EXPECT_EQ(now.exStyle, kStyles[expected[click]].exStyle);
        EXPECT_TRUE(SameRect(OuterRect(w), start)) << Describe(OuterRect(w));
        RECT client;
        GetClientRect(w, &client);
        if (expected[click] == 2) {  // no frame: the client is the whole window
            EXPECT_EQ(client.right, 320);
            EXPECT_EQ(client.bottom, 80);
        }
        if (expected[click] == 0) {
            EXPECT_EQ(client.right, client0.right);
            EXPECT_EQ(client.bottom, client0.bottom);
        }
    }
    // A fourth click leaves style 1, which Stop writes.
    DoubleClick(player);
    player.Stop();
    ExpectPlacementSaved(player.plugin.iniPath, 40, 300, 320, 80, 1);
}

POINT OnScreen(HWND w, int x, int y) {  // client coordinates
    POINT p = {x, y};
    ClientToScreen(w, &p);
    return p;
}

// Real input, in each frame: the pointer over the window is the arrow; a
// drag moves the window by the drag; a click does nothing; a double click
// still changes the frame.
TEST(TitleWindow, MouseInEveryFrame) {
    for (int style = 0; style < 3; ++style) {
        SCOPED_TRACE("style " + std::to_string(style));
        HostPlayer player("1. Artist - Song - Winamp",
                          Ini("Screen_x=200\r\nScreen_y=400\r\nScreen_w=300\r\nScreen_h=80\r\nWindow_style=" +
                              std::to_string(style) + "\r\n")
                              .c_str());
        ASSERT_EQ(player.Start(), 0);
        player.Frame();
        HWND w = player.TitleWindow();
        ASSERT_NE(w, nullptr);

        player.OnDisplay([] { SetCursor(LoadCursorA(nullptr, IDC_IBEAM)); });
        MouseMoveTo(OnScreen(w, 30, 20));
        HCURSOR shown = nullptr;
        player.OnDisplay([&] { shown = GetCursor(); });
        EXPECT_EQ(shown, LoadCursorA(nullptr, IDC_ARROW));

        RECT moved = OuterRect(w);
        OffsetRect(&moved, 120, -90);
        const POINT from = OnScreen(w, 30, 20);
        MouseDrag(from, {from.x + 120, from.y - 90}, 6);
        player.Pump(50);
        EXPECT_TRUE(SameRect(OuterRect(w), moved)) << Describe(OuterRect(w));
        EXPECT_EQ(StylesOf(w).style, kStyles[style].style);

        MouseClick(OnScreen(w, 30, 20));
        player.Pump(50);
        EXPECT_TRUE(SameRect(OuterRect(w), moved)) << "a click moved it: " << Describe(OuterRect(w));
        EXPECT_EQ(StylesOf(w).style, kStyles[style].style) << "a click changed the frame";

        MouseClick(OnScreen(w, 90, 20), 2);  // away from the click, so it does not count
        player.Pump(50);
        const int next = (style + 1) % 3;
        EXPECT_EQ(StylesOf(w).style, kStyles[next].style) << "the double click did nothing";
        EXPECT_TRUE(SameRect(OuterRect(w), moved)) << Describe(OuterRect(w));
        player.Stop();
        ExpectPlacementSaved(player.plugin.iniPath, moved.left, moved.top, 300, 80, next);
    }
}

TEST(TitleWindow, MovingAndResizingRecomposesAndIsSaved) {
    struct Row {
        const char* label;
        RECT to;  // x, y, right, bottom
    } rows[] = {
        {"move only", {60, 320, 260, 384}},
        {"taller and wider", {60, 320, 360, 448}},
        {"wider and lower in place", {50, 300, 350, 340}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        HostPlayer player("Hi - Winamp",
                          Ini("Screen_x=50\r\nScreen_y=300\r\nScreen_w=200\r\nScreen_h=64\r\nWindow_style=2\r\n"
                              "BkColor=255\r\nColor=16777215\r\n")
                              .c_str());
        ASSERT_EQ(player.Start(), 0);
        player.Frame();
        const uint32_t red = 0xFF0000;
        const Shot before = Grab(player);
        ASSERT_EQ(before.width, 200);
        ASSERT_EQ(before.at(0, 0), red);
        const Band b0 = InkBand(before, red);
        ASSERT_FALSE(b0.empty());
        EXPECT_NEAR(b0.centreX(), 100, 8);

        // Moves and resizes recompose from memory; the file is read again only
        // when a redraw is requested.
        WriteTextFile(player.plugin.iniPath,
                      Ini("Screen_x=50\r\nScreen_y=300\r\nScreen_w=200\r\nScreen_h=64\r\nWindow_style=2\r\n"
                          "BkColor=16711680\r\nColor=16777215\r\n"));
        const int w = row.to.right - row.to.left, h = row.to.bottom - row.to.top;
        MoveTitleWindow(player, row.to.left, row.to.top, w, h);
        player.Frame();
        HWND t = player.TitleWindow();
        EXPECT_TRUE(SameRect(OuterRect(t), row.to)) << Describe(OuterRect(t));
        const Shot after = Grab(player);
        ASSERT_EQ(after.width, w);
        ASSERT_EQ(after.height, h);
        EXPECT_EQ(after.at(0, 0), red) << "the file was read again";
        EXPECT_EQ(after.at(w - 1, h - 1), red);
        const Band b1 = InkBand(after, red);
        ASSERT_FALSE(b1.empty()) << "the title is gone";
        const double scale = double(h) / 64;
        EXPECT_NEAR(b1.height(), b0.height() * scale, b0.height() * scale * 0.2 + 2);
        EXPECT_NEAR(b1.centreX(), w / 2, 8);
        EXPECT_NEAR((b1.top + b1.bottom) / 2.0, h / 2.0, h * 0.15 + 2);

        player.Stop();
        ExpectPlacementSaved(player.plugin.iniPath, row.to.left, row.to.top, w, h, 2);
    }
}

TEST(TitleWindow, FramedWindowSavesItsOuterRectangleAfterResize) {
    HostPlayer player;
    ASSERT_EQ(player.Start(), 0);
    player.Frame();
    MoveTitleWindow(player, 15, 25, 333, 99);
    player.Frame();
    const Shot s = Grab(player);
    EXPECT_FALSE(InkBand(s, 0).empty()) << "the title is gone";
    player.Stop();
    ExpectPlacementSaved(player.plugin.iniPath, 15, 25, 333, 99, 0);
}

TEST(TitleWindow, KeyDownAndUpReachThePlayerOthersDoNot) {
    HostPlayer player;
    ASSERT_EQ(player.Start(), 0);
    player.Frame();
    HWND w = player.TitleWindow();
    ASSERT_NE(w, nullptr);
    player.Pump(50);
    player.hostMessages.clear();

    struct Key {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        bool forwarded;
    } sent[] = {
        {WM_KEYDOWN, VK_F5, 0x003F0001, true},
        {WM_CHAR, '#', 0x00040001, false},
        {WM_SYSKEYDOWN, VK_F6, 0x20400001, false},
        {WM_SYSKEYUP, VK_F6, (LPARAM)0xE0400001u, false},
        {WM_SYSCHAR, 'q', 0x20100001, false},
        {WM_KEYUP, VK_F5, (LPARAM)0xC03F0001u, true},
        {WM_KEYDOWN, VK_NEXT, 0x01510001, true},  // extended key, its flags kept
        {WM_KEYUP, VK_NEXT, (LPARAM)0xC1510001u, true},
    };
    player.OnDisplay([&] {
        for (const Key& k : sent) SendMessageA(w, k.message, k.wParam, k.lParam);
    });
    // Posted ones go through the display thread's own loop.
    PostMessageA(w, WM_KEYDOWN, VK_F7, 0x00410001);
    PostMessageA(w, WM_KEYUP, VK_F7, (LPARAM)0xC0410001u);
    WaitUntil(player, [&] { return player.hostMessages.size() >= 6; }, 2000);
    player.Pump(100);

    std::vector<Key> expected;
    for (const Key& k : sent)
        if (k.forwarded) expected.push_back(k);
    expected.push_back({WM_KEYDOWN, VK_F7, 0x00410001, true});
    expected.push_back({WM_KEYUP, VK_F7, (LPARAM)0xC0410001u, true});
    ASSERT_EQ(player.hostMessages.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("message " + std::to_string(i));
        EXPECT_EQ(player.hostMessages[i].hwnd, player.main);
        EXPECT_EQ(player.hostMessages[i].message, expected[i].message);
        EXPECT_EQ(player.hostMessages[i].wParam, expected[i].wParam);
        EXPECT_EQ(player.hostMessages[i].lParam, expected[i].lParam);
    }
    EXPECT_TRUE(IsWindow(w)) << "a system key closed the window";
    player.Stop();
}

// A recomposition reads the file again: a new BkColor in the file shows only
// when the title was recomposed.
TEST(TitleWindow, OnlyThePlayersTitleChangeRecomposes) {
    HostPlayer player("A - X", Ini("BkColor=255\r\n").c_str());
    ASSERT_EQ(player.Start(), 0);
    player.Frame();
    HWND title = player.TitleWindow();
    ASSERT_NE(title, nullptr);
    ASSERT_EQ(Grab(player).at(1, 1), 0xFF0000u);

    HWND other = CreateWindowExA(0, "STATIC", "other - window", WS_OVERLAPPED | WS_VISIBLE, 600, 100, 200, 60,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(other, nullptr);
    HWND child = CreateWindowExA(0, "STATIC", "child", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, player.main, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(child, nullptr);

    struct Row {
        const char* label;
        std::function<void()> act;
        bool recomposes;
    } rows[] = {
        {"nothing", [] {}, false},
        {"another window's title", [&] { SetWindowTextA(other, "B - Y"); }, false},
        {"a child of the player", [&] { SetWindowTextA(child, "B - Y"); }, false},
        {"the title window's caption", [&] { SetWindowTextA(title, "B - Y"); }, false},
        {"WM_USER to the player", [&] { SendMessageA(player.main, WM_USER, 1, 2); }, false},
        {"WM_GETTEXT to the player",
         [&] {
             char buffer[64];
             SendMessageA(player.main, WM_GETTEXT, sizeof buffer, (LPARAM)buffer);
         },
         false},
        {"player's title", [&] { player.SetTitle("B - Y"); }, true},
        {"the same title again", [&] { player.SetTitle("B - Y"); }, true},
        {"player's title from the display thread",
         [&] { player.OnDisplay([&] { SendMessageA(player.main, WM_SETTEXT, 0, (LPARAM) "C - Z"); }); }, true},
        {"another window after a change", [&] { SetWindowTextA(other, "D - W"); }, false},
        // It sends itself messages for a second first, while the display runs.
        {"player's title from another program, which never loads the plug-in",
         [&] {
             EXPECT_EQ(RunNeighbour(player.main, "G - T"), 0)
                 << "1: vis_mirn.dll was loaded in it; 2: no window; 4: the title was not taken";
         },
         true},
    };
    const COLORREF colours[] = {0x00FF00, 0xFF0000, 0x00FFFF, 0xFF00FF, 0x808000, 0x008080,
                                0x102030, 0x302010, 0x0000C0, 0xC00000, 0x00C000};
    static_assert(sizeof colours / sizeof colours[0] == sizeof rows / sizeof rows[0], "one colour a row");
    uint32_t shown = 0xFF0000;
    int i = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        const COLORREF next = colours[i++];
        WriteTextFile(player.plugin.iniPath, Ini("BkColor=" + std::to_string(next) + "\r\n"));
        row.act();
        player.Pump(20);
        player.Frame();
        if (row.recomposes) shown = Rgb(next);
        EXPECT_EQ(Grab(player).at(1, 1), shown);
    }
    DestroyWindow(child);
    DestroyWindow(other);
    player.Stop();
}

TEST(TitleWindow, TitleChangeShowsTheNewText) {
    HostPlayer player("A - X", Ini("Screen_w=400\r\nWindow_style=2\r\n").c_str());
    ASSERT_EQ(player.Start(), 0);
    player.Frame();
    const Band shortBand = InkBand(Grab(player), 0);
    ASSERT_FALSE(shortBand.empty());
    player.SetTitle("ABCDEFGH - X");
    player.Frame();
    const Band longBand = InkBand(Grab(player), 0);
    ASSERT_FALSE(longBand.empty());
    EXPECT_GT(longBand.right - longBand.left, 3 * (shortBand.right - shortBand.left));
    EXPECT_NEAR(longBand.centreX(), 200, 10);
    player.SetTitle("no separator");  // nothing to show: background only
    player.Frame();
    EXPECT_TRUE(InkBand(Grab(player), 0).empty());
    player.Stop();
}

TEST(TitleWindow, ClosingTheWindowQuitsAndStopIsStillSafe) {
    HostPlayer player;
    ASSERT_EQ(player.Start(), 0);
    player.Frame();
    HWND w = player.TitleWindow();
    ASSERT_NE(w, nullptr);
    MoveTitleWindow(player, 70, 350, 280, 75);
    player.OnDisplay([&] { SendMessageA(w, WM_CLOSE, 0, 0); });  // what the close box does
    EXPECT_TRUE(WaitUntil(player, [&] { return player.quitMessages() == 1; }));
    EXPECT_FALSE(IsWindow(w));
    player.SetTitle("Other - Winamp");  // a redraw request with no window
    player.Frame(3);
    player.Stop();
    player.Pump(200);
    EXPECT_EQ(player.quitMessages(), 1) << "Stop posted a second quit";
    ExpectPlacementSaved(player.plugin.iniPath, 70, 350, 280, 75, 0);

    // A new run works as the first one did.
    ASSERT_EQ(player.Start(), 0);
    HWND again = player.TitleWindow();
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(SameRect(OuterRect(again), RECT{70, 350, 350, 425})) << Describe(OuterRect(again));
    player.Frame();
    EXPECT_FALSE(InkBand(Grab(player), 0).empty());
    player.Stop();
    EXPECT_TRUE(WaitUntil(player, [&] { return player.quitMessages() == 2; }));
    EXPECT_FALSE(IsWindow(again));
}

TEST(TitleWindow, SecondRunKeepsWhatTheFileLacks) {
    HostPlayer player("1. Artist - Song - Winamp",
                      Ini("Scroll_Step=7\r\nScroll_Interval=33\r\nScroll_Enabled=0\r\n").c_str());
    ASSERT_EQ(player.Start(), 0);
    player.Frame();  // reads the scroll keys
    DoubleClick(player);
    player.Stop();
    ASSERT_TRUE(HasLine(SectionLines(player.plugin.iniPath, "Title Display (ALPHA)"), "Window_style=1"));

    WriteTextFile(player.plugin.iniPath, Ini("Screen_h=90\r\n"));
    ASSERT_EQ(player.Start(), 0);
    HWND w = player.TitleWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(StylesOf(w).style, kStyles[1].style);
    EXPECT_EQ(StylesOf(w).exStyle, kStyles[1].exStyle);
    RECT host;
    GetWindowRect(player.main, &host);
    // Position and width start again from the player; the height is the file's.
    EXPECT_TRUE(SameRect(OuterRect(w), RECT{host.left, host.bottom, host.right, host.bottom + 90}))
        << Describe(OuterRect(w));
    player.Frame();
    const ScrollFields f = ReadScrollFields(player);
    EXPECT_EQ(f.step, "7");
    EXPECT_EQ(f.interval, "33");
    EXPECT_FALSE(f.enabled);
    player.Stop();
}

TEST(TitleWindow, ReloadingTheLibraryStartsFromDefaults) {
    HostPlayer player("1. Artist - Song - Winamp",
                      Ini("Window_style=2\r\nScroll_Step=7\r\nScroll_Interval=33\r\nScroll_Enabled=0\r\n").c_str());
    ASSERT_EQ(player.Start(), 0);
    player.Frame();
    DoubleClick(player);  // style 0
    DoubleClick(player);  // style 1
    player.Stop();

    const std::string path = player.plugin.dllPath;
    FreeLibrary(player.plugin.dll);
    player.plugin.dll = nullptr;
    EXPECT_EQ(GetModuleHandleA(path.c_str()), nullptr) << "something still holds the library";
    DeleteFileA(player.plugin.iniPath.c_str());

    HMODULE dll = LoadLibraryA(path.c_str());
    ASSERT_NE(dll, nullptr);
    typedef VisHeader*(__cdecl * GetHeader)(void);
    GetHeader get = (GetHeader)(void*)GetProcAddress(dll, "winampVisGetHeader");
    ASSERT_NE(get, nullptr);
    VisModule* module = get()->getModule(0);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(module->hostWindow, nullptr);
    module->hostWindow = player.main;
    module->instance = dll;
    player.plugin.dll = dll;
    player.plugin.header = get();
    player.plugin.module = module;
    player.module = module;

    ASSERT_EQ(player.Start(), 0);
    HWND w = player.TitleWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(StylesOf(w).style, kStyles[0].style);
    EXPECT_EQ(StylesOf(w).exStyle, kStyles[0].exStyle);
    player.Frame();
    const ScrollFields f = ReadScrollFields(player);
    EXPECT_EQ(f.step, "1");
    EXPECT_EQ(f.interval, "20");
    EXPECT_TRUE(f.enabled);
    player.Stop();
}

// With no player's window to watch there is no thread to hook, and never
// every thread instead: another program still has no plug-in in it.
TEST(TitleWindow, NoPlayerWindowHooksNothing) {
    HostPlayer player("A - X", Ini("Screen_x=40\r\nScreen_y=300\r\nScreen_w=320\r\nScreen_h=80\r\n").c_str());
    player.module->hostWindow = nullptr;
    ASSERT_EQ(player.Start(), 0);
    EXPECT_TRUE(IsWindow(player.TitleWindow()));
    EXPECT_EQ(RunNeighbour(nullptr, ""), 0) << "1: vis_mirn.dll was loaded in it; 2: no window";
    player.Frame();
    player.Stop();
}

TEST(TitleWindow, HookLastsFromStartToStop) {
    HostPlayer player("A - X", Ini("BkColor=255\r\n").c_str());
    ASSERT_EQ(player.Start(), 0);
    player.Frame();
    player.Stop();
    // Title changes between runs and after unloading reach no stale hook.
    player.SetTitle("B - Y");
    player.OnDisplay([&] { SendMessageA(player.main, WM_SETTEXT, 0, (LPARAM) "C - Z"); });
    ASSERT_EQ(player.Start(), 0);
    player.Frame();
    EXPECT_FALSE(InkBand(Grab(player), 0xFF0000).empty());
    player.Stop();

    const std::string path = player.plugin.dllPath;
    FreeLibrary(player.plugin.dll);
    player.plugin.dll = nullptr;
    player.plugin.module = nullptr;
    player.SetTitle("D - W");
    player.OnDisplay([&] { SendMessageA(player.main, WM_SETTEXT, 0, (LPARAM) "E - V"); });
    HWND other = CreateWindowExA(0, "STATIC", "x", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    SetWindowTextA(other, "F - U");
    DestroyWindow(other);
    player.Pump(50);
    EXPECT_EQ(GetModuleHandleA(path.c_str()), nullptr);
    char text[32] = "";
    GetWindowTextA(player.main, text, sizeof text);
    EXPECT_STREQ(text, "E - V");
}

}  // namespace

namespace {

const char* const kMenuTexts[] = {"Tool window frame", "Sizing border", "No frame", "", "Always on top",
                                  "Write title to nowplaying.txt", "", "Transparent background", "Outline",
                                  "Outline colour...", "Scrolling", "", "Show", "Click-through (hold Ctrl to reach it)"};

bool TopMost(HWND w) { return (GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

const POINT kFromKeyboard = {-1, -1};

// Opens the menu with a right click at `at` (client coordinates), or as the
// menu key does, and checks what it shows against the frame and options in
// effect.
HWND OpenMenu(HWND w, POINT at, int style, bool topMost, bool titleFile) {
    const bool keyboard = at.x == kFromKeyboard.x && at.y == kFromKeyboard.y;
    if (keyboard)
        PostMessageA(w, WM_CONTEXTMENU, (WPARAM)w, -1);
    else
        MouseClick(OnScreen(w, at.x, at.y), 1, true);
    HWND menu = WaitForMenu();
    if (!menu) return nullptr;
    RECT r = {};
    GetWindowRect(menu, &r);
    const POINT corner = OnScreen(w, keyboard ? 0 : at.x, keyboard ? 0 : at.y);
    EXPECT_NEAR(r.left, corner.x, 4) << "the menu is not where it was asked for";
    EXPECT_NEAR(r.top, corner.y, 4) << "the menu is not where it was asked for";
    const std::vector<MenuItem> items = MenuItems(menu);
    EXPECT_EQ(items.size(), 14u);
    for (size_t i = 0; i < items.size() && i < 14; ++i) {
        SCOPED_TRACE("item " + std::to_string(i));
        EXPECT_EQ(items[i].text, kMenuTexts[i]);
        const bool checked = i < 3 ? (int)i == style : i == 4 ? topMost : i == 5 ? titleFile : false;
        EXPECT_EQ(items[i].checked, checked);
        EXPECT_EQ(items[i].radio, i < 3);
    }
    return menu;
}

}  // namespace

// A right click anywhere in the window, in every frame, opens the menu; what
// is chosen there takes effect at once, is saved at once and lasts into the
// next run; what is not chosen changes nothing, and keys pressed while it is
// open stay with it.
TEST(TitleWindow, MenuShowsAndSetsTheFrameAndOptions) {
    const int kEscape = -1, kOutside = -2;
    struct Row {
        const char* label;
        const char* lines;  // beside the placement
        POINT at;           // where the right click is, client coordinates
        int style;
        bool topMost, titleFile;
        int choose;  // an item, or how the menu is left without one
        int styleAfter;
        bool topMostAfter, titleFileAfter;
    } rows[] = {
        {"tool window -> sizing border", "", {30, 20}, 0, false, false, 1, 1, false, false},
        {"right click on the caption", "", {30, -8}, 0, false, false, 2, 2, false, false},
        {"sizing border -> no frame", "Window_style=1\r\n", {30, 20}, 1, false, false, 2, 2, false, false},
        {"from the keyboard, at the corner", "Window_style=1\r\n", kFromKeyboard, 1, false, false, 0, 0, false,
         false},
        {"no frame -> tool window", "Window_style=2\r\n", {30, 20}, 2, false, false, 0, 0, false, false},
        {"always on top, no frame", "Window_style=2\r\n", {30, 20}, 2, false, false, 4, 2, true, false},
        {"on top through a frame change", "TopMost=1\r\n", {30, 20}, 0, true, false, 1, 1, true, false},
        {"on top off", "Window_style=1\r\nTopMost=-3\r\n", {30, 20}, 1, true, false, 4, 1, false, false},
        {"title file on", "Window_style=1\r\n", {30, 20}, 1, false, false, 5, 1, false, true},
        {"title file off", "TitleFile=7\r\nTopMost=abc\r\n", {30, 20}, 0, false, true, 5, 0, false, false},
        {"Escape, after other keys", "Window_style=2\r\nTopMost=1\r\nTitleFile=1\r\n", {30, 20}, 2, true, true,
         kEscape, 2, true, true},
        {"a click outside", "Window_style=1\r\n", {30, 20}, 1, false, false, kOutside, 1, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        HostPlayer player("1. Artist - Song - Winamp",
                          Ini("Screen_x=200\r\nScreen_y=400\r\nScreen_w=300\r\nScreen_h=80\r\n" +
                              std::string(row.lines))
                              .c_str());
        const std::string nowPlaying = player.plugin.folder + "nowplaying.txt";
        ASSERT_EQ(player.Start(), 0);
        player.Frame();
        HWND w = player.TitleWindow();
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(TopMost(w), row.topMost);
        EXPECT_EQ(FileBytes(nowPlaying), row.titleFile ? "1. Artist - Song" : "");
        const std::string before = FileBytes(player.plugin.iniPath);
        player.Pump(50);
        player.hostMessages.clear();

        HWND menu = OpenMenu(w, row.at, row.style, row.topMost, row.titleFile);
        ASSERT_NE(menu, nullptr) << "no menu";
        if (row.choose == kEscape) {
            for (WORD vk : {(WORD)'Q', (WORD)VK_DOWN, (WORD)VK_F5, (WORD)VK_ESCAPE}) KeyStroke(vk);
        } else if (row.choose == kOutside) {
            MouseClick({1200, 1000});
        } else {
            ClickMenuItem(menu, row.choose);
        }
        player.Pump(100);
        EXPECT_FALSE(IsWindowVisible(menu)) << "the menu stayed open";
        EXPECT_TRUE(player.hostMessages.empty()) << player.hostMessages.size() << " messages reached the player";
        EXPECT_EQ(StylesOf(w).style, kStyles[row.styleAfter].style);
        EXPECT_EQ(StylesOf(w).exStyle & ~(DWORD)WS_EX_TOPMOST, kStyles[row.styleAfter].exStyle);
        EXPECT_EQ(TopMost(w), row.topMostAfter);
        EXPECT_FALSE(TopMost(player.main)) << "the player's window changed";
        EXPECT_TRUE(SameRect(OuterRect(w), RECT{200, 400, 500, 480})) << Describe(OuterRect(w));
        EXPECT_EQ(FileBytes(nowPlaying), row.titleFileAfter ? "1. Artist - Song" : "");
        if (row.choose < 0) {
            EXPECT_EQ(FileBytes(player.plugin.iniPath), before) << "the file changed";
        } else {  // saved at once
            const std::vector<std::string> lines = SectionLines(player.plugin.iniPath, "Title Display (ALPHA)");
            EXPECT_TRUE(HasLine(lines, "Window_style=" + std::to_string(row.styleAfter)));
            EXPECT_TRUE(HasLine(lines, row.topMostAfter ? "TopMost=1" : "TopMost=0") ||
                        (!row.topMostAfter && !row.topMost));
            EXPECT_TRUE(HasLine(lines, row.titleFileAfter ? "TitleFile=1" : "TitleFile=0") ||
                        (!row.titleFileAfter && !row.titleFile));
        }
        // Keys after the menu reach the player again.
        PostMessageA(w, WM_KEYDOWN, VK_F5, 0x003F0001);
        EXPECT_TRUE(WaitUntil(player, [&] { return player.hostMessages.size() == 1; }, 2000));
        EXPECT_TRUE(player.hostMessages.size() == 1 && player.hostMessages[0].wParam == VK_F5);

        player.Stop();
        EXPECT_EQ(FileBytes(nowPlaying), "") << "stopping leaves the title in the file";
        ASSERT_EQ(player.Start(), 0);
        player.Frame();
        w = player.TitleWindow();
        EXPECT_EQ(StylesOf(w).style, kStyles[row.styleAfter].style);
        EXPECT_EQ(TopMost(w), row.topMostAfter);
        EXPECT_EQ(FileBytes(nowPlaying), row.titleFileAfter ? "1. Artist - Song" : "");
        player.Stop();
    }
}

namespace {

FILETIME WriteTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

// Dates the file back to 2001, so that a rewrite shows in its time stamp.
void Backdate(const std::string& path) {
    HANDLE f = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    const FILETIME old = {0x2A3B4C00u, 0x01C0A000u};
    SetFileTime(f, nullptr, nullptr, &old);
    CloseHandle(f);
}

}  // namespace

// nowplaying.txt beside the settings file in use holds the title as shown,
// in UTF-8 without a BOM or line end, rewritten only when it changes; a
// reader holding it open or a file that cannot be written never disturbs
// the display, and a failed write is made good at the next change.
TEST(TitleWindow, TitleFileHoldsTheShownTitle) {
    struct Row {
        const char* title;
        const char* bytes;
    } rows[] = {
        {"1. Кино - Группа крови - Winamp", u8"1. Кино - Группа крови"},
        {"Μίκης Θεοδωράκης - Ζορμπάς - Winamp", u8"Μίκης Θεοδωράκης - Ζορμπάς"},
        {"Simon & Garfunkel - The Boxer - Winamp", "Simon & Garfunkel - The Boxer"},
        {"Céline Dion - Pour que tu m'aimes encore - Winamp", u8"Céline Dion - Pour que tu m'aimes encore"},
        {"Song \xF0\x9F\x8E\xB5 \t  - Winamp", "Song \xF0\x9F\x8E\xB5"},  // a pair; blanks at the end go
        {"no separator", ""},
    };
    for (bool perUser : {false, true}) {
        SCOPED_TRACE(perUser ? "per-user settings" : "settings beside the library");
        RemoveUserSettings();
        ReadOnlyBeside readOnly(perUser);
        HostPlayer player("A - X", Ini("Screen_w=300\r\nWindow_style=2\r\nTitleFile=1\r\n").c_str());
        const std::string path = (perUser ? UserSettingsFolder() : player.plugin.folder) + "nowplaying.txt";
        ASSERT_EQ(player.Start(), 0);
        player.Frame();
        EXPECT_EQ(FileBytes(path), "A");
        for (const Row& row : rows) {
            SCOPED_TRACE(row.title);
            player.SetTitle(row.title);
            player.Frame();
            EXPECT_EQ(FileBytes(path), row.bytes);
            EXPECT_FALSE(FileExists(path + ".tmp"));
        }
        // The same title again, or a new size, rewrites nothing.
        player.SetTitle("Same - Winamp");
        player.Frame();
        Backdate(path);
        const FILETIME old = WriteTime(path);
        player.SetTitle("Same - Winamp");
        player.Frame();
        MoveTitleWindow(player, 20, 300, 340, 70);
        player.Frame();
        const FILETIME now = WriteTime(path);
        EXPECT_EQ(CompareFileTime(&old, &now), 0) << "rewritten";
        EXPECT_EQ(FileBytes(path), "Same");

        // A reader keeps it open, as stream software may.
        HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(reader, INVALID_HANDLE_VALUE);
        player.SetTitle("Read - Winamp");
        player.Frame();
        EXPECT_GT(InkPixels(player.TitleWindow(), 0), 20) << "the display stopped";
        CloseHandle(reader);

        // A reader without delete sharing (as fopen opens) across a change:
        // the frames catch up once it lets go.
        reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             0, nullptr);
        ASSERT_NE(reader, INVALID_HANDLE_VALUE);
        player.SetTitle("Held - Winamp");
        player.Frame();
        EXPECT_NE(FileBytes(path), "Held") << "the reader did not hold the file";
        CloseHandle(reader);
        player.SetAutoFrames(true);
        EXPECT_TRUE(WaitUntil(player, [&] { return FileBytes(path) == "Held"; }, 2000)) << FileBytes(path);
        player.SetAutoFrames(false);

        // Cannot be written: the display runs on, the next change writes it.
        DeleteFileA(path.c_str());
        ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
        player.SetTitle("Blocked - Winamp");
        player.Frame();
        EXPECT_GT(InkPixels(player.TitleWindow(), 0), 20) << "the display stopped";
        EXPECT_EQ(WaitForDialog("blah", 200), nullptr);
        RemoveDirectoryA(path.c_str());
        player.SetTitle("Free - Winamp");
        player.Frame();
        EXPECT_EQ(FileBytes(path), "Free");

        // Held across the stop: emptied where it stands.
        reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             0, nullptr);
        player.Stop();
        EXPECT_TRUE(FileExists(path));
        EXPECT_EQ(FileBytes(path), "") << "stopping leaves the title in the file";
        CloseHandle(reader);
        RemoveUserSettings();
    }
}

namespace {

// Records whether a window of `className` was ever asked to leave the
// topmost band, on the thread the hook is set for.
bool g_loweredTitle = false;
LRESULT CALLBACK WatchPositions(int code, WPARAM wParam, LPARAM lParam) {
    const CWPSTRUCT* sent = (const CWPSTRUCT*)lParam;
    if (code >= 0 && sent->message == WM_WINDOWPOSCHANGING) {
        const WINDOWPOS* pos = (const WINDOWPOS*)sent->lParam;
        char name[16] = "";
        GetClassNameA(sent->hwnd, name, sizeof name);
        if (lstrcmpA(name, "MirnVis") == 0 && !(pos->flags & SWP_NOZORDER) && pos->hwndInsertAfter == HWND_NOTOPMOST)
            g_loweredTitle = true;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Frames at about the player's pace for `ms`.
void FramesFor(HostPlayer& player, int ms) {
    const DWORD end = GetTickCount() + (DWORD)ms;
    do {
        player.Frame();
        player.Pump(20);
    } while ((LONG)(GetTickCount() - end) < 0);
}

// The window's alpha: 255 when it is not layered.
int Alpha(HWND w) {
    BYTE alpha = 255;
    if (GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_LAYERED) GetLayeredWindowAttributes(w, nullptr, &alpha, nullptr);
    return alpha;
}

void PressCtrl(bool down) {
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = VK_CONTROL;
    in.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &in, sizeof in);
    PumpMessages(30);
}

}  // namespace

// A player on top by its own setting stays there: the title window, which
// inherits the flag, is never lowered for it (that would lower the player
// with it on Windows); what the user raised is lowered again.
TEST(TitleWindow, APlayerOnTopStaysOnTop) {
    struct Row {
        const char* label;
        bool playerOnTop;
        const char* lines;
        bool choose;  // "Always on top" from the menu, turning it off
        bool lowered;
    } rows[] = {
        {"player on top, option off", true, "", false, false},
        {"player on top, option turned off", true, "TopMost=1\r\n", true, false},
        {"player not on top, option turned off", false, "TopMost=1\r\n", true, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        HostPlayer player("1. Artist - Song - Winamp", Ini(std::string("Screen_w=300\r\n") + row.lines).c_str());
        if (row.playerOnTop) SetWindowPos(player.main, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        g_loweredTitle = false;
        HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, WatchPositions, nullptr, player.displayThreadId());
        ASSERT_NE(hook, nullptr);
        player.Frame();  // the hook sees the thread's sends once it has pumped
        ASSERT_EQ(player.Start(), 0);
        player.Frame();
        if (row.choose) {
            ASSERT_TRUE(ChooseFromTitleMenu(player.TitleWindow(), 4));
        }
        player.Pump(150);
        EXPECT_EQ(g_loweredTitle, row.lowered);
        EXPECT_EQ(TopMost(player.main), row.playerOnTop);
        player.Stop();
        UnhookWindowsHookEx(hook);
    }
}

// The outline colour picker runs beside the display: frames and a new title
// go on while it is open, and a stop then closes it and returns.
TEST(TitleWindow, TheOutlinePickerStopsNothing) {
    HostPlayer player("1. Artist - Song - Winamp", Ini("Screen_w=300\r\nTitleFile=1\r\nOutline=1\r\n").c_str());
    const std::string nowPlaying = player.plugin.folder + "nowplaying.txt";
    ASSERT_EQ(player.Start(), 0);
    player.SetAutoFrames(true);
    ASSERT_TRUE(ChooseFromTitleMenu(player.TitleWindow(), 9));
    HWND picker = WaitForDialog("Color");
    ASSERT_NE(picker, nullptr);
    const Shot before = Grab(player);
    player.SetTitle("2. Other - Tune - Winamp");
    EXPECT_TRUE(WaitUntil(player, [&] { return FileBytes(nowPlaying) == "2. Other - Tune"; }, 2000));
    EXPECT_NE(Grab(player).pixels, before.pixels) << "the new title was not drawn";
    EXPECT_TRUE(IsWindow(picker));
    player.SetAutoFrames(false);
    player.Stop();
    EXPECT_FALSE(IsWindow(picker)) << "the picker outlived the display";
    EXPECT_EQ(FileBytes(nowPlaying), "");
    EXPECT_EQ(FileBytes(player.plugin.iniPath).find("OutlineColor"), std::string::npos) << "a cancel saved a colour";
}

// Choices made in the menu before they can be saved (a busy player that has
// not said where its settings are, a file held by another program, a file
// that cannot be written) stay in effect over the stored look, are saved at
// the first chance, and only a save that fails for good is told, in the menu.
TEST(TitleWindow, ChoicesThatCannotBeSavedYetAreKeptAndSavedLater) {
    const std::string stored = "FaceName=Stored Face\r\nColor=65280\r\nBkColor=255\r\nScroll_Step=6\r\n";
    // Busy at the start: the place comes from the player's folder.
    {
        const std::string folder = MakeTempFolder();
        const std::string folderFile = folder + "Plugins\\plugin.ini";
        CreateDirectoryA((folder + "Plugins").c_str(), nullptr);
        WriteTextFile(folderFile, Ini("Screen_x=200\r\nScreen_y=500\r\nScreen_w=300\r\nScreen_h=50\r\n" + stored));
        ReadOnlyBeside readOnly;
        HostPlayer player("1. Artist - Song - Winamp", Ini("Screen_w=300\r\n").c_str());
        player.settingsFolder = folder.c_str();
        bool chosen = false;
        HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        HANDLE chooser = StartThread([&] {
            WaitForSingleObject(go, 5000);
            Sleep(300);
            chosen = ChooseFromTitleMenu(player.TitleWindow(), 5) &&
                     (Sleep(200), ChooseFromTitleMenu(player.TitleWindow(), 8, 2));
        });
        player.OnDisplayWhileHung(1500, [&] {
            ASSERT_EQ(player.module->start(player.module), 0);
            player.module->render(player.module);
            SetEvent(go);
        });
        JoinPumping(chooser);
        CloseHandle(go);
        ASSERT_TRUE(chosen) << "the menu could not be driven";
        player.Frame(3);
        const Shot shot = Grab(player);
        ASSERT_GT(shot.width, 0);
        EXPECT_EQ(shot.at(0, 0), 0xFF0000u) << "the stored background";
        std::vector<std::string> lines = SectionLines(folderFile, "Title Display (ALPHA)");
        EXPECT_TRUE(HasLine(lines, "Outline=2"));
        EXPECT_TRUE(HasLine(lines, "TitleFile=1"));
        EXPECT_EQ(FileBytes(folder + "Plugins\\nowplaying.txt"), "1. Artist - Song");
        player.Configure([&] {
            HWND dialog = WaitForDialog("configration - Title plugin");
            if (dialog) PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        });
        lines = SectionLines(folderFile, "Title Display (ALPHA)");
        for (const char* line : {"FaceName=Stored Face", "Color=65280", "BkColor=255", "Scroll_Step=6", "Outline=2"})
            EXPECT_TRUE(HasLine(lines, line)) << line;
        player.Stop();
        RemoveTree(folder);
    }
    // Held for 1.5 s: saved once the hold ends, and kept after a restart.
    {
        HostPlayer player("1. Artist - Song - Winamp", Ini("Screen_w=300\r\n" + stored).c_str());
        ASSERT_EQ(player.Start(), 0);
        player.Frame();
        HANDLE release = HoldReadOnlyFor(player.plugin.iniPath, 1500);
        ASSERT_NE(release, nullptr);
        ASSERT_TRUE(ChooseFromTitleMenu(player.TitleWindow(), 8, 2));
        player.SetAutoFrames(true);
        WaitForSingleObject(release, INFINITE);
        CloseHandle(release);
        EXPECT_TRUE(WaitUntil(player, [&] {
            return HasLine(SectionLines(player.plugin.iniPath, "Title Display (ALPHA)"), "Outline=2");
        }));
        EXPECT_EQ(WaitForDialog("Title Display (ALPHA)", 100), nullptr) << "a box for a moment's hold";
        player.SetAutoFrames(false);
        player.Stop();
        EXPECT_TRUE(HasLine(SectionLines(player.plugin.iniPath, "Title Display (ALPHA)"), "Color=65280"));
    }
    // Neither the file nor a per-user copy can be written: the menu says so.
    {
        RemoveUserSettings();
        HostPlayer player("1. Artist - Song - Winamp");
        DeleteFileA(player.plugin.iniPath.c_str());
        CreateDirectoryA(player.plugin.iniPath.c_str(), nullptr);
        CreateDirectoryA(UserSettingsFolder().c_str(), nullptr);
        CreateDirectoryA(UserSettingsFile().c_str(), nullptr);
        ASSERT_EQ(player.Start(), 0);
        player.Frame();
        ASSERT_TRUE(ChooseFromTitleMenu(player.TitleWindow(), 7));
        player.Pump(150);
        const std::vector<MenuItem> items = TitleMenuItems(player.TitleWindow());
        ASSERT_EQ(items.size(), 14u);
        EXPECT_EQ(items[7].text, "Transparent background (not saved)");
        EXPECT_TRUE(items[7].checked) << "the choice is still in effect";
        EXPECT_EQ(items[8].text, "Outline");
        player.Stop();
        RemoveDirectoryA(player.plugin.iniPath.c_str());
        RemoveDirectoryA(UserSettingsFile().c_str());
        RemoveUserSettings();
    }
}

// Two players with one title file: the first display to write it keeps it;
// the other writes nothing, empties nothing, says so in its menu, and takes
// over once the first stops.
TEST(TitleWindow, OnePlayerWritesTheTitleFile) {
    HostPlayer player("1. Ours - X - Winamp", Ini("Screen_w=300\r\nTitleFile=1\r\n").c_str());
    const std::string nowPlaying = player.plugin.folder + "nowplaying.txt";
    int other = -1;
    HANDLE neighbour =
        StartThread([&] { other = RunNeighbourDisplay(player.plugin.folder, "1. Theirs - Y - Winamp", 2500); });
    // A process starting under a loaded Wine may take seconds.
    if (!WaitUntil(player, [&] { return FileBytes(nowPlaying) == "1. Theirs - Y"; }, 15000)) {
        JoinPumping(neighbour);  // it uses this frame's variables
        FAIL() << "the other player never wrote the file; it exited with " << other;
    }
    ASSERT_EQ(player.Start(), 0);
    player.SetAutoFrames(true);
    player.Pump(500);
    EXPECT_EQ(FileBytes(nowPlaying), "1. Theirs - Y") << "both players write the file";
    const std::vector<MenuItem> items = TitleMenuItems(player.TitleWindow());
    ASSERT_EQ(items.size(), 14u);
    EXPECT_EQ(items[5].text, "Write title to nowplaying.txt (in use by another player)");
    JoinPumping(neighbour);
    EXPECT_EQ(other, 0);
    EXPECT_TRUE(WaitUntil(player, [&] { return FileBytes(nowPlaying) == "1. Ours - X"; }, 2000)) << "not taken over";
    player.SetAutoFrames(false);
    player.Stop();
    EXPECT_EQ(FileBytes(nowPlaying), "");
    EXPECT_FALSE(FileExists(player.plugin.folder + "nowplaying.lock"));
}

// While playing: the state from the player's answers where it can be
// trusted, else from its caption; shown or hidden within a few frames, the
// player keeping the focus; the title file written while hidden.
TEST(TitleWindow, ShowWhilePlayingFollowsThePlayersState) {
    const char kPlain[] = "1. Artist - Song - Winamp", kPaused[] = "1. Artist - Song - Winamp [Paused]";
    struct Row {
        const char* label;
        LRESULT version, state;
        const char* caption;
        bool shown;
        const char* look = "";
    } rows[] = {
        {"answers playing, caption paused", 0x5666, 1, kPaused, true},
        {"answers paused", 0x5666, 3, kPlain, false},
        {"answers stopped", 0x5666, 0, kPlain, false},
        {"answers 7: the caption's stopped", 0x5666, 7, "1. Artist - Song - Winamp [Stopped]", false},
        {"no answers, caption paused", 0, 1, kPaused, false},
        {"no answers, plain caption", 0, 3, kPlain, true},
        {"transparent, answers paused", 0x5666, 3, kPlain, false, "Transparent=1\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        LRESULT state = row.state;
        HostPlayer player(row.caption, Ini(std::string("Show=1\r\nTitleFile=1\r\n") + row.look).c_str());
        player.answer = [&](WPARAM, LPARAM id) -> LRESULT { return id == 0 ? row.version : id == 104 ? state : 0; };
        const HWND focus = GetForegroundWindow();
        ASSERT_EQ(player.Start(), 0);
        HWND w = player.TitleWindow();
        for (bool shown : {row.shown, !row.shown}) {
            if (shown != row.shown) {  // the player turns the other way
                state = shown ? 1 : 3;
                player.SetTitle(shown ? kPlain : kPaused);
            }
            FramesFor(player, 900);  // past either fade
            EXPECT_EQ(IsWindowVisible(w) != 0, shown);
            if (!*row.look) {
                EXPECT_EQ(Alpha(w), shown ? 255 : 0);
            }
            EXPECT_EQ(GetForegroundWindow(), focus) << "the focus moved";
            EXPECT_NE(FileBytes(player.plugin.folder + "nowplaying.txt").find("Artist - Song"), std::string::npos);
        }
    }
}

// For a second on each change of song: faded out in between, not shown
// again for the same song or for the player starting to play.
TEST(TitleWindow, ShowForAFewSecondsOnEachChange) {
    HostPlayer player("1. Artist - Song - Winamp", Ini("Show=2\r\nShowSeconds=1\r\n").c_str());
    ASSERT_EQ(player.Start(), 0);
    HWND w = player.TitleWindow();
    FramesFor(player, 500);
    EXPECT_TRUE(IsWindowVisible(w)) << "the first title";
    EXPECT_EQ(Alpha(w), 255);
    // In the middle of the fade-out, then hidden.
    int between = 0, lowest = 255;
    const DWORD start = GetTickCount();
    while (IsWindowVisible(w) && GetTickCount() - start < 3000) {
        player.Frame();
        const int a = Alpha(w);
        between += a > 10 && a < 245;
        lowest = std::min(lowest, a);
        player.Pump(15);
    }
    EXPECT_GT(between, 2) << "no fade";
    EXPECT_FALSE(IsWindowVisible(w));
    EXPECT_GE(GetTickCount() - start, 600u) << "hidden too early";
    // Not a change of song: the same text again, a caption differing after its last "-".
    for (const char* same : {"1. Artist - Song - Winamp", "1. Artist - Song - Winamp [Stopped]"}) {
        player.SetTitle(same);
        FramesFor(player, 400);
        EXPECT_FALSE(IsWindowVisible(w)) << same;
    }
    // Playback starting shows it.
    player.SetTitle("1. Artist - Song - Winamp");
    FramesFor(player, 250);
    EXPECT_TRUE(IsWindowVisible(w)) << "playback started";
    // The next song during the fade-out: at full strength in the same frame.
    while (Alpha(w) > 200 && GetTickCount() - start < 8000) FramesFor(player, 10);
    ASSERT_TRUE(IsWindowVisible(w));
    player.SetTitle("2. Artist - Next - Winamp");
    player.Frame();
    EXPECT_EQ(Alpha(w), 255);
    EXPECT_TRUE(IsWindowVisible(w));
    player.Stop();
}

// Clicks pass to the window beneath; Ctrl held over the title takes them back
// until it is released; the menu item and the dialog's check box turn it off
// and on; the dialog sets when the window shows.
int g_beneathClicks = 0;
LRESULT CALLBACK BeneathProc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_LBUTTONDOWN) ++g_beneathClicks;
    return DefWindowProcA(h, m, wp, lp);
}

TEST(TitleWindow, ClickThroughAndTheWaysBack) {
    int& clicks = g_beneathClicks;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = BeneathProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    wc.lpszClassName = "MirnBeneath";
    RegisterClassA(&wc);
    HWND beneath = CreateWindowExA(WS_EX_NOACTIVATE, "MirnBeneath", "", WS_POPUP | WS_VISIBLE, 250, 350, 400, 160,
                                   nullptr, nullptr, wc.hInstance, nullptr);
    HostPlayer player("1. Artist - Song - Winamp",
                      Ini("Screen_x=300\r\nScreen_y=400\r\nScreen_w=300\r\nScreen_h=60\r\nWindow_style=2\r\n"
                          "ClickThrough=1\r\n")
                          .c_str());
    ASSERT_EQ(player.Start(), 0);
    HWND w = player.TitleWindow();
    FramesFor(player, 300);
    const POINT at = {350, 430};
    auto expectClick = [&](bool passes) {
        const int before = clicks;
        EXPECT_EQ(WindowFromPoint(at), passes ? beneath : w);
        MouseClick(at);
        player.Pump(50);
        EXPECT_EQ(clicks - before, passes ? 1 : 0);
    };
    const LONG kThrough = WS_EX_LAYERED | WS_EX_TRANSPARENT;
    EXPECT_EQ(GetWindowLongA(w, GWL_EXSTYLE) & kThrough, kThrough);
    EXPECT_EQ(Alpha(w), 255);
    expectClick(true);
    PressCtrl(true);
    FramesFor(player, 100);
    expectClick(false);
    PressCtrl(false);
    FramesFor(player, 100);
    expectClick(true);
    // Ctrl elsewhere takes nothing. (Wine takes the keys' state back from X
    // as the pointer enters a window: Ctrl is pressed once the pointer is there.)
    MouseMoveTo({100, 100});
    PressCtrl(true);
    FramesFor(player, 100);
    EXPECT_NE(GetAsyncKeyState(VK_CONTROL) & 0x8000, 0);
    EXPECT_EQ(GetWindowLongA(w, GWL_EXSTYLE) & kThrough, kThrough);
    PressCtrl(false);
    // The menu, reached with Ctrl held: its last item turns it off.
    MouseMoveTo(at);
    PressCtrl(true);
    FramesFor(player, 100);
    EXPECT_EQ(WindowFromPoint(at), w) << "Ctrl held over it";
    MouseClick(at, 1, true);
    PressCtrl(false);
    HWND menu = WaitForMenu();
    ASSERT_NE(menu, nullptr);
    const std::vector<MenuItem> items = MenuItems(menu);
    ASSERT_EQ(items.size(), 14u);
    EXPECT_EQ(items[12].text, "Show");
    EXPECT_EQ(items[13].text, "Click-through (hold Ctrl to reach it)");
    EXPECT_TRUE(items[13].checked);
    ClickMenuItem(menu, 13);
    FramesFor(player, 100);
    EXPECT_EQ(GetWindowLongA(w, GWL_EXSTYLE) & kThrough, 0);
    EXPECT_TRUE(HasLine(SectionLines(player.plugin.iniPath, "Title Display (ALPHA)"), "ClickThrough=0"));
    expectClick(false);
    // The dialog: on again, and shown for 7 seconds on each change.
    player.Configure([&] {
        HWND dialog = WaitForDialog("configration - Title plugin");
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_SHOW_ALWAYS, BM_GETCHECK, 0, 0), BST_CHECKED);
        EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_CLICK_THROUGH, BM_GETCHECK, 0, 0), BST_UNCHECKED);
        char seconds[16] = "";
        GetDlgItemTextA(dialog, IDC_SHOW_SECONDS, seconds, sizeof seconds);
        EXPECT_STREQ(seconds, "5");
        SendDlgItemMessageA(dialog, IDC_SHOW_ALWAYS, BM_SETCHECK, BST_UNCHECKED, 0);
        SendDlgItemMessageA(dialog, IDC_SHOW_ON_CHANGE, BM_SETCHECK, BST_CHECKED, 0);
        SetDlgItemTextA(dialog, IDC_SHOW_SECONDS, "7");
        SendDlgItemMessageA(dialog, IDC_CLICK_THROUGH, BM_SETCHECK, BST_CHECKED, 0);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    FramesFor(player, 300);
    EXPECT_EQ(GetWindowLongA(w, GWL_EXSTYLE) & kThrough, kThrough);
    const std::vector<std::string> lines = SectionLines(player.plugin.iniPath, "Title Display (ALPHA)");
    for (const char* line : {"ClickThrough=1", "Show=2", "ShowSeconds=7"}) EXPECT_TRUE(HasLine(lines, line)) << line;
    expectClick(true);
    player.Stop();
    DestroyWindow(beneath);
    UnregisterClassA("MirnBeneath", wc.hInstance);
}
