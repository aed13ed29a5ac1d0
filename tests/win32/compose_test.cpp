// Title composition on the real offscreen surface: what ComposeTitle leaves
// in g_state, in the surface bitmap and in the title window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "display/display.h"
#include "host_player.h"
#include "plugin/display_state.h"
#include "settings/settings.h"

namespace {

const COLORREF kBk = 0x00336699;  // BkColor=3368601
const COLORREF kWhite = 0x00FFFFFF;

void ResetDisplayState() {
    g_state = DisplayState{};
    ZeroMemory(&g_song, sizeof g_song);
    g_state.scrollStep = 1;
    g_state.scrollInterval = 20;
    g_state.scrollEnabled = 1;
}

std::string Ini(const std::string& body) { return "[Title Display (ALPHA)]\r\n" + body; }

// A frameless window 400 x 30 on screen, white on 0x336699.
std::string PlacedIni(int w = 400, int h = 30, int style = 2, const std::string& extra = "") {
    return Ini("Screen_x=60\r\nScreen_y=300\r\nScreen_w=" + std::to_string(w) + "\r\nScreen_h=" +
               std::to_string(h) + "\r\nWindow_style=" + std::to_string(style) +
               "\r\nBkColor=3368601\r\nColor=16777215\r\n" + extra);
}

struct Image {
    int w = 0, h = 0;
    std::vector<COLORREF> px;
    COLORREF at(int x, int y) const { return px[(size_t)y * w + x]; }
    bool ColumnIsOnly(int x, COLORREF c) const {
        for (int y = 0; y < h; ++y)
            if (at(x, y) != c) return false;
        return true;
    }
};

Image Capture(HDC src, int w, int h) {
    Image img;
    if (w <= 0 || h <= 0) return img;
    img.w = w;
    img.h = h;
    for (DWORD p : DcPixels(src, w, h)) img.px.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
    return img;
}

SIZE SurfaceSize() {
    BITMAP bm = {};
    if (!g_state.surfaceBitmap || !GetObjectA(g_state.surfaceBitmap, sizeof bm, &bm)) return {0, 0};
    return {bm.bmWidth, bm.bmHeight};
}

// The whole surface, read on the display thread that owns memDC.
Image SurfaceImage(HostPlayer& player) {
    Image img;
    player.OnDisplay([&] {
        const SIZE size = SurfaceSize();
        img = Capture(g_state.memDC, size.cx, size.cy);
    });
    return img;
}

RECT Client(HWND window) {
    RECT r = {};
    GetClientRect(window, &r);
    return r;
}

Image ClientImage(HWND window) {
    const RECT r = Client(window);
    HDC dc = ReadingDC(window);
    Image img = Capture(dc, r.right, r.bottom);
    ReleaseDC(window, dc);
    return img;
}

// The title shown, as UTF-8.
std::string Shown() { return Utf8(g_state.titleText); }

// The text measured as the composition should have: a DC of our own with
// a font made from g_state.font as it stands after the composition.
SIZE Measure(const std::string& text, const FontSpec& logFont = g_state.font, std::string* face = nullptr) {
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = CreateFontIndirectA(&logFont);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE s = {0, 0};
    const std::wstring wide = Wide(text);
    GetTextExtentPoint32W(dc, wide.c_str(), (int)wide.size(), &s);
    if (face) {
        char name[LF_FACESIZE] = "";
        GetTextFaceA(dc, LF_FACESIZE, name);
        *face = name;
    }
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
    return s;
}

// First and last columns holding anything but `bk`; -1 when none.
void InkColumns(const Image& img, COLORREF bk, int* first, int* last) {
    *first = *last = -1;
    for (int x = 0; x < img.w; ++x) {
        if (img.ColumnIsOnly(x, bk)) continue;
        if (*first < 0) *first = x;
        *last = x;
    }
}

bool Between(int v, int a, int b) { return v >= std::min(a, b) && v <= std::max(a, b); }

// Every pixel is the background, the text colour or a blend of the two.
void ExpectOnlyBlends(const Image& img, COLORREF bk, COLORREF text) {
    int stray = 0, solid = 0;
    for (COLORREF c : img.px) {
        if (c == text) ++solid;
        if (!Between(GetRValue(c), GetRValue(bk), GetRValue(text)) ||
            !Between(GetGValue(c), GetGValue(bk), GetGValue(text)) ||
            !Between(GetBValue(c), GetBValue(bk), GetBValue(text)))
            ++stray;
    }
    EXPECT_EQ(stray, 0) << "pixels that are neither background nor text colour";
    EXPECT_GT(solid, 0) << "no pixel in the exact text colour";
}

// A w x h picture made as a composition makes one, in the font and colours
// of g_state, the text put in by `draw`.
template <typename Draw>
Image Drawn(int w, int h, Draw draw) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    ReleaseDC(nullptr, screen);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HFONT font = CreateFontIndirectA(&g_state.font);
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetTextColor(dc, TextColor());
    SetBkColor(dc, g_state.bkColor);
    HBRUSH brush = CreateSolidBrush(g_state.bkColor);
    RECT all = {0, 0, w, h};
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    draw(dc, &all);
    Image img = Capture(dc, w, h);
    SelectObject(dc, oldFont);
    DeleteObject(font);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return img;
}

// `text` as the wide-character call draws it with `flags`.
Image Reference(const std::string& text, int w, int h, UINT flags) {
    const std::wstring wide = Wide(text);
    return Drawn(w, h, [&](HDC dc, RECT* all) { DrawTextW(dc, wide.c_str(), (int)wide.size(), all, flags); });
}

// What an 8-bit path would draw: the text through the ANSI code page, "&"
// taken as a mnemonic prefix.
Image EightBitPath(const std::string& text, int w, int h, UINT flags) {
    char ansi[1024] = "";
    WideCharToMultiByte(CP_ACP, 0, Wide(text).c_str(), -1, ansi, sizeof ansi, nullptr, nullptr);
    return Drawn(w, h, [&](HDC dc, RECT* all) { DrawTextA(dc, ansi, -1, all, flags & ~(UINT)DT_NOPREFIX); });
}

// A recomposition as the next frame carries it out, appearance reloaded.
void Compose(HostPlayer& player) {
    RequestRedraw();
    player.Frame(1);
}

