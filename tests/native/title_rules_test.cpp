#include "display/title_rules.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Runs TrimTitle on a copy in a buffer as large as the one the plug-in
// fetches into, with guard bytes after the NUL that must stay untouched.
std::string Trim(const std::string& title, size_t* returned = nullptr) {
    std::vector<char> buf(title.size() + 1 + 8, '\x5A');
    memcpy(buf.data(), title.c_str(), title.size() + 1);
    size_t n = TrimTitle(buf.data());
    if (returned) *returned = n;
    for (size_t i = title.size() + 1; i < buf.size(); ++i)
        EXPECT_EQ(buf[i], '\x5A') << "wrote past the NUL at " << i;
    return std::string(buf.data());
}

std::string HighBytes() {
    std::string s;
    for (int c = 0x80; c <= 0xFF; ++c) s += static_cast<char>(c);
    return s;
}

struct TrimRow {
    const char* label;
    std::string title;
    std::string shown;
};

std::vector<TrimRow> TrimRows() {
    const std::string high = HighBytes();
    const std::string a505(505, 'a');
    return {
        {"player suffix", "Artist - Song - Winamp", "Artist - Song"},
        {"no spaces", "A-B", "A"},
        {"dash last", "A -", "A"},
        {"two spaces keep one", "A  - B", "A "},
        {"three spaces keep two", "A   -B", "A  "},
        {"space after dash only", "A- B", "A"},
        {"dash first only", "-abc", ""},
        {"no dash", "Song", ""},
        {"empty", "", ""},
        {"one char", "x", ""},
        {"one dash", "-", ""},
        {"two dashes", "--", "-"},
        {"three dashes", "---", "--"},
        {"space dash", " -", ""},
        {"dash space dash", "- -", "-"},
        {"last of many", "a-b-c-d", "a-b-c"},
        {"dash at 1", "a-", "a"},
        {"space at 0 before dash at 1", " -x", ""},
        {"en dash bytes are not a dash", "A \x96 B", ""},
        {"soft hyphen is not a dash", "A\xAD" "B", ""},
        {"510 chars, cut near end", a505 + " - xy", a505},
        {"511 chars, cut near end", a505 + "b - xy", a505 + "b"},
        {"510 chars, dash last", std::string(509, 'q') + "-", std::string(509, 'q')},
        {"511 chars, dash last", std::string(510, 'q') + "-", std::string(510, 'q')},
        {"510 chars, dash at 1", "q-" + std::string(508, 'q'), "q"},
        {"510 chars, no dash", std::string(510, 'q'), ""},
        {"511 chars, all dashes", std::string(511, '-'), std::string(510, '-')},
        {"every high byte, then suffix", high + " - Winamp", high},
        {"every high byte, no dash", high, ""},
        {"every high byte around a dash", high + "-" + high, high},
        {"high bytes hug the dash", "\x80\xFF-\xFE\x81", "\x80\xFF"},
        {"high byte then space dash", "\xE9 -\xE9", "\xE9"},
        {"dash between high bytes, twice", "\xC0-\xC1-\xC2", "\xC0-\xC1"},
    };
}

TEST(TrimTitle, Table) {
    for (const TrimRow& row : TrimRows()) {
        SCOPED_TRACE(row.label);
        size_t returned = SIZE_MAX;
        const std::string shown = Trim(row.title, &returned);
        EXPECT_EQ(shown, row.shown);
        EXPECT_EQ(returned, shown.size()) << "returned length differs from strlen";
    }
}

// Whatever the input, the shown text is a prefix that ends just before a
// dash (or one space before it), and no later position after 0 holds a dash.
TEST(TrimTitle, EverySingleByteAroundADash) {
    for (int c = 1; c <= 0xFF; ++c) {
        const char ch = static_cast<char>(c);
        for (const std::string& title : {std::string(1, ch) + "-", std::string("x") + ch + "-" + ch,
                                         std::string(1, ch) + " -" + ch + ch}) {
            SCOPED_TRACE("byte " + std::to_string(c) + " in \"" + title + "\"");
            size_t returned = 0;
            const std::string shown = Trim(title, &returned);
            ASSERT_EQ(returned, shown.size());
            ASSERT_EQ(title.compare(0, shown.size(), shown), 0) << "not a prefix";
            const size_t lastDash = title.find_last_of('-');
            ASSERT_NE(lastDash, std::string::npos);
            ASSERT_GE(lastDash, 1u);
            size_t expected = lastDash;
            if (title[lastDash - 1] == ' ') --expected;
            EXPECT_EQ(shown.size(), expected);
        }
    }
}

struct LayoutRow {
    const char* label;
    int32_t w, h, screenW;
    int32_t extent, surface;
    bool scrolls;
    int flags;
};

TEST(LayoutTitle, Table) {
    const LayoutRow rows[] = {
        {"narrower", 150, 40, 392, 150, 392, false, 0x125},
        {"exactly screen wide", 392, 40, 392, 392, 392, false, 0x125},
        {"empty text", 0, 40, 392, 0, 392, false, 0x125},
        {"one wider", 393, 40, 392, 393 + 80, 393 + 80, true, 0x124},
        {"much wider", 1000, 17, 200, 1034, 1034, true, 0x124},
        {"zero height scrolls without gap", 300, 0, 200, 300, 300, true, 0x124},
        {"zero-width window", 10, 5, 0, 20, 20, true, 0x124},
        {"huge width saturates", INT32_MAX, 40, 392, INT32_MAX, INT32_MAX, true, 0x124},
        {"huge height saturates", 400, INT32_MAX, 392, INT32_MAX, INT32_MAX, true, 0x124},
        {"both huge", INT32_MAX, INT32_MAX, INT32_MIN, INT32_MAX, INT32_MAX, true, 0x124},
        {"just below saturation", INT32_MAX - 100, 50, 0, INT32_MAX, INT32_MAX, true, 0x124},
        {"one below the limit", INT32_MAX - 101, 50, 0, INT32_MAX - 1, INT32_MAX - 1, true, 0x124},
        {"negative height saturates low", 0, INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN, true, 0x124},
        {"negative window, small text", 5, 1, -50, 7, 7, true, 0x124},
        {"huge fitting text", INT32_MAX, 40, INT32_MAX, INT32_MAX, INT32_MAX, false, 0x125},
    };
    for (const LayoutRow& r : rows) {
        SCOPED_TRACE(r.label);
        const TitleLayout l = LayoutTitle(r.w, r.h, r.screenW);
        EXPECT_EQ(l.extentWidth, r.extent);
        EXPECT_EQ(l.surfaceWidth, r.surface);
        EXPECT_EQ(l.scrolls, r.scrolls);
        EXPECT_EQ(l.drawFlags, r.flags);
    }
}

}  // namespace
