#include "display/marquee_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

struct Marquee {
    int32_t offset;
    uint32_t clock;
};

// What a composition at tick `t` leaves behind: offset 0, a 2000 ms stand.
Marquee ComposedAt(uint32_t t) { return Marquee{0, t + 2000u}; }

bool Tick(Marquee& m, uint32_t now, int32_t interval, int32_t step, int32_t ringWidth) {
    return AdvanceMarquee(MarqueeInput{now, interval, step, ringWidth}, &m.offset, &m.clock);
}

// Compositions just before, across and well away from the 2^32 wrap.
const uint32_t kCompositionTicks[] = {0u, 123456u, 0xFFFFFFFFu - 2050u, 0xFFFFFFFFu - 10u, 0xFFFFFFFFu};

struct CallRow {
    uint32_t sinceComposition;  // now - T
    bool moves;
    int32_t offset;
    uint32_t clockSinceComposition;  // clock - T
};

// Interval 20 ms, step 1: each row is a single call right after composing.
TEST(AdvanceMarquee, FirstCallAfterComposition) {
    const CallRow rows[] = {
        {0, false, 0, 2000},     {1000, false, 0, 2000},  {1999, false, 0, 2000},
        {2000, false, 0, 2000},  {2019, false, 0, 2000},  {2020, true, 1, 2020},
        {2039, true, 1, 2020},   {2040, true, 2, 2040},   {2105, true, 5, 2100},
        {2119, true, 5, 2100},   {4000, true, 100, 4000}, {4019, true, 100, 4000},
    };
    for (uint32_t t : kCompositionTicks) {
        for (const CallRow& r : rows) {
            SCOPED_TRACE("T=" + std::to_string(t) + " call at T+" + std::to_string(r.sinceComposition));
            Marquee m = ComposedAt(t);
            EXPECT_EQ(Tick(m, t + r.sinceComposition, 20, 1, 100000), r.moves);
            EXPECT_EQ(m.offset, r.offset);
            EXPECT_EQ(m.clock - t, r.clockSinceComposition);
        }
    }
}

// One run of calls in order: the 5 ms left over at T+2105 count toward the
// next step, which comes 15 ms later, not 20.
TEST(AdvanceMarquee, RemainderCarriesToNextStep) {
    const CallRow rows[] = {
        {1500, false, 0, 2000}, {2019, false, 0, 2000}, {2105, true, 5, 2100},
        {2114, false, 5, 2100}, {2119, false, 5, 2100}, {2120, true, 6, 2120},  {2139, false, 6, 2120},
        {2140, true, 7, 2140},  {2140, false, 7, 2140}, {2200, true, 10, 2200},
    };
    for (uint32_t t : kCompositionTicks) {
        Marquee m = ComposedAt(t);
        for (const CallRow& r : rows) {
            SCOPED_TRACE("T=" + std::to_string(t) + " call at T+" + std::to_string(r.sinceComposition));
            EXPECT_EQ(Tick(m, t + r.sinceComposition, 20, 1, 100000), r.moves);
            EXPECT_EQ(m.offset, r.offset);
            EXPECT_EQ(m.clock - t, r.clockSinceComposition);
        }
    }
}

// 20 ms per 1 px is 50 px/s, whether the host calls every 10 or 100 ms.
TEST(AdvanceMarquee, SpeedIndependentOfFrameRate) {
    for (uint32_t frameMs : {10u, 100u, 20u, 50u}) {
        SCOPED_TRACE("frames every " + std::to_string(frameMs) + " ms");
        const uint32_t t = 0xFFFFFFFFu - 5000u;  // run across the wrap too
        Marquee m = ComposedAt(t);
        for (uint32_t ms = frameMs; ms <= 2000 + 10000; ms += frameMs) {
            Tick(m, t + ms, 20, 1, 1000000);
            if (ms >= 2000 && (ms - 2000) % 1000 == 0) {
                EXPECT_EQ(m.offset, int32_t((ms - 2000) / 1000 * 50)) << "after " << (ms - 2000) << " ms of stepping";
            }
        }
        EXPECT_EQ(m.offset, 500);
    }
}

struct WrapRow {
    const char* label;
    int32_t offset, step, interval, ringWidth;
    uint32_t elapsed;  // now - clock at the wrapping call
};

