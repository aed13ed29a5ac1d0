// Hostile input through the exports: settings files, titles, window sizes
// and dialog entries that no sane user makes. Every row must leave the
// display running, and every line of the file that is not one of our keys
// where it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host_player.h"

namespace {

const char kSection[] = "Title Display (ALPHA)";
const char kConfigCaption[] = "configration - Title plugin";
const char kTitle[] = "1. Artist - Song - Winamp";
const std::string kLongTitle = "2. " + std::string(200, 'W') + " - Winamp";
const char* const kOurKeys[] = {"screen_x", "screen_y", "screen_w",  "screen_h",    "window_style",    "weight",
                                "italic",   "underline", "strikeout", "charset",     "facename",        "color",
                                "bkcolor",  "scroll_step", "scroll_interval", "scroll_enabled",  "topmost",
                                "titlefile", "transparent", "outline", "outlinecolor", "titleformat", "show",
                                "showseconds", "clickthrough", "scroll_mode", "scroll_pause", "fade_edges"};

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return (char)std::tolower(c); });
    return s;
}

std::string Trim(const std::string& s) {
    const size_t first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

bool IsOurKey(const std::string& key) {
    const std::string k = Lower(key);
    return std::any_of(std::begin(kOurKeys), std::end(kOurKeys), [&](const char* ours) { return k == ours; });
}

// The lines that are not our keys, each with its section, sorted, as the
// profile functions see them: a line ends at CR, LF or CR LF, or its text at
// a NUL; blanks around it and around "=" and blank lines do not count.
std::vector<std::string> ForeignLines(const std::string& bytes) {
    std::vector<std::string> out;
    std::string section;
    bool ours = false;
    size_t at = 0;
    while (at < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", at);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(at, end - at);
        at = end + (bytes.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        line = Trim(line.substr(0, line.find('\0')));
        if (line.empty()) continue;
        if (line[0] == '[') {
            const size_t close = line.find(']');
            section = Lower(Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1)));
            ours = section == Lower(kSection);
            if (!ours) out.push_back("[" + section + "]");
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string::npos) {
            out.push_back("[" + section + "] " + line);
            continue;
        }
        const std::string key = Trim(line.substr(0, eq));
        if (ours && IsOurKey(key)) continue;
        out.push_back("[" + section + "] " + key + "=" + Trim(line.substr(eq + 1)));
    }
    std::sort(out.begin(), out.end());
    return out;
}

// ---- rows ----

typedef std::function<void(HostPlayer&, HWND)> RunningCheck;
typedef std::function<void(const std::string&)> SavedCheck;

struct Row {
    std::string label;
    bool hasFile = true;
    std::string ini;  // written as plugin.ini before the start
    std::string title = kTitle;
    std::function<void(HostPlayer&)> prepare;  // before the start
    RunningCheck running;                      // while the display runs
    std::function<void(HWND)> entries;         // typed into the dialog before OK
    SavedCheck saved;                          // on the file after the stop
    bool foreignKept = true;                   // false only where the platform's writer cannot keep them
};

// The frame style a window shows: 0 caption, 1 sizing border only, 2 none.
int ShownStyle(HWND window) {
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    if ((style & WS_CAPTION) == WS_CAPTION) return 0;
    return (style & WS_THICKFRAME) ? 1 : 2;
}

RunningCheck ExpectPlaced(int x, int y, int w, int h, int style = 0) {
    return [=](HostPlayer&, HWND title) {
        RECT r = {};
        GetWindowRect(title, &r);
        EXPECT_EQ(r.left, x);
        EXPECT_EQ(r.top, y);
        if (w >= 0) {
            EXPECT_EQ(r.right - r.left, w);
        }
        if (h >= 0) {
            EXPECT_EQ(r.bottom - r.top, h);
        }
        EXPECT_EQ(ShownStyle(title), style);
    };
}
const RunningCheck kBelowThePlayer = ExpectPlaced(100, 220, 400, 64);  // the player's window is 100,100 - 500,220

