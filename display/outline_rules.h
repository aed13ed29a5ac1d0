// Platform-free pixel rules of the outlined title and of the transparent
// window: coverage from a mask, its widening, and 32-bit premultiplied
// pixels (0xAARRGGBB, as a DIB holds them) composed from it.
#pragma once
#include <cstdint>

const int32_t kOutlineNone = 0, kOutlineThin = 1, kOutlineThick = 2;
const int32_t kMaxOutlineWidth = 255;

// A stored outline choice as the nearest of none, thin and thick.
inline int32_t OutlineLevel(int32_t stored) {
    return stored <= kOutlineNone ? kOutlineNone : stored >= kOutlineThick ? kOutlineThick : kOutlineThin;
}

// Outline width r for a client `height`: thin max(1, round(h / 24)), thick
// 2r, none 0; at most kMaxOutlineWidth.
int32_t OutlineWidth(int32_t level, int32_t height);

// Coverage of a pixel of text drawn white on black: its brightest channel.
inline uint8_t MaskCoverage(uint32_t pixel) {
    const uint32_t r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
    const uint32_t m = r > g ? r : g;
    return static_cast<uint8_t>(m > b ? m : b);
}

// In place over w x h pixels of a white-on-black mask: byte 0 of each pixel
// becomes the text's coverage, byte 1 its widening by a disc of radius r
// (the largest coverage within r pixels), bytes 2 and 3 zero. Up to r = 8
// the disc is exact; beyond, a sixteen-sided polygon within a pixel of it
// (up to r = 67), at a cost that grows with log r at most; only along the
// surface's edges, where the text comes within r of them, it may fall short
// (by up to r / 11 along the first and last rows, r / 4 along the sides of
// a surface that is not a ring). With `ring` > 0 the first `ring`
// columns are a marquee's ring: the widening wraps round it, so the first
// glyph's outline shows at the seam. No memory but the pixels' own.
void MaskToCoverage(uint32_t* pixels, int32_t w, int32_t h, int32_t r, int32_t ring = 0);

// One pixel from text coverage over outline coverage: opaque over `bk`, or
// premultiplied with alpha at least 1 (so the window keeps the mouse).
// Colours are COLORREFs (0x00BBGGRR).
uint32_t ComposePixel(uint8_t text, uint8_t outline, uint32_t textColor, uint32_t outlineColor, uint32_t bkColor,
                      bool transparent);

// Every pixel of a MaskToCoverage result composed in place.
void ComposeCoverage(uint32_t* pixels, int32_t count, uint32_t textColor, uint32_t outlineColor, uint32_t bkColor,
                     bool transparent);

// The window's `screenW` x `rows` picture at marquee `offset` from a ring
// `ringWidth` wide held in a surface `surfaceW` pixels wide: the pieces
// RingPieces names; anything past the surface is clear (alpha 1).
void RingSlice(const uint32_t* surface, int32_t surfaceW, int32_t rows, int32_t offset, int32_t ringWidth,
               int32_t screenW, uint32_t* out);