// Reaching or passing W returns to 0 and stands 2000 ms; with r ms left of
// the current interval the next step comes 2000 + interval - r ms later.
TEST(AdvanceMarquee, WrapStandsAndCarriesRemainder) {
    const WrapRow rows[] = {
        {"reaches W exactly", 299, 1, 20, 300, 20},
        {"reaches W with remainder", 299, 1, 20, 300, 27},
        {"passes W in one step", 298, 5, 20, 300, 39},
        {"passes W over many steps", 295, 1, 20, 300, 219},
        {"offset already at W", 300, 1, 20, 300, 20},
        {"one-pixel ring", 0, 1, 1, 1, 1},
        {"large step and interval", 10, 1000, 700, 500, 1399},
        {"huge elapsed time", 0, 1, 1, 300, uint32_t(INT32_MAX)},
        {"step near INT32_MAX", 1, INT32_MAX, 1, INT32_MAX, 5},
    };
    for (const WrapRow& r : rows) {
        SCOPED_TRACE(r.label);
        for (uint32_t clock0 : {1000000u, 0xFFFFFFF0u, 0xFFFFF000u}) {
            Marquee m{r.offset, clock0};
            const uint32_t now = clock0 + r.elapsed;
            ASSERT_TRUE(Tick(m, now, r.interval, r.step, r.ringWidth));
            EXPECT_EQ(m.offset, 0);
            const uint32_t steps = r.elapsed / uint32_t(r.interval);
            const uint32_t rem = r.elapsed % uint32_t(r.interval);
            EXPECT_EQ(m.clock, clock0 + steps * uint32_t(r.interval) + 2000u);
            const uint32_t next = now + 2000u + uint32_t(r.interval) - rem;
            Marquee early = m;
            EXPECT_FALSE(Tick(early, next - 1, r.interval, r.step, r.ringWidth)) << "stand ended early";
            EXPECT_EQ(early.offset, 0);
            EXPECT_EQ(early.clock, m.clock);
            ASSERT_TRUE(Tick(m, next, r.interval, r.step, r.ringWidth));
            EXPECT_EQ(m.offset, r.step >= r.ringWidth ? 0 : r.step);
        }
    }
}

struct TickWrapRow {
    const char* label;
    uint32_t clock, now;
    bool moves;
    int32_t offset;
    uint32_t clockAfter;
};

TEST(AdvanceMarquee, SignedDifferenceAcrossTickWrap) {
    const TickWrapRow rows[] = {
        {"clock below wrap, now past it", 0xFFFFFFF0u, 0x00000010u, true, 1, 0x00000004u},
        {"clock at max, now small", 0xFFFFFFFFu, 0x00000063u, true, 5, 0x00000063u},
        {"now just short of a step across wrap", 0xFFFFFFF0u, 0x00000003u, false, 0, 0xFFFFFFF0u},
        {"standing clock past wrap, now before it", 0x00000005u, 0xFFFFFFF0u, false, 0, 0x00000005u},
        {"stand of 2000 ms across wrap", 0x000003E8u, 0xFFFFFC18u, false, 0, 0x000003E8u},
        {"half the range behind reads as a stand", 0x00000000u, 0x80000000u, false, 0, 0x00000000u},
        {"just under half the range ahead", 0x00000000u, 0x7FFFFFFFu, true, 0, 0x7FFFFFFFu + 2000u - 7u},
    };
    for (const TickWrapRow& r : rows) {
        SCOPED_TRACE(r.label);
        Marquee m{0, r.clock};
        EXPECT_EQ(Tick(m, r.now, 20, 1, 1000000), r.moves);
        EXPECT_EQ(m.offset, r.offset);
        EXPECT_EQ(m.clock, r.clockAfter);
    }
}

