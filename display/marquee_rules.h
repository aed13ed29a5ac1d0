// Platform-free marquee arithmetic: clock-driven stepping around a ring of
// width W (the text plus its gap), and which pieces of it the window shows.
#pragma once
#include <cstdint>

const int32_t kStandMs = 2000;  // stand after each composition and each wrap

struct MarqueeInput {
    uint32_t now;
    int32_t interval;  // ms per step
    int32_t step;      // pixels per step
    int32_t ringWidth; // W
};

// Advances `offset` by whole intervals since `clock`, carrying the remainder;
// wraps to 0 with a new stand. Returns true when the offset changed (a frame
// to present). An interval or step <= 0 leaves the marquee standing.
bool AdvanceMarquee(const MarqueeInput& in, int32_t* offset, uint32_t* clock);

struct RingPiece {
    int32_t srcX, dstX, width;
};

// The one or two surface slices that fill a window `screenW` wide at `offset`.
int RingPieces(int32_t offset, int32_t screenW, int32_t ringWidth, RingPiece pieces[2]);

// A performance-counter reading as a 32-bit millisecond tick that wraps like
// the system tick; exact for any count, no overflow.
uint32_t CounterToMs(uint64_t count, uint64_t frequency);