class Composition : public ::testing::Test {
protected:
    void SetUp() override { ResetDisplayState(); }
    void TearDown() override { ResetDisplayState(); }
};

TEST_F(Composition, ShortTitleIsCentredInExactColours) {
    struct Row {
        const char* title;
        const char* shown;
    } rows[] = {
        {"HIH - Winamp", "HIH"},
        {"1. Artist - Song - Winamp", "1. Artist - Song"},
        {"MOM-", "MOM"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.title);
        ResetDisplayState();
        HostPlayer player(row.title, PlacedIni().c_str(), GetModule(0));
        ASSERT_EQ(player.Start(), 0);
        player.Frame(1);
        ASSERT_NE(g_state.titleWnd, nullptr);
        EXPECT_EQ(Shown(), row.shown);
        EXPECT_EQ(g_state.bkColor, kBk);
        EXPECT_EQ(TextColor(), kWhite);
        ASSERT_EQ(g_state.screenW, 400);

        const RECT client = Client(g_state.titleWnd);
        ASSERT_EQ(client.right, 400);
        ASSERT_EQ(client.bottom, 30);
        const SIZE measured = Measure(row.shown);
        EXPECT_EQ(g_state.textExtent.cx, measured.cx);
        EXPECT_EQ(g_state.textExtent.cy, measured.cy);
        ASSERT_LT(measured.cx, 300) << "the row must fit";
        const SIZE size = SurfaceSize();
        EXPECT_EQ(size.cx, 400);
        EXPECT_EQ(size.cy, 30);

        const Image surface = SurfaceImage(player);
        ASSERT_EQ(surface.w, 400);
        int first, last;
        InkColumns(surface, kBk, &first, &last);
        ASSERT_GE(first, 0) << "no text drawn";
        const int left = first, right = surface.w - 1 - last;
        EXPECT_NEAR(left, right, 2) << "first ink " << first << ", last ink " << last;
        EXPECT_GE(first, (400 - measured.cx) / 2 - 2);
        EXPECT_LE(last, (400 + measured.cx) / 2 + 2);
        ExpectOnlyBlends(surface, kBk, kWhite);

        // Not scrolled: the window shows the surface as it is.
        const Image window = ClientImage(g_state.titleWnd);
        ASSERT_EQ(window.w, 400);
        EXPECT_TRUE(window.px == surface.px) << "window differs from the surface";
        EXPECT_EQ(WindowPixel(g_state.titleWnd, 0, 15), kBk);
        EXPECT_EQ(WindowPixel(g_state.titleWnd, 399, 15), kBk);
        player.Stop();
    }
}

TEST_F(Composition, LongTitleStartsAtTheLeftWithAGapOfTwoHeights) {
    const char* title = "A long title that cannot fit in two hundred pixels - Winamp";
    const char* shown = "A long title that cannot fit in two hundred pixels";
    HostPlayer player(title, PlacedIni(200, 30).c_str(), GetModule(0));
    ASSERT_EQ(player.Start(), 0);
    player.Frame(1);
    const DWORD now = TickMs();
    EXPECT_EQ(Shown(), shown);

    const SIZE measured = Measure(shown);
    ASSERT_GT(measured.cx, 200);
    EXPECT_EQ(g_state.textExtent.cx, measured.cx + 2 * measured.cy);
    EXPECT_EQ(g_state.textExtent.cy, measured.cy);
    const SIZE size = SurfaceSize();
    EXPECT_EQ(size.cx, g_state.textExtent.cx);
    EXPECT_EQ(size.cy, 30);
    EXPECT_EQ(g_state.scrollOffset, 0);
    const int stand = (int)(g_state.scrollClock - now);
    EXPECT_GT(stand, 1000) << "the start stands still about 2000 ms";
    EXPECT_LE(stand, 2000);

    const Image surface = SurfaceImage(player);
    ASSERT_EQ(surface.w, g_state.textExtent.cx);
    int first, last;
    InkColumns(surface, kBk, &first, &last);
    ASSERT_GE(first, 0);
    EXPECT_LE(first, 3);
    EXPECT_LE(last, measured.cx + 1);
    for (int x = measured.cx + 2; x < surface.w; ++x)
        ASSERT_TRUE(surface.ColumnIsOnly(x, kBk)) << "gap column " << x;
    ExpectOnlyBlends(surface, kBk, kWhite);

    // The window shows the start of the surface.
    const Image window = ClientImage(g_state.titleWnd);
    ASSERT_EQ(window.w, 200);
    int differ = 0;
    for (int y = 0; y < window.h; ++y)
        for (int x = 0; x < window.w; ++x) differ += window.at(x, y) != surface.at(x, y);
    EXPECT_EQ(differ, 0);
}

TEST_F(Composition, TitleWithoutDashShowsOnlyBackgroundAndNeverScrolls) {
    const char* titles[] = {"Song", "-abc", "-", " - x", "Song-"};
    const char* shown[] = {"", "", "", "", "Song"};
    for (size_t i = 0; i < sizeof titles / sizeof *titles; ++i) {
        SCOPED_TRACE(titles[i]);
        ResetDisplayState();
        HostPlayer player("Something long enough to scroll in a narrow window - Winamp", PlacedIni(120, 30).c_str(),
                          GetModule(0));
        ASSERT_EQ(player.Start(), 0);
        player.Frame(1);
        ASSERT_GT(g_state.textExtent.cx, 120) << "starts with scrolling text";

        player.SetTitle(titles[i]);
        Compose(player);
        EXPECT_EQ(Shown(), shown[i]);
        if (shown[i][0]) continue;  // the control row: text, so no further checks
        EXPECT_EQ(g_state.textExtent.cx, 0);
        EXPECT_EQ(SurfaceSize().cx, 120);
        const Image surface = SurfaceImage(player);
        ASSERT_GT(surface.px.size(), 0u);
        EXPECT_EQ(std::count(surface.px.begin(), surface.px.end(), kBk), (long)surface.px.size());

        // Long past any stand: still nothing moves.
        player.OnDisplay([] { g_state.scrollClock = TickMs() - 100; });
        player.Frame(5);
        EXPECT_EQ(g_state.scrollOffset, 0);
        const Image window = ClientImage(g_state.titleWnd);
        EXPECT_EQ(std::count(window.px.begin(), window.px.end(), kBk), (long)window.px.size());
    }
}

