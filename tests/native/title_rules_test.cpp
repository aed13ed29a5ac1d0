#include "display/title_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Runs TrimTitle on a copy in a buffer as large as the one the plug-in
// fetches into, with guard units after the NUL that must stay untouched.
std::u16string Trim(const std::u16string& title, size_t* returned = nullptr) {
    std::vector<TitleChar> buf(title.size() + 1 + 8, u'\x5A');
    std::copy(title.c_str(), title.c_str() + title.size() + 1, buf.begin());
    size_t n = TrimTitle(buf.data());
    if (returned) *returned = n;
    for (size_t i = title.size() + 1; i < buf.size(); ++i)
        EXPECT_EQ(buf[i], u'\x5A') << "wrote past the NUL at " << i;
    return std::u16string(buf.data());
}

struct TrimRow {
    const char* label;
    std::u16string title;
    std::u16string shown;
};

std::vector<TrimRow> TrimRows() {
    const std::u16string a505(505, u'a');
    return {
        {"player suffix", u"Artist - Song - Winamp", u"Artist - Song"},
        {"no spaces", u"A-B", u"A"},
        {"dash last", u"A -", u"A"},
        {"two spaces keep one", u"A  - B", u"A "},
        {"three spaces keep two", u"A   -B", u"A  "},
        {"space after dash only", u"A- B", u"A"},
        {"dash first only", u"-abc", u""},
        {"no dash", u"Song", u""},
        {"empty", u"", u""},
        {"one char", u"x", u""},
        {"one dash", u"-", u""},
        {"two dashes", u"--", u"-"},
        {"three dashes", u"---", u"--"},
        {"space dash", u" -", u""},
        {"dash space dash", u"- -", u"-"},
        {"last of many", u"a-b-c-d", u"a-b-c"},
        {"dash at 1", u"a-", u"a"},
        {"space at 0 before dash at 1", u" -x", u""},
        {"dash inside the artist", u"a-ha - Take On Me - Winamp", u"a-ha - Take On Me"},
        {"paused suffix", u"3. Queen - Bohemian Rhapsody - Winamp [Paused]", u"3. Queen - Bohemian Rhapsody"},
        {"ampersands kept", u"Simon & Garfunkel - The Boxer - Winamp", u"Simon & Garfunkel - The Boxer"},
        {"Cyrillic", u"1. Кино - Группа крови - Winamp", u"1. Кино - Группа крови"},
        {"Greek", u"Μίκης Θεοδωράκης - Ζορμπάς - Winamp", u"Μίκης Θεοδωράκης - Ζορμπάς"},
        {"Japanese", u"坂本九 - 上を向いて歩こう - Winamp", u"坂本九 - 上を向いて歩こう"},
        {"accented Latin", u"Céline Dion - Pour que tu m'aimes encore - Winamp",
         u"Céline Dion - Pour que tu m'aimes encore"},
        {"en dash is not a dash", u"A \u2013 B", u""},
        {"minus sign is not a dash", u"A \u2212 B", u""},
        {"full-width hyphen is not a dash", u"A\uFF0DB", u""},
        {"soft hyphen is not a dash", u"A\u00ADB", u""},
        {"a unit with a dash in its low byte is not a dash", u"A\u012DB\uFF2D", u""},
        {"surrogate pairs hug the dash", u"\U0001F3B5-\U0001F3B6", u"\U0001F3B5"},
        {"no-break space before the dash stays", u"A\u00A0-B", u"A\u00A0"},
        {"510 chars, cut near end", a505 + u" - xy", a505},
        {"511 chars, cut near end", a505 + u"b - xy", a505 + u"b"},
        {"510 chars, dash last", std::u16string(509, u'q') + u"-", std::u16string(509, u'q')},
        {"511 chars, dash last", std::u16string(510, u'q') + u"-", std::u16string(510, u'q')},
        {"510 chars, dash at 1", u"q-" + std::u16string(508, u'q'), u"q"},
        {"510 chars, no dash", std::u16string(510, u'q'), u""},
        {"511 chars, all dashes", std::u16string(511, u'-'), std::u16string(510, u'-')},
        {"510 Cyrillic chars, cut near end", std::u16string(505, u'Ж') + u" - Ж", std::u16string(505, u'Ж')},
    };
}

