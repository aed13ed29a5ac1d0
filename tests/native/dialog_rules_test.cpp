#include "ui/dialog_rules.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The standard conversion, clamped to 32 bits.
int32_t Reference(const char* text) {
    errno = 0;
    long long v = strtoll(text, nullptr, 10);
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return int32_t(v);
}

struct ParseRow {
    std::string text;
    int32_t value;
};

TEST(ParseDecimal, Table) {
    const std::string nines(79, '9');
    const std::vector<ParseRow> rows = {
        {"12abc", 12},
        {"abc", 0},
        {"-7", -7},
        {"+3", 3},
        {"  \t 42", 42},
        {"\n\v\f\r 8", 8},
        {"", 0},
        {"-", 0},
        {"+", 0},
        {" - 5", 0},
        {"--5", 0},
        {"+-5", 0},
        {"4 2", 4},
        {"0x10", 0},
        {"1e5", 1},
        {"5.9", 5},
        {"007", 7},
        {"-0", 0},
        {"2147483647", INT32_MAX},
        {"2147483648", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"-2147483649", INT32_MIN},
        {"4294967296", INT32_MAX},
        {"4294967295", INT32_MAX},
        {"99999999999999999999", INT32_MAX},
        {nines, INT32_MAX},
        {"-" + nines, INT32_MIN},
        {"+" + nines + "x", INT32_MAX},
        {std::string(78, '0') + "5", 5},
        {"\xA0" "5", 0},
        {"\xB2", 0},
        {"20 ms", 20},
    };
    for (const ParseRow& r : rows) {
        SCOPED_TRACE("\"" + r.text + "\"");
        EXPECT_EQ(ParseDecimal(r.text.c_str()), r.value);
        EXPECT_EQ(ParseDecimal(r.text.c_str()), Reference(r.text.c_str())) << "differs from strtoll";
    }
}

TEST(CentreOrigin, Table) {
    const struct {
        const char* label;
        int32_t desktopW, desktopH, boxW, boxH;
        Point origin;
    } rows[] = {
        {"even sizes", 1280, 1024, 300, 200, {490, 412}},
        {"odd box halves truncate apart", 1280, 1024, 301, 201, {490, 412}},
        {"odd desktop", 1281, 1025, 300, 200, {490, 412}},
        {"all odd", 1279, 1023, 301, 201, {489, 411}},
        {"box fills desktop", 800, 600, 800, 600, {0, 0}},
        {"box larger", 800, 600, 1000, 700, {-100, -50}},
        {"box larger, odd", 800, 600, 1001, 701, {-100, -50}},
        {"empty box", 1920, 1080, 0, 0, {960, 540}},
        {"no desktop", 0, 0, 291, 250, {-145, -125}},
        {"extremes", INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, {0, 0}},
        {"most negative box", 0, 0, INT32_MIN, INT32_MIN, {1073741824, 1073741824}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.label);
        const Point p = CentreOrigin(r.desktopW, r.desktopH, r.boxW, r.boxH);
        EXPECT_EQ(p.x, r.origin.x);
        EXPECT_EQ(p.y, r.origin.y);
    }
}

// Speed in pixels per second for frames every 25 ms: step 1 while its
// interval stays at or above 25 ms (up to 40 px/s), then the smallest step
// whose interval reaches 25 ms.
TEST(ScrollSpeed, PaceForSpeedTable) {
    const struct {
        int32_t speed, frame;
        bool set;
        int32_t step, interval;
    } rows[] = {
        {1, 25, true, 1, 1000},      {3, 25, true, 1, 333},       {20, 25, true, 1, 50},
        {39, 25, true, 1, 26},       {40, 25, true, 1, 25},       {41, 25, true, 2, 49},
        {50, 25, true, 2, 40},       {100, 25, true, 3, 30},      {1000, 25, true, 25, 25},
        {200000, 25, true, 2500, 25}, {INT32_MAX, 25, true, 2500, 25}, {50, 0, true, 1, 20},
        {50, -7, true, 1, 20},       {0, 25, false, 0, 0},        {-5, 25, false, 0, 0},
        {INT32_MIN, 25, false, 0, 0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::to_string(r.speed) + " px/s, frames every " + std::to_string(r.frame) + " ms");
        ScrollPace pace = {0, 0};
        EXPECT_EQ(PaceForSpeed(r.speed, r.frame, &pace), r.set);
        EXPECT_EQ(pace.step, r.step);
        EXPECT_EQ(pace.interval, r.interval);
    }
    // Every speed comes back within 2 %, never more than one step a frame.
    for (int32_t v = 1; v <= 5000; ++v) {
        ScrollPace pace;
        ASSERT_TRUE(PaceForSpeed(v, 25, &pace));
        ASSERT_GE(pace.interval, 25) << v;
        ASSERT_TRUE(pace.step == 1 || pace.interval < 2 * 25) << v;
        ASSERT_LE(std::abs(SpeedOfPace(pace.step, pace.interval) - v), v / 50 + 1) << v;
    }
}

TEST(ScrollSpeed, SpeedOfPaceTable) {
    const int32_t rows[][3] = {{1, 20, 50}, {2, 40, 50},  {1, 26, 38},         {3, 30, 100},       {1, 3, 333},
                               {0, 20, 0},  {1, 0, 0},    {-1, 20, 0},         {1, -20, 0},        {INT32_MAX, 1, INT32_MAX},
                               {1, INT32_MAX, 0}, {4, 20, 200}};
    for (const auto& r : rows) EXPECT_EQ(SpeedOfPace(r[0], r[1]), r[2]) << r[0] << " px per " << r[1] << " ms";
}

}  // namespace
