// The settings dialog and the About box through the real DLL, driven from a
// helper thread while the configure callback runs its modal loop.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "host_player.h"

namespace {

const char kConfigCaption[] = "configration - Title plugin";
const char kAboutCaption[] = "about title-plugin";
const char kColorCaption[] = "Color";  // Wine's ChooseColorA
const char kFontCaption[] = "Font";    // Wine's ChooseFontA
const char kSection[] = "Title Display (ALPHA)";
const char kSaveFailedCaption[] = "Title Display (ALPHA)";  // the message box when saving fails
const int kWaitMs = 5000;

// Control ids of the settings dialog.
const int kFontButton = 1000, kBackColor = 1001, kAbout = 1002, kInterval = 1003, kStep = 1004, kFaceName = 1005,
          kApply = 1006, kEnabled = 1007, kTextColor = 1008;
// Wine's font picker combo boxes (dlgs.h numbering).
const int kPickerFace = 0x470, kPickerColor = 0x473;

// ---- files ----

// The value of `key` in the plug-in's section, or "<absent>".
std::string IniValue(const std::string& path, const std::string& key) {
    for (const std::string& line : SectionLines(path, kSection))
        if (line.compare(0, key.size() + 1, key + "=") == 0) return line.substr(key.size() + 1);
    return "<absent>";
}

std::string Section(const std::string& body) { return std::string("[") + kSection + "]\r\n" + body; }

// ---- dialogs ----

std::string ItemText(HWND dialog, int id) {
    char text[256] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

bool Checked(HWND dialog, int id) { return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void Click(HWND dialog, int id) { SendMessageA(dialog, WM_COMMAND, (WPARAM)id, 0); }
// For buttons that open a nested modal dialog: the click must not block this thread.
void ClickLater(HWND dialog, int id) { PostMessageA(dialog, WM_COMMAND, (WPARAM)id, 0); }

// Waits while pumping the calling thread's messages: a composition asks the
// main window's thread (the test thread) for the player's title.
void Rest(int ms) { PumpMessages(ms); }

bool WaitGone(HWND window, int ms = kWaitMs) {
    DWORD end = GetTickCount() + (DWORD)ms;
    while (IsWindow(window)) {
        if ((LONG)(GetTickCount() - end) >= 0) return false;
        Rest(10);
    }
    return true;
}

// Runs the settings dialog with `body` driving it from the helper thread.
// The body ends the dialog; whatever it leaves open is cancelled, so a
// failing test cannot hang the modal loop.
void RunDialog(HostPlayer& player, const std::function<void(HWND)>& body) {
    bool opened = false;
    player.Configure([&] {
        HWND dialog = WaitForDialog(kConfigCaption, kWaitMs);
        opened = dialog != nullptr;
        if (!dialog) return;
        body(dialog);
        if (WaitGone(dialog, 2000)) return;
        ADD_FAILURE() << "the settings dialog was left open";
        for (const char* nested : {kColorCaption, kFontCaption, kAboutCaption, kSaveFailedCaption}) {
            for (WPARAM close : {IDCANCEL, IDOK}) {
                HWND w = FindWindowA("#32770", nested);
                if (!w) break;
                PostMessageA(w, WM_COMMAND, close, 0);
                WaitGone(w, 1000);
            }
        }
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_TRUE(opened) << "the settings dialog did not open";
}

// Picks a colour in the picker behind one of the dialog's buttons.
bool PickColour(HWND dialog, int button, COLORREF colour) {
    ClickLater(dialog, button);
    return AnswerColourPicker(colour);
}

// ---- screen ----

// Client area as 0x00RRGGBB values, rows top down.
struct Image {
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    uint32_t at(int x, int y) const { return px[(size_t)y * w + x]; }
    bool operator==(const Image& o) const { return w == o.w && h == o.h && px == o.px; }
    bool operator!=(const Image& o) const { return !(*this == o); }
};

Image Capture(HWND window) {
    Image img;
    RECT r;
    if (!GetClientRect(window, &r) || r.right <= 0 || r.bottom <= 0) return img;
    const std::vector<DWORD> pixels = ClientPixels(window);
    if (pixels.size() != (size_t)r.right * r.bottom) return img;  // resized meanwhile
    img.w = r.right;
    img.h = r.bottom;
    img.px.assign(pixels.begin(), pixels.end());
    return img;
}

uint32_t Rgb(COLORREF c) { return (uint32_t)GetRValue(c) << 16 | (uint32_t)GetGValue(c) << 8 | GetBValue(c); }

int CountColour(const Image& img, COLORREF c) {
    int n = 0;
    for (uint32_t v : img.px) n += v == Rgb(c);
    return n;
}

// How far the marquee moved from `a` to `b`: the smallest s with b[x] ==
// a[x + s] on every row, keeping at least 64 columns of overlap; -1 if none.
int Shift(const Image& a, const Image& b) {
    if (a.w != b.w || a.h != b.h || a.w <= 64) return -1;
    for (int s = 0; s <= a.w - 64; ++s) {
        bool same = true;
        for (int y = 0; y < a.h && same; ++y)
            for (int x = 0; x + s < a.w && same; ++x) same = b.at(x, y) == a.at(x + s, y);
        if (same) return s;
    }
    return -1;
}

// Marquee speed in pixels per second, from consecutive snapshots over `ms`.
double MeasureSpeed(HWND window, int ms) {
    long long distance = 0, elapsed = 0;
    DWORD end = GetTickCount() + (DWORD)ms;
    Image prev = Capture(window);
    DWORD prevAt = GetTickCount();
    while ((LONG)(GetTickCount() - end) < 0) {
        Rest(30);
        Image cur = Capture(window);
        DWORD curAt = GetTickCount();
        int s = Shift(prev, cur);
        if (s >= 0) {  // a wrap or a torn snapshot matches nothing and is left out
            distance += s;
            elapsed += (LONG)(curAt - prevAt);
        }
        prev = cur;
        prevAt = curAt;
    }
    return elapsed > 0 ? distance * 1000.0 / elapsed : -1;
}

bool WaitForImage(HWND window, const std::function<bool(const Image&)>& test, int ms) {
    DWORD end = GetTickCount() + (DWORD)ms;
    do {
        if (test(Capture(window))) return true;
        Rest(10);
    } while ((LONG)(GetTickCount() - end) < 0);
    return false;
}

void RestUntil(DWORD when) {
    LONG left = (LONG)(when - GetTickCount());
    if (left > 0) Rest((int)left);
}

// A composition from the values in memory, not the file: the window's size
// changes, which recomposes at once on the display thread.
void NudgeSize(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    static int delta = 1;
    delta = -delta;
    SetWindowPos(window, nullptr, 0, 0, r.right - r.left + delta, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---- opening ----

struct OpenCase {
    const char* label;
    const char* ini;  // nullptr: no file
    const char* face;
    bool enabled;
    const char* step;
    const char* interval;
};

TEST(ConfigDialog, OpensWithTheFileValues) {
    const std::string longFace(40, 'F');
    const std::string longIni = Section("FaceName=" + longFace + "\r\nScroll_Step=-4\r\nScroll_Interval=0\r\n");
    const std::string face31(31, 'F');
    const OpenCase cases[] = {
        {"all keys", "[Title Display (ALPHA)]\r\nFaceName=Courier New\r\nScroll_Step=3\r\nScroll_Interval=45\r\n"
                     "Scroll_Enabled=0\r\n",
         "Courier New", false, "3", "45"},
        {"no keys", "[Title Display (ALPHA)]\r\n", "", true, "1", "20"},
        {"no file", nullptr, "", true, "1", "20"},
        {"long face, odd numbers", longIni.c_str(), face31.c_str(), true, "-4", "0"},
        {"the look's keys", "[Title Display (ALPHA)]\r\nTransparent=1\r\nOutline=9\r\nOutlineColor=-5\r\n", "", true,
         "1", "20"},
    };
    for (const OpenCase& c : cases) {
        for (bool running : {false, true}) {
            SCOPED_TRACE(std::string(c.label) + (running ? ", display running" : ", display stopped"));
            HostPlayer player("1. Artist - Song - Winamp", c.ini);
            if (running) {
                ASSERT_EQ(player.Start(), 0);
            }
            const std::string before = FileBytes(player.plugin.iniPath);
            RunDialog(player, [&](HWND dlg) {
                EXPECT_EQ(ItemText(dlg, kFaceName), c.face);
                EXPECT_EQ(Checked(dlg, kEnabled), c.enabled);
                EXPECT_EQ(ItemText(dlg, kStep), c.step);
                EXPECT_EQ(ItemText(dlg, kInterval), c.interval);
                EXPECT_EQ(GetWindow(dlg, GW_OWNER), player.main);
                Click(dlg, IDCANCEL);
            });
            EXPECT_EQ(FileBytes(player.plugin.iniPath), before) << "Cancel writes nothing";
        }
    }
}

TEST(ConfigDialog, CentredOnTheDesktopAndTopmost) {
    HostPlayer player;
    RECT desktop, box = {};
    LONG exStyle = 0;
    GetWindowRect(GetDesktopWindow(), &desktop);
    RunDialog(player, [&](HWND dlg) {
        GetWindowRect(dlg, &box);
        exStyle = GetWindowLongA(dlg, GWL_EXSTYLE);
        Click(dlg, IDCANCEL);
    });
    const int dw = desktop.right - desktop.left, dh = desktop.bottom - desktop.top;
    const int w = box.right - box.left, h = box.bottom - box.top;
    EXPECT_GT(w, 0);
    EXPECT_EQ(box.left, dw / 2 - w / 2);
    EXPECT_EQ(box.top, dh / 2 - h / 2);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
}

// ---- Apply ----

TEST(ConfigDialog, ApplyWhileRunningSavesAndRecomposesFromTheFile) {
    // The file's background changes behind the running display; the dialog
    // loads it, and only Apply's redraw request puts it on screen.
    const COLORREF before = RGB(0, 0, 128), after = RGB(0, 160, 0);
    HostPlayer player("ab - Winamp", Section("BkColor=" + std::to_string(before) + "\r\n").c_str());
    ASSERT_EQ(player.Start(), 0);
    player.SetAutoFrames(true);
    HWND title = player.TitleWindow();
    ASSERT_NE(title, nullptr);
    ASSERT_TRUE(WaitForImage(title, [&](const Image& i) { return i.w > 0 && i.at(2, 2) == Rgb(before); }, kWaitMs));
    WritePrivateProfileStringA(kSection, "BkColor", std::to_string(after).c_str(), player.plugin.iniPath.c_str());

    RunDialog(player, [&](HWND dlg) {
        Rest(300);
        EXPECT_EQ(Capture(title).at(2, 2), Rgb(before)) << "nothing recomposes before Apply";
        SetDlgItemTextA(dlg, kStep, "5");
        SetDlgItemTextA(dlg, kInterval, "10");
        Click(dlg, kApply);
        EXPECT_EQ(IniValue(player.plugin.iniPath, "Scroll_Step"), "5");
        EXPECT_EQ(IniValue(player.plugin.iniPath, "Scroll_Interval"), "10");
        EXPECT_EQ(IniValue(player.plugin.iniPath, "BkColor"), std::to_string(after));
        EXPECT_TRUE(WaitForImage(title, [&](const Image& i) { return i.at(2, 2) == Rgb(after); }, kWaitMs))
            << "Apply's redraw shows the file's background while the dialog is open";
        Click(dlg, IDCANCEL);
    });
    // Cancel reloads the file, which now holds what Apply saved.
    EXPECT_EQ(IniValue(player.plugin.iniPath, "Scroll_Step"), "5");
    EXPECT_EQ(IniValue(player.plugin.iniPath, "Scroll_Interval"), "10");
}

TEST(ConfigDialog, ApplyWhileRunningRestartsTheMarqueeAtTheNewSpeed) {
    // Far wider than the window, so it scrolls, and no repeating run of letters.
    HostPlayer player(
        "1. Quick zephyrs blow, vexing daft Jim; a wizard's job is to vex chumps quickly in fog; "
        "Sphinx of black quartz, judge my vow 0123456789 - Winamp",
        Section("Scroll_Step=1\r\nScroll_Interval=20\r\nScroll_Enabled=1\r\n").c_str());
    ASSERT_EQ(player.Start(), 0);
    player.SetAutoFrames(true);
    HWND title = player.TitleWindow();
    ASSERT_NE(title, nullptr);
    Rest(500);  // composed, still in its stand
    const Image start = Capture(title);
    ASSERT_GT(start.w, 64);
    ASSERT_NE(CountColour(start, RGB(0, 0, 0)), start.w * start.h) << "the title is on screen";
    ASSERT_TRUE(WaitForImage(title, [&](const Image& i) { return i != start; }, kWaitMs)) << "it scrolls";
    const double oldSpeed = MeasureSpeed(title, 600);  // 1 px per 20 ms: 50 px/s
    EXPECT_GT(oldSpeed, 20);
    EXPECT_LT(oldSpeed, 125);

    double newSpeed = -1;
    RunDialog(player, [&](HWND dlg) {
        SetDlgItemTextA(dlg, kStep, "5");
        SetDlgItemTextA(dlg, kInterval, "10");
        Click(dlg, kApply);
        EXPECT_EQ(IniValue(player.plugin.iniPath, "Scroll_Step"), "5");
        EXPECT_EQ(IniValue(player.plugin.iniPath, "Scroll_Interval"), "10");
        bool restarted = WaitForImage(title, [&](const Image& i) { return i == start; }, 1500);
        const DWORD restartedAt = GetTickCount();
        EXPECT_TRUE(restarted) << "the marquee shows its start again";
        if (restarted) {
            RestUntil(restartedAt + 1000);
            EXPECT_EQ(Capture(title), start) << "it stands for 2000 ms first";
            RestUntil(restartedAt + 2500);
            newSpeed = MeasureSpeed(title, 800);  // 5 px per 10 ms: 500 px/s
        }
        Click(dlg, IDOK);
    });
    EXPECT_GT(newSpeed, 250);
    EXPECT_LT(newSpeed, 1000);
}

struct StoppedCase {
    const char* label;
    bool ranBefore;
};

TEST(ConfigDialog, ApplyWhileStoppedWritesNothingAndOkSaves) {
    for (const StoppedCase& c : {StoppedCase{"never started", false}, StoppedCase{"after a run", true}}) {
        SCOPED_TRACE(c.label);
        HostPlayer player("1. Artist - Song - Winamp", Section("Scroll_Step=2\r\nScroll_Interval=30\r\n").c_str());
        if (c.ranBefore) {
            ASSERT_EQ(player.Start(), 0);
            player.Frame();
            player.Stop();
        }
        const std::string before = FileBytes(player.plugin.iniPath);
        std::string afterApply;
        RunDialog(player, [&](HWND dlg) {
            SetDlgItemTextA(dlg, kStep, "5");
            SetDlgItemTextA(dlg, kInterval, "10");
            SendDlgItemMessageA(dlg, kEnabled, BM_SETCHECK, BST_UNCHECKED, 0);
            Click(dlg, kApply);
            afterApply = FileBytes(player.plugin.iniPath);
            EXPECT_TRUE(IsWindow(dlg)) << "Apply keeps the dialog open";
            Click(dlg, IDOK);
        });
        EXPECT_EQ(afterApply, before) << "Apply without a title window writes nothing";
        EXPECT_EQ(IniValue(player.plugin.iniPath, "Scroll_Step"), "5");
        EXPECT_EQ(IniValue(player.plugin.iniPath, "Scroll_Interval"), "10");
        EXPECT_EQ(IniValue(player.plugin.iniPath, "Scroll_Enabled"), "0");
    }
}

TEST(ConfigDialog, ApplyAfterTheUserClosedTheTitleWindowWritesNothing) {
    HostPlayer player("1. Artist - Song - Winamp", Section("Scroll_Step=2\r\nScroll_Interval=30\r\n").c_str());
    ASSERT_EQ(player.Start(), 0);
    player.Frame();
    HWND title = player.TitleWindow();
    ASSERT_NE(title, nullptr);
    SendMessageA(title, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitGone(title));
    const std::string before = FileBytes(player.plugin.iniPath);
    std::string afterApply;
    RunDialog(player, [&](HWND dlg) {
        SetDlgItemTextA(dlg, kStep, "5");
        SetDlgItemTextA(dlg, kInterval, "10");
        Click(dlg, kApply);
        afterApply = FileBytes(player.plugin.iniPath);
        Click(dlg, IDCANCEL);
    });
    EXPECT_EQ(afterApply, before);
    EXPECT_EQ(FileBytes(player.plugin.iniPath), before);
    player.Frame(3);  // the display goes on with a closed window
    player.Stop();
    EXPECT_EQ(IniValue(player.plugin.iniPath, "Scroll_Step"), "2");
}

// ---- pickers ----

struct PickCase {
    const char* label;
    int button;
    bool background;   // which colour the button edits
    int close;         // IDOK or IDCANCEL
    bool titleChange;  // the player's title changes while the dialog is open
};

TEST(ConfigDialog, PickedColourIsKeptOnOkAndUndoneOnCancel) {
    const COLORREF fileText = RGB(0, 255, 0), fileBack = RGB(0, 0, 128), red = RGB(255, 0, 0);
    const std::string ini =
        Section("Color=" + std::to_string(fileText) + "\r\nBkColor=" + std::to_string(fileBack) + "\r\n");
    const PickCase cases[] = {
        {"back colour, Cancel", kBackColor, true, IDCANCEL, false},
        {"text colour, Cancel", kTextColor, false, IDCANCEL, false},
        {"back colour, OK", kBackColor, true, IDOK, false},
        {"text colour, OK", kTextColor, false, IDOK, false},
        {"text colour, title change, OK", kTextColor, false, IDOK, true},
        {"back colour, title change, OK", kBackColor, true, IDOK, true},
        {"back colour, title change, Cancel", kBackColor, true, IDCANCEL, true},
    };
    for (const PickCase& c : cases) {
        SCOPED_TRACE(c.label);
        HostPlayer player("ab - Winamp", ini.c_str());
        ASSERT_EQ(player.Start(), 0);
        player.Frame();
        HWND title = player.TitleWindow();
        ASSERT_NE(title, nullptr);
        const std::string before = FileBytes(player.plugin.iniPath);
        // What a composition from memory shows of the colour being edited.
        auto shows = [&](COLORREF colour) {
            Image img = Capture(title);
            if (img.w <= 0) return false;
            return c.background ? img.at(2, 2) == Rgb(colour) : CountColour(img, colour) > 20;
        };
        ASSERT_TRUE(shows(c.background ? fileBack : fileText));

        RunDialog(player, [&](HWND dlg) {
            EXPECT_TRUE(PickColour(dlg, c.button, red));
            NudgeSize(title);
            EXPECT_TRUE(shows(red)) << "the pick takes effect in memory at once";
            if (c.titleChange) {
                const Image shown = Capture(title);
                player.SetTitle("cd - Winamp");
                player.Frame();
                EXPECT_NE(Capture(title), shown) << "the new title is composed";
                EXPECT_TRUE(shows(red)) << "and the pick stays";
            }
            EXPECT_EQ(FileBytes(player.plugin.iniPath), before) << "but reaches the file only on OK";
            Click(dlg, c.close);
        });
        NudgeSize(title);
        if (c.close == IDCANCEL) {
            EXPECT_EQ(FileBytes(player.plugin.iniPath), before);
            EXPECT_TRUE(shows(c.background ? fileBack : fileText)) << "memory is back at the file's colour";
            EXPECT_FALSE(shows(red));
        } else {
            EXPECT_EQ(IniValue(player.plugin.iniPath, c.background ? "BkColor" : "Color"), std::to_string(red));
            EXPECT_EQ(IniValue(player.plugin.iniPath, c.background ? "Color" : "BkColor"),
                      std::to_string(c.background ? fileText : fileBack));
            EXPECT_TRUE(shows(red));
        }
    }
}

struct FontCase {
    const char* label;
    bool confirm;
    bool moveWhileOpen;  // the display runs and its window is moved while the picker is open
};

TEST(ConfigDialog, FontPickerNeverChangesTheTextColour) {
    const COLORREF fileText = RGB(0x99, 0x66, 0x33);
    const std::string ini = Section("FaceName=DejaVu Sans\r\nColor=" + std::to_string(fileText) + "\r\n");
    const FontCase cases[] = {
        {"picker confirmed", true, false},
        {"picker cancelled", false, false},
        {"picker confirmed, window moved while it is open", true, true},
    };
    for (const FontCase& c : cases) {
        SCOPED_TRACE(c.label);
        const bool confirm = c.confirm;
        HostPlayer player("1. Artist - Song - Winamp", ini.c_str());
        HWND title = nullptr;
        if (c.moveWhileOpen) {
            ASSERT_EQ(player.Start(), 0);
            player.Frame();
            title = player.TitleWindow();
            ASSERT_NE(title, nullptr);
            ASSERT_GT(CountColour(Capture(title), fileText), 20) << "the title is drawn in the file's colour";
        }
        std::string chosen, label;
        LRESULT startColour = -1;
        RunDialog(player, [&](HWND dlg) {
            EXPECT_EQ(ItemText(dlg, kFaceName), "DejaVu Sans");
            ClickLater(dlg, kFontButton);
            HWND picker = WaitForDialog(kFontCaption);
            EXPECT_NE(picker, nullptr);
            if (!picker) return;
            HWND colours = GetDlgItem(picker, kPickerColor);
            startColour = SendMessageA(colours, CB_GETITEMDATA, SendMessageA(colours, CB_GETCURSEL, 0, 0), 0);
            // Another face and a red colour box, as the user would choose them.
            HWND faces = GetDlgItem(picker, kPickerFace);
            const int count = (int)SendMessageA(faces, CB_GETCOUNT, 0, 0);
            for (int i = 0; i < count && chosen.empty(); ++i) {
                char name[LF_FACESIZE + 32] = "";
                SendMessageA(faces, CB_GETLBTEXT, i, (LPARAM)name);
                if (lstrcmpA(name, "DejaVu Sans") != 0) {
                    chosen = name;
                    SendMessageA(faces, CB_SETCURSEL, i, 0);
                    SendMessageA(picker, WM_COMMAND, MAKEWPARAM(kPickerFace, CBN_SELCHANGE), (LPARAM)faces);
                }
            }
            const int colourCount = (int)SendMessageA(colours, CB_GETCOUNT, 0, 0);
            for (int i = 0; i < colourCount; ++i)
                if (SendMessageA(colours, CB_GETITEMDATA, i, 0) == (LRESULT)RGB(255, 0, 0)) {
                    SendMessageA(colours, CB_SETCURSEL, i, 0);
                    SendMessageA(picker, WM_COMMAND, MAKEWPARAM(kPickerColor, CBN_SELCHANGE), (LPARAM)colours);
                }
            if (title) {
                // A move recomposes from memory while the picker runs.
                RECT r;
                GetWindowRect(title, &r);
                SetWindowPos(title, nullptr, r.left + 30, r.top + 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
                Rest(100);
                EXPECT_GT(CountColour(Capture(title), fileText), 20) << "the text keeps its colour";
            }
            Click(picker, confirm ? IDOK : IDCANCEL);
            EXPECT_TRUE(WaitGone(picker));
            label = ItemText(dlg, kFaceName);
            Click(dlg, IDOK);
        });
        EXPECT_EQ(startColour, 0) << "the picker's colour box starts black";
        ASSERT_FALSE(chosen.empty()) << "the picker offers a second face";
        const std::string face = confirm ? chosen : "DejaVu Sans";
        EXPECT_EQ(label, face);
        EXPECT_EQ(IniValue(player.plugin.iniPath, "FaceName"), face);
        EXPECT_EQ(IniValue(player.plugin.iniPath, "Color"), std::to_string(fileText));
    }
}

// ---- where the settings live ----

enum Beside { kWritable, kFolder, kReadOnly };

// Makes plugin.ini beside the library unwritable the way the row asks: a
// folder in its place (a read-only one is the player's folder, made so as
// it is constructed: ReadOnlyBeside).
struct Blocked {
    Blocked(const std::string& ini, Beside beside) {
        if (beside == kFolder) {
            EXPECT_TRUE(CreateDirectoryA(ini.c_str(), nullptr)) << ini;
        }
    }
};

struct OutliveCase {
    const char* label;
    Beside beside;
    bool playerFolder;  // the player answers 335 with a folder of its own
};

TEST(ConfigDialog, SettingsOutliveTheLibraryWhereverTheyLive) {
    const char kTitle[] = "1. Artist - Song - Winamp";
    // A placement beside the player's window (100,100 - 500,220) would hide a lost one.
    const std::string stored =
        Section("Screen_x=321\r\nScreen_y=123\r\nScreen_w=300\r\nScreen_h=50\r\nScroll_Step=4\r\nScroll_Interval=33\r\n");
    const OutliveCase cases[] = {
        {"writable plugin.ini", kWritable, false},
        {"plugin.ini a folder", kFolder, false},
        {"plugin.ini a folder, the player names its folder", kFolder, true},
        {"read-only plugin.ini", kReadOnly, false},
        {"read-only plugin.ini, the player names its folder", kReadOnly, true},
    };
    const std::string playerFolder = MakeTempFolder();
    for (const OutliveCase& c : cases) {
        SCOPED_TRACE(c.label);
        RemoveUserSettings();
        RemoveTree(playerFolder + "Plugins");
        const bool hasFile = c.beside != kFolder;
        // A read-only file's placement is kept; elsewhere the window is moved
        // and its place at the stop must come back.
        const POINT place = c.beside == kReadOnly ? POINT{321, 123} : POINT{150, 400};
        const std::string perUser = c.playerFolder ? playerFolder + "Plugins\\plugin.ini" : UserSettingsFile();
        for (int load = 1; load <= 2; ++load) {
            SCOPED_TRACE(load == 1 ? "first load" : "loaded again");
            ReadOnlyBeside readOnly(c.beside == kReadOnly);
            HostPlayer player(kTitle, hasFile ? stored.c_str() : nullptr);
            if (c.playerFolder) player.settingsFolder = playerFolder.c_str();
            Blocked blocked(player.plugin.iniPath, c.beside);
            ASSERT_EQ(player.Start(), 0);
            player.Frame();
            HWND title = player.TitleWindow();
            ASSERT_NE(title, nullptr);
            RECT r = {};
            GetWindowRect(title, &r);
            if (load == 2) {
                EXPECT_EQ(r.left, place.x);
                EXPECT_EQ(r.top, place.y);
            } else if (hasFile) {
                EXPECT_EQ(r.left, 321) << "the file's placement is read";
                EXPECT_EQ(r.top, 123);
            }
            RunDialog(player, [&](HWND dlg) {
                EXPECT_EQ(ItemText(dlg, kStep), load == 2 ? "6" : hasFile ? "4" : "1");
                EXPECT_EQ(ItemText(dlg, kInterval), load == 2 ? "60" : hasFile ? "33" : "20");
                SetDlgItemTextA(dlg, kStep, "6");
                SetDlgItemTextA(dlg, kInterval, "60");
                Click(dlg, IDOK);
            });
            EXPECT_EQ(FindWindowA("#32770", kSaveFailedCaption), nullptr) << "no failure to report";
            if (load == 1 && c.beside != kReadOnly)
                player.OnDisplay([&] { SetWindowPos(title, nullptr, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER); });
            player.Stop();

            const std::string file = c.beside == kWritable ? player.plugin.iniPath : perUser;
            EXPECT_EQ(IniValue(file, "Scroll_Step"), "6");
            EXPECT_EQ(IniValue(file, "Scroll_Interval"), "60");
            EXPECT_EQ(IniValue(file, "Screen_x"), std::to_string(place.x));
            EXPECT_EQ(IniValue(file, "Screen_y"), std::to_string(place.y));
            if (c.beside == kReadOnly) {
                EXPECT_EQ(FileBytes(player.plugin.iniPath), stored) << "the read-only file is left alone";
            }
            if (c.beside == kWritable) {
                EXPECT_FALSE(FileExists(UserSettingsFile())) << "no per-user copy is made";
                EXPECT_FALSE(FileExists(playerFolder + "Plugins"));
                break;  // its file goes with the library's folder
            }
            if (!c.playerFolder) {
                EXPECT_FALSE(FileExists(playerFolder + "Plugins"));
            }
        }
    }
    RemoveUserSettings();
    RemoveTree(playerFolder);
}

struct FailedSaveCase {
    const char* label;
    bool applyFirst;
    bool held = false;         // plugin.ini is writable but another program holds it throughout
    bool cancelAgain = false;  // then the dialog is opened again and cancelled
};

TEST(ConfigDialog, SaveThatFailsIsToldOnceAndKeptOnScreen) {
    const COLORREF red = RGB(255, 0, 0);
    const FailedSaveCase cases[] = {
        {"OK", false},
        {"Apply, then OK", true},
        {"held by another program, OK", false, true},
        {"OK, then opened again and cancelled", false, false, true},
    };
    for (const FailedSaveCase& c : cases) {
        SCOPED_TRACE(c.label);
        RemoveUserSettings();
        HostPlayer player("ab - Winamp", c.held ? Section("Scroll_Step=4\r\n").c_str() : nullptr);
        // Neither beside the library nor per user can anything be written.
        Blocked beside(player.plugin.iniPath, c.held ? kWritable : kFolder);
        CreateDirectoryA(UserSettingsFolder().c_str(), nullptr);
        Blocked perUser(UserSettingsFile(), c.held ? kWritable : kFolder);
        ASSERT_EQ(player.Start(), 0);
        // Held from once its place is settled: the save waits a moment, then fails.
        HANDLE held = c.held ? HoldReadOnly(player.plugin.iniPath) : INVALID_HANDLE_VALUE;
        const std::vector<std::string> names = FolderNames(player.plugin.folder);
        player.SetAutoFrames(true);
        HWND title = player.TitleWindow();
        ASSERT_NE(title, nullptr);

        int told = 0;
        HWND owner = nullptr, dialog = nullptr;
        std::string text;
        RunDialog(player, [&](HWND dlg) {
            dialog = dlg;
            EXPECT_TRUE(PickColour(dlg, kBackColor, red));
            auto answer = [&] {
                HWND box = WaitForDialog(kSaveFailedCaption, 2000);
                if (!box) return;
                ++told;
                owner = GetWindow(box, GW_OWNER);
                text = ItemText(box, 0xFFFF);  // the message box's text
                PostMessageA(box, WM_COMMAND, IDOK, 0);
                WaitGone(box);
            };
            if (c.applyFirst) {
                ClickLater(dlg, kApply);
                answer();
                Rest(100);
                EXPECT_TRUE(IsWindow(dlg)) << "Apply keeps the dialog open";
                ClickLater(dlg, IDOK);
            } else {
                ClickLater(dlg, IDOK);
                answer();
            }
        });
        EXPECT_EQ(told, 1);
        EXPECT_EQ(owner, dialog) << "owned by the settings dialog";
        EXPECT_NE(text.find("could not be saved"), std::string::npos) << text;
        EXPECT_NE(text.find(player.plugin.iniPath), std::string::npos) << "names where they were meant to go: " << text;
        EXPECT_EQ(FindWindowA("#32770", kSaveFailedCaption), nullptr);
        if (c.cancelAgain) {
            // The message promised the choices stay in effect: Cancel keeps them.
            RunDialog(player, [&](HWND dlg) { Click(dlg, IDCANCEL); });
        }

        // A requested composition (the title changes) keeps the chosen colour.
        const Image before = Capture(title);
        player.SetTitle("cd - Winamp");
        EXPECT_TRUE(WaitForImage(title, [&](const Image& i) { return i.w > 0 && i != before; }, kWaitMs));
        Rest(300);
        const Image after = Capture(title);
        ASSERT_GT(after.w, 2);
        EXPECT_EQ(after.at(2, 2), Rgb(red)) << "the display keeps the chosen background";
        player.SetAutoFrames(false);
        player.Stop();
        if (held != INVALID_HANDLE_VALUE) {
            CloseHandle(held);
            EXPECT_EQ(IniValue(player.plugin.iniPath, "Scroll_Step"), "4") << "nothing was saved";
            EXPECT_EQ(FolderNames(player.plugin.folder), names) << "nor put in another file beside it";
            EXPECT_EQ(FolderNames(UserSettingsFolder()), std::vector<std::string>{}) << "nor per user";
        }
    }
    RemoveUserSettings();
}

// ---- the scroll entries ----

struct EntryCase {
    const char* label;
    std::string text;
    int value;
};

TEST(ConfigDialog, ScrollEntriesReadAsDecimal) {
    const EntryCase cases[] = {
        {"digits then letters", "12abc", 12},
        {"letters", "abc", 0},
        {"negative", "-7", -7},
        {"empty", "", 0},
        {"plus sign", "+3", 3},
        {"leading blanks", "  7", 7},
        {"hexadecimal prefix", "0x10", 0},
        {"79 characters, read whole", std::string(77, '0') + "42", 42},
        {"80 characters, the last cut", std::string(78, '0') + "42", 4},
        {"79 blanks and digits", std::string(76, ' ') + "123", 123},
        {"beyond 32 bits", "99999999999", INT_MAX},
        {"beyond 32 bits, negative", "-99999999999", INT_MIN},
        {"79 nines", std::string(79, '9'), INT_MAX},
    };
    HostPlayer player;
    for (const EntryCase& c : cases) {
        SCOPED_TRACE(c.label);
        RunDialog(player, [&](HWND dlg) {
            SetDlgItemTextA(dlg, kStep, c.text.c_str());
            SetDlgItemTextA(dlg, kInterval, c.text.c_str());
            EXPECT_EQ(ItemText(dlg, kStep).size(), c.text.size()) << "the edit holds the whole entry";
            Click(dlg, IDOK);
        });
        EXPECT_EQ(IniValue(player.plugin.iniPath, "Scroll_Step"), std::to_string(c.value));
        EXPECT_EQ(IniValue(player.plugin.iniPath, "Scroll_Interval"), std::to_string(c.value));
    }
}

// ---- the About box ----

struct AboutCase {
    const char* label;
    bool running;
    UINT message;
    WPARAM wParam;
};

std::string StaticText(HWND dialog) {
    struct Find {
        std::string text;
        static BOOL CALLBACK Each(HWND w, LPARAM p) {
            char cls[32] = "";
            GetClassNameA(w, cls, sizeof cls);
            if (lstrcmpiA(cls, "Static") != 0) return TRUE;
            char text[512] = "";
            GetWindowTextA(w, text, sizeof text);
            ((Find*)p)->text = text;
            return FALSE;
        }
    } f;
    EnumChildWindows(dialog, Find::Each, (LPARAM)&f);
    return f.text;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

TEST(AboutBox, OpensInBothStatesAndChangesNothing) {
    const AboutCase cases[] = {
        {"stopped, OK", false, WM_COMMAND, IDOK},
        {"stopped, cancel command", false, WM_COMMAND, IDCANCEL},
        {"running, OK", true, WM_COMMAND, IDOK},
        {"running, cancel command", true, WM_COMMAND, IDCANCEL},
        {"running, closed from its system menu", true, WM_CLOSE, 0},
    };
    const std::string ini = Section("FaceName=DejaVu Sans\r\nScroll_Step=3\r\nScroll_Interval=40\r\nColor=255\r\n");
    for (const AboutCase& c : cases) {
        SCOPED_TRACE(c.label);
        HostPlayer player("1. Artist - Song - Winamp", ini.c_str());
        if (c.running) {
            ASSERT_EQ(player.Start(), 0);
        }
        const std::string before = FileBytes(player.plugin.iniPath);
        std::vector<std::string> lines;
        RunDialog(player, [&](HWND dlg) {
            SetDlgItemTextA(dlg, kStep, "33");  // typed, not yet read
            auto fields = [&] {
                return ItemText(dlg, kFaceName) + "|" + ItemText(dlg, kStep) + "|" + ItemText(dlg, kInterval) + "|" +
                       (Checked(dlg, kEnabled) ? "on" : "off");
            };
            const std::string shown = fields();
            ClickLater(dlg, kAbout);
            HWND about = WaitForDialog(kAboutCaption);
            EXPECT_NE(about, nullptr);
            if (!about) return;
            EXPECT_EQ(GetWindow(about, GW_OWNER), dlg);
            lines = Lines(StaticText(about));
            SendMessageA(about, c.message, c.wParam, 0);
            EXPECT_TRUE(WaitGone(about));
            EXPECT_TRUE(IsWindowVisible(dlg)) << "the settings dialog stays open";
            EXPECT_EQ(fields(), shown);
            EXPECT_EQ(FileBytes(player.plugin.iniPath), before);
            Click(dlg, IDCANCEL);
        });
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[0], "windowed title plugin for Winamp");
        EXPECT_EQ(lines[1], "version 0.8.0");
        EXPECT_EQ(FileBytes(player.plugin.iniPath), before);
    }
}


TEST(ConfigDialog, TitleFormatIsTakenOnOkAndApplyAndUndoneOnCancel) {
    const std::string ini = Section("TitleFile=1\r\nTitleFormat=%title%\r\n");
    const struct {
        const char* label;
        bool apply;
        int close;
        const char* kept;  // in the file and on screen after
        const char* shown;
    } rows[] = {
        {"OK", false, IDOK, "[%artist%: ]%title%!", "Artist: Song!"},
        {"Apply, then Cancel", true, IDCANCEL, "[%artist%: ]%title%!", "Artist: Song!"},
        {"Cancel", false, IDCANCEL, "%title%", "Song"},
        {"emptied, OK: the caption", false, IDOK, "", "1. Artist - Song"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        HostPlayer player("1. Artist - Song - Winamp", ini.c_str());
        ASSERT_EQ(player.Start(), 0);
        player.Frame();
        const std::string nowPlaying = player.plugin.folder + "nowplaying.txt";
        EXPECT_EQ(FileBytes(nowPlaying), "Song");
        RunDialog(player, [&](HWND dlg) {
            char shown[300] = "";
            GetDlgItemTextA(dlg, 1011, shown, sizeof shown);
            EXPECT_STREQ(shown, "%title%");
            SetDlgItemTextA(dlg, 1011, row.close == IDOK ? row.kept : "[%artist%: ]%title%!");
            if (row.apply) {
                Click(dlg, kApply);
                player.Frame();
                EXPECT_EQ(FileBytes(nowPlaying), row.shown) << "applied at once";
            }
            Click(dlg, row.close);
        });
        player.Frame();
        EXPECT_EQ(IniValue(player.plugin.iniPath, "TitleFormat"), row.kept);
        EXPECT_EQ(FileBytes(nowPlaying), row.shown);
    }
}

}  // namespace

// The speed field: typing a speed sets the step and interval that give it
// (step 1 down to a 25 ms interval, the frames' pace, then larger steps);
// typing either of those shows the speed they give; OK saves what it set.
TEST(ConfigDialog, SpeedFieldSetsStepAndInterval) {
    const int kSpeed = 1040;
    HostPlayer player("1. Artist - Song - Winamp", Section("Scroll_Step=4\r\nScroll_Interval=20\r\n").c_str());
    const struct {
        int id;
        const char* typed;
        const char *step, *interval, *speed;
    } rows[] = {
        {kSpeed, "50", "2", "40", "50"},   {kSpeed, "30", "1", "33", "30"},   {kStep, "3", "3", "33", "91"},
        {kSpeed, "abc", "3", "33", "abc"}, {kInterval, "0", "3", "0", "0"},   {kSpeed, "1000", "25", "25", "1000"},
        {kSpeed, "100", "3", "30", "100"},
    };
    RunDialog(player, [&](HWND dlg) {
        EXPECT_EQ(ItemText(dlg, kSpeed), "200") << "4 px every 20 ms";
        for (const auto& r : rows) {
            SCOPED_TRACE(std::string("typed ") + r.typed);
            SetDlgItemTextA(dlg, r.id, r.typed);
            EXPECT_EQ(ItemText(dlg, kStep), r.step);
            EXPECT_EQ(ItemText(dlg, kInterval), r.interval);
            EXPECT_EQ(ItemText(dlg, kSpeed), r.speed);
        }
        Click(dlg, IDOK);
    });
    EXPECT_EQ(IniValue(player.plugin.iniPath, "Scroll_Step"), "3");
    EXPECT_EQ(IniValue(player.plugin.iniPath, "Scroll_Interval"), "30");
}
