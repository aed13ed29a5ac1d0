// The transparent title on screen, over a backdrop window, in a session with
// a compositing manager (the only way partial alpha blends under Wine). The
// screen is read through the screen DC: a layered window's own DC shows
// nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "host_player.h"

namespace {

const int kX = 300, kY = 400, kW = 300, kH = 60;
const char kBase[] = "[Title Display (ALPHA)]\r\nScreen_x=300\r\nScreen_y=400\r\nScreen_w=300\r\nScreen_h=60\r\n"
                     "Window_style=2\r\nColor=255\r\nBkColor=16777215\r\n";
const DWORD kRed = 0xFF0000, kBlue = 0x0000FF, kWhite = 0xFFFFFF;
const COLORREF kBackdrop = RGB(0, 192, 0);
const RECT kRect = {kX, kY, kX + kW, kY + kH};

// Alpha 1 over the backdrop: the backdrop, darkened by a 255th at most.
bool Backdrop(DWORD p) { return (p >> 16) <= 2 && std::abs((int)((p >> 8) & 0xFF) - 191) <= 2 && (p & 0xFF) <= 2; }

int Count(const std::vector<DWORD>& px, DWORD colour) {
    int n = 0;
    for (DWORD p : px) n += p == colour;
    return n;
}

// Every pixel of `inside` has none of `beyond` next to it: the glyph is
// surrounded.
bool Surrounded(const std::vector<DWORD>& px, int w, int h, DWORD inside, bool (*beyond)(DWORD)) {
    for (int y = 1; y + 1 < h; ++y)
        for (int x = 1; x + 1 < w; ++x)
            if (px[y * w + x] == inside)
                for (int d : {-1, 1, -w, w})
                    if (beyond(px[y * w + x + d])) return false;
    return true;
}

bool IsWhite(DWORD p) { return p == kWhite; }

// A plain window of the backdrop's colour under where the title opens.
struct BackdropWindow {
    HWND window = nullptr;
    HBRUSH brush = CreateSolidBrush(kBackdrop);
    BackdropWindow() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = brush;
        wc.lpszClassName = "MirnBackdrop";
        RegisterClassA(&wc);
        window = CreateWindowExA(WS_EX_NOACTIVATE, "MirnBackdrop", "", WS_POPUP | WS_VISIBLE, kX - 50, kY - 50,
                                 kW + 100, kH + 100, nullptr, nullptr, wc.hInstance, nullptr);
        UpdateWindow(window);
        PumpMessages(50);
    }
    ~BackdropWindow() {
        DestroyWindow(window);
        UnregisterClassA("MirnBackdrop", GetModuleHandleA(nullptr));
        DeleteObject(brush);
    }
};

bool Layered(HWND w) { return (GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_LAYERED) != 0; }

// The compositor repaints on its own time: the screen once it holds still.
std::vector<DWORD> SettledScreen(HostPlayer& player) {
    std::vector<DWORD> last = ScreenPixels(kRect);
    for (int i = 0; i < 50; ++i) {
        player.Pump(20);
        std::vector<DWORD> now = ScreenPixels(kRect);
        if (now == last) return now;
        last = now;
    }
    return last;
}

// Chooses item `index` of the title window's menu, opened as the menu key does.
void ChooseFromMenu(HostPlayer& player, int index, int subIndex = -1) {
    ASSERT_TRUE(ChooseFromTitleMenu(player.TitleWindow(), index, subIndex));
    player.Pump(150);
}

}  // namespace