RunningCheck ExpectStyle(int style) {
    return [=](HostPlayer&, HWND title) { EXPECT_EQ(ShownStyle(title), style); };
}

std::string SavedText(const std::string& ini, const char* key) {
    char text[64] = "";
    GetPrivateProfileStringA(kSection, key, "(missing)", text, sizeof text, ini.c_str());
    return text;
}

SavedCheck ExpectSaved(std::vector<std::pair<const char*, std::string>> values) {
    return [=](const std::string& ini) {
        for (const auto& kv : values) EXPECT_EQ(SavedText(ini, kv.first), kv.second) << kv.first;
    };
}

Row Ini(const std::string& label, const std::string& ini, RunningCheck running = nullptr,
        SavedCheck saved = nullptr) {
    Row r;
    r.label = label;
    r.ini = ini;
    r.running = running;
    r.saved = saved;
    return r;
}

std::string Section(const std::string& lines) { return "[Title Display (ALPHA)]\r\n" + lines; }

// A size the system does not make (none, here) is saved as the size it made.
Row RealSizeSaved(const char* line, const char* key) {
    auto real = std::make_shared<std::string>();
    const bool width = std::string(key) == "Screen_w";
    return Ini(line, Section(std::string(line) + "\r\n"),
               [=](HostPlayer&, HWND title) {
                   RECT r = {};
                   GetWindowRect(title, &r);
                   EXPECT_GT(width ? r.right - r.left : r.bottom - r.top, 0);
                   *real = std::to_string(width ? r.right - r.left : r.bottom - r.top);
               },
               [=](const std::string& ini) { EXPECT_EQ(SavedText(ini, key), *real) << key; });
}

std::string EveryKey(const std::string& value) {
    const char* keys[] = {"Screen_x", "Screen_y", "Screen_w",  "Screen_h", "Window_style", "Weight",
                          "Italic",   "Underline", "StrikeOut", "CharSet",  "FaceName",     "Color",
                          "BkColor",  "Scroll_Step", "Scroll_Interval", "Scroll_Enabled"};
    std::string s = "[Title Display (ALPHA)]\r\n";
    for (const char* k : keys) s += std::string(k) + "=" + value + "\r\n";
    return s + "Foreign=stays\r\n";
}

// Bytes 1..255; with `nuls`, 0 as well.
std::string Garbage(size_t n, bool nuls = false) {
    std::string s;
    unsigned v = 12345;
    while (s.size() < n) {
        v = v * 1103515245u + 12345u;
        const char c = (char)(v >> 16);
        if (c || nuls) s += c;
    }
    return s;
}

// What the code must make of the placement the platform reader gives back:
// coordinates beyond 10000 become 0, a style outside the table becomes 0,
// and a place on no monitor is moved onto one (here the one 1280 x 1024
// screen); a place at least partly on it is kept.
void ExpectPlacementRules(const std::string& ini, HWND title) {
    const int x = (int)GetPrivateProfileIntA(kSection, "Screen_x", 100, ini.c_str());
    const int y = (int)GetPrivateProfileIntA(kSection, "Screen_y", 220, ini.c_str());
    const int w = (int)GetPrivateProfileIntA(kSection, "Screen_w", 400, ini.c_str());
    const int h = (int)GetPrivateProfileIntA(kSection, "Screen_h", 64, ini.c_str());
    const int style = (int)GetPrivateProfileIntA(kSection, "Window_style", 0, ini.c_str());
    RECT r = {};
    GetWindowRect(title, &r);
    EXPECT_NE(MonitorFromRect(&r, MONITOR_DEFAULTTONULL), nullptr)
        << "opened on no monitor at " << r.left << "," << r.top;
    const long long left = x > 10000 ? 0 : x, top = y > 10000 ? 0 : y;
    const bool onScreen = left < 1280 && top < 1024 && left + std::max(w, 0) > 0 && top + std::max(h, 0) > 0;
    if (onScreen) {
        EXPECT_EQ(r.left, left) << "Screen_x reads as " << x;
        EXPECT_EQ(r.top, top) << "Screen_y reads as " << y;
    }
    // A transparent window has no frame, whichever is chosen.
    const bool transparent = GetPrivateProfileIntA(kSection, "Transparent", 0, ini.c_str()) != 0;
    EXPECT_EQ(ShownStyle(title), transparent ? 2 : style >= 0 && style <= 2 ? style : 0)
        << "Window_style reads as " << style;
}