TEST_F(Composition, HostTitleIsCutTo510CharactersBeforeTrimming) {
    struct Row {
        const char* label;
        std::vector<int> dashes;  // positions in a title of 600 'a'
        int space;                // position of a space, or -1
        size_t shown;
    } rows[] = {
        {"dash at 505", {505}, -1, 505},
        {"dash at 505 and 550", {505, 550}, -1, 505},
        {"only dash at 520", {520}, -1, 0},
        {"only dash at 510", {510}, -1, 0},
        {"dash at 509, the last kept", {509}, -1, 509},
        {"space before the dash at 505", {505}, 504, 504},
        {"no dash", {}, -1, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        ResetDisplayState();
        std::string title(600, 'a');
        for (int d : row.dashes) title[d] = '-';
        if (row.space >= 0) title[row.space] = ' ';
        HostPlayer player(title.c_str(), PlacedIni(400, 12).c_str(), GetModule(0));
        char check[700] = "";
        ASSERT_EQ(GetWindowTextA(player.main, check, sizeof check), 600) << "the host keeps the whole title";
        ASSERT_EQ(player.Start(), 0);
        player.Frame(1);
        const size_t n = wcslen(g_state.titleText);
        EXPECT_LE(n, 510u);
        EXPECT_EQ(n, row.shown);
        EXPECT_EQ(Shown(), title.substr(0, row.shown));
        if (row.shown == 0) {
            EXPECT_EQ(g_state.textExtent.cx, 0);
        } else {
            EXPECT_GT(g_state.textExtent.cx, 400);
        }
        player.Stop();
    }
}

TEST_F(Composition, EmptyHostTitleChangesNothing) {
    HostPlayer player("HIH - Winamp", PlacedIni().c_str(), GetModule(0));
    ASSERT_EQ(player.Start(), 0);
    player.Frame(1);
    ASSERT_EQ(Shown(), "HIH");
    const DisplayState before = g_state;
    const Image surface = SurfaceImage(player);
    const Image window = ClientImage(g_state.titleWnd);

    // A changed file would show if the appearance were reloaded.
    WriteTextFile(player.plugin.iniPath,
                  Ini("BkColor=255\r\nColor=65280\r\nWeight=700\r\nItalic=1\r\nFaceName=DejaVu Serif\r\n"
                      "Scroll_Step=9\r\nScroll_Interval=99\r\nScroll_Enabled=0\r\n"));
    player.SetTitle("");
    Compose(player);
    player.OnDisplay([&] { ComposeTitle(player.module); });

    EXPECT_EQ(Shown(), "HIH");
    EXPECT_EQ(g_state.textExtent.cx, before.textExtent.cx);
    EXPECT_EQ(g_state.textExtent.cy, before.textExtent.cy);
    EXPECT_EQ(g_state.surfaceBitmap, before.surfaceBitmap);
    EXPECT_EQ(g_state.scrollClock, before.scrollClock);
    EXPECT_EQ(g_state.scrollOffset, before.scrollOffset);
    EXPECT_EQ(memcmp(&g_state.font, &before.font, sizeof before.font), 0) << "font fields changed";
    EXPECT_EQ(TextColor(), kWhite);
    EXPECT_EQ(g_state.bkColor, kBk);
    EXPECT_EQ(g_state.scrollStep, before.scrollStep);
    EXPECT_EQ(g_state.scrollInterval, before.scrollInterval);
    EXPECT_EQ(g_state.scrollEnabled, before.scrollEnabled);
    EXPECT_TRUE(SurfaceImage(player).px == surface.px) << "surface redrawn";
    EXPECT_TRUE(ClientImage(g_state.titleWnd).px == window.px) << "window redrawn";
}

TEST_F(Composition, FontIsAsHighAsTheClientAreaInTheFileFace) {
    struct Row {
        int h, style;
    } rows[] = {{64, 0}, {50, 1}, {40, 2}};
    for (const Row& row : rows) {
        SCOPED_TRACE("style " + std::to_string(row.style));
        ResetDisplayState();
        HostPlayer player("1. Artist - Song - Winamp",
                          PlacedIni(400, row.h, row.style, "FaceName=DejaVu Sans Mono\r\nWeight=700\r\n").c_str(),
                          GetModule(0));
        ASSERT_EQ(player.Start(), 0);
        player.Frame(1);
        RECT client = Client(g_state.titleWnd);
        ASSERT_GT(client.bottom, 0);
        if (row.style != 2) {
            EXPECT_LT(client.bottom, g_state.screenH) << "a frame takes room";
        }
        EXPECT_EQ(g_state.font.lfHeight, client.bottom);
        EXPECT_EQ(g_state.font.lfWidth, 0);
        EXPECT_STREQ(g_state.font.lfFaceName, "DejaVu Sans Mono");
        EXPECT_EQ(g_state.font.lfWeight, 700);
        EXPECT_EQ(SurfaceSize().cy, client.bottom);

        std::string face;
        const SIZE measured = Measure("1. Artist - Song", g_state.font, &face);
        EXPECT_EQ(face, "DejaVu Sans Mono") << "the face must exist for this test";
        EXPECT_EQ(g_state.textExtent.cx, measured.cx);
        FontSpec plain = g_state.font;
        plain.lfFaceName[0] = '\0';
        plain.lfWeight = 0;
        EXPECT_NE(Measure("1. Artist - Song", plain).cx, measured.cx) << "the face from the file made a difference";

        // A resize recomposes at the new height without reading the file.
        WriteTextFile(player.plugin.iniPath, Ini("BkColor=255\r\nFaceName=DejaVu Serif\r\n"));
        player.OnDisplay([] { SetWindowPos(g_state.titleWnd, nullptr, 0, 0, 400, 90, SWP_NOMOVE | SWP_NOZORDER); });
        client = Client(g_state.titleWnd);
        EXPECT_EQ(g_state.screenH, 90);
        EXPECT_EQ(g_state.font.lfHeight, client.bottom);
        EXPECT_EQ(SurfaceSize().cy, client.bottom);
        EXPECT_STREQ(g_state.font.lfFaceName, "DejaVu Sans Mono");
        EXPECT_EQ(g_state.bkColor, kBk);
        const SIZE taller = Measure("1. Artist - Song");
        EXPECT_EQ(g_state.textExtent.cx, taller.cx > 400 ? taller.cx + 2 * taller.cy : taller.cx);
        player.Stop();
    }
}

TEST_F(Composition, ReplacingTheSurfaceLeaksNoGdiObject) {
    const std::string shortTitle = "HIH - Winamp";
    const std::string longTitle = "A long title that cannot fit in four hundred pixels at all, no - Winamp";
    HostPlayer player(shortTitle.c_str(), PlacedIni().c_str(), GetModule(0));
    // One run first, so whatever the platform caches for a window exists.
    ASSERT_EQ(player.Start(), 0);
    player.Frame(1);
    player.Stop();

    const int beforeStart = CountGdiObjects();
    ASSERT_EQ(player.Start(), 0);
    player.Frame(1);
    const int afterFirst = CountGdiObjects();

    int wrongSelection = 0, scrolling = 0;
    player.OnDisplay([&] {
        for (int i = 0; i < 200; ++i) {
            SetWindowTextA(player.main, (i % 2 ? longTitle : shortTitle).c_str());
            ComposeTitle(i % 3 ? player.module : nullptr);
            HGDIOBJ selected = GetCurrentObject(g_state.memDC, OBJ_BITMAP);
            if (selected != g_state.surfaceBitmap || GetObjectType(selected) != OBJ_BITMAP) ++wrongSelection;
            if (g_state.textExtent.cx > g_state.screenW) ++scrolling;
        }
    });
    EXPECT_EQ(wrongSelection, 0) << "memDC must hold the live surface";
    EXPECT_EQ(scrolling, 100) << "both sizes of surface were made";
    EXPECT_EQ(CountGdiObjects(), afterFirst);

    player.Stop();
    EXPECT_EQ(CountGdiObjects(), beforeStart);
}

TEST_F(Composition, RealTitlesAreDrawnAsTyped) {
    // Run once more under another ANSI code page (see CMakeLists.txt).
    if (const char* acp = getenv("MIRN_EXPECT_ACP")) {
        ASSERT_EQ(GetACP(), (UINT)atoi(acp));
    }
    struct Row {
        const char* title;
        const char* shown;
        bool eightBitDiffers;  // an 8-bit path would draw something else
    } rows[] = {
        {"Simon & Garfunkel - The Boxer - Winamp", "Simon & Garfunkel - The Boxer", true},
        {"A&&B - Winamp", "A&&B", true},
        {"Earth, Wind & Fire - Winamp", "Earth, Wind & Fire", true},
        {"1. Кино - Группа крови - Winamp", "1. Кино - Группа крови", true},
        {"Μίκης Θεοδωράκης - Ζορμπάς - Winamp", "Μίκης Θεοδωράκης - Ζορμπάς", true},
        {"Sigur Rós - Hoppípolla - Winamp", "Sigur Rós - Hoppípolla", false},
        {"a-ha - Take On Me - Winamp", "a-ha - Take On Me", false},
        {"3. Queen - Bohemian Rhapsody - Winamp [Paused]", "3. Queen - Bohemian Rhapsody", false},
    };
    HostPlayer player("HIH - Winamp", PlacedIni(400, 30).c_str(), GetModule(0));
    ASSERT_EQ(player.Start(), 0);
    player.Frame(1);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.title);
        player.SetTitle(row.title);
        Compose(player);
        EXPECT_EQ(Shown(), row.shown);

        const SIZE measured = Measure(row.shown);
        const bool scrolls = measured.cx > 400;
        EXPECT_EQ(g_state.textExtent.cx, scrolls ? measured.cx + 2 * measured.cy : measured.cx);
        const SIZE size = SurfaceSize();
        const UINT flags = DT_VCENTER | DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX | (scrolls ? 0 : DT_CENTER);
        const Image surface = SurfaceImage(player);
        const Image expected = Reference(row.shown, size.cx, size.cy, flags);
        EXPECT_TRUE(surface.px == expected.px) << "not the wide-character drawing of the text";
        if (row.eightBitDiffers) {
            EXPECT_FALSE(EightBitPath(row.shown, size.cx, size.cy, flags).px == expected.px)
                << "the row would not tell the 8-bit path apart";
        }
    }
}

