// plugin.ini through the real profile functions: the linked settings code
// reads and writes the file beside a copied DLL, and the tests read the
// file's lines back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "host_player.h"
#include "plugin/display_state.h"
#include "settings/settings.h"

namespace {

const char kSection[] = "Title Display (ALPHA)";

void ResetDisplayState() {
    g_state = DisplayState{};
    g_state.scrollStep = 1;
    g_state.scrollInterval = 20;
    g_state.scrollEnabled = 1;
}

struct Placement {
    int x, y, w, h, style;
};

Placement CurrentPlacement() {
    return {g_state.screenX, g_state.screenY, g_state.screenW, g_state.screenH, g_state.styleIndex};
}

void SetPlacement(const Placement& p) {
    g_state.screenX = p.x;
    g_state.screenY = p.y;
    g_state.screenW = p.w;
    g_state.screenH = p.h;
    g_state.styleIndex = p.style;
}

void ExpectPlacement(const Placement& want) {
    EXPECT_EQ(g_state.screenX, want.x);
    EXPECT_EQ(g_state.screenY, want.y);
    EXPECT_EQ(g_state.screenW, want.w);
    EXPECT_EQ(g_state.screenH, want.h);
    EXPECT_EQ(g_state.styleIndex, want.style);
}

// Every persisted appearance field.
struct Appearance {
    LONG weight;
    BYTE italic, underline, strikeOut, charSet;
    std::string face;
    COLORREF text, bk;
    int step, interval, enabled;
};

Appearance CurrentAppearance() {
    return {g_state.font.lfWeight, g_state.font.lfItalic, g_state.font.lfUnderline, g_state.font.lfStrikeOut,
            g_state.font.lfCharSet, g_state.font.lfFaceName, TextColor(), g_state.bkColor,
            g_state.scrollStep, g_state.scrollInterval, g_state.scrollEnabled};
}

void SetAppearance(const Appearance& a) {
    g_state.font.lfWeight = a.weight;
    g_state.font.lfItalic = a.italic;
    g_state.font.lfUnderline = a.underline;
    g_state.font.lfStrikeOut = a.strikeOut;
    g_state.font.lfCharSet = a.charSet;
    lstrcpynA(g_state.font.lfFaceName, a.face.c_str(), LF_FACESIZE);
    TextColor() = a.text;
    g_state.bkColor = a.bk;
    g_state.scrollStep = a.step;
    g_state.scrollInterval = a.interval;
    g_state.scrollEnabled = a.enabled;
}

void ExpectAppearance(const Appearance& want) {
    const Appearance got = CurrentAppearance();
    EXPECT_EQ(got.weight, want.weight);
    EXPECT_EQ(got.italic, want.italic);
    EXPECT_EQ(got.underline, want.underline);
    EXPECT_EQ(got.strikeOut, want.strikeOut);
    EXPECT_EQ(got.charSet, want.charSet);
    EXPECT_EQ(got.face, want.face);
    EXPECT_EQ(got.text, want.text);
    EXPECT_EQ(got.bk, want.bk);
    EXPECT_EQ(got.step, want.step);
    EXPECT_EQ(got.interval, want.interval);
    EXPECT_EQ(got.enabled, want.enabled);
}

// Values unlike every fallback, so a load that falls back shows.
const Placement kMemoryPlacement = {-33, 444, 555, 66, 2};
const Appearance kMemoryAppearance = {900, 1, 1, 1, 2, "Memory Face", 0x00123456, 0x00654321, 7, 77, 0};

// The fixed fallbacks with the scroll values of kMemoryAppearance.
Appearance FixedFallbacks() {
    Appearance a = kMemoryAppearance;
    a.weight = 0;
    a.italic = a.underline = a.strikeOut = a.charSet = 0;
    a.face = "";
    a.text = 0xFFFFFF;
    a.bk = 0;
    return a;
}

// The file's lines without trailing blank ones.
std::vector<std::string> FileLines(const std::string& path) {
    std::vector<std::string> lines = ReadLines(path);
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
}

std::string Ini(const std::string& body) { return std::string("[") + kSection + "]\r\n" + body; }

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override { ResetDisplayState(); }
    void TearDown() override { ResetDisplayState(); }
};

TEST_F(SettingsFile, PathIsPluginIniBesideTheLibrary) {
    HostPlayer player("Song - Winamp", nullptr, GetModule(0));
    ASSERT_NE(player.module->instance, nullptr);
    char path[MAX_PATH] = "junk";
    ASSERT_TRUE(SettingsPath(player.module, path));
    EXPECT_EQ(lstrcmpiA(path, player.plugin.iniPath.c_str()), 0) << path;
}

