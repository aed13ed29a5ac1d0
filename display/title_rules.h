// Platform-free rules of title composition: what part of the player's title
// is shown and how it is laid out in the offscreen surface.
#pragma once
#include <cstddef>
#include <cstdint>

// The title is UTF-16, as the player's window holds it.
typedef char16_t TitleChar;

const size_t kTitleLimit = 511;  // characters fetched, NUL included
const int kDrawFlagsBase = 0x924;  // DT_VCENTER | DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX
const int kDrawFlagCenter = 0x1;   // DT_CENTER

// Cuts the title in place at its last "-" after the first character, with
// one space before it; no such "-" leaves it empty. Returns the new length.
size_t TrimTitle(TitleChar* title);

struct TitleLayout {
    int32_t extentWidth;   // measured width, plus a gap of 2 x height if it scrolls
    int32_t surfaceWidth;  // the larger of the window and the extent
    bool scrolls;          // wider than the window: drawn from x = 0
    int drawFlags;
};

TitleLayout LayoutTitle(int32_t measuredWidth, int32_t measuredHeight, int32_t screenW);

// Pixels of a 32-bit surface the player's address space can spare.
const int64_t kSurfaceByteLimit = 64ll << 20;

// Whether a 32-bit surface of w x h may be made: both sides positive and
// within the byte limit.
bool SurfaceFits(int32_t w, int32_t h);