TEST(AdvanceMarquee, NonPositiveParametersStand) {
    struct Row {
        int32_t interval, step, ringWidth;
    };
    const Row rows[] = {
        {0, 1, 300},        {-20, 1, 300},        {INT32_MIN, 1, 300}, {20, 0, 300},
        {20, -1, 300},      {20, INT32_MIN, 300}, {0, 0, 300},         {-1, -1, 300},
        {20, 1, 0},         {20, 1, -300},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE("interval " + std::to_string(r.interval) + " step " + std::to_string(r.step) + " W " +
                     std::to_string(r.ringWidth));
        for (uint32_t elapsed : {0u, 1u, 20u, 5000u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
            Marquee m{17, 0x12345678u};
            EXPECT_FALSE(Tick(m, 0x12345678u + elapsed, r.interval, r.step, r.ringWidth));
            EXPECT_EQ(m.offset, 17);
            EXPECT_EQ(m.clock, 0x12345678u);
        }
    }
}

// An independent model of the marquee counted one millisecond at a time:
// a stand counter, an accumulator that yields a step each `interval` ms,
// and steps applied when the host calls. The clock it implies is
// now + stand - acc; matching it at every frame means no time is ever lost.
struct HourRow {
    uint32_t frameMs;
    int32_t interval, step, ringWidth;
};

TEST(AdvanceMarquee, HourOfFramesHasNoDrift) {
    const HourRow rows[] = {
        {10, 20, 1, 301}, {25, 20, 1, 301}, {100, 20, 1, 301}, {10, 20, 3, 301},
        {25, 20, 3, 301}, {100, 20, 3, 301}, {25, 7, 2, 1000}, {100, 33, 1, 64},
    };
    const uint32_t kHourMs = 3600000;
    for (const HourRow& r : rows) {
        SCOPED_TRACE("frame " + std::to_string(r.frameMs) + " ms, interval " + std::to_string(r.interval) +
                     ", step " + std::to_string(r.step) + ", W " + std::to_string(r.ringWidth));
        const uint32_t t = 0xFFFFFFFFu - kHourMs / 2;  // the hour crosses the tick wrap
        Marquee m = ComposedAt(t);
        int64_t stand = 2000, acc = 0, pending = 0, modelOffset = 0, modelMoved = 0, moved = 0;
        int wraps = 0;
        for (uint32_t ms = 1; ms <= kHourMs; ++ms) {
            if (stand > 0) {
                --stand;
            } else if (++acc == r.interval) {
                acc = 0;
                ++pending;
            }
            if (ms % r.frameMs != 0) continue;
            const uint32_t now = t + ms;
            const bool modelMoves = pending > 0;
            if (modelMoves) {
                modelOffset += pending * r.step;
                modelMoved += pending * r.step;
                pending = 0;
                if (modelOffset >= r.ringWidth) {
                    modelOffset = 0;
                    stand = 2000;
                    ++wraps;
                }
            }
            const uint32_t before = m.clock;
            const bool moves = Tick(m, now, r.interval, r.step, r.ringWidth);
            ASSERT_EQ(moves, modelMoves) << "at ms " << ms;
            ASSERT_EQ(m.offset, modelOffset) << "at ms " << ms;
            ASSERT_EQ(m.clock, uint32_t(now + uint32_t(stand) - uint32_t(acc))) << "clock drifted at ms " << ms;
            if (moves) {
                uint32_t advanced = m.clock - before;
                if (m.offset == 0) advanced -= 2000;
                ASSERT_EQ(advanced % uint32_t(r.interval), 0u);
                moved += int64_t(advanced / uint32_t(r.interval)) * r.step;
            }
        }
        EXPECT_EQ(moved, modelMoved);
        EXPECT_GT(wraps, 10);
        // At 10 ms frames every step lands on a call, so a cycle is exactly
        // 2000 ms + W steps: 448 cycles of 8020 ms, then a stand and 252 steps.
        if (r.frameMs == 10 && r.interval == 20 && r.step == 1 && r.ringWidth == 301) {
            EXPECT_EQ(moved, 448 * 301 + 252);
            EXPECT_EQ(wraps, 448);
        }
    }
}

struct Spread {
    int32_t minPx, maxPx;
    double stddev;
    int64_t total;
};

// Pixels moved per 25 ms frame (interval 20, step 1) when the tick reads
// `tickOf(real ms)`.
template <typename TickOf>
Spread PixelsPerFrame(TickOf tickOf) {
    Marquee m = ComposedAt(tickOf(0));
    std::vector<int32_t> px;
    for (uint32_t real = 25; real <= 60000; real += 25) {
        const int32_t before = m.offset;
        Tick(m, tickOf(real), 20, 1, 10000000);
        if (real > 3000) px.push_back(m.offset - before);  // well past the stand
    }
    Spread s{INT32_MAX, INT32_MIN, 0, 0};
    for (int32_t p : px) {
        s.minPx = std::min(s.minPx, p);
        s.maxPx = std::max(s.maxPx, p);
        s.total += p;
    }
    const double mean = double(s.total) / px.size();
    double var = 0;
    for (int32_t p : px) var += (p - mean) * (p - mean);
    s.stddev = std::sqrt(var / px.size());
    return s;
}

TEST(AdvanceMarquee, MillisecondTickMovesEvenly) {
    const Spread fine = PixelsPerFrame([](uint32_t real) { return real; });
    const Spread coarse = PixelsPerFrame([](uint32_t real) { return real / 16 * 16; });
    // 25 ms of 20 ms steps: 1, 1, 1, 2 over and over.
    EXPECT_EQ(fine.minPx, 1);
    EXPECT_EQ(fine.maxPx, 2);
    EXPECT_EQ(coarse.minPx, 0);
    EXPECT_EQ(coarse.maxPx, 2);
    EXPECT_GT(coarse.maxPx - coarse.minPx, fine.maxPx - fine.minPx);
    EXPECT_GT(coarse.stddev, fine.stddev * 1.3);
    // Same average speed either way.
    EXPECT_NEAR(double(coarse.total), double(fine.total), 2.0);
}

TEST(AdvanceMarquee, MillisecondTickPatternIsRegular) {
    Marquee m = ComposedAt(0);
    std::vector<int32_t> px;
    for (uint32_t now = 2000; now <= 2000 + 25 * 40; now += 25) {
        const int32_t before = m.offset;
        Tick(m, now, 20, 1, 10000000);
        px.push_back(m.offset - before);
    }
    // now = 2000 is the stand's last moment; then 25 ms frames 1,1,1,2.
    ASSERT_EQ(px.size(), 41u);
    EXPECT_EQ(px[0], 0);
    for (size_t i = 1; i < px.size(); ++i) {
        SCOPED_TRACE("frame " + std::to_string(i));
        EXPECT_EQ(px[i], i % 4 == 0 ? 2 : 1);
    }
}

// ---- the scrolling modes ----

struct ModeRow {
    uint32_t sinceComposition;  // now - T
    int32_t offset;
    uint32_t clockSinceComposition;
};

// Back and forth over 10 px (text 10 px wider than the window), 4 px every
// 20 ms, 1000 ms pause: a run of 3 steps (60 ms), the last one short; a
// cycle of 60 + 1000 + 60 + 1000 ms. Each row is one call right after a
// composition at T, so a late frame lands where the clock says, across
// turns, holds, whole cycles and the tick's wrap.
TEST(ScrollModes, BackAndForthIsAFunctionOfTheClock) {
    const ModeRow rows[] = {
        {0, 0, 1000},        {1019, 0, 1000},     {1020, 4, 1000},          {1059, 8, 1000},
        {1060, 10, 1000},    {1500, 10, 1000},    {2060, 10, 1000},         {2079, 10, 1000},
        {2080, 6, 1000},     {2100, 2, 1000},     {2120, 0, 1000},          {3119, 0, 1000},
        {3120, 0, 3120},     {3140, 4, 3120},     {1000 + 5 * 2120 + 1030, 10, 1000 + 5 * 2120},
        {1000 + 7 * 2120 + 1085, 6, 1000 + 7 * 2120},
    };
    for (uint32_t t : kCompositionTicks) {
        for (const ModeRow& r : rows) {
            SCOPED_TRACE("T=" + std::to_string(t) + " call at T+" + std::to_string(r.sinceComposition));
            Marquee m = {0, t + 1000u};
            MarqueeInput in{t + r.sinceComposition, 20, 4, 100000, 1000, kScrollBounce, 10};
            int32_t lap = 0;
            EXPECT_EQ(AdvanceScroll(in, &m.offset, &m.clock, &lap), r.offset != 0);
            EXPECT_EQ(m.offset, r.offset);
            EXPECT_EQ(m.clock - t, r.clockSinceComposition);
            EXPECT_EQ(lap, 0);
        }
    }
}

TEST(ScrollModes, StandsWithoutRoomOrPace) {
    const int32_t bad[][3] = {{0, 4, 10}, {20, 0, 10}, {-20, 4, 10}, {20, 4, 0}, {20, 4, -10}};
    for (const auto& b : bad) {
        Marquee m = {3, 100};
        MarqueeInput in{5000, b[0], b[1], 1000, 1000, kScrollBounce, b[2]};
        int32_t lap = 0;
        EXPECT_FALSE(AdvanceScroll(in, &m.offset, &m.clock, &lap));
        EXPECT_EQ(m.offset, 3);
        EXPECT_EQ(m.clock, 100u);
    }
}

// Once per song: the loop's one lap (W 30, 10 px every 20 ms, 500 ms pause),
// then at rest at the start whatever the clock does; a composition for a new
// song starts the lap again.
TEST(ScrollModes, OnceRestsAfterItsLapUntilTheSongChanges) {
    const struct {
        uint32_t since;
        bool moves;
        int32_t offset, lapDone;
    } rows[] = {
        {499, false, 0, 0}, {520, true, 10, 0}, {545, true, 20, 0}, {560, true, 0, 1}, {1100, false, 0, 1},
        {100000, false, 0, 1}, {0x7FFFFFF0u, false, 0, 1},
    };
    for (uint32_t t : kCompositionTicks) {
        for (int song = 0; song < 2; ++song) {
            SCOPED_TRACE("T=" + std::to_string(t) + " song " + std::to_string(song));
            const uint32_t start = t + uint32_t(song) * 5000u;
            Marquee m = {0, start + 500u};  // a composition: the lap starts afresh
            int32_t lap = 0;
            for (const auto& r : rows) {
                MarqueeInput in{start + r.since, 20, 10, 30, 500, kScrollOnce, 0};
                EXPECT_EQ(AdvanceScroll(in, &m.offset, &m.clock, &lap), r.moves) << r.since;
                EXPECT_EQ(m.offset, r.offset) << r.since;
                EXPECT_EQ(lap, r.lapDone) << r.since;
            }
        }
    }
}

// The loop with its pause set: a wrap stands that long (kept within 0..60 s).
TEST(ScrollModes, LoopPauseIsTheStandAfterEachWrap) {
    const int32_t pauses[][2] = {{0, 0}, {500, 500}, {60000, 60000}, {-5, 0}, {70000, 60000}, {INT32_MIN, 0}};
    for (const auto& p : pauses) {
        for (int32_t mode : {int32_t(kScrollLoop), int32_t(kScrollOnce), 7, -1}) {
            SCOPED_TRACE("pause " + std::to_string(p[0]) + " mode " + std::to_string(mode));
            Marquee m = {299, 0xFFFFFFF0u};
            int32_t lap = 0;
            MarqueeInput in{0xFFFFFFF0u + 27u, 20, 1, 300, p[0], mode, 0};
            ASSERT_TRUE(AdvanceScroll(in, &m.offset, &m.clock, &lap));
            EXPECT_EQ(m.offset, 0);
            EXPECT_EQ(m.clock, 0xFFFFFFF0u + 20u + uint32_t(p[1]));
            EXPECT_EQ(lap, mode == kScrollOnce ? 1 : 0);
        }
    }
    for (int32_t stored : {-1, 0, 1, 2, 3, 100}) EXPECT_EQ(ScrollModeOrLoop(stored), stored == 1 || stored == 2 ? stored : 0);
}

TEST(SoftEdges, FadeWidthTable) {
    const int32_t rows[][3] = {{0, 400, 0},      {-5, 400, 0},   {16, 400, 16},         {100, 400, 100},
                               {101, 400, 100},  {16, 0, 0},     {16, -3, 0},           {INT32_MAX, 400, 100},
                               {16, 63, 15},     {INT32_MIN, 400, 0}, {1, 3, 0}};
    for (const auto& r : rows) EXPECT_EQ(FadeWidth(r[0], r[1]), r[2]) << r[0] << " in " << r[1];
}

// 8 x 2 pictures, 2 columns faded at each side; the middle untouched.
TEST(SoftEdges, FadeEdgesTable) {
    const struct {
        const char* label;
        uint32_t pixel, bk;
        bool transparent;
        uint32_t outer, inner;  // columns 0 and 7, 1 and 6
    } rows[] = {
        {"white into black", 0x00FFFFFFu, 0x000000u, false, 0x003F3F3Fu, 0x00BFBFBFu},
        {"black into red", 0x00000000u, 0x0000FFu, false, 0x00C00000u, 0x00400000u},
        {"opaque grey into clear", 0xFF808080u, 0, true, 0x3F202020u, 0xBF606060u},
        {"clear stays 1 for the mouse", 0x01000000u, 0, true, 0x01000000u, 0x01000000u},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.label);
        std::vector<uint32_t> px(16, r.pixel);
        FadeEdges(px.data(), 8, 2, 2, r.bk, r.transparent);
        for (int y = 0; y < 2; ++y) {
            const uint32_t* row = px.data() + y * 8;
            EXPECT_EQ(row[0], r.outer);
            EXPECT_EQ(row[7], r.outer);
            EXPECT_EQ(row[1], r.inner);
            EXPECT_EQ(row[6], r.inner);
            for (int x = 2; x < 6; ++x) EXPECT_EQ(row[x], r.pixel) << x;
        }
    }
    // A fade wider than half the picture meets in the middle, each column once.
    std::vector<uint32_t> px(7 * 3, 0x00FFFFFFu);
    FadeEdges(px.data(), 7, 3, 100, 0, false);
    EXPECT_EQ(px[3], 0x00FFFFFFu);
    EXPECT_EQ(px[0], px[6]);
    FadeEdges(px.data(), 0, 3, 2, 0, false);
    FadeEdges(px.data(), 7, 3, 0, 0, false);
    FadeEdges(px.data(), 7, -1, 2, 0, false);
    EXPECT_EQ(px[3], 0x00FFFFFFu);
}