TEST_F(SettingsFile, RoundTripWritesEveryKeyInOrderAndReadsItBack) {
    HostPlayer player("Song - Winamp", nullptr, GetModule(0));
    ASSERT_FALSE(FileExists(player.plugin.iniPath));

    SetPlacement({-120, 345, 321, 77, 2});
    SetAppearance({700, 1, 255, 1, 200, "DejaVu Sans Mono", 0xFFFFFF, 0x00336699, 3, 45, 0});
    // Font fields outside the file.
    g_state.font.lfHeight = 41;
    g_state.font.lfWidth = 13;
    g_state.font.lfEscapement = 900;
    g_state.font.lfOrientation = 900;
    g_state.font.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    g_state.font.lfClipPrecision = CLIP_STROKE_PRECIS;
    g_state.font.lfQuality = NONANTIALIASED_QUALITY;
    g_state.font.lfPitchAndFamily = FF_SWISS | VARIABLE_PITCH;
    const Placement placement = CurrentPlacement();
    const Appearance appearance = CurrentAppearance();

    SavePlacement(player.module);
    SaveAppearance(player.module);

    const std::vector<std::string> expected = {
        "[Title Display (ALPHA)]",
        "Screen_x=-120",
        "Screen_y=345",
        "Screen_w=321",
        "Screen_h=77",
        "Window_style=2",
        "Weight=700",
        "Italic=1",
        "Underline=255",
        "StrikeOut=1",
        "CharSet=200",
        "FaceName=DejaVu Sans Mono",
        "Color=16777215",
        "BkColor=3368601",
        "Scroll_Step=3",
        "Scroll_Interval=45",
        "Scroll_Enabled=0",
    };
    EXPECT_EQ(FileLines(player.plugin.iniPath), expected);

    // Saving is idempotent: the same lines, no duplicates.
    SavePlacement(player.module);
    SaveAppearance(player.module);
    EXPECT_EQ(FileLines(player.plugin.iniPath), expected);

    SetPlacement(kMemoryPlacement);
    SetAppearance(kMemoryAppearance);
    const FontSpec before = g_state.font;
    LoadPlacement(player.module);
    LoadAppearance(player.module);
    ExpectPlacement(placement);
    ExpectAppearance(appearance);
    // Not in the file, so not brought back either: memory keeps its values.
    EXPECT_EQ(g_state.font.lfHeight, before.lfHeight);
    EXPECT_EQ(g_state.font.lfWidth, before.lfWidth);
    EXPECT_EQ(g_state.font.lfEscapement, before.lfEscapement);
    EXPECT_EQ(g_state.font.lfOrientation, before.lfOrientation);
    EXPECT_EQ(g_state.font.lfOutPrecision, before.lfOutPrecision);
    EXPECT_EQ(g_state.font.lfClipPrecision, before.lfClipPrecision);
    EXPECT_EQ(g_state.font.lfQuality, before.lfQuality);
    EXPECT_EQ(g_state.font.lfPitchAndFamily, before.lfPitchAndFamily);
}

