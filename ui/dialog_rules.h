// Platform-free rules of the settings dialog.
#pragma once
#include <cstdint>

// Leading white space, an optional sign, digits up to the first non-digit;
// no digits give 0. Values beyond 32 bits saturate.
int32_t ParseDecimal(const char* text);

struct Point {
    int32_t x, y;
};

// Top-left corner that centres a box on the desktop (each half truncated).
Point CentreOrigin(int32_t desktopW, int32_t desktopH, int32_t boxW, int32_t boxH);

// The marquee's speed in pixels per second as the dialog shows and takes it.
const int32_t kMaxSpeed = 100000;
struct ScrollPace {
    int32_t step, interval;
};
// The step and interval for `pxPerSecond` that move the title most smoothly
// when frames come every `frameMs`: one step a frame at most, each as small
// as can be. Step 1 while its interval, 1000 / speed, is at least the frame
// pace; above that the smallest step whose interval reaches it. False for a
// speed <= 0 (nothing to set); a speed over kMaxSpeed is taken as that.
bool PaceForSpeed(int32_t pxPerSecond, int32_t frameMs, ScrollPace* out);
// Pixels per second a step and interval give, rounded; 0 when they stand.
int32_t SpeedOfPace(int32_t step, int32_t interval);