// ---- RingPieces ----

struct PieceRow {
    const char* label;
    int32_t offset, screenW, ringWidth;
    std::vector<RingPiece> pieces;
};

TEST(RingPieces, Table) {
    const PieceRow rows[] = {
        {"closes the ring at 150", 150, 200, 300, {{150, 0, 150}, {0, 150, 50}}},
        {"start", 0, 200, 300, {{0, 0, 200}}},
        {"slice just fits", 100, 200, 300, {{100, 0, 200}}},
        {"one column over", 101, 200, 300, {{101, 0, 199}, {0, 199, 1}}},
        {"last column", 299, 200, 300, {{299, 0, 1}, {0, 1, 199}}},
        {"text exactly screen wide", 0, 200, 200, {{0, 0, 200}}},
        {"text narrower", 0, 200, 150, {{0, 0, 200}}},
        {"one-column window", 299, 1, 300, {{299, 0, 1}}},
        {"huge ring end", INT32_MAX - 1, 200, INT32_MAX, {{INT32_MAX - 1, 0, 1}, {0, 1, 199}}},
        {"zero-width window", 150, 0, 300, {}},
        {"negative window", 150, -5, 300, {}},
        {"most negative window", 0, INT32_MIN, 300, {}},
    };
    for (const PieceRow& r : rows) {
        SCOPED_TRACE(r.label);
        RingPiece got[2] = {{-7, -7, -7}, {-7, -7, -7}};
        const int n = RingPieces(r.offset, r.screenW, r.ringWidth, got);
        ASSERT_EQ(n, int(r.pieces.size()));
        for (int i = 0; i < n; ++i) {
            SCOPED_TRACE("piece " + std::to_string(i));
            EXPECT_EQ(got[i].srcX, r.pieces[i].srcX);
            EXPECT_EQ(got[i].dstX, r.pieces[i].dstX);
            EXPECT_EQ(got[i].width, r.pieces[i].width);
        }
    }
}