TEST_F(SettingsFile, ExtremeValuesRoundTrip) {
    struct Row {
        const char* label;
        Placement placement;
        Appearance appearance;
    } rows[] = {
        {"zeros", {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, "", 0, 0, 0, 0, 0}},
        {"negatives", {-10000, -1, -5, -7, 1}, {-1, 128, 127, 254, 255, "A", 0x00010203, 0x00FFFFFF, -3, -1, -9}},
        {"limits",
         {10000, 10000, 0x7FFFFFFF, (int)0x80000000, 2},
         {0x7FFFFFFF, 255, 255, 255, 255, std::string(31, 'z'), 0x00FFFFFF, 0x00FFFFFF, (int)0x80000000,
          0x7FFFFFFF, 1}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        HostPlayer player("Song - Winamp", nullptr, GetModule(0));
        SetPlacement(row.placement);
        SetAppearance(row.appearance);
        SavePlacement(player.module);
        SaveAppearance(player.module);
        SetPlacement(kMemoryPlacement);
        SetAppearance(kMemoryAppearance);
        LoadPlacement(player.module);
        LoadAppearance(player.module);
        ExpectPlacement(row.placement);
        ExpectAppearance(row.appearance);
    }
}

TEST_F(SettingsFile, NoFileGivesFixedFallbacksAndKeepsMemoryValues) {
    HostPlayer player("Song - Winamp", nullptr, GetModule(0));
    ASSERT_FALSE(FileExists(player.plugin.iniPath));
    SetPlacement(kMemoryPlacement);
    SetAppearance(kMemoryAppearance);

    LoadAppearance(player.module);
    ExpectAppearance(FixedFallbacks());
    ExpectPlacement(kMemoryPlacement);

    LoadPlacement(player.module);
    ExpectPlacement(kMemoryPlacement);
    EXPECT_FALSE(FileExists(player.plugin.iniPath)) << "loading creates no file";
}

TEST_F(SettingsFile, PlacementValuesAreCheckedAsStored) {
    struct Row {
        const char* line;
        Placement want;  // from kMemoryPlacement
    } rows[] = {
        {"Screen_x=10000", {10000, 444, 555, 66, 2}},
        {"Screen_x=10001", {0, 444, 555, 66, 2}},
        {"Screen_x=99999999", {0, 444, 555, 66, 2}},
        {"Screen_x=-1", {-1, 444, 555, 66, 2}},
        {"Screen_x=-20000", {-20000, 444, 555, 66, 2}},
        {"Screen_y=10000", {-33, 10000, 555, 66, 2}},
        {"Screen_y=10001", {-33, 0, 555, 66, 2}},
        {"Screen_y=-20000", {-33, -20000, 555, 66, 2}},
        {"Screen_w=20000", {-33, 444, 20000, 66, 2}},
        {"Screen_w=-5", {-33, 444, -5, 66, 2}},
        {"Screen_w=0", {-33, 444, 0, 66, 2}},
        {"Screen_h=10001", {-33, 444, 555, 10001, 2}},
        {"Screen_h=-64", {-33, 444, 555, -64, 2}},
        {"Window_style=0", {-33, 444, 555, 66, 0}},
        {"Window_style=1", {-33, 444, 555, 66, 1}},
        {"Window_style=3", {-33, 444, 555, 66, 0}},
        {"Window_style=-1", {-33, 444, 555, 66, 0}},
        {"Window_style=10001", {-33, 444, 555, 66, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        HostPlayer player("Song - Winamp", Ini(std::string(row.line) + "\r\n").c_str(), GetModule(0));
        SetPlacement(kMemoryPlacement);
        LoadPlacement(player.module);
        ExpectPlacement(row.want);
    }
}

TEST_F(SettingsFile, ByteFieldsKeepTheLowEightBits) {
    struct Row {
        const char* key;
        const char* value;
        BYTE want;
    } rows[] = {
        {"Italic", "257", 1},      {"Italic", "256", 0},       {"Italic", "-1", 255},
        {"Underline", "511", 255}, {"Underline", "258", 2},    {"StrikeOut", "65537", 1},
        {"StrikeOut", "512", 0},   {"CharSet", "300", 44},     {"CharSet", "128", 128},
        {"CharSet", "-128", 128},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.key) + "=" + row.value);
        HostPlayer player("Song - Winamp", Ini(std::string(row.key) + "=" + row.value + "\r\n").c_str(),
                          GetModule(0));
        SetAppearance(kMemoryAppearance);
        LoadAppearance(player.module);
        Appearance want = FixedFallbacks();
        if (!strcmp(row.key, "Italic")) want.italic = row.want;
        if (!strcmp(row.key, "Underline")) want.underline = row.want;
        if (!strcmp(row.key, "StrikeOut")) want.strikeOut = row.want;
        if (!strcmp(row.key, "CharSet")) want.charSet = row.want;
        ExpectAppearance(want);
    }
}

TEST_F(SettingsFile, FaceNameKeepsAtMostThirtyOneCharacters) {
    const std::string forty = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn";
    ASSERT_EQ(forty.size(), 40u);
    struct Row {
        std::string stored, want;
    } rows[] = {
        {forty, forty.substr(0, 31)},
        {forty.substr(0, 32), forty.substr(0, 31)},
        {forty.substr(0, 31), forty.substr(0, 31)},
        {"Courier New", "Courier New"},
        {std::string(300, 'q'), std::string(31, 'q')},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.stored.size());
        HostPlayer player("Song - Winamp", Ini("FaceName=" + row.stored + "\r\n").c_str(), GetModule(0));
        SetAppearance(kMemoryAppearance);
        memset(g_state.font.lfFaceName, 'x', sizeof g_state.font.lfFaceName);  // no NUL left
        LoadAppearance(player.module);
        ASSERT_NE(memchr(g_state.font.lfFaceName, 0, LF_FACESIZE), nullptr) << "terminated inside the field";
        EXPECT_EQ(std::string(g_state.font.lfFaceName), row.want);
    }
}

TEST_F(SettingsFile, MissingKeysFallBackToFixedValuesOrMemory) {
    struct Row {
        const char* label;
        std::string ini;  // whole file
        Placement placement;
        Appearance appearance;
    };
    const Appearance fixed = FixedFallbacks();
    auto with = [&](auto change) {
        Appearance a = fixed;
        change(a);
        return a;
    };
    const Row rows[] = {
        {"empty file", "", kMemoryPlacement, fixed},
        {"section only", Ini(""), kMemoryPlacement, fixed},
        {"keys in another section",
         "[Other]\r\nScreen_x=5\r\nWeight=700\r\nColor=255\r\nScroll_Step=9\r\n", kMemoryPlacement, fixed},
        {"weight only", Ini("Weight=700\r\n"), kMemoryPlacement, with([](Appearance& a) { a.weight = 700; })},
        {"face only", Ini("FaceName=Courier\r\n"), kMemoryPlacement, with([](Appearance& a) { a.face = "Courier"; })},
        {"colours only", Ini("Color=255\r\nBkColor=65280\r\n"), kMemoryPlacement,
         with([](Appearance& a) {
             a.text = 255;
             a.bk = 65280;
         })},
        {"one scroll key", Ini("Scroll_Step=5\r\n"), kMemoryPlacement, with([](Appearance& a) { a.step = 5; })},
        {"scroll switch only", Ini("Scroll_Enabled=1\r\n"), kMemoryPlacement,
         with([](Appearance& a) { a.enabled = 1; })},
        {"empty values", Ini("Color=\r\nScroll_Interval=\r\nScreen_w=\r\n"), kMemoryPlacement, fixed},
        {"one placement key", Ini("Screen_w=222\r\n"), {-33, 444, 222, 66, 2}, fixed},
        {"position only", Ini("Screen_x=10\r\nScreen_y=20\r\n"), {10, 20, 555, 66, 2}, fixed},
        {"style only", Ini("Window_style=1\r\n"), {-33, 444, 555, 66, 1}, fixed},
        {"key case", Ini("screen_x=11\r\nweight=300\r\nscroll_step=4\r\n"), {11, 444, 555, 66, 2},
         with([](Appearance& a) {
             a.weight = 300;
             a.step = 4;
         })},
        {"text values", Ini("Screen_h=abc\r\nWeight=12abc\r\nScroll_Interval=x\r\n"), {-33, 444, 555, 0, 2},
         with([](Appearance& a) {
             a.weight = 12;
             a.interval = 0;
         })},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        HostPlayer player("Song - Winamp", row.ini.c_str(), GetModule(0));
        SetPlacement(kMemoryPlacement);
        SetAppearance(kMemoryAppearance);
        LoadPlacement(player.module);
        LoadAppearance(player.module);
        ExpectPlacement(row.placement);
        ExpectAppearance(row.appearance);
    }
}

