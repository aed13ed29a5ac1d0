#include "display/outline_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

#include "display/marquee_rules.h"

namespace {

TEST(Outline, LevelAndWidthForEachHeight) {
    struct Row {
        int32_t stored, level, height, width;
    } rows[] = {
        {0, 0, 64, 0},         {-7, 0, 64, 0},       {1, 1, 64, 3},       {2, 2, 64, 6},
        {9, 2, 64, 6},         {INT32_MIN, 0, 24, 0}, {INT32_MAX, 2, 24, 2}, {1, 1, 1, 1},
        {1, 1, 0, 1},          {1, 1, -5, 1},        {1, 1, 35, 1},       {1, 1, 36, 2},
        {2, 2, 11, 2},         {1, 1, 96, 4},        {2, 2, 96, 8},       {1, 1, 5000, 208},
        {2, 2, 5000, 255},     {1, 1, INT32_MAX, 255},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.stored << " at h " << row.height);
        EXPECT_EQ(OutlineLevel(row.stored), row.level);
        EXPECT_EQ(OutlineWidth(row.stored, row.height), row.width);
    }
}

TEST(Outline, CoverageAndItsWideningByADisc) {
    struct Row {
        const char* label;
        uint32_t mask;  // the one lit pixel in the middle of a 9 x 9 mask
        int32_t r;
        int dx, dy;  // a place relative to it
        uint8_t text, outline;
        int litX = 4, ring = 0;  // the lit pixel's column; a marquee ring's width
    } rows[] = {
        {"white is full", 0xFFFFFF, 0, 0, 0, 255, 255},
        {"black is none", 0x000000, 3, 0, 0, 0, 0},
        {"grey keeps its level", 0x808080, 1, 0, 0, 128, 128},
        {"a coloured fringe: its brightest channel", 0x2040C0, 1, 0, 0, 0xC0, 0xC0},
        {"alpha in the mask is ignored", 0xFF000000, 2, 0, 0, 0, 0},
        {"beside it, within r", 0xFFFFFF, 2, 2, 0, 0, 255},
        {"below it, within r", 0xFFFFFF, 2, 0, -2, 0, 255},
        {"on the disc's edge", 0xFFFFFF, 5, 3, 4, 0, 255},
        {"a corner outside the disc", 0xFFFFFF, 2, 2, 2, 0, 0},
        {"beyond r", 0xFFFFFF, 2, 3, 0, 0, 0},
        {"no outline: no widening", 0xFFFFFF, 0, 1, 0, 0, 0},
        {"a radius past the mask", 0x404040, 40, 4, 4, 0, 0x40},
        {"a negative radius is none", 0xFFFFFF, -3, 1, 0, 0, 0},
        {"round the ring's seam", 0xFFFFFF, 2, 8, 0, 0, 255, 0, 9},
        {"round a narrower ring", 0xFFFFFF, 2, 6, 1, 0, 255, 0, 7},
        {"past the ring, nothing wraps", 0xFFFFFF, 2, 8, 0, 0, 0, 0, 7},
        {"no ring, no wrap", 0xFFFFFF, 2, 8, 0, 0, 0, 0, 0},
        {"a ring wider than the mask", 0xFFFFFF, 2, 8, 0, 0, 255, 0, 40},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        std::vector<uint32_t> px(81, 0xFF000000u);
        px[4 * 9 + row.litX] = row.mask;
        MaskToCoverage(px.data(), 9, 9, row.r, row.ring);
        const uint32_t at = px[(4 + row.dy) * 9 + row.litX + row.dx];
        EXPECT_EQ(at & 0xFF, row.text);
        EXPECT_EQ((at >> 8) & 0xFF, row.outline);
        EXPECT_EQ(at >> 16, 0u);
    }
}