// Transparent: the backdrop everywhere but the title, the title in its
// colour, the outline all around it; the window still takes the mouse.
// Turned off in the menu: the opaque picture again, exactly today's without
// an outline, and so after a restart.
TEST(LayeredWindow, TransparentTitleFloatsOverTheBackdrop) {
    struct Row {
        const char* label;
        const char* lines;
        bool outline;
    } rows[] = {
        {"thick blue outline", "Transparent=1\r\nOutline=2\r\nOutlineColor=16711680\r\n", true},
        {"thin, from a hostile value", "Transparent=7\r\nOutline=1\r\nOutlineColor=-65536\r\n", true},
        {"no outline", "Transparent=1\r\n", false},
    };
    std::vector<DWORD> today;
    {
        BackdropWindow backdrop;
        HostPlayer reference("1. Artist - Song - Winamp", kBase);
        ASSERT_EQ(reference.Start(), 0);
        reference.Frame();
        reference.Pump(50);
        today = ClientPixels(reference.TitleWindow());
        reference.Stop();
    }
    ASSERT_EQ(today.size(), (size_t)(kW * kH));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        BackdropWindow backdrop;
        HostPlayer player("1. Artist - Song - Winamp", (std::string(kBase) + row.lines).c_str());
        ASSERT_EQ(player.Start(), 0);
        player.Frame();
        HWND w = player.TitleWindow();
        ASSERT_TRUE(Layered(w));
        RECT r = {};
        GetWindowRect(w, &r);
        EXPECT_TRUE(EqualRect(&r, &kRect)) << "no frame while transparent";
        const std::vector<DWORD> screen = SettledScreen(player);
        ASSERT_EQ(screen.size(), (size_t)(kW * kH));
        EXPECT_TRUE(Backdrop(screen[0]) && Backdrop(screen.back())) << std::hex << screen[0];
        int backdropPixels = 0;
        for (DWORD p : screen) backdropPixels += Backdrop(p);
        EXPECT_GT(backdropPixels, kW * kH / 3);
        EXPECT_EQ(Count(screen, kWhite), 0) << "the background shows";
        EXPECT_GT(Count(screen, kRed), 20);
        if (row.outline) {
            EXPECT_GT(Count(screen, kBlue), 20);
            EXPECT_TRUE(Surrounded(screen, kW, kH, kRed, Backdrop)) << "a glyph touches the backdrop";
        } else {
            EXPECT_EQ(Count(screen, kBlue), 0);
        }
        EXPECT_EQ(WindowFromPoint({kX + 1, kY + 1}), w) << "the clear corner lets the mouse through";

        ChooseFromMenu(player, 7);
        EXPECT_FALSE(Layered(w));
        EXPECT_NE(FileBytes(player.plugin.iniPath).find("Transparent=0"), std::string::npos);
        for (int pass = 0; pass < 2; ++pass) {
            const std::vector<DWORD> opaque = ClientPixels(player.TitleWindow());
            if (!row.outline) {
                EXPECT_TRUE(opaque == today) << "not today's picture";
            } else {
                EXPECT_GT(Count(opaque, kWhite), kW * kH / 3);
                EXPECT_GT(Count(opaque, kBlue), 20);
                EXPECT_TRUE(Surrounded(opaque, kW, kH, kRed, IsWhite)) << "a glyph touches the background";
            }
            player.Stop();
            if (pass == 1) break;
            ASSERT_EQ(player.Start(), 0);
            player.Frame();
            player.Pump(50);
            EXPECT_FALSE(Layered(player.TitleWindow())) << "after a restart";
        }
    }
}

// Every marquee step updates the layered window with the ring's slice: the
// picture on screen moves by the step (9 px each 500 ms, after the stand).
TEST(LayeredWindow, MarqueeStepMovesThePicture) {
    BackdropWindow backdrop;
    HostPlayer player("Quick brown foxes jump over lazy dogs again and again - Winamp",
                      (std::string(kBase) + "Transparent=1\r\nOutline=1\r\nScroll_Step=9\r\nScroll_Interval=500\r\n")
                          .c_str());
    ASSERT_EQ(player.Start(), 0);
    const DWORD composed = GetTickCount();
    player.Frame();
    const std::vector<DWORD> start = SettledScreen(player);
    std::vector<DWORD> shots[2];
    for (int i = 0; i < 2; ++i) {
        // Half an interval into the first and second step after the stand.
        while (GetTickCount() - composed < 2750u + 500u * i) player.Pump(10);
        player.Frame();
        shots[i] = SettledScreen(player);
    }
    auto shift = [](const std::vector<DWORD>& a, const std::vector<DWORD>& b) {
        for (int d = 1; d < 40; ++d) {
            bool same = true;
            for (int y = 0; y < kH && same; ++y)
                for (int x = 0; x + d < kW && same; ++x) same = b[y * kW + x] == a[y * kW + x + d];
            if (same) return d;
        }
        return -1;
    };
    EXPECT_EQ(shift(start, shots[0]), 9);
    EXPECT_EQ(shift(shots[0], shots[1]), 9);
    EXPECT_GT(Count(shots[1], kRed), 20);
    player.Stop();
}