// The menu's options: any non-zero value is on, a missing or empty one keeps
// memory's; written when on, or when the file holds them, and never else.
TEST_F(SettingsFile, OptionKeysReadAsOnOrOffAndWrittenOnlyWhenNeeded) {
    struct Row {
        const char* key;
        const char* line;  // in the file; "" none
        int memory, loaded, saved;
        const char* after;  // the key's line after saving `saved`; "" none
    } rows[] = {
        {"TopMost", "", 0, 0, 0, ""},
        {"TopMost", "", 1, 1, 1, "TopMost=1"},
        {"TopMost", "TopMost=1", 0, 1, 0, "TopMost=0"},
        {"TopMost", "TopMost=7", 0, 1, 1, "TopMost=1"},
        {"TopMost", "TopMost=-1", 0, 1, 1, "TopMost=1"},
        {"TopMost", "TopMost=abc", 1, 0, 0, "TopMost=abc"},
        {"TopMost", "TopMost=0", 1, 0, 0, "TopMost=0"},
        {"TitleFile", "TitleFile=0x10", 0, 1, 1, "TitleFile=1"},
        {"TitleFile", "TitleFile= 2", 0, 1, 0, "TitleFile=0"},
        {"TitleFile", "TitleFile=", 1, 1, 1, "TitleFile=1"},
        {"TitleFile", "TitleFile=99999999999", 0, 1, 1, "TitleFile=1"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.key) + " from \"" + row.line + "\"");
        HostPlayer player("Song - Winamp", Ini(std::string(row.line) + "\r\n").c_str(), GetModule(0));
        int& field = strcmp(row.key, "TopMost") == 0 ? g_state.topMost : g_state.titleFile;
        field = row.memory;
        LoadPlacement(player.module);
        EXPECT_EQ(field, row.loaded);
        field = row.saved;
        EXPECT_TRUE(SavePlacement(player.module));
        std::vector<std::string> lines;
        for (const std::string& line : SectionLines(player.plugin.iniPath, kSection))
            if (line.compare(0, strlen(row.key) + 1, std::string(row.key) + "=") == 0) lines.push_back(line);
        EXPECT_EQ(lines, *row.after ? std::vector<std::string>{row.after} : std::vector<std::string>{});
        EXPECT_EQ(SectionLines(player.plugin.iniPath, kSection).size(), (*row.after ? 6u : 5u));
    }
}

// The look's keys, saved with the appearance (Apply, OK) and by the menu:
// read as the nearest choice, written only when set or when the file has
// them, so a file without them is saved as it always was.
TEST_F(SettingsFile, LookKeysReadAsTheNearestChoiceAndWrittenOnlyWhenNeeded) {
    struct Row {
        const char* key;
        const char* line;  // in the file; "" none
        DWORD memory, loaded, saved;
        const char* after;  // the key's line after saving `saved`; "" none
    } rows[] = {
        {"Transparent", "", 1, 0, 0, ""},
        {"Transparent", "Transparent=5", 0, 1, 1, "Transparent=1"},
        {"Transparent", "Transparent=1", 0, 1, 0, "Transparent=0"},
        {"Outline", "", 2, 0, 1, "Outline=1"},
        {"Outline", "Outline=7", 0, 2, 2, "Outline=2"},
        {"Outline", "Outline=-4", 1, 0, 0, "Outline=0"},
        {"Outline", "Outline=99999999999", 0, 2, 0, "Outline=0"},
        {"OutlineColor", "", 255, 0, 0, ""},
        {"OutlineColor", "", 0, 0, 255, "OutlineColor=255"},
        {"OutlineColor", "OutlineColor=-1", 0, 0xFFFFFF, 0xFFFFFF, "OutlineColor=16777215"},
        {"OutlineColor", "OutlineColor=33488896", 0, 0xFF0000, 0xFF0000, "OutlineColor=16711680"},
        {"OutlineColor", "OutlineColor=abc", 7, 0, 0, "OutlineColor=abc"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.key) + " from \"" + row.line + "\"");
        HostPlayer player("Song - Winamp", Ini(std::string(row.line) + "\r\n").c_str(), GetModule(0));
        const bool colour = strcmp(row.key, "OutlineColor") == 0;
        int& field = strcmp(row.key, "Transparent") == 0 ? g_state.transparent : g_state.outline;
        auto set = [&](DWORD v) { colour ? (void)(g_state.outlineColor = v) : (void)(field = (int)v); };
        set(row.memory);
        LoadAppearance(player.module);
        EXPECT_EQ(colour ? g_state.outlineColor : (DWORD)field, row.loaded);
        set(row.saved);
        EXPECT_TRUE(SaveAppearance(player.module));
        std::vector<std::string> lines;
        for (const std::string& line : SectionLines(player.plugin.iniPath, kSection))
            if (line.compare(0, strlen(row.key) + 1, std::string(row.key) + "=") == 0) lines.push_back(line);
        EXPECT_EQ(lines, *row.after ? std::vector<std::string>{row.after} : std::vector<std::string>{});
        g_state.transparent = g_state.outline = 0;
        g_state.outlineColor = 0;
    }
}