TEST(RingPieces, OffsetOutOfRangeGivesOneWholePiece) {
    const int32_t offsets[] = {-1, -300, INT32_MIN, 300, 301, 1000, INT32_MAX};
    for (int32_t ringWidth : {300, 200, 50}) {
        for (int32_t offset : offsets) {
            SCOPED_TRACE("offset " + std::to_string(offset) + " W " + std::to_string(ringWidth));
            RingPiece got[2] = {{-7, -7, -7}, {-7, -7, -7}};
            ASSERT_EQ(RingPieces(offset, 200, ringWidth, got), 1);
            EXPECT_GE(got[0].srcX, 0);
            EXPECT_EQ(got[0].dstX, 0);
            EXPECT_EQ(got[0].width, 200);
            EXPECT_EQ(got[1].width, -7) << "second piece written";
        }
    }
}

// Window column x shows surface column (offset + x) mod W, every column once.
TEST(RingPieces, CoverWindowWithRingColumns) {
    for (int32_t ringWidth : {201, 250, 300, 401, 1000}) {
        for (int32_t screenW : {1, 2, 7, 100, 200}) {
            if (ringWidth <= screenW) continue;
            for (int32_t offset = 0; offset < ringWidth; ++offset) {
                SCOPED_TRACE("W " + std::to_string(ringWidth) + " screenW " + std::to_string(screenW) +
                             " offset " + std::to_string(offset));
                RingPiece got[2];
                const int n = RingPieces(offset, screenW, ringWidth, got);
                ASSERT_TRUE(n == 1 || n == 2);
                int32_t x = 0;
                for (int i = 0; i < n; ++i) {
                    ASSERT_GT(got[i].width, 0);
                    ASSERT_EQ(got[i].dstX, x);
                    ASSERT_GE(got[i].srcX, 0);
                    ASSERT_LE(got[i].srcX + got[i].width, ringWidth);
                    ASSERT_EQ(got[i].srcX, (offset + x) % ringWidth);
                    x += got[i].width;
                }
                ASSERT_EQ(x, screenW);
            }
        }
    }
}

