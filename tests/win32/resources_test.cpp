// The dialog templates compiled into the DLL, read back byte by byte.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "host_player.h"

namespace {

const WORD kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
const WORD kNoId = 0xFFFF;  // -1 in the template
const int kButton = 0x80, kEdit = 0x81, kStatic = 0x82;

std::u16string U16(const char* ascii) {
    std::u16string s;
    for (; *ascii; ++ascii) s += (char16_t)(unsigned char)*ascii;
    return s;
}

std::string Narrow(const std::u16string& s) {
    std::string out;
    for (char16_t c : s) out += c < 0x80 ? (char)c : '?';
    return out;
}

// ---- the template format ----

struct ItemTemplate {
    DWORD style = 0, exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    WORD id = 0;
    int classOrdinal = -1;  // -1: named class
    std::u16string className, text;
};

struct DialogTemplate {
    bool complete = false;
    DWORD style = 0, exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::u16string menu, windowClass, caption;
    WORD pointSize = 0;
    std::u16string face;
    std::vector<ItemTemplate> items;
};

// Reads a template with every offset checked against the resource size.
class Reader {
public:
    Reader(const BYTE* data, size_t size) : data_(data), size_(size) {}
    bool ok() const { return ok_; }
    size_t pos() const { return pos_; }
    void Align4() { pos_ = (pos_ + 3) & ~(size_t)3; }
    WORD Word() {
        if (pos_ + 2 > size_) {
            ok_ = false;
            return 0;
        }
        WORD w = (WORD)(data_[pos_] | data_[pos_ + 1] << 8);
        pos_ += 2;
        return w;
    }
    DWORD Dword() {
        DWORD lo = Word();
        return lo | (DWORD)Word() << 16;
    }
    std::u16string String() {
        std::u16string s;
        for (WORD c; ok_ && (c = Word()) != 0;) s += (char16_t)c;
        return s;
    }
    // A name or an ordinal: 0xFFFF then the number, else a string.
    std::u16string NameOrOrdinal(int* ordinal) {
        *ordinal = -1;
        if (pos_ + 2 <= size_ && data_[pos_] == 0xFF && data_[pos_ + 1] == 0xFF) {
            Word();
            *ordinal = Word();
            return u"";
        }
        return String();
    }
    void Skip(size_t n) {
        if (pos_ + n > size_) ok_ = false;
        pos_ += n;
    }

private:
    const BYTE* data_;
    size_t size_;
    size_t pos_ = 0;
    bool ok_ = true;
};

DialogTemplate ParseDialog(const BYTE* data, size_t size) {
    DialogTemplate t;
    Reader r(data, size);
    t.style = r.Dword();
    t.exStyle = r.Dword();
    const WORD count = r.Word();
    t.x = (short)r.Word();
    t.y = (short)r.Word();
    t.cx = (short)r.Word();
    t.cy = (short)r.Word();
    int ordinal;
    t.menu = r.NameOrOrdinal(&ordinal);
    t.windowClass = r.NameOrOrdinal(&ordinal);
    t.caption = r.String();
    if (t.style & DS_SETFONT) {
        t.pointSize = r.Word();
        t.face = r.String();
    }
    for (WORD i = 0; i < count && r.ok(); ++i) {
        r.Align4();
        ItemTemplate item;
        item.style = r.Dword();
        item.exStyle = r.Dword();
        item.x = (short)r.Word();
        item.y = (short)r.Word();
        item.cx = (short)r.Word();
        item.cy = (short)r.Word();
        item.id = r.Word();
        item.className = r.NameOrOrdinal(&item.classOrdinal);
        int textOrdinal;
        item.text = r.NameOrOrdinal(&textOrdinal);
        r.Skip(r.Word());  // creation data
        t.items.push_back(item);
    }
    t.complete = r.ok() && t.items.size() == count && r.pos() <= size;
    return t;
}

struct Resource {
    const BYTE* data = nullptr;
    size_t size = 0;
};

Resource FindDialog(HMODULE dll, int id, WORD language) {
    Resource res;
    HRSRC found = FindResourceExA(dll, (LPCSTR)RT_DIALOG, MAKEINTRESOURCEA(id), language);
    if (!found) return res;
    HGLOBAL loaded = LoadResource(dll, found);
    res.data = (const BYTE*)LockResource(loaded);
    res.size = SizeofResource(dll, found);
    return res;
}

// ---- the expected templates ----

struct ExpectedItem {
    WORD id;
    int classOrdinal;
    const char* text;
    short x, y, cx, cy;
    DWORD style;  // besides WS_CHILD | WS_VISIBLE
};

const DWORD kPush = BS_PUSHBUTTON | WS_TABSTOP;
const DWORD kNumber = ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;

// In template order, which is the tab order.
const ExpectedItem kConfigItems[] = {
    {IDOK, kButton, "OK", 7, 132, 36, 14, BS_DEFPUSHBUTTON | WS_TABSTOP},
    {IDCANCEL, kButton, "Cancel", 54, 132, 35, 14, kPush},
    {1005, kStatic, "FONT", 12, 21, 86, 15, SS_LEFT | SS_SUNKEN | SS_CENTERIMAGE | WS_GROUP},
    {1000, kButton, "font(&F)...", 102, 20, 32, 15, kPush},
    {1003, kEdit, "", 69, 81, 27, 14, kNumber},
    {1004, kEdit, "", 13, 81, 26, 14, kNumber},
    {kNoId, kStatic, "dots per", 40, 81, 28, 12, SS_CENTER | SS_CENTERIMAGE | WS_GROUP},
    {kNoId, kStatic, "millisecond", 98, 82, 35, 12, SS_LEFT | SS_CENTERIMAGE | WS_GROUP},
    {kNoId, kButton, "scroll speed", 7, 67, 131, 35, BS_GROUPBOX},
    {kNoId, kButton, "font", 7, 7, 131, 54, BS_GROUPBOX},
    {1001, kButton, "back color(&B)...", 66, 41, 48, 13, kPush},
    {1007, kButton, "enable scroll", 7, 107, 57, 12, BS_AUTOCHECKBOX | WS_TABSTOP},
    {1002, kButton, "about(&R)...", 97, 109, 41, 16, kPush},
    {1006, kButton, "Apply(&A)", 98, 132, 40, 14, kPush},
    {1008, kButton, "text color(&C)...", 13, 41, 47, 13, kPush},
    {1010, kButton, "title text (empty: the caption)", 150, 7, 133, 38, BS_GROUPBOX},
    {1011, kEdit, "", 156, 16, 121, 11, ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP},
    {1012, kStatic, "%artist% %title% %album% %year%\n%elapsed% %length% %state% ...", 156, 28, 127, 16,
     SS_LEFT | WS_GROUP},
    {1020, kButton, "Always", 156, 61, 124, 10, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP},
    {1021, kButton, "While playing", 156, 72, 124, 10, BS_AUTORADIOBUTTON},
    {1022, kButton, "For a few seconds on each change", 156, 83, 124, 10, BS_AUTORADIOBUTTON},
    {1023, kEdit, "", 166, 94, 24, 12, kNumber | WS_GROUP},
    {kNoId, kStatic, "seconds", 193, 94, 40, 12, SS_LEFT | SS_CENTERIMAGE | WS_GROUP},
    {kNoId, kButton, "show the window", 150, 50, 133, 60, BS_GROUPBOX},
    {1024, kButton, "Click-through (hold Ctrl to reach it)", 150, 113, 133, 12, BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP},
    {kNoId, kStatic, "speed", 7, 155, 30, 12, SS_LEFT | SS_CENTERIMAGE | WS_GROUP},
    {1040, kEdit, "", 40, 154, 30, 14, kNumber},
    {kNoId, kStatic, "pixels per second", 73, 155, 62, 12, SS_LEFT | SS_CENTERIMAGE | WS_GROUP},
};

const char kAboutText[] =
    "windowed title plugin for Winamp\n"
    "version 0.8.0\n";

const ExpectedItem kAboutItems[] = {
    {kNoId, kStatic, nullptr, 0, 5, 135, 35, SS_CENTER},  // text checked on its own
    {IDOK, kButton, "OK", 50, 40, 34, 10, BS_DEFPUSHBUTTON | WS_TABSTOP},
};

const DWORD kDialogStyle = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT;

std::string ItemName(const ItemTemplate& item) {
    return item.id == kNoId ? "\"" + Narrow(item.text) + "\"" : std::to_string(item.id);
}

template <size_t N>
void ExpectItems(const DialogTemplate& t, const ExpectedItem (&expected)[N]) {
    ASSERT_EQ(t.items.size(), N);
    for (size_t i = 0; i < N; ++i) {
        const ExpectedItem& e = expected[i];
        const ItemTemplate& item = t.items[i];
        SCOPED_TRACE("item " + std::to_string(i) + ": " + ItemName(item));
        EXPECT_EQ(item.id, e.id);
        EXPECT_EQ(item.classOrdinal, e.classOrdinal) << Narrow(item.className);
        if (e.text) {
            EXPECT_EQ(item.text, U16(e.text));
        }
        EXPECT_EQ(item.x, e.x);
        EXPECT_EQ(item.y, e.y);
        EXPECT_EQ(item.cx, e.cx);
        EXPECT_EQ(item.cy, e.cy);
        EXPECT_EQ(item.style, WS_CHILD | WS_VISIBLE | e.style);
        EXPECT_EQ(item.exStyle, 0u);
    }
}

class Resources : public ::testing::Test {
protected:
    void SetUp() override {
        plugin_ = LoadPlugin();
        ASSERT_NE(plugin_.dll, nullptr);
    }
    void TearDown() override { UnloadPlugin(&plugin_); }

