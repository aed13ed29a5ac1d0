#include "display/outline_rules.h"

#include "display/marquee_rules.h"

int32_t OutlineWidth(int32_t level, int32_t height) {
    level = OutlineLevel(level);
    if (level == kOutlineNone) return 0;
    int64_t r = height > 0 ? (static_cast<int64_t>(height) + 12) / 24 : 0;
    if (r < 1) r = 1;
    if (level == kOutlineThick) r = r > kMaxOutlineWidth / 2 ? kMaxOutlineWidth : 2 * r;
    return r > kMaxOutlineWidth ? kMaxOutlineWidth : static_cast<int32_t>(r);
}

void MaskToCoverage(uint32_t* pixels, int32_t w, int32_t h, int32_t r, int32_t ring) {
    if (w <= 0 || h <= 0) return;
    if (ring > w) ring = w;
    if (r < 0) r = 0;
    if (r > kMaxOutlineWidth) r = kMaxOutlineWidth;
    const int64_t count = static_cast<int64_t>(w) * h;
    for (int64_t i = 0; i < count; ++i) pixels[i] = MaskCoverage(pixels[i]);
    // Half-width of the disc's row at each vertical distance.
    int32_t half[kMaxOutlineWidth + 1];
    for (int32_t dy = 0, x = r; dy <= r; ++dy) {
        while (x > 0 && x * x + dy * dy > r * r) --x;
        half[dy] = x;
    }
    // Each source pixel's row maxima of widths 0..r spread to the rows within
    // r above and below: w * h * r steps, not the disc's area.
    uint8_t across[kMaxOutlineWidth + 1];
    for (int32_t y = 0; y < h; ++y) {
        const uint32_t* row = pixels + static_cast<int64_t>(y) * w;
        for (int32_t x = 0; x < w; ++x) {
            uint8_t m = static_cast<uint8_t>(row[x]);
            across[0] = m;
            const bool wraps = x < ring;
            for (int32_t k = 1; k <= r; ++k) {
                int32_t left = x - k, right = x + k;
                if (wraps) {
                    left = left < 0 ? (left % ring + ring) % ring : left;
                    right = right >= ring ? right % ring : right;
                }
                if (left >= 0 && static_cast<uint8_t>(row[left]) > m) m = static_cast<uint8_t>(row[left]);
                if (right < w && static_cast<uint8_t>(row[right]) > m) m = static_cast<uint8_t>(row[right]);
                across[k] = m;
            }
            if (m == 0) continue;
            for (int32_t dy = -r; dy <= r; ++dy) {
                const int32_t ty = y + dy;
                if (ty < 0 || ty >= h) continue;
                uint32_t& p = pixels[static_cast<int64_t>(ty) * w + x];
                const uint32_t v = across[half[dy < 0 ? -dy : dy]];
                if (v > ((p >> 8) & 0xFF)) p = (p & 0xFFu) | (v << 8);
            }
        }
    }
}

// 0..255*255 scaled to 0..255, rounded; monotonic, so a colour channel
// built from no more than the alpha's numerator never exceeds the alpha.
static uint32_t Scale(uint32_t v) { return (v + 32512u) / 65025u; }

uint32_t ComposePixel(uint8_t text, uint8_t outline, uint32_t textColor, uint32_t outlineColor, uint32_t bkColor,
                      bool transparent) {
    // Text over outline: the outline shows only where the text does not.
    const uint32_t t = text, o = static_cast<uint32_t>(255 - text) * outline;
    const uint32_t a = t * 255 + o;  // coverage of text or outline, in 255ths of 255ths
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t tc = (textColor >> shift) & 0xFF, oc = (outlineColor >> shift) & 0xFF;
        uint32_t c = t * 255 * tc + o * oc;
        if (!transparent) c += (65025u - a) * ((bkColor >> shift) & 0xFF);
        // COLORREF red is the low byte, a DIB's the third.
        out |= Scale(c) << (16 - shift);
    }
    if (!transparent) return out | 0xFF000000u;
    const uint32_t alpha = Scale(a * 255);
    return out | ((alpha < 1 ? 1 : alpha) << 24);
}

void ComposeCoverage(uint32_t* pixels, int32_t count, uint32_t textColor, uint32_t outlineColor, uint32_t bkColor,
                     bool transparent) {
    // Most pixels are plain background, and runs of the same coverage common.
    uint32_t lastIn = 0, lastOut = ComposePixel(0, 0, textColor, outlineColor, bkColor, transparent);
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t in = pixels[i] & 0xFFFF;
        if (in != lastIn) {
            lastIn = in;
            lastOut = ComposePixel(static_cast<uint8_t>(in), static_cast<uint8_t>(in >> 8), textColor, outlineColor,
                                   bkColor, transparent);
        }
        pixels[i] = lastOut;
    }
}

void RingSlice(const uint32_t* surface, int32_t surfaceW, int32_t rows, int32_t offset, int32_t ringWidth,
               int32_t screenW, uint32_t* out) {
    if (screenW <= 0 || rows <= 0) return;
    const int64_t count = static_cast<int64_t>(screenW) * rows;
    for (int64_t i = 0; i < count; ++i) out[i] = 0x01000000u;
    RingPiece pieces[2];
    const int n = RingPieces(offset, screenW, ringWidth, pieces);
    for (int i = 0; i < n; ++i) {
        int32_t width = pieces[i].width;
        if (pieces[i].srcX >= surfaceW) continue;
        if (pieces[i].srcX + width > surfaceW) width = surfaceW - pieces[i].srcX;
        for (int32_t y = 0; y < rows; ++y) {
            const uint32_t* from = surface + static_cast<int64_t>(y) * surfaceW + pieces[i].srcX;
            uint32_t* to = out + static_cast<int64_t>(y) * screenW + pieces[i].dstX;
            for (int32_t x = 0; x < width; ++x) to[x] = from[x];
        }
    }
}