TEST_F(SettingsFile, WritesKeepOtherSectionsAndUnknownKeys) {
    const std::string ini =
        "[Other]\r\nScreen_x=1\r\nKeep=yes\r\n"
        "[Title Display (ALPHA)]\r\nUnknown_Key=abc\r\nScreen_x=5\r\nWeight=1\r\n"
        "[Zeta]\r\nz=2\r\n";
    HostPlayer player("Song - Winamp", ini.c_str(), GetModule(0));
    SetPlacement({7, 8, 9, 10, 1});
    SetAppearance(kMemoryAppearance);
    SavePlacement(player.module);
    SaveAppearance(player.module);
    SavePlacement(player.module);

    EXPECT_EQ(SectionLines(player.plugin.iniPath, "Other"), (std::vector<std::string>{"Screen_x=1", "Keep=yes"}));
    EXPECT_EQ(SectionLines(player.plugin.iniPath, "Zeta"), (std::vector<std::string>{"z=2"}));

    const std::vector<std::string> ours = SectionLines(player.plugin.iniPath, kSection);
    EXPECT_EQ(std::count(ours.begin(), ours.end(), "Unknown_Key=abc"), 1);
    const char* keys[] = {"Screen_x",  "Screen_y", "Screen_w",  "Screen_h", "Window_style", "Weight",
                          "Italic",    "Underline", "StrikeOut", "CharSet", "FaceName",     "Color",
                          "BkColor",   "Scroll_Step", "Scroll_Interval", "Scroll_Enabled"};
    for (const char* key : keys) {
        SCOPED_TRACE(key);
        int found = 0;
        for (const std::string& line : ours)
            if (line.compare(0, strlen(key) + 1, std::string(key) + "=") == 0) ++found;
        EXPECT_EQ(found, 1);
    }
    EXPECT_EQ(ours.size(), 17u);
    EXPECT_NE(std::find(ours.begin(), ours.end(), "Screen_x=7"), ours.end());
    EXPECT_NE(std::find(ours.begin(), ours.end(), "Weight=900"), ours.end());
}

// ---- where the file lives ----

enum Beside { kWritable, kNoFile, kFolder, kReadOnly };
enum Where { kBesideTheLibrary, kApplicationData, kPlayerFolder };

struct WhereRow {
    const char* label;
    Beside beside;
    const char* answer;  // what the player answers to 335; nullptr: it ignores it
    bool userBlocked;    // the per-user plugin.ini is a folder too
    Where where;
    bool longTail = false;  // the section ends in a line longer than the copy takes
};

// A folder at `path` makes every write of a file there fail, for root too.
void BlockWith(const std::string& path) {
    std::string parent = path.substr(0, path.find_last_of('\\'));
    CreateDirectoryA(parent.c_str(), nullptr);
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
}