    DialogTemplate Load(int id) {
        Resource res = FindDialog(plugin_.dll, id, kJapanese);
        EXPECT_NE(res.data, nullptr) << "dialog " << id << " in Japanese";
        if (!res.data) return DialogTemplate();
        DialogTemplate t = ParseDialog(res.data, res.size);
        EXPECT_TRUE(t.complete) << "dialog " << id << " parses within its " << res.size << " bytes";
        return t;
    }

    PluginCopy plugin_;
};

TEST_F(Resources, SettingsDialogTemplate) {
    DialogTemplate t = Load(101);
    EXPECT_EQ(t.style, kDialogStyle);
    EXPECT_EQ(t.exStyle, 0u);
    EXPECT_EQ(t.x, 0);
    EXPECT_EQ(t.y, 0);
    EXPECT_EQ(t.cx, 290);
    EXPECT_EQ(t.cy, 176);
    EXPECT_EQ(t.menu, u"");
    EXPECT_EQ(t.windowClass, u"");
    EXPECT_EQ(t.caption, u"configration - Title plugin");
    EXPECT_EQ(t.pointSize, 9);
    // "ＭＳ Ｐゴシック", full-width letters and katakana, kept as UTF-16.
    EXPECT_EQ(t.face, (std::u16string{0xFF2D, 0xFF33, 0x0020, 0xFF30, 0x30B4, 0x30B7, 0x30C3, 0x30AF}));
    ExpectItems(t, kConfigItems);
}

TEST_F(Resources, SettingsDialogTabStopsAndGroups) {
    DialogTemplate t = Load(101);
    std::vector<std::string> order, tabStops, groups;
    for (const ItemTemplate& item : t.items) {
        order.push_back(ItemName(item));
        if (item.style & WS_TABSTOP) tabStops.push_back(ItemName(item));
        if (item.style & WS_GROUP) groups.push_back(ItemName(item));
    }
    EXPECT_EQ(order, (std::vector<std::string>{"1", "2", "1005", "1000", "1003", "1004", "\"dots per\"",
                                               "\"millisecond\"", "\"scroll speed\"", "\"font\"", "1001", "1007",
                                               "1002", "1006", "1008", "1010", "1011", "1012", "1020", "1021", "1022",
                                               "1023", "\"seconds\"", "\"show the window\"", "1024", "\"speed\"", "1040",
                                               "\"pixels per second\""}));
    // The interval field comes before the step field.
    EXPECT_EQ(tabStops,
              (std::vector<std::string>{"1", "2", "1000", "1003", "1004", "1001", "1007", "1002", "1006", "1008",
                                        "1011", "1020", "1023", "1024", "1040"}));
    EXPECT_EQ(groups, (std::vector<std::string>{"1005", "\"dots per\"", "\"millisecond\"", "1012", "1020", "1023",
                                                "\"seconds\"", "1024", "\"speed\"", "\"pixels per second\""}));
}

TEST_F(Resources, AboutBoxTemplate) {
    DialogTemplate t = Load(102);
    EXPECT_EQ(t.style, kDialogStyle);
    EXPECT_EQ(t.cx, 139);
    EXPECT_EQ(t.cy, 54);
    EXPECT_EQ(t.menu, u"");
    EXPECT_EQ(t.windowClass, u"");
    EXPECT_EQ(t.caption, u"about title-plugin");
    EXPECT_EQ(t.pointSize, 9);
    EXPECT_EQ(t.face, u"Arial");
    ExpectItems(t, kAboutItems);
    if (t.items.empty()) return;
    // Four lines joined by single line feeds, the first two fixed.
    const std::string text = Narrow(t.items[0].text);
    EXPECT_EQ(text.compare(0, sizeof kAboutText - 1, kAboutText), 0) << text;
    size_t feeds = 0;
    for (char c : text) feeds += c == '\n';
    EXPECT_EQ(feeds, 3u) << text;
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_NE(text.back(), '\n');
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR found) {
    ((std::set<WORD>*)found)->insert(language);
    return TRUE;
}

struct Opened {
    std::string caption;
    int controls = 0;
};

BOOL CALLBACK CountChild(HWND, LPARAM count) {
    ++*(int*)count;
    return TRUE;
}

INT_PTR CALLBACK RecordAndEnd(HWND dialog, UINT message, WPARAM, LPARAM param) {
    if (message != WM_INITDIALOG) return 0;
    Opened* opened = (Opened*)param;
    char caption[64] = "";
    GetWindowTextA(dialog, caption, sizeof caption);
    opened->caption = caption;
    EnumChildWindows(dialog, CountChild, (LPARAM)&opened->controls);
    EndDialog(dialog, 42);
    return 1;
}

struct LanguageCase {
    int id;
    const char* caption;
    int controls;
};

// Both templates exist only in Japanese, and the dialog manager finds them
// from a thread whose language is not Japanese.
TEST_F(Resources, TemplatesExistOnlyInJapaneseAndStillOpen) {
    for (const LanguageCase& c : {LanguageCase{101, "configration - Title plugin", (int)(sizeof kConfigItems / sizeof kConfigItems[0])},
                                  LanguageCase{102, "about title-plugin", 2}}) {
        SCOPED_TRACE("dialog " + std::to_string(c.id));
        std::set<WORD> languages;
        EnumResourceLanguagesA(plugin_.dll, (LPCSTR)RT_DIALOG, MAKEINTRESOURCEA(c.id), CollectLanguage,
                               (LONG_PTR)&languages);
        EXPECT_EQ(languages, std::set<WORD>{kJapanese});
        Opened opened;
        INT_PTR result =
            DialogBoxParamA(plugin_.dll, MAKEINTRESOURCEA(c.id), nullptr, RecordAndEnd, (LPARAM)&opened);
        EXPECT_EQ(result, 42);
        EXPECT_EQ(opened.caption, c.caption);
        EXPECT_EQ(opened.controls, c.controls);
    }
}

}  // namespace