// ---- CounterToMs ----

uint32_t ReferenceMs(uint64_t count, uint64_t frequency) {
    return uint32_t((unsigned __int128)count * 1000u / frequency);
}

TEST(CounterToMs, ExactAgainstWideArithmetic) {
    const uint64_t frequencies[] = {10000000u, 3579545u, 1000u, 1u, 7u, 999u, 1001u, 2400000000u,
                                    (1ull << 32) + 1, 1000000000000000ull, UINT64_MAX / 1000u};
    for (uint64_t f : frequencies) {
        std::vector<uint64_t> counts = {0, 1, f - 1, f, f + 1, 2 * f - 1, UINT64_MAX, UINT64_MAX - 1,
                                        1ull << 63, (1ull << 63) - 1, UINT64_MAX / f * f, UINT64_MAX / f * f - 1};
        uint64_t x = 0x9E3779B97F4A7C15ull ^ f;
        for (int i = 0; i < 2000; ++i) {
            x ^= x << 13;
            x ^= x >> 7;
            x ^= x << 17;
            counts.push_back(x >> (i % 64));
        }
        for (uint64_t c : counts) {
            ASSERT_EQ(CounterToMs(c, f), ReferenceMs(c, f)) << "count " << c << " frequency " << f;
        }
    }
}