// Today's widening by the disc, as it was before the passes: each source
// pixel's row maxima spread to the rows within r, the ring's columns
// wrapping round it. Kept here only to compare with.
std::vector<uint8_t> DiscWidening(const std::vector<uint8_t>& cover, int w, int h, int r, int ring) {
    std::vector<uint8_t> out(cover);
    if (r < 0) return out;
    std::vector<int> half(r + 1);
    for (int dy = 0, x = r; dy <= r; ++dy) {
        while (x > 0 && x * x + dy * dy > r * r) --x;
        half[dy] = x;
    }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::vector<uint8_t> across(r + 1);
            uint8_t m = cover[y * w + x];
            across[0] = m;
            for (int k = 1; k <= r; ++k) {
                int left = x - k, right = x + k;
                if (x < ring) left = (left % ring + ring) % ring, right %= ring;
                if (left >= 0) m = std::max(m, cover[y * w + left]);
                if (right < w) m = std::max(m, cover[y * w + right]);
                across[k] = m;
            }
            for (int dy = -r; dy <= r; ++dy)
                if (y + dy >= 0 && y + dy < h) {
                    uint8_t& o = out[(y + dy) * w + x];
                    o = std::max(o, across[half[std::abs(dy)]]);
                }
        }
    return out;
}

// The widening against the disc: exactly it up to radius 8, beyond (where
// its cost no longer grows with r) between the discs of r - 1 and r + 1.
TEST(Outline, WideningWithinAPixelOfTheDisc) {
    struct Row {
        const char* label;
        int r, w, h, ring;
        std::vector<std::pair<int, int>> lit;  // grey levels at (x, y), in turn 255, 128, 40
        int slack = 0;                          // pixels the widening may fall short of r - 1
    } rows[] = {
        {"thin at the default height", 2, 30, 20, 0, {{10, 10}, {11, 10}, {20, 5}}},
        {"thick at the default height", 4, 30, 20, 0, {{10, 10}, {11, 12}, {25, 15}}},
        {"the largest exact disc", 8, 40, 40, 0, {{20, 20}}},
        {"the first polygon", 9, 40, 40, 0, {{20, 20}, {22, 21}}},
        {"thin at 300 pixels", 13, 60, 60, 0, {{30, 30}, {31, 30}, {45, 40}}},
        {"thin at 540 pixels", 23, 80, 80, 0, {{40, 40}, {42, 45}}},
        {"thick at 540 pixels", 46, 140, 140, 0, {{70, 70}, {75, 72}, {60, 80}}},
        {"thick at 800 pixels", 67, 180, 180, 0, {{90, 90}}},
        {"round the ring's seam", 23, 60, 80, 60, {{2, 40}, {58, 30}, {30, 50}}},
        {"round a ring narrower than the disc", 23, 30, 80, 30, {{2, 40}}},
        {"a ring narrower than the mask", 12, 60, 40, 45, {{2, 20}, {40, 20}}},
        {"text on the top row", 46, 140, 60, 0, {{70, 0}}, 4},
        {"text on the bottom row and a side", 23, 80, 40, 0, {{0, 39}}, 5},
        {"a single row, shorter than its windows", 60, 20, 1, 0, {{18, 0}, {3, 0}}, 44},
    };
    const uint8_t levels[] = {255, 128, 40};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        std::vector<uint32_t> px(row.w * row.h, 0xFF000000u);
        std::vector<uint8_t> cover(px.size(), 0);
        for (size_t i = 0; i < row.lit.size(); ++i) {
            const int at = row.lit[i].second * row.w + row.lit[i].first;
            cover[at] = levels[i % 3];
            px[at] = 0x010101u * levels[i % 3];
        }
        MaskToCoverage(px.data(), row.w, row.h, row.r, row.ring);
        const int ring = row.ring;
        const auto exact = DiscWidening(cover, row.w, row.h, row.r, ring);
        const auto inner = DiscWidening(cover, row.w, row.h, row.r - 1 - row.slack, ring);
        const auto outer = DiscWidening(cover, row.w, row.h, row.r + 1, ring);
        int wrong = 0;
        for (size_t i = 0; i < px.size(); ++i) {
            const uint8_t text = px[i] & 0xFF, outline = (px[i] >> 8) & 0xFF;
            if (text != cover[i] || px[i] >> 16 != 0) ++wrong;
            if (row.r <= 8 ? outline != exact[i] : outline < inner[i] || outline > outer[i]) ++wrong;
        }
        EXPECT_EQ(wrong, 0);
    }
}

