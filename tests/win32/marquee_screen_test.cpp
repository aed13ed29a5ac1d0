// The marquee on screen, with the player rendering on its own: stand, speed,
// seam and wrap. Timing is checked with wide margins only; the exact
// arithmetic is covered natively with injected ticks.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "host_player.h"

namespace {

// 200 x 40 without a frame, so the client is the whole window; white on black.
const char kWindow[] = "Screen_x=300\r\nScreen_y=400\r\nScreen_w=200\r\nScreen_h=40\r\nWindow_style=2\r\n"
                       "Color=16777215\r\nBkColor=0\r\n";
// Far wider than 200 px at a 40 px font, and no run of blanks as wide as the gap.
const char kLongTitle[] = "Quick brown foxes jump high - Winamp";
const int kWidth = 200, kHeight = 40;
const uint32_t kBackground = 0;

std::string Ini(const std::string& lines) { return "[Title Display (ALPHA)]\r\n" + std::string(kWindow) + lines; }

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return double(c.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

// The client area, 0x00RRGGBB, with the time it was taken.
struct Shot {
    int width = 0, height = 0;
    double ms = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(int x, int y) const { return pixels[(size_t)y * width + x]; }
    bool columnBlank(int x) const {
        for (int y = 0; y < height; ++y)
            if (at(x, y) != kBackground) return false;
        return true;
    }
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

// Taken on the display thread between two frames, so never half drawn.
Shot Grab(HostPlayer& player) {
    Shot s;
    HWND w = player.TitleWindow();
    player.OnDisplay([&] {
        s = Capture(w);
        s.ms = NowMs();
    });
    return s;
}

// A player that sets its unchanged title again every 300 ms while it waits.
struct Repeater {
    const char* title = nullptr;
    double next = 0;
};

void WaitUntilMs(HostPlayer& player, double ms, Repeater* repeat = nullptr) {
    while (NowMs() < ms) {
        if (repeat && repeat->title && NowMs() >= repeat->next) {
            player.SetTitle(repeat->title);
            repeat->next += 300;
        }
        player.Pump(5);
    }
}

bool SameColumns(const Shot& a, int ax, const Shot& b, int bx, int count) {
    for (int x = 0; x < count; ++x)
        for (int y = 0; y < a.height; ++y)
            if (a.at(ax + x, y) != b.at(bx + x, y)) return false;
    return true;
}

// How far `later` has moved left against `earlier`: the smallest shift that
// lines every remaining column up exactly; -1 when none does.
int ShiftLeft(const Shot& earlier, const Shot& later, int maxShift) {
    for (int d = 1; d <= maxShift; ++d)
        if (SameColumns(later, 0, earlier, d, earlier.width - d)) return d;
    return -1;
}

int FirstInkColumn(const Shot& s) {
    for (int x = 0; x < s.width; ++x)
        if (!s.columnBlank(x)) return x;
    return -1;
}

int LastInkColumn(const Shot& s) {
    for (int x = s.width - 1; x >= 0; --x)
        if (!s.columnBlank(x)) return x;
    return -1;
}

// Starts a run whose first frame composes now; gives the picture at offset 0.
Shot StartComposed(HostPlayer& player, double* composedAt) {
    Shot none;
    if (player.Start() != 0) return none;
    *composedAt = NowMs();
    player.Frame();
    Shot start = Grab(player);
    player.SetAutoFrames(true);
    return start;
}

TEST(MarqueeScreen, StandsThenMovesAtTheSetSpeed) {
    struct Row {
        const char* label;
        bool repeated;  // the title set again, unchanged, every 300 ms
    } rows[] = {{"title set once", false}, {"title set again every 300 ms", true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        HostPlayer player(kLongTitle, Ini("Scroll_Step=4\r\nScroll_Interval=20\r\nScroll_Enabled=1\r\n").c_str());
        double t0 = 0;
        const Shot start = StartComposed(player, &t0);
        ASSERT_EQ(start.width, kWidth);
        ASSERT_EQ(start.height, kHeight);
        EXPECT_LT(FirstInkColumn(start), 8) << "a long title starts at the left edge";
        EXPECT_GT(LastInkColumn(start), kWidth - 8) << "and runs past the right one";
        Repeater repeat;
        if (row.repeated) repeat = {kLongTitle, t0 + 300};

        // The stand: 2000 ms after composition nothing moves.
        WaitUntilMs(player, t0 + 700, &repeat);
        const Shot stand1 = Grab(player);
        WaitUntilMs(player, t0 + 1200, &repeat);
        const Shot stand2 = Grab(player);
        if (stand2.ms < t0 + 1900) {  // a loaded machine may have slept through it
            EXPECT_TRUE(stand1.pixels == start.pixels) << "moved during the stand";
            EXPECT_TRUE(stand2.pixels == start.pixels) << "moved during the stand";
        }

        // Then 4 px every 20 ms: 200 px/s.
        WaitUntilMs(player, t0 + 2400, &repeat);
        const Shot a = Grab(player);
        WaitUntilMs(player, a.ms + 400, &repeat);
        const Shot b = Grab(player);
        const int fromStart = ShiftLeft(start, a, kWidth - 20);
        ASSERT_GT(fromStart, 0) << "not moved " << (a.ms - t0) << " ms after composition";
        // The stand it implies, 4 px per 20 ms of what came after it.
        const double standMs = a.ms - t0 - fromStart * 20.0 / 4;
        EXPECT_NEAR(standMs, 2000, 600);
        const int moved = ShiftLeft(a, b, kWidth - 20);
        ASSERT_GT(moved, 0) << "no shift between two captures";
        const double expected = (b.ms - a.ms) * 4 / 20;
        EXPECT_NEAR(moved, expected, expected * 0.5) << "over " << (b.ms - a.ms) << " ms";
        // Four seconds in, it is still on its way.
        WaitUntilMs(player, t0 + 4000, &repeat);
        EXPECT_FALSE(Grab(player).pixels == start.pixels) << "back at its start";
    }
}

// The ring: after the text and its gap comes the text's start again; once
// round, the text stands at its start.
TEST(MarqueeScreen, SeamIsSeamlessAndWrapReturnsToTheStart) {
    HostPlayer player(kLongTitle, Ini("Scroll_Step=4\r\nScroll_Interval=20\r\nScroll_Enabled=1\r\n").c_str());
    double t0 = 0;
    const Shot start = StartComposed(player, &t0);
    ASSERT_EQ(start.width, kWidth);
    const int textStart = FirstInkColumn(start);
    ASSERT_GE(textStart, 0);
    const int reference = 40;  // columns of the text's start compared after the seam

    bool seamSeen = false, wrapped = false;
    WaitUntilMs(player, t0 + 2500);
    while (NowMs() < t0 + 9000 && !wrapped) {
        const Shot s = Grab(player);
        if (seamSeen && s.pixels == start.pixels) {
            wrapped = true;
            break;
        }
        // The gap: the widest run of blank columns that text follows.
        int bestFrom = -1, bestTo = -1;
        for (int x = 0; x < s.width;) {
            if (!s.columnBlank(x)) {
                ++x;
                continue;
            }
            int end = x;
            while (end < s.width && s.columnBlank(end)) ++end;
            if (end < s.width && end - x > bestTo - bestFrom) {
                bestFrom = x;
                bestTo = end;
            }
            x = end;
        }
        if (bestFrom > 0 && bestTo - bestFrom >= 2 * kHeight - 20 && bestTo + reference <= s.width) {
            SCOPED_TRACE("gap at columns " + std::to_string(bestFrom) + ".." + std::to_string(bestTo));
            EXPECT_LE(bestTo - bestFrom, 2 * kHeight + 30) << "gap too wide";
            EXPECT_TRUE(SameColumns(s, bestTo, start, textStart, reference)) << "the text after the seam is not its start";
            if (!seamSeen) {
                // A repaint of the spoilt window restores both pieces.
                Shot repainted;
                HWND w = player.TitleWindow();
                player.OnDisplay([&] {
                    HDC dc = GetDC(w);
                    HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
                    RECT all = {0, 0, kWidth, kHeight};
                    FillRect(dc, &all, green);
                    DeleteObject(green);
                    ReleaseDC(w, dc);
                    RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
                    repainted = Capture(w);
                });
                EXPECT_TRUE(repainted.pixels == s.pixels) << "the repaint differs from the frame";
            }
            seamSeen = true;
        }
        player.Pump(30);
    }
    EXPECT_TRUE(seamSeen) << "never showed the seam";
    ASSERT_TRUE(wrapped) << "never came back to the start";
    // Back at the start it stands again.
    const double back = NowMs();
    WaitUntilMs(player, back + 800);
    const Shot still = Grab(player);
    if (still.ms < back + 1900) {
        EXPECT_TRUE(still.pixels == start.pixels) << "no stand after the wrap";
    }
}

// Settings that stop the marquee: the long title stays at its start, past the
// stand, and the file keeps what was entered. `line` replaces its key among
// step 4, interval 20, enabled 1. One test a row: each waits out a stand.
void StaysAtItsStart(const std::string& line) {
    std::string scroll;
    for (const std::string moving : {"Scroll_Step=4", "Scroll_Interval=20", "Scroll_Enabled=1"}) {
        const bool replaced = line.compare(0, line.find('='), moving, 0, moving.find('=')) == 0;
        scroll += (replaced ? line : moving) + "\r\n";
    }
    HostPlayer player(kLongTitle, Ini(scroll).c_str());
    double t0 = 0;
    const Shot start = StartComposed(player, &t0);
    ASSERT_EQ(start.width, kWidth);
    EXPECT_LT(FirstInkColumn(start), 8) << "not at its left-aligned start";
    WaitUntilMs(player, t0 + 2400);
    EXPECT_TRUE(Grab(player).pixels == start.pixels) << "moved after the stand";
    WaitUntilMs(player, t0 + 3400);
    EXPECT_TRUE(Grab(player).pixels == start.pixels) << "moved after the stand";
    player.SetAutoFrames(false);
    player.Stop();
    bool kept = false;
    for (const std::string& saved : SectionLines(player.plugin.iniPath, "Title Display (ALPHA)"))
        if (saved == line) kept = true;
    EXPECT_TRUE(kept) << line << " was not kept";
}

TEST(MarqueeScreen, DisabledStaysAtItsStart) { StaysAtItsStart("Scroll_Enabled=0"); }
TEST(MarqueeScreen, IntervalZeroStaysAtItsStart) { StaysAtItsStart("Scroll_Interval=0"); }
TEST(MarqueeScreen, NegativeIntervalStaysAtItsStart) { StaysAtItsStart("Scroll_Interval=-5"); }
TEST(MarqueeScreen, StepZeroStaysAtItsStart) { StaysAtItsStart("Scroll_Step=0"); }
TEST(MarqueeScreen, NegativeStepStaysAtItsStart) { StaysAtItsStart("Scroll_Step=-3"); }

}  // namespace

namespace {

// How far `later` lies along the text from `earlier`: + left, - right, 0 the
// same picture; INT_MIN when no shift lines them up.
int Moved(const Shot& earlier, const Shot& later) {
    if (later.pixels == earlier.pixels) return 0;
    const int left = ShiftLeft(earlier, later, kWidth - 20);
    if (left > 0) return left;
    const int right = ShiftLeft(later, earlier, kWidth - 20);
    return right > 0 ? -right : INT_MIN;
}

// The widest run of background columns.
int WidestBlank(const Shot& s) {
    int widest = 0;
    for (int x = 0, run = 0; x < s.width; ++x) {
        run = s.columnBlank(x) ? run + 1 : 0;
        widest = std::max(widest, run);
    }
    return widest;
}

// Chosen in the title window's menu: "Scrolling", then item `mode`; the
// submenu shows the three modes with `checked` marked.
void ChooseScrollMode(HostPlayer& player, int mode, int checked) {
    PostMessageA(player.TitleWindow(), WM_CONTEXTMENU, (WPARAM)player.TitleWindow(), -1);
    HWND menu = WaitForMenu();
    ASSERT_NE(menu, nullptr);
    const std::vector<MenuItem> items = MenuItems(menu);
    ASSERT_EQ(items.size(), 14u);
    EXPECT_EQ(items[10].text, "Scrolling");
    ClickMenuItem(menu, 10);
    HWND sub = nullptr;
    for (int tries = 0; !sub && tries < 100; ++tries, player.Pump(20))
        for (HWND m = FindWindowExA(nullptr, nullptr, "#32768", nullptr); m; m = FindWindowExA(nullptr, m, "#32768", nullptr))
            if (m != menu && IsWindowVisible(m)) sub = m;
    ASSERT_NE(sub, nullptr) << "no submenu";
    const std::vector<MenuItem> modes = MenuItems(sub);
    ASSERT_EQ(modes.size(), 3u);
    const char* const texts[] = {"Loop", "Back and forth", "Once per song"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(modes[i].text, texts[i]);
        EXPECT_EQ(modes[i].checked, i == checked);
        EXPECT_TRUE(modes[i].radio);
    }
    ClickMenuItem(sub, mode);
}

}  // namespace

// Back and forth, chosen in the menu: from the start until the text's end
// meets the right edge, a hold, back to the very start, and out again;
// never the gap or a second copy. Followed capture to capture.
TEST(MarqueeScreen, BackAndForthTurnsAtTheRightEdge) {
    HostPlayer player(kLongTitle, Ini("Scroll_Step=4\r\nScroll_Interval=20\r\nScroll_Pause=400\r\n").c_str());
    double t0 = 0;
    const Shot start = StartComposed(player, &t0);
    ASSERT_EQ(start.width, kWidth);
    ChooseScrollMode(player, 1, 0);
    player.Pump(50);
    const std::vector<std::string> lines = SectionLines(player.plugin.iniPath, "Title Display (ALPHA)");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Scroll_Mode=1"), lines.end()) << "not saved";
    EXPECT_TRUE(Grab(player).pixels == start.pixels) << "not back at the start";

    Shot last = start;
    int at = 0, farthest = 0, turns = 0, direction = 1, endInk = -1;
    bool backAtStart = false, outAgain = false;
    const double begin = NowMs();
    while (NowMs() < begin + 9000 && !outAgain) {
        player.Pump(25);
        const Shot s = Grab(player);
        const int moved = Moved(last, s);
        ASSERT_NE(moved, INT_MIN) << "not a shift of the last picture at " << (s.ms - begin) << " ms";
        EXPECT_LT(WidestBlank(s), 2 * kHeight - 20) << "the gap is shown";
        if (moved != 0 && (moved > 0 ? 1 : -1) != direction) {
            ++turns;
            direction = -direction;
            if (direction < 0) {
                farthest = at;
                endInk = LastInkColumn(last);
            }
        }
        at += moved;
        ASSERT_GE(at, 0) << "went back past the start";
        if (turns == 1 && at == 0) {
            backAtStart = true;
            EXPECT_TRUE(s.pixels == start.pixels);
        }
        if (turns == 2) outAgain = true;
        last = s;
    }
    ASSERT_TRUE(backAtStart) << "turned " << turns << " times, at " << at;
    EXPECT_TRUE(outAgain);
    EXPECT_GT(farthest, 100) << "turned too early";
    EXPECT_GE(endInk, kWidth - 8) << "the end did not reach the right edge";
}

// Once per song: one lap after the title changes, then still at its start;
// the next song gets its lap.
TEST(MarqueeScreen, OncePerSongRestsAfterItsLap) {
    HostPlayer player(kLongTitle,
                      Ini("Scroll_Step=8\r\nScroll_Interval=20\r\nScroll_Pause=500\r\nScroll_Mode=2\r\n").c_str());
    double t0 = 0;
    Shot start = StartComposed(player, &t0);
    ASSERT_EQ(start.width, kWidth);
    for (int song = 0; song < 2; ++song) {
        SCOPED_TRACE("song " + std::to_string(song));
        // A lap of some 600 px at 400 px/s after 500 ms.
        WaitUntilMs(player, t0 + 900);
        EXPECT_FALSE(Grab(player).pixels == start.pixels) << "no lap";
        WaitUntilMs(player, t0 + 3000);
        const Shot rest = Grab(player);
        EXPECT_TRUE(rest.pixels == start.pixels) << "not at rest at its start";
        WaitUntilMs(player, t0 + 4000);
        EXPECT_TRUE(Grab(player).pixels == start.pixels) << "moved again";
        player.SetTitle("Slow red dogs sleep all day - Winamp");
        t0 = NowMs();
        player.Pump(100);
        start = Grab(player);
    }
}

// Soft edges over 20 px: while the title scrolls the outermost columns stay
// close to the background and the fade's middle about halfway; at rest at
// its start nothing fades.
TEST(MarqueeScreen, SoftEdgesWhileScrollingOnly) {
    HostPlayer player(kLongTitle, Ini("Scroll_Step=4\r\nScroll_Interval=20\r\nFade_Edges=20\r\n").c_str());
    double t0 = 0;
    const Shot start = StartComposed(player, &t0);
    ASSERT_EQ(start.width, kWidth);
    // Brightest channel over columns [from, to) of a set of pictures.
    auto brightest = [](const std::vector<Shot>& shots, int from, int to) {
        uint32_t most = 0;
        for (const Shot& s : shots)
            for (int x = from; x < to; ++x)
                for (int y = 0; y < s.height; ++y)
                    for (int shift : {0, 8, 16}) most = std::max(most, (s.at(x, y) >> shift) & 0xFF);
        return most;
    };
    EXPECT_GE(brightest({start}, 0, 8), 240u) << "the start is faded";
    EXPECT_GE(brightest({start}, kWidth - 20, kWidth), 240u) << "the start is faded";
    WaitUntilMs(player, t0 + 2300);
    std::vector<Shot> moving;
    for (int i = 0; i < 25; ++i) {
        player.Pump(40);
        moving.push_back(Grab(player));
    }
    EXPECT_LE(brightest(moving, 0, 2), 40u);
    EXPECT_LE(brightest(moving, kWidth - 2, kWidth), 40u);
    const uint32_t middle = brightest(moving, 10, 11);
    EXPECT_GE(middle, 80u);
    EXPECT_LE(middle, 180u);
    EXPECT_GE(brightest(moving, 90, 110), 240u);
}