TEST(TrimTitle, Table) {
    for (const TrimRow& row : TrimRows()) {
        SCOPED_TRACE(row.label);
        size_t returned = SIZE_MAX;
        const std::u16string shown = Trim(row.title, &returned);
        EXPECT_TRUE(shown == row.shown);
        EXPECT_EQ(returned, shown.size()) << "returned length differs from the string's";
    }
}

// Whatever the input, the shown text is a prefix that ends just before a
// dash (or one space before it), and no later position after 0 holds a dash.
TEST(TrimTitle, EveryCodeUnitAroundADash) {
    for (int c = 1; c <= 0xFFFF; ++c) {
        const TitleChar ch = static_cast<TitleChar>(c);
        for (const std::u16string& title : {std::u16string(1, ch) + u"-", std::u16string(u"x") + ch + u"-" + ch,
                                            std::u16string(1, ch) + u" -" + ch + ch}) {
            size_t returned = 0;
            const std::u16string shown = Trim(title, &returned);
            ASSERT_EQ(returned, shown.size()) << "unit " << c;
            ASSERT_EQ(title.compare(0, shown.size(), shown), 0) << "not a prefix, unit " << c;
            const size_t lastDash = title.find_last_of(u'-');
            ASSERT_NE(lastDash, std::u16string::npos);
            ASSERT_GE(lastDash, 1u);
            size_t expected = lastDash;
            if (title[lastDash - 1] == u' ') --expected;
            ASSERT_EQ(shown.size(), expected) << "unit " << c;
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
        {"narrower", 150, 40, 392, 150, 392, false, 0x925},
        {"exactly screen wide", 392, 40, 392, 392, 392, false, 0x925},
        {"empty text", 0, 40, 392, 0, 392, false, 0x925},
        {"one wider", 393, 40, 392, 393 + 80, 393 + 80, true, 0x924},
        {"much wider", 1000, 17, 200, 1034, 1034, true, 0x924},
        {"zero height scrolls without gap", 300, 0, 200, 300, 300, true, 0x924},
        {"zero-width window", 10, 5, 0, 20, 20, true, 0x924},
        {"huge width saturates", INT32_MAX, 40, 392, INT32_MAX, INT32_MAX, true, 0x924},
        {"huge height saturates", 400, INT32_MAX, 392, INT32_MAX, INT32_MAX, true, 0x924},
        {"both huge", INT32_MAX, INT32_MAX, INT32_MIN, INT32_MAX, INT32_MAX, true, 0x924},
        {"just below saturation", INT32_MAX - 100, 50, 0, INT32_MAX, INT32_MAX, true, 0x924},
        {"one below the limit", INT32_MAX - 101, 50, 0, INT32_MAX - 1, INT32_MAX - 1, true, 0x924},
        {"negative height saturates low", 0, INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN, true, 0x924},
        {"negative window, small text", 5, 1, -50, 7, 7, true, 0x924},
        {"huge fitting text", INT32_MAX, 40, INT32_MAX, INT32_MAX, INT32_MAX, false, 0x925},
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

struct SurfaceRow {
    const char* label;
    int32_t w, h;
    bool fits;
};

TEST(SurfaceFits, Table) {
    const SurfaceRow rows[] = {
        {"a window", 400, 30, true},
        {"one pixel", 1, 1, true},
        {"zero width", 0, 30, false},
        {"zero height", 400, 0, false},
        {"negative width", -5, 30, false},
        {"negative height", 400, -30, false},
        {"exactly the limit", 1 << 20, 16, true},
        {"one row past the limit", 1 << 20, 17, false},
        {"a 510-character title 120 px high", 40000, 120, true},
        {"a 510-character title 900 px high", 300000, 900, false},
        {"both huge", INT32_MAX, INT32_MAX, false},
    };
    for (const SurfaceRow& r : rows) {
        SCOPED_TRACE(r.label);
        EXPECT_EQ(SurfaceFits(r.w, r.h), r.fits);
    }
}

}  // namespace