// The outline through its submenu and the transparent background through its
// item: at once, saved at once, checked in the menu, kept by the settings
// dialog and after a restart.
TEST(LayeredWindow, LookThroughTheMenu) {
    HostPlayer player("1. Artist - Song - Winamp", kBase);
    const std::string before = FileBytes(player.plugin.iniPath);
    ASSERT_EQ(player.Start(), 0);
    player.Frame();
    ChooseFromMenu(player, 8, 1);
    std::vector<std::string> lines = SectionLines(player.plugin.iniPath, "Title Display (ALPHA)");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Outline=1"), lines.end());
    EXPECT_EQ(std::find(lines.begin(), lines.end(), "Transparent=0"), lines.end()) << "a default written";
    EXPECT_GT(Count(ClientPixels(player.TitleWindow()), 0x000000), 20) << "no black outline";
    // "Outline colour...": the picker's choice is drawn and saved at once.
    ChooseFromMenu(player, 9);
    ASSERT_TRUE(AnswerColourPicker(RGB(0, 0, 255)));
    player.Pump(150);
    lines = SectionLines(player.plugin.iniPath, "Title Display (ALPHA)");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "OutlineColor=16711680"), lines.end());
    EXPECT_GT(Count(ClientPixels(player.TitleWindow()), kBlue), 20) << "no blue outline";
    // The settings dialog's Apply, OK and Cancel keep the look with the colours.
    auto dialogKeeps = [&](const std::vector<const char*>& want, bool layered) {
        for (int button : {1006 /* Apply */, IDOK, IDCANCEL}) {
            SCOPED_TRACE(button);
            player.Configure([&] {
                HWND dialog = WaitForDialog("configration - Title plugin");
                ASSERT_NE(dialog, nullptr);
                if (button == 1006) SendMessageA(dialog, WM_COMMAND, button, 0);
                PostMessageA(dialog, WM_COMMAND, button == 1006 ? IDCANCEL : button, 0);
            });
            player.Frame();
            lines = SectionLines(player.plugin.iniPath, "Title Display (ALPHA)");
            for (const char* line : want) EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
            EXPECT_EQ(Layered(player.TitleWindow()), layered);
            if (!layered) {
                EXPECT_GT(Count(ClientPixels(player.TitleWindow()), kBlue), 20) << "the outline went";
            }
        }
    };
    dialogKeeps({"Outline=1", "OutlineColor=16711680"}, false);
    ChooseFromMenu(player, 7);
    EXPECT_TRUE(Layered(player.TitleWindow()));
    lines = SectionLines(player.plugin.iniPath, "Title Display (ALPHA)");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Transparent=1"), lines.end());
    dialogKeeps({"Transparent=1", "Outline=1", "OutlineColor=16711680"}, true);
    player.Stop();
    ASSERT_EQ(player.Start(), 0);
    player.Frame();
    EXPECT_TRUE(Layered(player.TitleWindow()));
    const std::vector<MenuItem> items = TitleMenuItems(player.TitleWindow());
    ASSERT_EQ(items.size(), 14u);
    EXPECT_TRUE(items[7].checked);
    player.Pump(100);
    ChooseFromMenu(player, 8, 0);
    ChooseFromMenu(player, 7);
    EXPECT_FALSE(Layered(player.TitleWindow()));
    player.Stop();
    lines = SectionLines(player.plugin.iniPath, "Title Display (ALPHA)");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Outline=0"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Transparent=0"), lines.end());
}

// While transparent the window has no frame; the one chosen comes back, on
// the same rectangle, with the opaque background.
TEST(LayeredWindow, TheChosenFrameComesBackWhenOpaque) {
    const DWORD frames[] = {WS_CAPTION | WS_THICKFRAME, WS_THICKFRAME};
    for (int style = 0; style < 2; ++style) {
        SCOPED_TRACE(style);
        BackdropWindow backdrop;
        HostPlayer player("1. Artist - Song - Winamp",
                          (std::string("[Title Display (ALPHA)]\r\nScreen_x=300\r\nScreen_y=400\r\nScreen_w=300\r\n"
                                       "Screen_h=60\r\nColor=255\r\nBkColor=16777215\r\nTransparent=1\r\nWindow_style=") +
                           std::to_string(style) + "\r\n")
                              .c_str());
        ASSERT_EQ(player.Start(), 0);
        player.Frame();
        HWND w = player.TitleWindow();
        ASSERT_TRUE(Layered(w));
        EXPECT_EQ(GetWindowLongA(w, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME), 0) << "a frame while transparent";
        RECT r = {};
        GetWindowRect(w, &r);
        EXPECT_TRUE(EqualRect(&r, &kRect));
        ChooseFromMenu(player, 7);
        EXPECT_FALSE(Layered(w));
        EXPECT_EQ(GetWindowLongA(w, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME), (LONG)frames[style]);
        RECT after = {};
        GetWindowRect(w, &after);
        EXPECT_TRUE(EqualRect(&after, &kRect)) << "the rectangle is kept";
        // The picture fills the smaller client area of the frame.
        const std::vector<DWORD> opaque = ClientPixels(w);
        ASSERT_FALSE(opaque.empty());
        EXPECT_EQ(opaque.front(), kWhite);
        EXPECT_EQ(opaque.back(), kWhite);
        EXPECT_GT(Count(opaque, kRed), 20);
        player.Stop();
        EXPECT_NE(FileBytes(player.plugin.iniPath).find("Window_style=" + std::to_string(style)), std::string::npos);
    }
}
