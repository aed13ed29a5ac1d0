// Platform-free marquee arithmetic: clock-driven stepping around a ring of
// width W (the text plus its gap), and which pieces of it the window shows.
#pragma once
#include <cstdint>

const int32_t kStandMs = 2000;  // stand after each composition and each wrap, unless set
const int32_t kMaxPauseMs = 60000;

// How the title moves when it does not fit: round as a ring with a gap,
// back and forth between its start and its end, or one lap after each
// change of the song and then at rest.
enum ScrollMode : int32_t { kScrollLoop = 0, kScrollBounce = 1, kScrollOnce = 2 };

// A stored mode outside the three is the loop.
inline int32_t ScrollModeOrLoop(int32_t stored) { return stored == kScrollBounce || stored == kScrollOnce ? stored : kScrollLoop; }
// A stored pause within 0..kMaxPauseMs.
inline int32_t PauseInRange(int32_t stored) { return stored < 0 ? 0 : stored > kMaxPauseMs ? kMaxPauseMs : stored; }

struct MarqueeInput {
    uint32_t now;
    int32_t interval;  // ms per step
    int32_t step;      // pixels per step
    int32_t ringWidth; // W
    int32_t pause = kStandMs;    // hold at each lap's start, at each end back and forth
    int32_t mode = kScrollLoop;
    int32_t travel = 0;  // back and forth: the text's width less the window's
};

// Advances `offset` by whole intervals since `clock`, carrying the remainder;
// wraps to 0 with a new stand. Returns true when the offset changed (a frame
// to present). An interval or step <= 0 leaves the marquee standing.
bool AdvanceMarquee(const MarqueeInput& in, int32_t* offset, uint32_t* clock);

// Back and forth: `clock` is where the current cycle's run from the start
// begins (a composition sets it one pause ahead). A cycle is the run to
// `travel`, a pause, the run back, a pause; the offset is a function of the
// time into it, so a late frame lands where the clock says, turns included.
// Returns true when the offset changed.
bool BounceMarquee(const MarqueeInput& in, int32_t* offset, uint32_t* clock);

// Every mode: the loop, back and forth, or the loop's one lap while
// `*lapDone` is 0 (set when the lap ends; the offset then rests at 0).
bool AdvanceScroll(const MarqueeInput& in, int32_t* offset, uint32_t* clock, int32_t* lapDone);

// Soft edges: the columns faded at each side of a window `windowW` wide for
// a stored width (0 off, at most a quarter of the window).
int32_t FadeWidth(int32_t stored, int32_t windowW);

// Fades the first and last `fade` columns of a w x rows picture (0xAARRGGBB)
// into `bkColor` (a COLORREF), or, premultiplied and `transparent`, into
// alpha 0 keeping alpha at least 1. The outermost column is faded most.
void FadeEdges(uint32_t* pixels, int32_t w, int32_t rows, int32_t fade, uint32_t bkColor, bool transparent);
// What FadeEdges does to one pixel: the weight (0..255) kept of column `i`
// from the edge, and the pixel faded by it into `bk` (0x00RRGGBB, as a DIB
// holds it) or into clear.
uint32_t FadeWeight(int32_t i, int32_t fade);
uint32_t FadePixel(uint32_t pixel, uint32_t weight, uint32_t bk, bool transparent);
// FadePixel down one column of `rows` pixels `stride` apart; what they held
// goes to `kept` first when given.
void FadeColumn(uint32_t* first, int64_t stride, int32_t rows, uint32_t weight, uint32_t bk, bool transparent,
                uint32_t* kept);
// A COLORREF (0x00BBGGRR) as a DIB holds it.
inline uint32_t DibColor(uint32_t colorRef) {
    return ((colorRef & 0xFF) << 16) | (colorRef & 0xFF00) | ((colorRef >> 16) & 0xFF);
}

struct RingPiece {
    int32_t srcX, dstX, width;
};

// The one or two surface slices that fill a window `screenW` wide at `offset`.
int RingPieces(int32_t offset, int32_t screenW, int32_t ringWidth, RingPiece pieces[2]);

// A performance-counter reading as a 32-bit millisecond tick that wraps like
// the system tick; exact for any count, no overflow.
uint32_t CounterToMs(uint64_t count, uint64_t frequency);
