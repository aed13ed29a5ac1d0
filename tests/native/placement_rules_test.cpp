#include "display/placement_rules.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

const PlaceRect kScreen = {0, 0, 1280, 1024};
// A second monitor left of the first, its taskbar along the top.
const PlaceRect kLeftWork = {-1920, 40, 0, 1080};

TEST(CoveredRect, ReachesNoFurtherThanTheRange) {
    struct Row {
        const char* label;
        Placement p;
        PlaceRect covered;
    } rows[] = {
        {"plain", {30, 40, 300, 90}, {30, 40, 330, 130}},
        {"negative position", {-32000, -32000, 200, 64}, {-32000, -32000, -31800, -31936}},
        {"no size", {10, 20, 0, 0}, {10, 20, 10, 20}},
        {"negative size covers nothing", {10, 20, -5, -7}, {10, 20, 10, 20}},
        {"width to the end of the range", {10000, 10000, INT32_MAX, INT32_MAX}, {10000, 10000, INT32_MAX, INT32_MAX}},
        {"most negative position", {INT32_MIN, INT32_MIN, 100, 100}, {INT32_MIN, INT32_MIN, INT32_MIN + 100, INT32_MIN + 100}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.label);
        const PlaceRect c = CoveredRect(r.p);
        EXPECT_EQ(c.left, r.covered.left);
        EXPECT_EQ(c.top, r.covered.top);
        EXPECT_EQ(c.right, r.covered.right);
        EXPECT_EQ(c.bottom, r.covered.bottom);
    }
}

TEST(MoveIntoArea, KeepsTheSizeAndMovesNoFurtherThanItMust) {
    struct Row {
        const char* label;
        Placement p;
        PlaceRect area;
        Placement moved;
    } rows[] = {
        {"minimised player's corner", {-32000, -32000, 400, 64}, kScreen, {0, 0, 400, 64}},
        {"far right", {5000, 300, 300, 80}, kScreen, {980, 300, 300, 80}},
        {"far below", {100, 9000, 300, 80}, kScreen, {100, 944, 300, 80}},
        {"far left", {-3000, 200, 300, 80}, kScreen, {0, 200, 300, 80}},
        {"below a player at the bottom edge", {100, 1030, 400, 64}, kScreen, {100, 960, 400, 64}},
        {"right at the corner", {10000, 10000, 200, 60}, kScreen, {1080, 964, 200, 60}},
        {"wider than the area", {5000, 100, 2000, 100}, kScreen, {0, 100, 1280, 100}},
        {"taller than the area", {-500, -2000, 100, 3000}, kScreen, {0, 0, 100, 1024}},
        {"already inside is left alone", {30, 40, 300, 90}, kScreen, {30, 40, 300, 90}},
        {"onto a monitor at negative x", {-5000, 0, 400, 64}, kLeftWork, {-1920, 40, 400, 64}},
        {"onto a monitor at negative x, from the right", {-100, 500, 400, 64}, kLeftWork, {-400, 500, 400, 64}},
        {"no size", {5000, 5000, 0, 0}, kScreen, {1280, 1024, 0, 0}},
        {"negative size is kept, placed as none", {5000, -900, -10, -20}, kScreen, {1280, 0, -10, -20}},
        {"extremes", {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, kScreen, {0, 0, 1280, 1024}},
        {"extremes, other side", {10000, 10000, INT32_MAX, 64}, kScreen, {0, 960, 1280, 64}},
        {"an area as wide as the range", {INT32_MIN, 0, INT32_MAX, 64}, {INT32_MIN, 0, INT32_MAX, 1024},
         {INT32_MIN, 0, INT32_MAX, 64}},
        {"an inverted area counts as none", {5000, 5000, 300, 80}, {100, 100, 0, 0}, {100, 100, 0, 0}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.label);
        const Placement m = MoveIntoArea(r.p, r.area);
        EXPECT_EQ(m.x, r.moved.x);
        EXPECT_EQ(m.y, r.moved.y);
        EXPECT_EQ(m.w, r.moved.w);
        EXPECT_EQ(m.h, r.moved.h);
    }
}

TEST(Reachable, AGrabbablePartInsideOneWorkArea) {
    // The screen with a 40-pixel taskbar along the bottom, and the monitor left of it.
    const PlaceRect kAboveTaskbar = {0, 0, 1280, 984};
    const PlaceRect kTwo[] = {kAboveTaskbar, kLeftWork};
    const PlaceRect kLowered = {0, 0, 1024, 768};
    struct Row {
        const char* label;
        Placement client;
        const PlaceRect* areas;
        int count;
        bool reachable;
    } rows[] = {
        {"wholly inside", {100, 100, 300, 60}, kTwo, 2, true},
        {"under a bottom taskbar", {100, 990, 300, 30}, kTwo, 2, false},
        {"partly under the taskbar, 16 rows above it", {100, 968, 300, 60}, kTwo, 2, true},
        {"partly under the taskbar, 15 rows above it", {100, 969, 300, 60}, kTwo, 2, false},
        {"one pixel on the monitor", {1279, 500, 300, 60}, kTwo, 2, false},
        {"40 columns in from the right edge", {1240, 500, 300, 60}, kTwo, 2, true},
        {"39 columns in from the right edge", {1241, 500, 300, 60}, kTwo, 2, false},
        {"only the frame on the monitor: the client starts past its edge", {1284, 500, 300, 60}, kTwo, 2, false},
        {"on the left monitor", {-1500, 300, 300, 60}, kTwo, 2, true},
        {"that monitor removed", {-1500, 300, 300, 60}, kTwo, 1, false},
        {"above the left monitor's top taskbar", {-1500, 0, 300, 40}, kTwo, 2, false},
        {"30 columns on each side of the seam: neither holds a grab", {-30, 300, 60, 60}, kTwo, 2, false},
        {"resolution lowered under it", {1100, 800, 300, 60}, &kLowered, 1, false},
        {"resolution lowered, still 40 x 16 on it", {984, 752, 300, 60}, &kLowered, 1, true},
        {"smaller than a grab, wholly inside", {10, 10, 20, 8}, kTwo, 2, true},
        {"smaller than a grab, half off the screen", {-10, 10, 20, 8}, &kAboveTaskbar, 1, false},
        {"no client area, on the screen: its frame is there to grab", {100, 100, 0, 0}, kTwo, 2, true},
        {"no client area, below the screen", {100, 5000, 300, 0}, kTwo, 2, false},
        {"no client area, under the taskbar", {100, 990, 300, 0}, kTwo, 2, false},
        {"no monitors at all", {100, 100, 300, 60}, kTwo, 0, false},
        {"extremes", {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, kTwo, 2, false},
        {"from the far end of the range", {INT32_MAX - 10, 100, INT32_MAX, 60}, kTwo, 2, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.label);
        EXPECT_EQ(Reachable(r.client, r.areas, r.count), r.reachable);
    }
}

}  // namespace