TEST(Outline, ComposedPixels) {
    const uint32_t red = 0x0000FF, blue = 0xFF0000, grey = 0x808080;
    struct Row {
        const char* label;
        uint8_t text, outline;
        bool transparent;
        uint32_t expected;  // 0xAARRGGBB
    } rows[] = {
        {"opaque background is the background", 0, 0, false, 0xFF808080},
        {"opaque inside a glyph", 255, 255, false, 0xFFFF0000},
        {"opaque outline", 0, 255, false, 0xFF0000FF},
        {"opaque text edge over outline", 128, 255, false, 0xFF80007F},
        {"opaque outline edge over background", 0, 128, false, 0xFF4040C0},
        {"clear away from text and outline: alpha 1", 0, 0, true, 0x01000000},
        {"clear inside a glyph", 255, 0, true, 0xFFFF0000},
        {"clear outline", 0, 255, true, 0xFF0000FF},
        {"clear outline edge, premultiplied", 0, 128, true, 0x80000080},
        {"clear faint edge", 0, 1, true, 0x01000001},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(ComposePixel(row.text, row.outline, red, blue, grey, row.transparent), row.expected);
    }
}

// Over every coverage pair and some colours: premultiplied channels never
// above alpha, alpha never 0, and the opaque ends exact.
TEST(Outline, PremultipliedNeverAboveAlpha) {
    const uint32_t colours[] = {0x000000, 0xFFFFFF, 0x0080FF, 0x7F7F7F, 0xFF00FF};
    for (uint32_t tc : colours)
        for (uint32_t oc : colours)
            for (int t = 0; t < 256; ++t)
                for (int o = 0; o < 256; ++o) {
                    const uint32_t p = ComposePixel((uint8_t)t, (uint8_t)o, tc, oc, 0x123456, true);
                    const uint32_t a = p >> 24;
                    ASSERT_GE(a, 1u);
                    ASSERT_LE((p >> 16) & 0xFF, a);
                    ASSERT_LE((p >> 8) & 0xFF, a);
                    ASSERT_LE(p & 0xFF, a);
                    if (t == 255 || o == 255) {
                        ASSERT_EQ(a, 255u);
                    }
                    if (t == 0 && o == 0) {
                        ASSERT_EQ(p, 0x01000000u);
                    }
                }
}

// A transparent step shows exactly the composed ring's pieces, and clear
// pixels where the surface ends.
TEST(Outline, RingSliceIsTheComposedRingsSlice) {
    struct Row {
        int32_t surfaceW, ringWidth, offset, screenW;
    } rows[] = {
        {40, 40, 0, 16}, {40, 40, 30, 16}, {40, 40, 39, 16}, {40, 36, 30, 16},
        {20, 12, 0, 16}, {20, 20, 5, 30},  {10, 40, 0, 16},  {40, 40, -3, 16},
    };
    const int32_t rows_ = 3;
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "offset " << row.offset << " ring " << row.ringWidth);
        std::vector<uint32_t> surface(row.surfaceW * rows_), out(row.screenW * rows_, 7);
        for (size_t i = 0; i < surface.size(); ++i) surface[i] = 0x80000000u + (uint32_t)i;
        RingSlice(surface.data(), row.surfaceW, rows_, row.offset, row.ringWidth, row.screenW, out.data());
        std::vector<uint32_t> expected(out.size(), 0x01000000u);
        RingPiece pieces[2];
        const int n = RingPieces(row.offset, row.screenW, row.ringWidth, pieces);
        for (int i = 0; i < n; ++i)
            for (int y = 0; y < rows_; ++y)
                for (int x = 0; x < pieces[i].width; ++x)
                    if (pieces[i].srcX + x < row.surfaceW)
                        expected[y * row.screenW + pieces[i].dstX + x] = surface[y * row.surfaceW + pieces[i].srcX + x];
        EXPECT_EQ(out, expected);
    }
}

}  // namespace
