#include "display/script_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

TEST(ScriptRules, MissingCharactersFallToTheirScriptsGroup) {
    struct Row {
        std::u16string title;
        int32_t han;      // HanGroupOf the title
        uint32_t first;   // its first character
        int32_t units;
        int32_t group;    // FallbackGroupOf that character
    } rows[] = {
        {u"日本語のタイトル", kGroupJapanese, 0x65E5, 1, kGroupJapanese},
        {u"中文歌曲", kGroupChinese, 0x4E2D, 1, kGroupChinese},
        {u"한국어 노래", kGroupKorean, 0xD55C, 1, kGroupKorean},
        {u"漢字と한글", kGroupJapanese, 0x6F22, 1, kGroupJapanese},  // kana wins over Hangul
        {u"漢字 한글", kGroupKorean, 0x6F22, 1, kGroupKorean},
        {u"\U0001F600 smile", kGroupChinese, 0x1F600, 2, kGroupSymbol},
        {u"\u2605 star", kGroupChinese, 0x2605, 1, kGroupSymbol},
        {u"\U00020000", kGroupChinese, 0x20000, 2, kGroupChinese},  // Han beyond the BMP
        {u"\u0E01\u0E02", kGroupChinese, 0x0E01, 1, kGroupOther},     // Thai
        {u"\xD83D", kGroupChinese, 0xD83D, 1, kGroupOther},           // a lone high surrogate
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << std::hex << row.first);
        const int32_t n = (int32_t)row.title.size();
        EXPECT_EQ(HanGroupOf(row.title.c_str(), n), row.han);
        int32_t units = 0;
        EXPECT_EQ(CodePointAt(row.title.c_str(), n, 0, &units), row.first);
        EXPECT_EQ(units, row.units);
        EXPECT_EQ(FallbackGroupOf(row.first, row.han), row.group);
        EXPECT_TRUE(NeedsCoverageCheck(row.title.c_str(), n));
    }
    EXPECT_FALSE(NeedsCoverageCheck(u"Artist - Song (Live) ~ 100%", 27));
}

TEST(ScriptRules, RunsOfOneFace) {
    struct Row {
        std::vector<uint8_t> slots;
        int32_t maxRuns;
        std::vector<int> expected;  // start, length, slot of each run
    } rows[] = {
        {{}, 8, {}},
        {{0, 0, 0}, 8, {0, 3, 0}},
        {{0, 1, 1, 0, 2}, 8, {0, 1, 0, 1, 2, 1, 3, 1, 0, 4, 1, 2}},
        {{4 | kSlotByGlyph, 4 | kSlotByGlyph, 4}, 8, {0, 2, 4 | kSlotByGlyph, 2, 1, 4}},
        // More runs than room: the rest goes to the chosen font in the last.
        {{1, 0, 1, 0, 1}, 3, {0, 1, 1, 1, 1, 0, 2, 3, 0}},
        {{1, 0}, 0, {}},
    };
    for (const Row& row : rows) {
        TextRun runs[8];
        const int32_t n = SplitRuns(row.slots.data(), (int32_t)row.slots.size(), runs, row.maxRuns);
        std::vector<int> got;
        for (int32_t i = 0; i < n; ++i) got.insert(got.end(), {runs[i].start, runs[i].length, runs[i].slot});
        EXPECT_EQ(got, row.expected);
    }
}

TEST(ScriptRules, FirstStrongCharacterSetsTheReadingOrder) {
    struct Row {
        std::u16string title;
        std::vector<uint16_t> types;  // CT_CTYPE2: 1 L, 2 R, 3 EN, 10 WS, 11 ON, 0 none
        bool mayBe, rtl;
    } rows[] = {
        {u"1. שלום", {3, 11, 10, 2, 2, 2, 2}, true, true},
        {u"שלום abc", {2, 2, 2, 2, 10, 1, 1, 1}, true, true},
        {u"abc שלום", {1, 1, 1, 10, 2, 2, 2, 2}, true, false},
        {u"123 - مرحبا", {3, 3, 3, 10, 11, 10, 2, 2, 2, 2, 2}, true, true},
        {u"12 ...", {3, 3, 10, 11, 11, 11}, false, false},
        {u"Кино", {1, 1, 1, 1}, false, false},
        {u"\U00010900", {2, 2}, true, true},  // Phoenician, beyond the BMP
    };
    for (const Row& row : rows) {
        EXPECT_EQ(MayBeRightToLeft(row.title.c_str(), (int32_t)row.title.size()), row.mayBe);
        EXPECT_EQ(FirstStrongIsRightToLeft(row.types.data(), (int32_t)row.types.size()), row.rtl);
    }
    EXPECT_EQ(DirectedDrawFlags(0x924, true, false), 0x924);
    EXPECT_EQ(DirectedDrawFlags(0x925, false, false), 0x925);
    EXPECT_EQ(DirectedDrawFlags(0x925, false, true), 0x925 | kDrawFlagRtlReading);
    EXPECT_EQ(DirectedDrawFlags(0x924, true, true), 0x924 | kDrawFlagRtlReading | kDrawFlagRight);
}

