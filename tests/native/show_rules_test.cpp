#include "display/show_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ShowRules, StoredValuesWithinTheirRanges) {
    const int32_t kMin = INT32_MIN, kMax = INT32_MAX;
    const int32_t choices[][2] = {{0, 0}, {1, 1}, {2, 2}, {3, 0}, {-1, 0}, {kMin, 0}, {kMax, 0}};
    for (const auto& c : choices) EXPECT_EQ(ShowChoice(c[0]), c[1]) << c[0];
    const int32_t seconds[][2] = {{0, 5}, {1, 1}, {5, 5}, {60, 60}, {61, 60}, {-5, 1}, {kMin, 1}, {kMax, 60}};
    for (const auto& s : seconds) EXPECT_EQ(ShowSecondsWithin(s[0]), s[1]) << s[0];
}

// Steps of one run, ticks relative to its start, each with the alpha it gives.
TEST(ShowRules, FadesFollowTheClock) {
    const int A = kShowAlways, P = kShowWhilePlaying, C = kShowOnChange;
    struct Step {
        uint32_t at;
        int choice;
        int playing, changed, started;
        int alpha;
    };
    struct Row {
        const char* label;
        bool shown;
        uint32_t start;
        std::vector<Step> steps;
    } rows[] = {
        {"always: full at once and after", 1, 1000, {{0, A, 0, 0, 0, 255}, {100000, A, 0, 1, 0, 255}}},
        {"while playing: in over 200 ms, out over 500 ms", 0, 1000,
         {{0, P, 1, 0, 0, 0}, {100, P, 1, 0, 0, 127}, {200, P, 1, 0, 0, 255}, {300, P, 0, 0, 0, 255},
          {550, P, 0, 0, 0, 128}, {800, P, 0, 0, 0, 0}, {900, P, 0, 1, 0, 0}}},
        {"a fade turned back starts where it is", 1, 0,
         {{0, P, 0, 0, 0, 255}, {250, P, 0, 0, 0, 128}, {250, P, 1, 0, 0, 128}, {300, P, 1, 0, 0, 191},
          {351, P, 1, 0, 0, 255}}},
        {"a few seconds: after a change, gone a second later", 0, 5000,
         {{0, C, 1, 0, 0, 0}, {10, C, 1, 1, 0, 0}, {210, C, 1, 0, 0, 255}, {1009, C, 1, 0, 0, 255},
          {1260, C, 1, 0, 0, 128}, {1510, C, 1, 0, 0, 0}, {60000, C, 1, 0, 0, 0}}},
        {"a song change during the fade-out: full at once", 1, 0,
         {{0, C, 1, 1, 0, 255}, {1250, C, 1, 0, 0, 128}, {1300, C, 1, 1, 0, 255}, {2299, C, 1, 0, 0, 255},
          {2550, C, 1, 0, 0, 128}}},
        {"playback starting shows it, stopping does not", 0, 0,
         {{0, C, 0, 0, 0, 0}, {100, C, 1, 0, 1, 0}, {300, C, 1, 0, 0, 255}, {1600, C, 0, 0, 0, 0}}},
        {"across the clock's wrap", 0, 0xFFFFFF00u,
         {{0, C, 1, 1, 0, 0}, {200, C, 1, 0, 0, 255}, {900, C, 1, 0, 0, 255}, {1250, C, 1, 0, 0, 128},
          {0x80000000u, C, 1, 0, 0, 0}}},
        {"switched to always while hidden", 0, 0, {{0, P, 0, 0, 0, 0}, {50, A, 0, 0, 0, 0}, {250, A, 0, 0, 0, 255}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        ShowRun run = StartRun(row.shown, row.start);
        for (const Step& s : row.steps) {
            SCOPED_TRACE(s.at);
            const ShowInput in = {row.start + s.at, s.choice, 1, s.playing != 0, s.changed != 0, s.started != 0};
            EXPECT_EQ(StepShow(&run, in), s.alpha);
        }
    }
}

}  // namespace
