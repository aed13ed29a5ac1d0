// Long runs through the exports: whatever one composition, run, dialog or
// load takes from the process must be given back. GDI objects are counted
// exactly; private memory within a tolerance, since the test's own heap and
// Wine's caches move a little.
#include <gtest/gtest.h>

#include <windows.h>
// after windows.h, which it needs
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <string>

#include "host_player.h"

namespace {

const char kConfigCaption[] = "configration - Title plugin";
const long long kMemoryTolerance = 1 << 20;

// Wine leaves PrivateUsage at 0 but fills PagefileUsage, which Windows
// defines as the same commit charge.
long long PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX pmc = {};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), (PROCESS_MEMORY_COUNTERS*)&pmc, sizeof pmc);
    return (long long)(pmc.PrivateUsage ? pmc.PrivateUsage : pmc.PagefileUsage);
}

// Live GDI objects by kind (OBJ_PEN ... OBJ_COLORSPACE), as CountGdiObjects
// finds them.
std::map<DWORD, int> GdiObjectsByKind() {
    std::map<DWORD, int> kinds;
    for (UINT_PTR i = 1; i <= 0xFFFF; ++i)
        if (DWORD kind = GetObjectType((HGDIOBJ)i)) ++kinds[kind];
    return kinds;
}

int Total(const std::map<DWORD, int>& kinds) {
    int n = 0;
    for (const auto& k : kinds) n += k.second;
    return n;
}

// Counts taken after a warm-up, compared at the end: every kind of GDI
// object exactly, but window DCs and their regions within `dcSlack`. Wine
// keeps released window DCs in a cache that grows, by fits, with how many
// were in use at once; a DC leaked per cycle goes far past any such slack.
struct Baseline {
    explicit Baseline(int dcSlack = 0) : slack(dcSlack) {}
    int slack;
    std::map<DWORD, int> gdi = GdiObjectsByKind();
    long long memory = PrivateBytes();
    DWORD started = GetTickCount();

    void ExpectNothingKept(const char* what) const {
        std::map<DWORD, int> now = GdiObjectsByKind();
        const long long memoryNow = PrivateBytes();
        std::printf("[  soak    ] %s: %lu ms, GDI %d -> %d (window DCs %d -> %d), private %lld -> %lld KiB\n", what,
                    GetTickCount() - started, Total(gdi), Total(now), Lookup(gdi, OBJ_DC), Lookup(now, OBJ_DC),
                    memory / 1024, memoryNow / 1024);
        for (DWORD kind = OBJ_PEN; kind <= OBJ_COLORSPACE; ++kind) {
            const int grown = Lookup(now, kind) - Lookup(gdi, kind);
            if (kind == OBJ_DC || kind == OBJ_REGION) {
                EXPECT_LE(grown, slack) << what << " keeps GDI objects of kind " << kind;
                EXPECT_GE(grown, -slack) << what << " GDI objects of kind " << kind;
            } else {
                EXPECT_EQ(grown, 0) << what << " keeps GDI objects of kind " << kind;
            }
        }
        EXPECT_LE(memoryNow - memory, kMemoryTolerance) << what << " keeps memory";
    }
    static int Lookup(const std::map<DWORD, int>& kinds, DWORD kind) {
        auto it = kinds.find(kind);
        return it == kinds.end() ? 0 : it->second;
    }
};

// The four kinds of title the player shows: short, wider than the window
// (scrolls), nothing before a dash (blank), and bytes of the upper half.
const std::string kTitles[4] = {
    "1. Artist - Song - Winamp",
    "2. " + std::string(300, 'W') + " - Winamp",
    "3_no_dash_at_all",
    "4. \xC4\xD6\xDC\xE9\xF1\xFF\x80\xA9 - \xE4\xF6 - Winamp",
};

// Clicks a button of the settings dialog once it is up, after leaving it
// open for `lingerMs`.
std::function<void()> CloseDialogWith(int button, bool* seen, int lingerMs = 0) {
    return [button, seen, lingerMs] {
        HWND dialog = WaitForDialog(kConfigCaption);
        *seen = dialog != nullptr;
        if (lingerMs) Sleep(lingerMs);
        if (dialog) PostMessageA(dialog, WM_COMMAND, (WPARAM)button, 0);
    };
}