TEST_F(Composition, SameTitleAgainKeepsThePictureAndTheMarquee) {
    const char* title = "A long title that cannot fit in two hundred pixels - Winamp";
    const std::string ini = PlacedIni(200, 30);
    HostPlayer player(title, ini.c_str(), GetModule(0));
    ASSERT_EQ(player.Start(), 0);
    player.Frame(1);
    auto fileWith = [&](const std::string& from, const std::string& to) {
        std::string text = ini;
        text.replace(text.find(from), from.size(), to);
        WriteTextFile(player.plugin.iniPath, text);
    };
    struct Row {
        const char* label;
        std::function<void()> change;
        bool recomposes;
    } rows[] = {
        {"the same title again", [&] { player.SetTitle(title); }, false},
        {"the same file written again", [&] { WriteTextFile(player.plugin.iniPath, ini); }, false},
        {"the same title with the same trimmed text", [&] { player.SetTitle("A long title that cannot fit in two hundred pixels - Winamp [Paused]"); }, false},
        {"moved, same size", [&] { player.OnDisplay([] { SetWindowPos(g_state.titleWnd, nullptr, 90, 310, 0, 0, SWP_NOSIZE | SWP_NOZORDER); }); }, false},
        {"another title", [&] { player.SetTitle("Another long title that cannot fit in the window - Winamp"); }, true},
        {"a new text colour in the file", [&] { fileWith("Color=16777215", "Color=65280"); }, true},
        {"that colour again", [] {}, false},
        {"a new scroll step in the file", [&] { fileWith("Color=16777215", "Color=65280\r\nScroll_Step=3"); }, true},
        {"a new size", [&] { player.OnDisplay([] { SetWindowPos(g_state.titleWnd, nullptr, 0, 0, 220, 30, SWP_NOMOVE | SWP_NOZORDER); }); }, true},
        // A border dragged: the system's loop sends every step's WM_SIZE.
        {"sizes within the system's size loop", [&] { player.OnDisplay([] {
             SendMessageA(g_state.titleWnd, WM_ENTERSIZEMOVE, 0, 0);
             for (int w = 230; w <= 260; w += 10) SetWindowPos(g_state.titleWnd, nullptr, 0, 0, w, 34, SWP_NOMOVE | SWP_NOZORDER);
             EXPECT_EQ(g_state.screenW, 260) << "resized"; }); }, false},
        {"the size loop's end", [&] { player.OnDisplay([] { SendMessageA(g_state.titleWnd, WM_EXITSIZEMOVE, 0, 0); }); }, true},
        {"a move loop without a size", [&] { player.OnDisplay([] {
             SendMessageA(g_state.titleWnd, WM_ENTERSIZEMOVE, 0, 0);
             SetWindowPos(g_state.titleWnd, nullptr, 120, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
             SendMessageA(g_state.titleWnd, WM_EXITSIZEMOVE, 0, 0); }); }, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        // Scrolling, well past the stand.
        player.OnDisplay([] { g_state.scrollClock = TickMs() - 100; });
        player.Frame(2);
        ASSERT_GT(g_state.scrollOffset, 0);
        const HBITMAP surface = g_state.surfaceBitmap;

        row.change();
        Compose(player);
        const int stand = (int)(g_state.scrollClock - TickMs());
        if (row.recomposes) {
            EXPECT_EQ(g_state.scrollOffset, 0);
            EXPECT_GT(stand, 1000) << "a new stand";
            EXPECT_NE(g_state.surfaceBitmap, surface);
        } else {
            EXPECT_GT(g_state.scrollOffset, 0) << "the marquee went back to its start";
            EXPECT_LT(stand, 1000) << "a new stand";
            EXPECT_EQ(g_state.surfaceBitmap, surface) << "redrawn";
        }
    }
}

TEST_F(Composition, MissingOrRefusedSurfacesNeverBlankTheTitle) {
    // 400 capitals at a 300 px font need a surface far past what may be made;
    // the other titles fit the window.
    const std::string huge(400, 'W');
    HostPlayer player("I - Winamp", PlacedIni(400, 300).c_str(), GetModule(0));
    ASSERT_EQ(player.Start(), 0);

    struct Row {
        const char* label;
        const char* title;
        std::string shown;
        bool dropFirst;  // as when the surface could not be made
        bool whole;      // the surface holds the whole text
    } rows[] = {
        {"no first surface", "I - Winamp", "I", true, true},
        {"surface lost between titles", "l1 - Winamp", "l1", true, true},
        {"too large for the whole title", nullptr, huge, false, false},
        {"a title that fits again", "I - Winamp", "I", false, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        if (row.dropFirst) player.OnDisplay([] { DropSurface(); });
        player.SetTitle(row.title ? row.title : (huge + " - Winamp").c_str());
        Compose(player);
        EXPECT_EQ(Shown(), row.shown);
        ASSERT_NE(g_state.surfaceBitmap, nullptr);
        const SIZE size = SurfaceSize();
        const RECT client = Client(g_state.titleWnd);
        const Image window = ClientImage(g_state.titleWnd);
        if (row.whole) {
            EXPECT_TRUE(window.px == Reference(row.shown, 400, client.bottom, 0x925).px) << "not the new title";
            continue;
        }
        const SIZE measured = Measure(row.shown);
        ASSERT_GT((long long)(measured.cx + 2 * measured.cy) * client.bottom * 4, 64ll << 20) << "must not fit";
        EXPECT_EQ(size.cx, 400);
        EXPECT_EQ(size.cy, client.bottom);
        EXPECT_LE(g_state.textExtent.cx, 400) << "nothing scrolls";
        EXPECT_TRUE(window.px == Reference(row.shown, 400, client.bottom, 0x924).px)
            << "the new title, clipped, from x = 0";
        player.OnDisplay([] { g_state.scrollClock = TickMs() - 100; });
        player.Frame(3);
        EXPECT_EQ(g_state.scrollOffset, 0);
    }
}

TEST_F(Composition, PlayerThatStopsAnsweringNeverStallsAFrame) {
    HostPlayer player("HIH - Winamp", PlacedIni().c_str(), GetModule(0));
    ASSERT_EQ(player.Start(), 0);
    player.Frame(1);
    ASSERT_EQ(Shown(), "HIH");

    player.SetTitle("New title - Winamp");
    RequestRedraw();  // the hook of the copied library raises its own flag
    DWORD longest = 0, newAt = 0;
    int frames = 0;
    player.OnDisplayWhileHung(2000, [&] {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < 3500 && !newAt) {
            const DWORD before = GetTickCount();
            player.module->render(player.module);
            longest = std::max(longest, GetTickCount() - before);
            ++frames;
            if (Shown() == "New title") newAt = GetTickCount() - start;
            Sleep(10);
        }
    });
    EXPECT_GT(frames, 5);
    EXPECT_LT(longest, 400u) << "a frame waited on the player";
    EXPECT_GE(newAt, 1500u) << "the player was not answering";
    EXPECT_EQ(Shown(), "New title") << "the request was lost";
    EXPECT_TRUE(ClientImage(g_state.titleWnd).px == Reference("New title", 400, 30, 0x925).px);

    // Resized while the player does not answer, with no title change behind.
    player.OnDisplayWhileHung(1000, [&] {
        SetWindowPos(g_state.titleWnd, nullptr, 0, 0, 420, 30, SWP_NOMOVE | SWP_NOZORDER);
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < 1500) {
            player.module->render(player.module);
            Sleep(10);
        }
    });
    ASSERT_EQ(Client(g_state.titleWnd).right, 420);
    EXPECT_TRUE(ClientImage(g_state.titleWnd).px == Reference("New title", 420, 30, 0x925).px)
        << "the picture at the new size";
}

TEST_F(Composition, WithoutWindowOrMemoryDcNothingHappens) {
    HostPlayer player("HIH - Winamp", PlacedIni(400, 30, 2, "Weight=700\r\n").c_str(), GetModule(0));
    const VisModule* module = player.module;

    // Before any start: no window, no surface, not even a host.
    {
        const DisplayState before = g_state;
        player.OnDisplay([&] {
            ComposeTitle(module);
            ComposeTitle(nullptr);
        });
        EXPECT_EQ(memcmp(&g_state, &before, sizeof before), 0);
        g_state.hostWnd = player.main;  // a title to fetch, still no window
        const DisplayState withHost = g_state;
        player.OnDisplay([&] { ComposeTitle(module); });
        EXPECT_EQ(memcmp(&g_state, &withHost, sizeof withHost), 0);
        ResetDisplayState();
    }

    ASSERT_EQ(player.Start(), 0);
    player.Frame(1);
    ASSERT_EQ(Shown(), "HIH");
    player.SetTitle("Other text - Winamp");
    WriteTextFile(player.plugin.iniPath, PlacedIni(400, 30, 2, "Weight=300\r\n"));

    struct Row {
        const char* label;
        void (*clear)();
    } rows[] = {
        {"no title window", [] { g_state.titleWnd = nullptr; }},
        {"title window closed", [] { g_state.titleWndDestroyed = 1; }},
        {"no memory DC", [] { g_state.memDC = nullptr; }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        const DisplayState live = g_state;
        DisplayState cleared = {};
        player.OnDisplay([&] {
            row.clear();
            cleared = g_state;
            ComposeTitle(module);
            ComposeTitle(nullptr);
        });
        EXPECT_EQ(memcmp(&g_state, &cleared, sizeof cleared), 0);
        player.OnDisplay([&] {
            g_state.titleWnd = live.titleWnd;
            g_state.titleWndDestroyed = live.titleWndDestroyed;
            g_state.memDC = live.memDC;
        });
    }
    // Complete again: the next composition is the one shown.
    Compose(player);
    EXPECT_EQ(Shown(), "Other text");
    EXPECT_EQ(g_state.font.lfWeight, 300);
}

TEST_F(Composition, EdgeWindowSizesStillCompose) {
    struct Row {
        int w, h, style;
    } rows[] = {{0, 40, 2}, {1, 40, 2}, {300, 1, 2}, {0, 1, 2}, {1, 1, 1}, {300, 1, 0}, {0, 0, 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE("w " + std::to_string(row.w) + " h " + std::to_string(row.h) + " style " +
                     std::to_string(row.style));
        ResetDisplayState();
        HostPlayer player("1. Artist - Song - Winamp", PlacedIni(row.w, row.h, row.style).c_str(), GetModule(0));
        ASSERT_EQ(player.Start(), 0);
        player.Frame(1);
        // Laid out in the size the system made, which has a least one.
        RECT outer = {};
        GetWindowRect(g_state.titleWnd, &outer);
        const int realW = outer.right - outer.left;
        EXPECT_EQ(g_state.screenW, realW);
        EXPECT_EQ(g_state.screenH, outer.bottom - outer.top);
        EXPECT_GE(realW, row.w);
        EXPECT_GE(g_state.screenH, row.h);
        EXPECT_EQ(Shown(), "1. Artist - Song");
        const RECT client = Client(g_state.titleWnd);
        EXPECT_EQ(g_state.font.lfHeight, client.bottom);
        HGDIOBJ selected = nullptr;
        player.OnDisplay([&] { selected = GetCurrentObject(g_state.memDC, OBJ_BITMAP); });
        EXPECT_EQ(GetObjectType(selected), (DWORD)OBJ_BITMAP);
        if (client.bottom > 0) {
            const SIZE measured = Measure("1. Artist - Song");
            const int extent = measured.cx > realW ? measured.cx + 2 * measured.cy : measured.cx;
            EXPECT_EQ(g_state.textExtent.cx, extent);
            const SIZE size = SurfaceSize();
            EXPECT_EQ(size.cx, std::max(realW, extent));
            EXPECT_EQ(size.cy, client.bottom);
            EXPECT_EQ(selected, g_state.surfaceBitmap);
        }
        // Past the stand the marquee runs over such a surface too.
        player.OnDisplay([] { g_state.scrollClock = TickMs() - 100; });
        player.Frame(3);
        if (g_state.textExtent.cx > realW) {
            EXPECT_GT(g_state.scrollOffset, 0);
        }
        EXPECT_LT(g_state.scrollOffset, std::max(1, (int)g_state.textExtent.cx));
        player.Stop();
    }
}

// The face a run of the composed title is drawn in; empty for the chosen one.
std::string RunFace(const TextRun& run) {
    const int slot = run.slot & ~kSlotByGlyph;
    if (slot == 0) return "";
    return Utf8(g_state.fallbackFaces[(slot - 1) / kFacesPerGroup][(slot - 1) % kFacesPerGroup]);
}

TEST_F(Composition, TitlesInOtherScriptsAreDrawnInAFaceThatHasThem) {
    struct Row {
        const char* face;  // the chosen one, without these scripts
        const char *a, *b;   // two shown titles of one length
        const char* stand;   // the face the script's runs are drawn in
        const char* extra;
    } rows[] = {
        {"", "1. 宇多田ヒカル - 花束を君に", "2. 椎名林檎 - 丸の内サディス", "WenQuanYi Zen Hei", ""},
        {"DejaVu Serif", "1. 宇多田ヒカル - 花束を君に", "2. 椎名林檎 - 丸の内サディス", "WenQuanYi Zen Hei", ""},
        {"", "王菲 - 红豆", "朴树 - 白桦", "WenQuanYi Zen Hei", ""},
        {"DejaVu Serif", "王菲 - 红豆", "许巍 - 曾经", "WenQuanYi Zen Hei", ""},
        {"", "아이유 - 좋은 날", "방탄소년 - 봄 날", "WenQuanYi Zen Hei", ""},
        {"DejaVu Serif", "아이유 - 좋은 날", "방탄소년 - 봄 날", "WenQuanYi Zen Hei", "Outline=1\r\n"},
        {"", "Happy \xF0\x9F\x98\x80 Song", "Happy \xF0\x9F\x98\x8E Song", "Symbola", ""},
        {"DejaVu Serif", "\xF0\x9F\x8E\xB8 Riff", "\xF0\x9F\x8E\xBA Riff", "Symbola", "Outline=2\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.face) + " | " + row.a);
        ResetDisplayState();
        const std::string extra = std::string("FaceName=") + row.face + "\r\n" + row.extra;
        HostPlayer player((std::string(row.a) + " - Winamp").c_str(), PlacedIni(400, 30, 2, extra).c_str(), GetModule(0));
        ASSERT_EQ(player.Start(), 0);
        player.Frame(1);
        Image pictures[2];
        for (int k = 0; k < 2; ++k) {
            const std::string shown = k == 0 ? row.a : row.b;
            if (k == 1) {
                player.SetTitle((shown + " - Winamp").c_str());
                Compose(player);
            }
            ASSERT_EQ(Shown(), shown);
            const std::wstring wide = Wide(shown);
            ASSERT_EQ(Wide(row.a).size(), wide.size()) << "the row's titles must be of one length";
            // Every character beyond ASCII is in a run of the standing-in face;
            // an emoji beyond the BMP is one glyph of it.
            ASSERT_GT(g_state.titleRunCount, 0);
            int width = 0, glyphRuns = 0;
            for (int r = 0; r < g_state.titleRunCount; ++r) {
                const TextRun& run = g_state.titleRuns[r];
                width += run.width;
                glyphRuns += (run.slot & kSlotByGlyph) != 0;
                if (run.slot & kSlotByGlyph) {
                    EXPECT_EQ(run.length % 2, 0);
                }
                for (int i = run.start; i < run.start + run.length; ++i) {
                    if (wide[i] > 0x7E) {
                        EXPECT_EQ(RunFace(run), row.stand) << "unit " << i;
                    }
                }
            }
            EXPECT_EQ(glyphRuns, std::string(row.stand) == "Symbola" ? 1 : 0);
            // Measured from the runs drawn, and centred by that measure.
            EXPECT_EQ(g_state.textExtent.cx, width);
            ASSERT_LT(width, 400);
            pictures[k] = SurfaceImage(player);
            int first, last;
            InkColumns(pictures[k], kBk, &first, &last);
            ASSERT_GE(first, 0);
            EXPECT_GE(first, (400 - width) / 2 - 6);
            EXPECT_LE(last, (400 + width) / 2 + 6);
            // Not the chosen font's boxes.
            const SIZE size = SurfaceSize();
            const UINT flags = DT_VCENTER | DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX | DT_CENTER;
            EXPECT_FALSE(pictures[k].px == Reference(shown, size.cx, size.cy, flags).px);
        }
        EXPECT_FALSE(pictures[0].px == pictures[1].px) << "two titles drew one picture";
        player.Stop();
    }
}

TEST_F(Composition, RightToLeftTitleReadsAndScrollsRightToLeft) {
    struct Row {
        const char* shown;
        bool scrolls;
    } rows[] = {
        {"1. שלום עולם", false},
        {"1. שלום עולם, זה שיר ארוך מאוד שלא נכנס בחלון הקטן הזה בכלל, 2024", true},
        {"7. أغنية طويلة جدا لا تتسع في هذه النافذة الصغيرة على الإطلاق", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.shown);
        ResetDisplayState();
        HostPlayer player((std::string(row.shown) + " - Winamp").c_str(), PlacedIni(400, 30).c_str(), GetModule(0));
        ASSERT_EQ(player.Start(), 0);
        player.Frame(1);
        ASSERT_EQ(Shown(), row.shown);
        EXPECT_EQ(g_state.titleRtl, 1);
        EXPECT_EQ(g_state.titleRunCount, 0) << "the chosen font has these scripts";
        const SIZE measured = Measure(row.shown);
        ASSERT_EQ(measured.cx > 400, row.scrolls);
        const int W = row.scrolls ? measured.cx + 2 * measured.cy : measured.cx;
        EXPECT_EQ(g_state.textExtent.cx, W);
        // Right-to-left reading order; a scrolling one ends at its ring's right.
        const SIZE size = SurfaceSize();
        const UINT base = DT_VCENTER | DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX | (row.scrolls ? DT_RIGHT : DT_CENTER);
        const Image surface = SurfaceImage(player);
        EXPECT_TRUE(surface.px == Reference(row.shown, size.cx, size.cy, base | DT_RTLREADING).px);
        EXPECT_FALSE(surface.px == Reference(row.shown, size.cx, size.cy, base).px) << "the row reads alike both ways";
        const Image rest = ClientImage(g_state.titleWnd);
        if (!row.scrolls) {
            EXPECT_TRUE(rest.px == surface.px);
            player.Stop();
            continue;
        }
        // At rest the window shows the ring's end; then the text moves right.
        for (int x = 0; x < 400; x += 7)
            for (int y = 0; y < 30; y += 3) ASSERT_EQ(rest.at(x, y), surface.at(W - 400 + x, y)) << x << "," << y;
        player.OnDisplay([] {
            g_state.scrollOffset = 25;
            HDC dc = GetDC(g_state.titleWnd);
            PresentSurface(dc, g_state.screenW, g_state.screenH);
            ReleaseDC(g_state.titleWnd, dc);
        });
        const Image moved = ClientImage(g_state.titleWnd);
        for (int x = 25; x < 400; x += 5)
            for (int y = 0; y < 30; y += 3) ASSERT_EQ(moved.at(x, y), rest.at(x - 25, y)) << x << "," << y;
        player.Stop();
    }
}

}  // namespace

// ---- the song as the player tells it, in the words of TitleFormat ----
namespace {

std::string Format(const std::string& tmpl) { return "TitleFormat=" + tmpl + "\r\nTitleFile=1\r\n"; }

std::string Rotated(const std::string& caption, size_t offset) {
    const std::string ring = caption + " *** ";
    return ring.substr(offset) + ring.substr(0, offset);
}

TEST_F(Composition, RotatedCaptionStepsChangeNothing) {
    const std::string caption = "4. Hall & Oates - Maneater, a title too long for the window - Winamp";
    for (const char* tmpl : {"", "[%artist% - ]%title%"}) {
        SCOPED_TRACE(tmpl);
        ResetDisplayState();
        HostPlayer player(caption.c_str(), PlacedIni(200, 30, 2, Format(tmpl)).c_str(), GetModule(0));
        ASSERT_EQ(player.Start(), 0);
        player.Frame(1);
        const std::string nowPlaying = player.plugin.folder + "nowplaying.txt";
        const std::string shown = *tmpl ? "Hall & Oates - Maneater, a title too long for the window"
                                        : "4. Hall & Oates - Maneater, a title too long for the window";
        EXPECT_EQ(Shown(), shown);
        EXPECT_EQ(FileBytes(nowPlaying), shown);
        const HBITMAP surface = g_state.surfaceBitmap;
        const DWORD songs = g_state.songChanges;
        DeleteFileA(nowPlaying.c_str());  // a rewrite would make it again
        for (size_t offset : std::vector<size_t>{1, 9, 40, caption.size() + 1, caption.size() + 3}) {
            SCOPED_TRACE(offset);
            // Scrolled on, standing for now.
            player.OnDisplay([] {
                g_state.scrollOffset = 37;
                g_state.scrollClock = TickMs() + 100000;
            });
            player.SetTitle(Rotated(caption, offset).c_str());
            offset % 2 ? RequestTitleCheck() : RequestRedraw();  // the hook's check and a full composition
            player.Frame(1);
            EXPECT_EQ(g_state.surfaceBitmap, surface) << "composed again";
            EXPECT_EQ(g_state.scrollOffset, 37) << "the marquee restarted";
            EXPECT_EQ(g_state.songChanges, songs);
            EXPECT_FALSE(FileExists(nowPlaying)) << "nowplaying.txt rewritten";
        }
    }
}

TEST_F(Composition, TemplateFieldsFromThePlayerOrTheCaption) {
    PlayerSong tagged;
    tagged.tags = {{"artist", L"Hall & Oates"}, {"title", L"Maneater"}, {"album", L"H2O"}};
    PlayerSong stream;
    stream.playing = L"Radio Artist - Radio Song";
    PlayerSong unreadable = stream;
    unreadable.unreadable = true;
    PlayerSong paused = tagged, stopped = tagged, ones;
    paused.state = 3;
    stopped.state = 0;
    ones.version = 1;  // a host that answers 1 to everything
    const char* caption = "4. Caption Artist - Caption Song - Winamp";
    const struct {
        const char* label;
        const PlayerSong* song;  // null: answers nothing
        const char* caption;
        const char* tmpl;
        const char* shown;
        LONG state;
    } rows[] = {
        {"tags", &tagged, caption, "[%artist% - ]%title%", "Hall & Oates - Maneater", kPlaying},
        {"caption alone", nullptr, caption, "[%artist% - ]%title%", "Caption Artist - Caption Song", kPlaying},
        {"a host answering 1", &ones, caption, "[%artist% - ]%title%[ (%album%)]", "Caption Artist - Caption Song", kPlaying},
        {"stream title", &stream, caption, "%artist% / %title%", "Radio Artist / Radio Song", kPlaying},
        {"unreadable pointers", &unreadable, caption, "[%artist% - ]%title%", "Caption Artist - Caption Song", kPlaying},
        {"album, number", &tagged, caption, "%number%. %title% [(%album%)]", "4. Maneater (H2O)", kPlaying},
        {"paused", &paused, caption, "[%state%: ]%title%", "Paused: Maneater", kPaused},
        {"stopped", &stopped, caption, "[%state%: ]%title%", "Stopped: Maneater", kStopped},
        {"paused by the caption", nullptr, "4. A - B - Winamp [Paused]", "[%state%: ]%caption%", "Paused: 4. A - B", kPaused},
        {"unknown field, unmatched bracket", &tagged, caption, "%artst% [%title%", "%artst% [Maneater", kPlaying},
        {"empty: the caption", &tagged, caption, "[%year%]", "4. Caption Artist - Caption Song", kPlaying},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        ResetDisplayState();
        HostPlayer player(row.caption, PlacedIni(400, 30, 2, Format(row.tmpl)).c_str(), GetModule(0));
        if (row.song) player.answer = AnswerSong(row.song);
        ASSERT_EQ(player.Start(), 0);
        player.Frame(1);
        EXPECT_EQ(Shown(), row.shown);
        EXPECT_EQ(FileBytes(player.plugin.folder + "nowplaying.txt"), row.shown);
        EXPECT_EQ(g_state.playState, row.state);
        EXPECT_EQ(g_state.songChanges, 1u);
    }
}

TEST_F(Composition, ElapsedTimeMovesOnWithoutRestartingTheMarquee) {
    PlayerSong song;
    song.tags = {{"title", L"A title far too long to fit in two hundred pixels"}};
    song.positionMs = 61500;
    song.lengthS = 3725;
    HostPlayer player("1. X - Y - Winamp", PlacedIni(200, 30, 2, Format("%title% %elapsed%/%length%")).c_str(),
                      GetModule(0));
    player.answer = AnswerSong(&song);
    ASSERT_EQ(player.Start(), 0);
    player.Frame(1);
    const std::string nowPlaying = player.plugin.folder + "nowplaying.txt";
    const std::string title = "A title far too long to fit in two hundred pixels ";
    EXPECT_EQ(FileBytes(nowPlaying), title + "1:01/1:02:05");
    const int due = (int)(g_state.timeRefreshAt - TickMs());
    EXPECT_TRUE(due > 300 && due <= 500) << "the next whole second: " << due;
    const DWORD songs = g_state.songChanges;

    const struct {
        const char* label;
        LRESULT positionMs;
        int hungMs;  // the player busy meanwhile
        const char* file;
    } rows[] = {
        {"a second on", 62000, 0, "1:02/1:02:05"},
        {"the same second", 62400, 0, "1:02/1:02:05"},
        {"busy: the last text stays", 65000, 600, "1:02/1:02:05"},
        {"answering again", 66000, 0, "1:06/1:02:05"},
        {"past an hour", 3600000, 0, "1:00:00/1:02:05"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        player.OnDisplay([] {
            g_state.scrollOffset = 37;
            g_state.scrollClock = TickMs() + 100000;
        });
        const DWORD clock = g_state.scrollClock;
        song.positionMs = row.positionMs;
        DWORD longest = 0;
        auto refresh = [&] {
            g_state.timeRefreshAt = TickMs() - 1;
            const DWORD before = GetTickCount();
            player.module->render(player.module);
            longest = GetTickCount() - before;
        };
        if (row.hungMs)
            player.OnDisplayWhileHung(row.hungMs, refresh);
        else
            player.OnDisplay(refresh);
        EXPECT_LT(longest, 400u) << "a frame waited on the player";
        EXPECT_EQ(FileBytes(nowPlaying), title + row.file);
        EXPECT_EQ(g_state.scrollOffset, 37) << "the marquee moved";
        EXPECT_EQ(g_state.scrollClock, clock) << "a new stand";
        EXPECT_EQ(g_state.songChanges, songs);
    }
    // Paused: no refresh.
    song.state = 3;
    RequestRedraw();
    player.Frame(1);
    song.positionMs = 70000;
    player.OnDisplay([&] { g_state.timeRefreshAt = TickMs() - 1; player.module->render(player.module); });
    EXPECT_EQ(FileBytes(nowPlaying), title + "1:00:00/1:02:05");
}

}  // namespace
