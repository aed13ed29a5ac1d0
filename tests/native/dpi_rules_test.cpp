#include "display/dpi_rules.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

namespace {

const int32_t kScales[] = {96, 120, 144, 168, 192, 240};  // 100 % .. 250 %

TEST(ScaleToDpi, NearestPixelBothWays) {
    struct Row {
        const char* label;
        int32_t v, from, to, expected;
    } rows[] = {
        {"100 %", 300, 96, 96, 300},
        {"125 %", 300, 96, 120, 375},
        {"150 %", 300, 96, 144, 450},
        {"175 %", 300, 96, 168, 525},
        {"200 %", 300, 96, 192, 600},
        {"250 %", 300, 96, 240, 750},
        {"150 % of 64", 64, 96, 144, 96},
        {"uneven: 125 % of 65 is 81.25", 65, 96, 120, 81},
        {"uneven: 150 % of 3 is 4.5, half up", 3, 96, 144, 5},
        {"uneven: 175 % of 7 is 12.25", 7, 96, 168, 12},
        {"back: 451 at 150 % is 300.67", 451, 144, 96, 301},
        {"back: 450 at 150 %", 450, 144, 96, 300},
        {"negative: -3 at 150 % is -4.5, half away from zero", -3, 96, 144, -5},
        {"negative position at 125 %", -1921, 96, 120, -2401},
        {"negative back at 250 %", -1000, 240, 96, -400},
        {"zero", 0, 96, 240, 0},
        {"no DPI counts as 96", 300, 0, -5, 300},
        {"no DPI counts as 96, to 150 %", 300, 0, 144, 450},
        {"monitor to monitor: 150 % to 200 %", 450, 144, 192, 600},
        {"saturates high", INT32_MAX, 96, 240, INT32_MAX},
        {"saturates low", INT32_MIN, 96, 240, INT32_MIN},
        {"largest DPI, no overflow", INT32_MAX, 1, INT32_MAX, INT32_MAX},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.label);
        EXPECT_EQ(ScaleToDpi(r.v, r.from, r.to), r.expected);
    }
}

TEST(StoredPlacement, RoundTripNeverCreeps) {
    const Placement stored[] = {
        {100, 220, 300, 64}, {-1920, -37, 301, 65}, {7, 9, 1, 1}, {-32000, -32000, 160, 28}, {0, 0, 0, 0},
        {1279, 1023, 4097, 333},
    };
    for (int32_t dpi : kScales) {
        for (const Placement& p : stored) {
            SCOPED_TRACE(testing::Message() << dpi << " DPI, " << p.x << "," << p.y << " " << p.w << "x" << p.h);
            Placement back = p;
            for (int run = 0; run < 5; ++run) back = StoredFromReal(RealFromStored(back, dpi, dpi), dpi, dpi);
            EXPECT_EQ(back.x, p.x);
            EXPECT_EQ(back.y, p.y);
            EXPECT_EQ(back.w, p.w);
            EXPECT_EQ(back.h, p.h);
        }
    }
}

TEST(StoredPlacement, RealPixelsAtEachScale) {
    struct Row {
        const char* label;
        Placement stored;
        int32_t systemDpi, windowDpi;
        Placement real;
    } rows[] = {
        {"100 % changes nothing", {100, 220, 300, 64}, 96, 96, {100, 220, 300, 64}},
        {"125 %", {100, 220, 300, 64}, 120, 120, {125, 275, 375, 80}},
        {"150 %", {100, 220, 300, 64}, 144, 144, {150, 330, 450, 96}},
        {"175 %", {100, 220, 300, 64}, 168, 168, {175, 385, 525, 112}},
        {"200 %", {100, 220, 300, 64}, 192, 192, {200, 440, 600, 128}},
        {"250 %", {100, 220, 300, 64}, 240, 240, {250, 550, 750, 160}},
        {"uneven at 125 %", {33, 5, 301, 65}, 120, 120, {41, 6, 376, 81}},
        {"negative, a monitor left of the first", {-1280, -10, 300, 64}, 144, 144, {-1920, -15, 450, 96}},
        {"on a 200 % monitor, system at 150 %", {100, 220, 300, 64}, 144, 192, {150, 330, 600, 128}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.label);
        const Placement real = RealFromStored(r.stored, r.systemDpi, r.windowDpi);
        EXPECT_EQ(real.x, r.real.x);
        EXPECT_EQ(real.y, r.real.y);
        EXPECT_EQ(real.w, r.real.w);
        EXPECT_EQ(real.h, r.real.h);
    }
}

// The system suggests the same size in the new scale's pixels: what is
// stored stays what it was, whichever monitor the window ends on. A size
// that no scale divides may round by one pixel, never more, however often
// the window goes back and forth.
TEST(StoredPlacement, SizeKeptOnAScaleChange) {
    struct Row {
        Placement stored;
        int32_t slack;
    } rows[] = {{{100, 220, 300, 64}, 0}, {{-7, 3, 301, 65}, 1}};
    for (const Row& r : rows) {
        for (int32_t system : kScales) {
            for (int32_t moved : kScales) {
                SCOPED_TRACE(testing::Message() << r.stored.w << "x" << r.stored.h << ", " << system
                                                << " DPI system, moved to " << moved);
                Placement real = RealFromStored(r.stored, system, system);
                int32_t dpi = system;
                for (int trip = 0; trip < 10; ++trip) {
                    const int32_t next = trip % 2 ? system : moved;
                    real.w = ScaleToDpi(real.w, dpi, next);
                    real.h = ScaleToDpi(real.h, dpi, next);
                    dpi = next;
                    const Placement saved = StoredFromReal(real, system, dpi);
                    EXPECT_EQ(saved.x, r.stored.x);
                    EXPECT_LE(std::abs(saved.w - r.stored.w), r.slack);
                    EXPECT_LE(std::abs(saved.h - r.stored.h), r.slack);
                }
            }
        }
    }
}

}  // namespace
