// Platform-free rules of title composition: what part of the player's title
// is shown and how it is laid out in the offscreen surface.
#pragma once
#include <cstddef>
#include <cstdint>

const size_t kTitleLimit = 511;  // bytes fetched, NUL included
const int kDrawFlagsBase = 0x124;  // DT_VCENTER | DT_SINGLELINE | DT_NOCLIP
const int kDrawFlagCenter = 0x1;   // DT_CENTER

// Cuts the title in place at its last "-" after the first character, with
// one space before it; no such "-" leaves it empty. Returns the new length.
size_t TrimTitle(char* title);

struct TitleLayout {
    int32_t extentWidth;   // measured width, plus a gap of 2 x height if it scrolls
    int32_t surfaceWidth;  // the larger of the window and the extent
    bool scrolls;          // wider than the window: drawn from x = 0
    int drawFlags;
};

TitleLayout LayoutTitle(int32_t measuredWidth, int32_t measuredHeight, int32_t screenW);