TEST(Soak, TenThousandTitleChangesWithCompositions) {
    HostPlayer player(kTitles[0].c_str());
    // Without a caption the player's own window does not repaint one on each
    // change (under Wine that would cost more than the composition itself).
    SetWindowLongA(player.main, GWL_STYLE, WS_POPUP | WS_VISIBLE);
    SetWindowPos(player.main, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
    ASSERT_EQ(player.Start(), 0);
    HWND title = player.TitleWindow();
    ASSERT_NE(title, nullptr);
    // That a change was really composed: text, or blank for no dash.
    auto expectComposed = [&](int i) {
        SCOPED_TRACE("change " + std::to_string(i));
        if (i % 4 == 2) {
            EXPECT_EQ(InkPixels(title, RGB(0, 0, 0)), 0);
        } else {
            EXPECT_GT(InkPixels(title, RGB(0, 0, 0)), 0);
        }
    };
    // Warm-up: Wine's heaps and caches settle, and the first round of checks
    // takes its memory (about 1 MiB, once).
    for (int i = 0; i < 400; ++i) {
        player.SetTitle(kTitles[i % 4].c_str());
        player.Frame();
        if (i % 100 < 4) expectComposed(i);
    }

    Baseline base;
    for (int i = 0; i < 10000; ++i) {
        player.SetTitle(kTitles[i % 4].c_str());
        player.Frame();
        if (i % 1000 < 4) expectComposed(i);
    }
    base.ExpectNothingKept("10000 title changes");
    EXPECT_TRUE(IsWindow(title));
}

TEST(Soak, TwoHundredStartStopCycles) {
    HostPlayer player(kTitles[1].c_str());
    auto cycle = [&](int i) {
        player.SetTitle(kTitles[i % 4].c_str());
        ASSERT_EQ(player.Start(), 0) << "cycle " << i;
        player.Frame(3);
        ASSERT_NE(player.TitleWindow(), nullptr) << "cycle " << i;
        player.Stop();
        ASSERT_EQ(player.TitleWindow(), nullptr) << "cycle " << i;
    };
    for (int i = 0; i < 5; ++i) cycle(i);

    Baseline base;
    for (int i = 0; i < 200; ++i) {
        cycle(i);
        if (HasFatalFailure()) return;
    }
    base.ExpectNothingKept("200 start/stop cycles");
    // Stops wrote the five placement keys and nothing else, once each.
    EXPECT_EQ(SectionLines(player.plugin.iniPath, "Title Display (ALPHA)").size(), 5u);
}

TEST(Soak, TwoHundredSettingsDialogs) {
    const char kIni[] =
        "[Title Display (ALPHA)]\r\nScroll_Step=3\r\nScroll_Interval=40\r\nScroll_Enabled=1\r\n"
        "Color=255\r\nBkColor=65280\r\nFaceName=DejaVu Sans\r\nWeight=700\r\n";
    HostPlayer player(kTitles[0].c_str(), kIni);
    auto cycle = [&](int i, int lingerMs = 0) {
        bool seen = false;
        player.Configure(CloseDialogWith(i % 2 ? IDCANCEL : IDOK, &seen, lingerMs));
        ASSERT_TRUE(seen) << "dialog " << i;
        if (player.running()) player.Frame();
    };
    // The first dialogs stay up until painted: the controls' first paint
    // makes Wine create system-colour brushes it keeps for good.
    for (int i = 0; i < 10; ++i) cycle(i, i < 2 ? 300 : 0);
    ASSERT_EQ(player.Start(), 0);
    for (int i = 0; i < 10; ++i) cycle(i, i < 2 ? 300 : 0);
    player.Stop();
    const std::vector<std::string> settled = SectionLines(player.plugin.iniPath, "Title Display (ALPHA)");

    // Dialogs and their controls are where Wine's DC cache grows, by fits.
    Baseline base(32);
    for (int i = 0; i < 100; ++i) {
        cycle(i);
        if (HasFatalFailure()) return;
    }
    ASSERT_EQ(player.Start(), 0);
    player.Frame();
    for (int i = 0; i < 100; ++i) {
        cycle(i);
        if (HasFatalFailure()) return;
    }
    EXPECT_TRUE(IsWindow(player.TitleWindow()));
    player.Stop();
    base.ExpectNothingKept("200 settings dialogs");

    // OK saves what was loaded, Cancel reloads it: nothing drifts.
    std::vector<std::string> now = SectionLines(player.plugin.iniPath, "Title Display (ALPHA)");
    for (const std::string& line : settled) EXPECT_NE(std::find(now.begin(), now.end(), line), now.end()) << line;
}

TEST(Soak, SixtyLoadUnloadCycles) {
    const char kIni[] = "[Title Display (ALPHA)]\r\nScreen_x=37\r\nScreen_y=410\r\nScreen_w=333\r\nScreen_h=55\r\n";
    HostPlayer player(kTitles[0].c_str());
    auto cycle = [&](int i) {
        UnloadPlugin(&player.plugin);
        player.plugin = LoadPlugin(kIni);
        ASSERT_NE(player.plugin.module, nullptr) << "load " << i;
        player.module = player.plugin.module;
        player.module->hostWindow = player.main;
        player.module->instance = player.plugin.dll;
        if (i % 2 == 0) return;
        ASSERT_EQ(player.Start(), 0) << "load " << i;
        player.Frame(3);
        // A fresh copy reads its own file.
        RECT r = {};
        GetWindowRect(player.TitleWindow(), &r);
        EXPECT_EQ(r.left, 37) << "load " << i;
        EXPECT_EQ(r.right - r.left, 333) << "load " << i;
        player.Stop();
    };
    for (int i = 0; i < 6; ++i) cycle(i);

    Baseline base;
    for (int i = 0; i < 60; ++i) {
        cycle(i);
        if (HasFatalFailure()) return;
    }
    base.ExpectNothingKept("60 loads, 30 of them run");
}

}  // namespace