TEST_F(SettingsFile, LivesBesideTheLibraryWhileWritableElsePerUser) {
    const std::string playerFolder = MakeTempFolder();
    const std::string tooLong = "C:\\" + std::string(300, 'p');
    // Answers a player imitating this one may give: a page it cannot read,
    // and a path without an end that runs into one.
    char* pages = (char*)VirtualAlloc(nullptr, 2 * 4096, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    ASSERT_NE(pages, nullptr);
    memset(pages, 'x', 4096);
    DWORD was = 0;
    ASSERT_TRUE(VirtualProtect(pages + 4096, 4096, PAGE_NOACCESS, &was));
    const char* unreadable = pages + 4096;
    const char* runsOff = pages + 4096 - 16;
    const char* count = (const char*)(UINT_PTR)42;
    const WhereRow rows[] = {
        {"writable file", kWritable, nullptr, false, kBesideTheLibrary},
        {"writable file, player names its folder", kWritable, playerFolder.c_str(), false, kBesideTheLibrary},
        {"no file, writable folder", kNoFile, nullptr, false, kBesideTheLibrary},
        {"plugin.ini a folder", kFolder, nullptr, false, kApplicationData},
        {"plugin.ini a folder, player names its folder", kFolder, playerFolder.c_str(), false, kPlayerFolder},
        {"read-only file", kReadOnly, nullptr, false, kApplicationData},
        {"read-only file, player names its folder", kReadOnly, playerFolder.c_str(), false, kPlayerFolder},
        {"read-only file, player answers an empty path", kReadOnly, "", false, kApplicationData},
        {"read-only file, player answers a path too long", kReadOnly, tooLong.c_str(), false, kApplicationData},
        {"read-only file, player answers an unreadable address", kReadOnly, unreadable, false, kApplicationData},
        {"read-only file, player answers a path into unreadable memory", kReadOnly, runsOff, false, kApplicationData},
        {"plugin.ini a folder, player answers a count", kFolder, count, false, kApplicationData},
        {"read-only file, per-user copy blocked", kReadOnly, nullptr, true, kBesideTheLibrary},
        {"read-only file ending in a 9000-character line", kReadOnly, nullptr, false, kApplicationData, true},
        {"plugin.ini a folder, per-user copy blocked", kFolder, nullptr, true, kBesideTheLibrary},
    };
    const std::string stored = Ini(
        "Screen_x=321\r\nScreen_y=123\r\nScreen_w=300\r\nScreen_h=50\r\nWindow_style=1\r\n"
        "Scroll_Step=4\r\nScroll_Interval=33\r\nColor=255\r\nKeep=yes\r\n");
    const Placement storedPlacement = {321, 123, 300, 50, 1};
    const std::string playerFile = playerFolder + "Plugins\\plugin.ini";
    for (const WhereRow& row : rows) {
        SCOPED_TRACE(row.label);
        ResetDisplayState();
        RemoveUserSettings();
        RemoveTree(playerFolder + "Plugins");
        const std::string ini = row.longTail ? stored + "Long=" + std::string(9000, 'v') + "\r\n" : stored;
        ReadOnlyBeside readOnly(row.beside == kReadOnly);
        HostPlayer player("Song - Winamp", row.beside == kWritable || row.beside == kReadOnly ? ini.c_str() : nullptr,
                          GetModule(0));
        player.settingsFolder = row.answer;
        const std::string beside = player.plugin.iniPath;
        if (row.beside == kFolder) BlockWith(beside);
        if (row.userBlocked) BlockWith(UserSettingsFile());
        const bool readable = row.beside == kWritable || row.beside == kReadOnly;
        const std::string before = readable ? FileBytes(beside) : "";
        // Read-only, the library's folder is the view it was loaded from.
        const std::string want = row.where == kBesideTheLibrary ? (row.beside == kReadOnly ? ReadOnlyView(beside) : beside)
                                 : row.where == kPlayerFolder   ? playerFile
                                                                : UserSettingsFile();

        const std::vector<std::string> names = FolderNames(player.plugin.folder);
        char path[MAX_PATH] = "";
        ASSERT_TRUE(SettingsPath(player.module, path));
        EXPECT_EQ(lstrcmpiA(path, want.c_str()), 0) << path;
        // Finding out made, removed and changed nothing beside the library.
        EXPECT_EQ(FolderNames(player.plugin.folder), names);
        EXPECT_EQ(readable ? FileBytes(beside) : "", before);

        // What the file beside the library holds is read wherever the file lives.
        SetPlacement(kMemoryPlacement);
        SetAppearance(kMemoryAppearance);
        LoadPlacement(player.module);
        LoadAppearance(player.module);
        ExpectPlacement(readable ? storedPlacement : kMemoryPlacement);
        EXPECT_EQ(g_state.scrollStep, readable ? 4 : kMemoryAppearance.step);
        EXPECT_EQ(TextColor(), readable ? (COLORREF)255 : (COLORREF)0xFFFFFF);
        if (row.beside == kNoFile) {
            EXPECT_FALSE(FileExists(beside)) << "finding out leaves no file behind";
        }

        const bool writable = !row.userBlocked || row.where != kBesideTheLibrary || row.beside == kWritable ||
                              row.beside == kNoFile;
        SetAppearance(kMemoryAppearance);
        EXPECT_EQ(SaveAppearance(player.module), writable);
        EXPECT_EQ(g_state.appearanceUnsaved, writable ? 0 : 1);
        if (writable) {
            const std::vector<std::string> lines = SectionLines(want, kSection);
            auto has = [&](const char* line) { return std::count(lines.begin(), lines.end(), line) == 1; };
            EXPECT_TRUE(has("Scroll_Step=7"));
            EXPECT_TRUE(has("FaceName=Memory Face"));
            if (readable) {
                // The section came along whole, then the save replaced its values.
                EXPECT_TRUE(has("Screen_x=321"));
                EXPECT_TRUE(has("Keep=yes"));
                // A line cut short by the copy is left out rather than kept cut.
                for (const std::string& line : lines) EXPECT_NE(line.compare(0, 5, "Long="), 0) << line.size();
                EXPECT_FALSE(has("Color=255"));
            }
            SetAppearance(FixedFallbacks());
            LoadAppearance(player.module);
            ExpectAppearance(kMemoryAppearance);
            LoadPlacement(player.module);
            ExpectPlacement(readable ? storedPlacement : kMemoryPlacement);
        }
        if (row.where != kBesideTheLibrary || row.userBlocked) {
            EXPECT_EQ(readable ? FileBytes(beside) : "", before) << "the read-only file is left alone";
        }
        if (row.where != kApplicationData) {
            EXPECT_EQ(FileExists(UserSettingsFile()), row.userBlocked) << "no copy in application data";
        }
        if (row.where != kPlayerFolder) {
            EXPECT_FALSE(FileExists(playerFile)) << "no copy in the player's folder";
        }
    }
    RemoveUserSettings();
    RemoveTree(playerFolder);
    VirtualFree(pages, 0, MEM_RELEASE);
}

// Another program holding the file for a moment (a backup, a scan, another
// plug-in writing the shared file) delays a save; holding it longer fails
// the save, which is then reported. Either way nothing goes to another file.
TEST_F(SettingsFile, AWriterHoldingTheFileIsWaitedOutForAMoment) {
    const struct {
        int heldMs;
        bool saved;
        bool atSettle;  // held as the place is first settled: a busy file, not a read-only one
    } rows[] = {{300, true, false}, {3000, false, false}, {800, true, true}, {3000, true, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.heldMs) + (row.atSettle ? " ms at the first settle" : " ms"));
        ResetDisplayState();
        HostPlayer player("Song - Winamp", Ini("Scroll_Step=4\r\n").c_str(), GetModule(0));
        const std::string ini = player.plugin.iniPath;
        const std::vector<std::string> names = FolderNames(player.plugin.folder);
        const std::string before = FileBytes(ini);
        HANDLE release = row.atSettle ? HoldReadOnlyFor(ini, row.heldMs) : nullptr;
        char path[MAX_PATH] = "";
        const DWORD settling = GetTickCount();
        ASSERT_TRUE(SettingsPath(player.module, path));
        ASSERT_EQ(lstrcmpiA(path, ini.c_str()), 0) << path;
        EXPECT_LT(GetTickCount() - settling, 400u) << "the settle waited for the hold";
        if (row.atSettle) {  // the saves after it land in the file
            WaitForSingleObject(release, INFINITE);
            CloseHandle(release);
        }
        release = HoldReadOnlyFor(ini, row.atSettle ? 0 : row.heldMs);
        ASSERT_NE(release, nullptr);
        SetAppearance(kMemoryAppearance);
        const DWORD started = GetTickCount();
        EXPECT_EQ(SaveAppearance(player.module), row.saved);
        // The wait is paid once a save, not once a key (14 keys).
        EXPECT_LT(GetTickCount() - started, 2500u);
        EXPECT_EQ(g_state.appearanceUnsaved, row.saved ? 0 : 1);
        WaitForSingleObject(release, INFINITE);
        CloseHandle(release);

        if (row.saved) {
            const std::vector<std::string> lines = SectionLines(ini, kSection);
            EXPECT_EQ(std::count(lines.begin(), lines.end(), "Scroll_Step=7"), 1);
            EXPECT_EQ(std::count(lines.begin(), lines.end(), "FaceName=Memory Face"), 1);
        } else {
            EXPECT_EQ(FileBytes(ini), before);
        }
        EXPECT_EQ(FolderNames(player.plugin.folder), names) << "no other file beside it";
        ASSERT_TRUE(SettingsPath(player.module, path));
        EXPECT_EQ(lstrcmpiA(path, ini.c_str()), 0) << "still the file it was: " << path;
    }
}