TEST(ScriptRules, RightToLeftRingIsSeenInAMirror) {
    struct Row {
        int32_t offset, screenW, ringWidth;
        bool rtl;
        int32_t shown;
    } rows[] = {
        {0, 200, 300, false, 0},   {150, 200, 300, false, 150},
        {0, 200, 300, true, 100},  // at rest: the ring's end at the window's right edge
        {30, 200, 300, true, 70},  // moving right: the window's start moves left
        {100, 200, 300, true, 0},
        {150, 200, 300, true, 250},  // across the seam
        {299, 200, 300, true, 101},
        {0, 300, 300, true, 0},  // fits: no marquee, no mirror
        {0, 400, 300, true, 0},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ShownOffset(row.offset, row.screenW, row.ringWidth, row.rtl), row.shown)
            << row.offset << " " << row.screenW << " " << row.ringWidth;
    }
}

// A cmap table: a format 4 record (ignored) and a format 12 one.
std::vector<uint8_t> Cmap(bool withFull) {
    std::vector<uint8_t> t;
    auto be = [&](uint32_t v, int bytes) {
        for (int i = bytes - 1; i >= 0; --i) t.push_back(uint8_t(v >> (8 * i)));
    };
    be(0, 2);
    be(withFull ? 2 : 1, 2);
    be(3, 2), be(1, 2), be(withFull ? 20 : 12, 4);
    if (withFull) be(3, 2), be(10, 2), be(28, 4);
    be(4, 2), be(8, 2), be(0, 4);  // a stub format 4
    if (!withFull) return t;
    be(12, 2), be(0, 2), be(16 + 3 * 12, 4), be(0, 4), be(3, 4);
    be(0x20, 4), be(0x7E, 4), be(3, 4);
    be(0x1F600, 4), be(0x1F64F, 4), be(1000, 4);
    be(0x20000, 4), be(0x20000, 4), be(77, 4);
    return t;
}

bool ReadBytes(void* context, uint32_t offset, uint8_t* out, uint32_t size) {
    const std::vector<uint8_t>& t = *static_cast<std::vector<uint8_t>*>(context);
    if (offset > t.size() || size > t.size() - offset) return false;
    memcpy(out, t.data() + offset, size);
    return true;
}

TEST(ScriptRules, GlyphsBeyondTheBmpFromTheCmap) {
    std::vector<uint8_t> full = Cmap(true), bmpOnly = Cmap(false);
    struct Row {
        uint32_t codePoint, glyph;
    } rows[] = {{0x1F600, 1000}, {0x1F601, 1001}, {0x1F64F, 1079}, {0x1F650, 0},
                {0x20000, 77},   {0x41, 36},      {0x1F5FF, 0},    {0x10FFFF, 0}};
    for (const Row& row : rows) {
        EXPECT_EQ(CmapGlyph(ReadBytes, &full, row.codePoint), row.glyph) << std::hex << row.codePoint;
        EXPECT_EQ(CmapGlyph(ReadBytes, &bmpOnly, row.codePoint), 0u);
    }
    // Cut short anywhere: no glyph, no read past the end.
    for (size_t size = 0; size < full.size(); ++size) {
        std::vector<uint8_t> cut(full.begin(), full.begin() + size);
        EXPECT_EQ(CmapGlyph(ReadBytes, &cut, 0x20000), 0u) << size;
    }
}

}  // namespace