TEST(CounterToMs, WrapsLikeThe32BitTick) {
    struct Row {
        uint64_t frequency;
        uint64_t count;
        uint32_t ms;
    };
    const uint64_t wrapMs = 1ull << 32;
    const Row rows[] = {
        {1000, wrapMs - 1, 0xFFFFFFFFu},
        {1000, wrapMs, 0},
        {1000, wrapMs + 5, 5},
        {10000000, (wrapMs + 7) * 10000, 7},
        {10000000, (wrapMs - 1) * 10000 + 9999, 0xFFFFFFFFu},
        {10000000, (3 * wrapMs + 123) * 10000 + 1, 123},
        {3579545, 3579545ull * (wrapMs / 1000) * 5, uint32_t(wrapMs / 1000 * 5000 % wrapMs)},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE("frequency " + std::to_string(r.frequency) + " count " + std::to_string(r.count));
        EXPECT_EQ(CounterToMs(r.count, r.frequency), r.ms);
    }
    // Differences across the wrap read as elapsed milliseconds.
    for (uint64_t f : {uint64_t(10000000), uint64_t(3579545), uint64_t(1000)}) {
        SCOPED_TRACE("frequency " + std::to_string(f));
        const uint64_t before = (wrapMs - 10) * f / 1000;
        const uint64_t after = before + 25 * f / 1000 + f / 1000;  // a hair over 25 ms
        EXPECT_EQ(uint32_t(CounterToMs(after, f) - CounterToMs(before, f)), ReferenceMs(after, f) - ReferenceMs(before, f));
        EXPECT_GE(uint32_t(CounterToMs(after, f) - CounterToMs(before, f)), 25u);
        EXPECT_LE(uint32_t(CounterToMs(after, f) - CounterToMs(before, f)), 27u);
    }
}

TEST(CounterToMs, ZeroFrequencyGivesZero) {
    for (uint64_t c : {uint64_t(0), uint64_t(1), uint64_t(1000), UINT64_MAX}) EXPECT_EQ(CounterToMs(c, 0), 0u) << c;
}

}  // namespace