// ---- a library path too long to name its settings file ----

std::wstring Widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

// Long paths go through the wide functions with the \\?\ prefix.
std::wstring Long(const std::string& path) { return L"\\\\?\\" + Widen(path); }

void RemoveLongTree(const std::string& folder) {
    std::string f = folder;
    if (!f.empty() && f.back() == '\\') f.pop_back();
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW((Long(f) + L"\\*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            std::string narrow(name.begin(), name.end());
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveLongTree(f + "\\" + narrow);
            else
                DeleteFileW(Long(f + "\\" + narrow).c_str());
        } while (FindNextFileW(h, &found));
        FindClose(h);
    }
    RemoveDirectoryW(Long(f).c_str());
}

bool LongFileExists(const std::string& path) { return GetFileAttributesW(Long(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

// A copy of the DLL at a path of chosen length, loaded.
struct DeepCopy {
    std::string root;                 // temporary, removed on destruction
    std::vector<std::string> folders;  // root .. deepest, each ending in a backslash
    std::string dllPath;
    HMODULE dll = nullptr;

    // The deepest folder's path is `folderLength` characters with its
    // trailing backslash.
    DeepCopy(size_t folderLength, const std::string& dllName) {
        root = MakeTempFolder();
        std::string folder = root;
        folders.push_back(folder);
        while (folder.size() < folderLength) {
            size_t segment = std::min<size_t>(60, folderLength - folder.size() - 1);
            if (segment == 0) segment = 1;  // cannot happen with sane lengths
            folder += std::string(segment, 'd') + "\\";
            CreateDirectoryW(Long(folder).c_str(), nullptr);
            folders.push_back(folder);
        }
        dllPath = folder + dllName;
        CopyFileW(Widen(ProgramFolder() + "vis_mirn.dll").c_str(), Long(dllPath).c_str(), FALSE);
        dll = LoadLibraryW(Widen(dllPath).c_str());
    }
    ~DeepCopy() {
        if (dll) FreeLibrary(dll);
        RemoveLongTree(root);
    }
    std::vector<std::string> IniCandidates() const {
        std::vector<std::string> all;
        for (const std::string& f : folders) all.push_back(f + "plugin.ini");
        char dir[MAX_PATH];
        GetWindowsDirectoryA(dir, MAX_PATH);
        all.push_back(std::string(dir) + "\\plugin.ini");
        GetSystemDirectoryA(dir, MAX_PATH);
        all.push_back(std::string(dir) + "\\plugin.ini");
        GetCurrentDirectoryA(MAX_PATH, dir);
        all.push_back(std::string(dir) + "\\plugin.ini");
        all.push_back(ProgramFolder() + "plugin.ini");
        return all;
    }
};

TEST_F(SettingsFile, LibraryPathTooLongReadsAndWritesNothing) {
    HostPlayer player("Song - Winamp", nullptr, GetModule(0));
    VisModule* module = player.module;
    HINSTANCE own = module->instance;

    struct Row {
        const char* label;
        size_t folderLength;
        const char* dllName;
        bool fits;
    } rows[] = {
        // The settings path is exactly 259 characters: the longest that fits.
        {"ini path of 259", 249, "v.dll", true},
        // The library's name fits in 260 bytes but "plugin.ini" beside it does not.
        {"ini path of 260", 250, "v.dll", false},
        {"ini path of 264", 254, "v.dll", false},
        // The library's own name fills the buffer: its folder is unknown.
        {"library name of 259", 247, "vis_mirn.dll", true},
        {"library name of 260", 248, "vis_mirn.dll", false},
        {"library name of 262", 250, "vis_mirn.dll", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        g_state.settingsSettled = kSettingsUnknown;  // another library, another load
        DeepCopy copy(row.folderLength, row.dllName);
        ASSERT_EQ(copy.folders.back().size(), row.folderLength);
        ASSERT_NE(copy.dll, nullptr) << "could not load " << copy.dllPath;
        const std::vector<std::string> candidates = copy.IniCandidates();
        for (const std::string& c : candidates) ASSERT_FALSE(LongFileExists(c)) << c << " exists before";
        module->instance = copy.dll;

        char path[MAX_PATH];
        memset(path, 'x', sizeof path);
        const bool fits = SettingsPath(module, path);
        EXPECT_EQ(fits, row.fits);
        if (!row.fits) {
            EXPECT_EQ(path[0], '\0');
        } else {
            EXPECT_EQ(std::string(path), copy.folders.back() + "plugin.ini");
        }

        SetPlacement(kMemoryPlacement);
        SetAppearance(kMemoryAppearance);
        SavePlacement(module);
        SaveAppearance(module);
        for (const std::string& c : candidates) {
            const bool own_file = row.fits && c == copy.folders.back() + "plugin.ini";
            EXPECT_EQ(LongFileExists(c), own_file) << c;
        }
        if (row.fits) {
            // The positive control: the file beside the library round-trips.
            SetPlacement({1, 2, 3, 4, 1});
            SetAppearance(FixedFallbacks());
            LoadPlacement(module);
            LoadAppearance(module);
            ExpectPlacement(kMemoryPlacement);
            ExpectAppearance(kMemoryAppearance);
            module->instance = own;
            continue;
        }

        // Files planted wherever a confused path could lead are not read.
        const std::string planted = Ini(
            "Screen_x=1\r\nScreen_y=2\r\nScreen_w=3\r\nScreen_h=4\r\nWindow_style=1\r\nWeight=400\r\n"
            "Italic=1\r\nFaceName=Planted\r\nColor=255\r\nBkColor=255\r\nScroll_Step=9\r\n");
        std::vector<std::string> plantedFiles;
        for (const std::string& c : candidates) {
            HANDLE f = CreateFileW(Long(c).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
            if (f == INVALID_HANDLE_VALUE) continue;
            DWORD written = 0;
            WriteFile(f, planted.data(), (DWORD)planted.size(), &written, nullptr);
            CloseHandle(f);
            plantedFiles.push_back(c);
        }
        SetPlacement(kMemoryPlacement);
        SetAppearance(kMemoryAppearance);
        LoadPlacement(module);
        LoadAppearance(module);
        ExpectPlacement(kMemoryPlacement);
        ExpectAppearance(FixedFallbacks());
        for (const std::string& f : plantedFiles) DeleteFileW(Long(f).c_str());
        module->instance = own;
    }
    module->instance = own;
}

}  // namespace