// Runs one row: start, frames, the row's own steps, the settings dialog
// with OK, frames, stop; then the file.
void RunRow(const Row& row) {
    SCOPED_TRACE(row.label);
    HostPlayer player(row.title.c_str());
    const std::string ini = player.plugin.iniPath;
    if (row.hasFile) WriteTextFile(ini, row.ini);
    if (row.prepare) row.prepare(player);
    const std::string before = FileBytes(ini);

    ASSERT_EQ(player.Start(), 0);
    player.Frame(3);
    HWND title = player.TitleWindow();
    ASSERT_TRUE(IsWindow(title));
    ExpectPlacementRules(ini, title);
    if (row.running) row.running(player, title);
    player.Frame(3);
    ASSERT_TRUE(IsWindow(title)) << "after the row's steps";

    bool seen = false;
    player.Configure([&] {
        HWND dialog = WaitForDialog(kConfigCaption);
        seen = dialog != nullptr;
        if (!dialog) return;
        if (row.entries) row.entries(dialog);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_TRUE(seen) << "the settings dialog opens";
    player.Frame(3);
    ASSERT_TRUE(IsWindow(title)) << "after the settings dialog";
    RECT r = {};
    GetWindowRect(title, &r);
    EXPECT_LE(r.left, 10000);
    EXPECT_LE(r.top, 10000);

    player.Stop();
    EXPECT_EQ(player.TitleWindow(), nullptr);
    if (row.saved) row.saved(ini);
    const DWORD attributes = GetFileAttributesA(ini.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        const int style = (int)GetPrivateProfileIntA(kSection, "Window_style", -1, ini.c_str());
        EXPECT_TRUE(style >= 0 && style <= 2) << "saved Window_style " << style;
    }
    if (row.foreignKept) {
        EXPECT_EQ(ForeignLines(FileBytes(ini)), ForeignLines(before)) << "lines that are not ours changed";
    }
}

// ---- plugin.ini ----

std::vector<Row> IniRows() {
    std::vector<Row> rows;
    Row none = Ini("no file at all", "", kBelowThePlayer);
    none.hasFile = false;
    rows.push_back(none);
    rows.push_back(Ini("empty file", "", kBelowThePlayer));
    rows.push_back(Ini("only the section line", "[Title Display (ALPHA)]", kBelowThePlayer));
    rows.push_back(Ini("every key missing, other keys present", Section("Foreign=1\r\nAlso=two words\r\n"),
                       kBelowThePlayer));
    rows.push_back(Ini("every key empty", EveryKey(""), kBelowThePlayer,
                       ExpectSaved({{"Screen_x", "100"}, {"Screen_y", "220"}, {"FaceName", ""}, {"Color", "16777215"}})));
    rows.push_back(Ini("every key text", EveryKey("abc"), ExpectPlaced(0, 0, -1, -1),
                       ExpectSaved({{"Scroll_Step", "0"}, {"Scroll_Interval", "0"}, {"FaceName", "abc"}})));
    rows.push_back(Ini("every key 99999999999", EveryKey("99999999999")));
    rows.push_back(Ini("every key 2147483648", EveryKey("2147483648")));
    rows.push_back(Ini("every key 4294967297", EveryKey("4294967297")));
    rows.push_back(Ini("every key 18446744073709551617", EveryKey("18446744073709551617")));
    // The system gives a window of no size its smallest one, which can be
    // grabbed at (-1, -1): it stays there.
    rows.push_back(Ini("every key -1", EveryKey("-1"), ExpectPlaced(-1, -1, -1, -1)));
    rows.push_back(Ini("negative placement", Section("Screen_x=-50\r\nScreen_y=-20\r\n"),
                       [](HostPlayer&, HWND title) {
                           RECT r = {};
                           GetWindowRect(title, &r);
                           EXPECT_EQ(r.left, -50);  // partly on the screen: not clamped
                           EXPECT_EQ(r.top, -20);
                       }));
    rows.push_back(Ini("every key -2147483649", EveryKey("-2147483649")));
    rows.push_back(Ini("blanks around keys and values",
                       Section("  Screen_x =  300  \r\n\tScreen_y= 400\t\r\nWindow_style = 2 \r\n  Odd key  =  v  \r\n"),
                       ExpectPlaced(300, 400, 400, 64, 2)));
    rows.push_back(Ini("keys in other letter case", Section("SCREEN_X=55\r\nscreen_y=66\r\n"), ExpectPlaced(55, 66, 400, 64)));
    rows.push_back(Ini("upper-half bytes in values",
                       Section("Screen_x=\xB9\xB2\xB3\r\nScreen_y=\xFF\xFE\r\nScroll_Step=\x80\x81\r\nColor=\xE9\r\n"
                               "Foreign=\xC4\xD6\xDC\xE9\xFF\r\n"),
                       ExpectPlaced(0, 0, 400, 64)));
    rows.push_back(Ini("upper-half bytes in the face name", Section("FaceName=\xC4\xD6\xDC\xE9 Sans \xFF\x80\r\n"), nullptr,
                       ExpectSaved({{"FaceName", "\xC4\xD6\xDC\xE9 Sans \xFF\x80"}})));
    rows.push_back(Ini("face name of 5000 characters", Section("FaceName=" + std::string(5000, 'F') + "\r\n"), nullptr,
                       ExpectSaved({{"FaceName", std::string(31, 'F')}})));
    rows.push_back(Ini("number of 5000 digits", Section("Screen_w=" + std::string(5000, '7') + "\r\nScreen_x=12\r\n"),
                       ExpectPlaced(12, 220, -1, 64)));
    rows.push_back(Ini("foreign key of 5000 characters",
                       Section(std::string(5000, 'K') + "=1\r\nScreen_x=21\r\n") + "[Next]\r\nKept=yes\r\n",
                       ExpectPlaced(21, 220, 400, 64)));
    rows.push_back(Ini("foreign value of 5000 characters", Section("Long=" + std::string(5000, 'v') + "\r\n"),
                       kBelowThePlayer));
    rows.push_back(Ini("the section twice",
                       Section("Screen_x=31\r\nMine=first\r\n") + "[Other]\r\nX=1\r\n" +
                           Section("Screen_x=999\r\nScreen_y=32\r\nMine=second\r\n")));
    rows.push_back(Ini("other sections, comments and unknown keys",
                       "; leading comment\r\n[Winamp]\r\nvis=1\r\nScreen_x=7777\r\n" +
                           Section("Screen_x=41\r\nMyKey=keep me\r\n; a comment = with equals\r\nbare line\r\n") +
                           "[Other]\r\nScroll_Step=77\r\nFaceName=not ours\r\n[Empty]\r\n",
                       ExpectPlaced(41, 220, 400, 64)));
    Row folder = Ini("plugin.ini is a folder", "", kBelowThePlayer, [](const std::string& ini) {
        const DWORD a = GetFileAttributesA(ini.c_str());
        EXPECT_TRUE(a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY)) << "the folder stays";
        EXPECT_EQ(SavedText(UserSettingsFile(), "Screen_y"), "220") << "saved to the per-user copy instead";
        RemoveUserSettings();
    });
    folder.hasFile = false;
    folder.prepare = [](HostPlayer& p) {
        RemoveUserSettings();
        ASSERT_TRUE(CreateDirectoryA(p.plugin.iniPath.c_str(), nullptr));
    };
    rows.push_back(folder);
    rows.push_back(Ini("binary garbage", Garbage(4096)));
    // The platform's writer ends each line it writes back at a NUL.
    Row nuls = Ini("binary garbage with NUL bytes", Garbage(4096, true));
    nuls.foreignKept = false;
    rows.push_back(nuls);
    rows.push_back(Ini("garbage after our section", Section("Screen_x=51\r\n") + Garbage(512)));
    rows.push_back(Ini("CR-only line endings", "[Title Display (ALPHA)]\rScreen_x=61\rForeign=cr\r[Other]\rA=1\r"));
    rows.push_back(Ini("LF-only line endings", "[Title Display (ALPHA)]\nScreen_x=71\nForeign=lf\n[Other]\nA=1\n",
                       ExpectPlaced(71, 220, 400, 64)));
    rows.push_back(Ini("no line end at all", "[Title Display (ALPHA)]\r\nScreen_x=81", ExpectPlaced(81, 220, 400, 64)));
    rows.push_back(RealSizeSaved("Screen_w=0", "Screen_w"));
    rows.push_back(Ini("Screen_w=1", Section("Screen_w=1\r\n")));
    rows.push_back(Ini("Screen_w=30000", Section("Screen_w=30000\r\n")));
    rows.push_back(RealSizeSaved("Screen_h=0", "Screen_h"));
    rows.push_back(Ini("Screen_h=1", Section("Screen_h=1\r\n")));
    rows.push_back(Ini("Screen_w=0 and Screen_h=0 frameless", Section("Screen_w=0\r\nScreen_h=0\r\nWindow_style=2\r\n"),
                       ExpectStyle(2)));
    rows.push_back(Ini("Screen_x=10001", Section("Screen_x=10001\r\nScreen_y=10001\r\n"), ExpectPlaced(0, 0, 400, 64),
                       ExpectSaved({{"Screen_x", "0"}, {"Screen_y", "0"}})));
    // 10000 is kept, which is off the screen: to its right edge.
    rows.push_back(Ini("Screen_x=10000 stays", Section("Screen_x=10000\r\n"), ExpectPlaced(880, 220, 400, 64),
                       ExpectSaved({{"Screen_x", "880"}})));
    for (const char* style : {"-1", "3", "99999", "2147483647", "-2147483648"})
        rows.push_back(Ini(std::string("Window_style=") + style, Section(std::string("Window_style=") + style + "\r\n"),
                           ExpectStyle(0), ExpectSaved({{"Window_style", "0"}})));
    rows.push_back(Ini("Window_style=1 (a real one)", Section("Window_style=1\r\n"), ExpectStyle(1),
                       ExpectSaved({{"Window_style", "1"}})));
    for (const char* scroll : {"Scroll_Interval=0", "Scroll_Interval=-5", "Scroll_Step=0", "Scroll_Step=-1",
                               "Scroll_Step=2147483647", "Scroll_Enabled=-7"}) {
        Row r = Ini(scroll, Section(std::string(scroll) + "\r\n"));
        r.title = kLongTitle;
        rows.push_back(r);
    }
    rows.push_back(Ini("byte fields beyond a byte", Section("Italic=257\r\nUnderline=-1\r\nStrikeOut=512\r\nCharSet=-2\r\n"),
                       nullptr,
                       ExpectSaved({{"Italic", "1"}, {"Underline", "255"}, {"StrikeOut", "0"}, {"CharSet", "254"}})));
    rows.push_back(Ini("the look's keys, odd values",
                       Section("Transparent=-2147483648\r\nOutline=12abc\r\nOutlineColor=99999999999\r\n"),
                       [](HostPlayer&, HWND title) {
                           EXPECT_NE(GetWindowLongA(title, GWL_EXSTYLE) & WS_EX_LAYERED, 0) << "not transparent";
                       },
                       ExpectSaved({{"Transparent", "1"}, {"Outline", "2"}})));
    rows.push_back(Ini("scrolling's keys, odd values",
                       Section("Scroll_Mode=-2147483648\r\nScroll_Pause=99999999999\r\nFade_Edges=-5\r\n"), nullptr,
                       ExpectSaved({{"Scroll_Mode", "0"}, {"Scroll_Pause", "60000"}, {"Fade_Edges", "0"}})));
    Row bounce = Ini("back and forth with no pause and soft edges wider than the window",
                     Section("Scroll_Mode=1\r\nScroll_Pause=-1\r\nFade_Edges=99999\r\nScroll_Step=2147483647\r\n"),
                     nullptr, ExpectSaved({{"Scroll_Mode", "1"}, {"Scroll_Pause", "0"}, {"Fade_Edges", "99999"}}));
    bounce.title = kLongTitle;
    rows.push_back(bounce);
    rows.push_back(Ini("TopMost and TitleFile, odd values", Section("TopMost=-2147483648\r\nTitleFile=12abc\r\n"),
                       [](HostPlayer& p, HWND title) {
                           EXPECT_NE(GetWindowLongA(title, GWL_EXSTYLE) & WS_EX_TOPMOST, 0) << "not on top";
                           EXPECT_NE(FileBytes(p.plugin.folder + "nowplaying.txt"), "") << "no title file";
                       },
                       ExpectSaved({{"TopMost", "1"}, {"TitleFile", "1"}})));
    rows.push_back(Ini("TitleFormat of 5000 characters", Section("TitleFormat=" + std::string(5000, '[') + "\r\n"),
                       nullptr, [](const std::string& ini) {
                           char text[1024] = "";
                           GetPrivateProfileStringA(kSection, "TitleFormat", "", text, sizeof text, ini.c_str());
                           EXPECT_EQ(std::string(text), std::string(255, '[')) << "cut to 255 characters";
                       }));
    {
        // A host answering 1 to everything, then one answering pointers
        // into nowhere with a version of the player's.
        const std::string odd = "TitleFile=1\r\nTitleFormat=\"%%%[%]]%unknown%[[%title% \"\r\n";
        for (LRESULT pointer : {(LRESULT)1, (LRESULT)0x7FFF0000}) {
            Row r = Ini("TitleFormat's odd fields, odd answers", Section(odd),
                        [](HostPlayer& p, HWND) {
                            EXPECT_EQ(FileBytes(p.plugin.folder + "nowplaying.txt"), "%%%]%unknown%[[Song");
                        },
                        ExpectSaved({{"TitleFormat", "%%%[%]]%unknown%[[%title% "}}));
            r.prepare = [pointer](HostPlayer& p) {
                p.answer = [pointer](WPARAM, LPARAM id) { return id == 0 && pointer != 1 ? (LRESULT)0x5091 : pointer; };
            };
            rows.push_back(r);
        }
    }
    const RunningCheck shownAndThrough = [](HostPlayer&, HWND title) {
        EXPECT_TRUE(IsWindowVisible(title)) << "a choice outside the three hides it";
        EXPECT_EQ(GetWindowLongA(title, GWL_EXSTYLE) & WS_EX_TRANSPARENT, WS_EX_TRANSPARENT);
    };
    rows.push_back(Ini("when it shows and click-through, odd values",
                       Section("Show=3\r\nShowSeconds=-5\r\nClickThrough=-2147483648\r\n"), shownAndThrough,
                       ExpectSaved({{"Show", "0"}, {"ShowSeconds", "1"}, {"ClickThrough", "1"}})));
    rows.push_back(Ini("when it shows and click-through, odder values",
                       Section("Show=-2147483648\r\nShowSeconds=99999999999\r\nClickThrough=12abc\r\n"),
                       shownAndThrough, ExpectSaved({{"Show", "0"}, {"ClickThrough", "1"}})));
    rows.push_back(Ini("equals and quotes in the face name", Section("FaceName=a=b\r\nOther=\"quoted\"\r\n"), nullptr,
                       ExpectSaved({{"FaceName", "a=b"}})));
    return rows;
}

TEST(Hostile, SettingsFiles) {
    for (const Row& row : IniRows()) RunRow(row);
}

// ---- titles ----

enum Ink { kBlank, kText, kEither };

std::string Repeat(const std::string& piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

Row TitleRow(const std::string& label, const std::string& title, Ink ink) {
    Row r;
    r.label = label;
    r.hasFile = false;
    r.title = title;
    r.running = [ink](HostPlayer&, HWND window) {
        const int shown = InkPixels(window, RGB(0, 0, 0));
        if (ink == kBlank) {
            EXPECT_EQ(shown, 0) << "nothing to show: blank";
        } else if (ink == kText) {
            EXPECT_GT(shown, 0) << "some text shown";
        }
    };
    return r;
}

std::string UpperHalf() {
    std::string s;
    for (int c = 0x80; c <= 0xFF; ++c) s += (char)c;
    return s;
}

TEST(Hostile, Titles) {
    const Row rows[] = {
        TitleRow("empty title", "", kEither),
        TitleRow("one character", "x", kBlank),
        TitleRow("one dash", "-", kBlank),
        TitleRow("510 characters, the last a dash", std::string(509, 'x') + "-", kText),
        TitleRow("511 characters, the dash beyond what is read", std::string(510, 'x') + "-", kBlank),
        TitleRow("5000 characters, an early dash", "a - " + std::string(4996, 'x'), kText),
        TitleRow("5000 characters, the dash beyond what is read", std::string(4999, 'x') + "-", kBlank),
        TitleRow("only dashes", "-------", kText),
        TitleRow("only spaces", "          ", kBlank),
        TitleRow("spaces before a last dash", "   -", kBlank),
        TitleRow("upper-half bytes", UpperHalf() + " - Winamp", kText),
        TitleRow("upper-half bytes after the dash", "Song - " + UpperHalf(), kText),
        TitleRow("a dash at the very end", "Song-", kText),
        TitleRow("a dash at position 0 only", "-Song", kBlank),
        TitleRow("control characters", "\t\x01\x1b\x7f - x", kEither),
        TitleRow("format directives", "%s%n%d%x%s - Winamp", kText),
        TitleRow("emoji beyond the BMP to the limit", "x - " + Repeat("\xF0\x9F\x98\x80", 250) + " - y", kText),
        TitleRow("scripts alternating past the run limit", Repeat("a\xE6\x97\xA5", 250) + " - x", kText),
        TitleRow("right to left to the limit", Repeat("\xD7\xA9\xD7\x9C ", 160) + "- x", kText),
    };
    for (const Row& row : rows) RunRow(row);
}

// ---- window sizes ----

// Resizes the title window on its own thread as a user's drag would, then
// checks that the new outer size is what the stop saves.
Row ResizeRow(const std::string& label, int w, int h, const std::string& ini = "") {
    auto seen = std::make_shared<RECT>();
    Row r;
    r.label = label;
    r.ini = ini;
    r.title = kLongTitle;
    r.running = [=](HostPlayer& player, HWND title) {
        player.OnDisplay([&] { SetWindowPos(title, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE); });
        player.Frame(3);
        GetWindowRect(title, seen.get());
    };
    r.saved = [=](const std::string& file) {
        EXPECT_EQ(SavedText(file, "Screen_w"), std::to_string(seen->right - seen->left));
        EXPECT_EQ(SavedText(file, "Screen_h"), std::to_string(seen->bottom - seen->top));
    };
    return r;
}

TEST(Hostile, WindowSizes) {
    const Row rows[] = {
        ResizeRow("resized to 0 x 0", 0, 0),
        ResizeRow("resized to 1 x 1", 1, 1),
        ResizeRow("resized to 30000 x 64", 30000, 64),
        ResizeRow("resized to 30000 x 30000", 30000, 30000),
        ResizeRow("frameless resized to 0 x 0", 0, 0, Section("Window_style=2\r\n")),
        ResizeRow("frameless resized to 30000 x 1", 30000, 1, Section("Window_style=2\r\n")),
    };
    for (const Row& row : rows) RunRow(row);
}

// ---- dialog entries ----

// Types `text` into both scroll fields and the seconds and clicks OK; the
// scroll values must be saved as `stored`, the seconds held to 1..60 (no
// number: 5, the default, not written), and the display must go on with them.
Row EntryRow(const std::string& label, const std::string& text, int stored) {
    Row r;
    r.label = label;
    r.hasFile = false;
    r.title = kLongTitle;
    r.entries = [text](HWND dialog) {
        SetDlgItemTextA(dialog, 1004, text.c_str());
        SetDlgItemTextA(dialog, 1003, text.c_str());
        SetDlgItemTextA(dialog, 1023, text.c_str());
    };
    const std::string seconds = stored == 0 ? "(missing)" : std::to_string(std::min(std::max(stored, 1), 60));
    r.saved = ExpectSaved({{"Scroll_Step", std::to_string(stored)},
                           {"Scroll_Interval", std::to_string(stored)},
                           {"ShowSeconds", seconds}});
    return r;
}

TEST(Hostile, DialogEntries) {
    const Row rows[] = {
        EntryRow("empty", "", 0),
        EntryRow("spaces only", "     ", 0),
        EntryRow("79 digits", std::string(79, '1'), 2147483647),
        EntryRow("79 characters, the number at the end", std::string(77, ' ') + "12", 12),
        EntryRow("80 characters, the last one beyond what is read", std::string(78, ' ') + "12", 1),
        EntryRow("200 characters", std::string(200, '9'), 2147483647),
        EntryRow("99999999999999999999", "99999999999999999999", 2147483647),
        EntryRow("2147483648", "2147483648", 2147483647),
        EntryRow("-2147483648", "-2147483648", -2147483647 - 1),
        EntryRow("-2147483649", "-2147483649", -2147483647 - 1),
        EntryRow("two signs", "+-5", 0),
        EntryRow("upper-half bytes", "\xB9\xB2\xFF", 0),
        EntryRow("digits then text", " \t-7x9", -7),
    };
    for (const Row& row : rows) RunRow(row);
}

// ---- the marquee's own values, past the stand ----

// Several players run side by side, each with its own copy of the library,
// so one wait past the 2 s stand serves every row.
TEST(Hostile, ScrollValuesPastTheStand) {
    struct ScrollRow {
        const char* label;
        const char* lines;
        bool moves;
    };
    const ScrollRow rows[] = {
        {"interval 0", "Scroll_Interval=0\r\nScroll_Step=1\r\n", false},
        {"interval -5", "Scroll_Interval=-5\r\nScroll_Step=1\r\n", false},
        {"step 0", "Scroll_Interval=10\r\nScroll_Step=0\r\n", false},
        {"step -1", "Scroll_Interval=10\r\nScroll_Step=-1\r\n", false},
        {"step 2147483647 (wraps at once)", "Scroll_Interval=10\r\nScroll_Step=2147483647\r\n", false},
        {"interval -2147483648", "Scroll_Interval=-2147483648\r\nScroll_Step=-2147483648\r\n", false},
        {"step 1 every 10 ms (moves)", "Scroll_Interval=10\r\nScroll_Step=1\r\n", true},
    };
    std::vector<std::unique_ptr<HostPlayer>> players;
    std::vector<std::vector<DWORD>> start;
    int i = 0;
    for (const ScrollRow& row : rows) {
        SCOPED_TRACE(row.label);
        const LONG top = 10 + 140 * i++;
        players.emplace_back(new HostPlayer(kLongTitle.c_str(), Section(row.lines).c_str(), nullptr,
                                            RECT{20, top, 420, top + 60}));
        HostPlayer& p = *players.back();
        ASSERT_EQ(p.Start(), 0);
        p.Frame();
        start.push_back(ClientPixels(p.TitleWindow()));
        ASSERT_FALSE(start.back().empty());
    }
    for (auto& p : players) p->SetAutoFrames(true);
    players.back()->Pump(2600);
    for (auto& p : players) p->SetAutoFrames(false);
    for (size_t k = 0; k < players.size(); ++k) {
        SCOPED_TRACE(rows[k].label);
        HostPlayer& p = *players[k];
        p.Frame();
        HWND title = p.TitleWindow();
        ASSERT_TRUE(IsWindow(title));
        if (rows[k].moves) {
            EXPECT_NE(ClientPixels(title), start[k]) << "the control row scrolls";
        } else {
            EXPECT_EQ(ClientPixels(title), start[k]) << "stays at its start";
        }
    }
    while (!players.empty()) players.pop_back();  // last made, first gone
}

}  // namespace
