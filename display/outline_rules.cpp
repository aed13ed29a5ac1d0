#include "display/outline_rules.h"

#include "display/marquee_rules.h"

#include <cstring>

// OUTLINE_PLAIN builds the four-bytes-a-step path alone, for its tests.
#if (defined(__i386__) || defined(__x86_64__)) && !defined(OUTLINE_PLAIN)
#include <cpuid.h>
#include <emmintrin.h>
#define OUTLINE_SSE2 1
#endif

int32_t OutlineWidth(int32_t level, int32_t height) {
    level = OutlineLevel(level);
    if (level == kOutlineNone) return 0;
    int64_t r = height > 0 ? (static_cast<int64_t>(height) + 12) / 24 : 0;
    if (r < 1) r = 1;
    if (level == kOutlineThick) r = r > kMaxOutlineWidth / 2 ? kMaxOutlineWidth : 2 * r;
    return r > kMaxOutlineWidth ? kMaxOutlineWidth : static_cast<int32_t>(r);
}

static inline uint8_t Larger(uint8_t a, uint8_t b) { return a > b ? a : b; }

// The larger of each of four bytes at once: top bit of `low` where a's low
// seven bits are at least b's, of `atLeast` where a's byte is.
static inline uint32_t Larger4(uint32_t a, uint32_t b) {
    const uint32_t top = 0x80808080u;
    const uint32_t low = ((a | top) - (b & ~top)) & top;
    const uint32_t atLeast = ((a & ~b) | (~(a ^ b) & low)) & top;
    return b ^ ((a ^ b) & ((atLeast >> 7) * 0xFFu));
}

#ifdef OUTLINE_SSE2
// Whether this processor has SSE2: every x86-64 one does; a 32-bit player
// may still run on one without it.
static bool HasSse2() {
#ifdef __x86_64__
    return true;
#else
    unsigned a, b, c, d;
    return __get_cpuid(1, &a, &b, &c, &d) && (d & bit_SSE2);
#endif
}

static inline __attribute__((target("sse2"))) __m128i Load(const void* at) {
    return _mm_loadu_si128(static_cast<const __m128i*>(at));
}
static inline __attribute__((target("sse2"))) void Store(void* at, __m128i v) {
    _mm_storeu_si128(static_cast<__m128i*>(at), v);
}

// LargerRun sixteen at a time; how many it did.
__attribute__((target("sse2"))) static int32_t LargerRun16(uint8_t* out, const uint8_t* a, const uint8_t* b,
                                                            int32_t count) {
    int32_t i = 0;
    for (; i + 16 <= count; i += 16) Store(out + i, _mm_max_epu8(Load(a + i), Load(b + i)));
    return i;
}

// MaskToCoverage's three sweeps over every pixel, sixteen at a time; each
// returns how many it did. Every step reads before it writes, and writes
// only bytes no later step reads.
__attribute__((target("sse2"))) static int64_t CoverageOf16(uint8_t* bytes, const uint32_t* pixels, int64_t count) {
    const __m128i low = _mm_set1_epi32(0xFF);
    int64_t i = 0;
    for (; i + 16 <= count; i += 16) {
        __m128i q[4];
        for (int j = 0; j < 4; ++j) {
            const __m128i v = Load(pixels + i + 4 * j);
            q[j] = _mm_and_si128(_mm_max_epu8(v, _mm_max_epu8(_mm_srli_epi32(v, 8), _mm_srli_epi32(v, 16))), low);
        }
        Store(bytes + i, _mm_packus_epi16(_mm_packs_epi32(q[0], q[1]), _mm_packs_epi32(q[2], q[3])));
    }
    return i;
}
__attribute__((target("sse2"))) static int64_t PairUp16(uint8_t* pairs, const uint8_t* cover, const uint8_t* wide,
                                                         int64_t count) {
    int64_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m128i c = Load(cover + i), w = Load(wide + i);
        Store(pairs + 2 * i, _mm_unpacklo_epi8(c, w));
        Store(pairs + 2 * i + 16, _mm_unpackhi_epi8(c, w));
    }
    return i;
}
__attribute__((target("sse2"))) static int64_t Spread16(uint32_t* pixels, const uint8_t* pairs, int64_t count) {
    const __m128i zero = _mm_setzero_si128();
    int64_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m128i v = Load(pairs + 2 * i);
        Store(pixels + i, _mm_unpacklo_epi16(v, zero));
        Store(pixels + i + 4, _mm_unpackhi_epi16(v, zero));
    }
    return i;
}
#else
static bool HasSse2() { return false; }
static int32_t LargerRun16(uint8_t*, const uint8_t*, const uint8_t*, int32_t) { return 0; }
static int64_t CoverageOf16(uint8_t*, const uint32_t*, int64_t) { return 0; }
static int64_t PairUp16(uint8_t*, const uint8_t*, const uint8_t*, int64_t) { return 0; }
static int64_t Spread16(uint32_t*, const uint8_t*, int64_t) { return 0; }
#endif

// out[i] = the larger of a[i] and b[i], sixteen at a time with `simd`, else
// four. Each step reads before it writes, so out may be a with b ahead of it.
static void LargerRun(bool simd, uint8_t* out, const uint8_t* a, const uint8_t* b, int32_t count) {
    int32_t i = simd ? LargerRun16(out, a, b, count) : 0;
    for (; i + 4 <= count; i += 4) {
        uint32_t x, y;
        memcpy(&x, a + i, 4);
        memcpy(&y, b + i, 4);
        x = Larger4(x, y);
        memcpy(out + i, &x, 4);
    }
    for (; i < count; ++i) out[i] = Larger(a[i], b[i]);
}

// Up to this radius today's disc costs no more than the passes below.
static const int32_t kExactDisc = 8;

// The disc itself, at w * h * r steps: only for radii up to kExactDisc.
static void WidenByDisc(uint32_t* pixels, int32_t w, int32_t h, int32_t r, int32_t ring) {
    // Half-width of the disc's row at each vertical distance.
    int32_t half[kExactDisc + 1];
    for (int32_t dy = 0, x = r; dy <= r; ++dy) {
        while (x > 0 && x * x + dy * dy > r * r) --x;
        half[dy] = x;
    }
    // Each source pixel's row maxima of widths 0..r spread to the rows within
    // r above and below.
    uint8_t across[kExactDisc + 1];
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
                if (v > ((p >> 8) & 0xFF)) p = (p & 0xFFFF00FFu) | (v << 8);
            }
        }
    }
}

// Beyond kExactDisc the widening works on byte planes laid over the
// pixels' own memory (four bytes a pixel, four planes of w x h): the
// coverage, the widening so far, and each line's running maxima from its
// block's start and to its block's end. Every pass reads and writes bytes
// in rows, a quarter of the memory of whole pixels.
struct Planes {
    uint8_t *cover, *wide, *fromStart, *toEnd;
    int32_t w, h;
    int32_t scratchRows;  // of the running maxima's planes in use, over and over
    bool simd;            // sixteen bytes a step
};

// Row y of a plane, from column x0.
static inline uint8_t* RowOf(uint8_t* plane, const Planes& p, int32_t y, int32_t x0) {
    return plane + static_cast<int64_t>(y) * p.w + x0;
}

// Row y of a plane of running maxima.
static inline uint8_t* ScratchOf(uint8_t* plane, const Planes& p, int32_t y, int32_t x0) {
    return plane + static_cast<int64_t>(y % p.scratchRows) * p.w + x0;
}

// x in 0..n-1 however far outside it is.
static inline int32_t Wrap(int32_t x, int32_t n) { return ((x % n) + n) % n; }

// The largest of a line's points s..e (indices along it, in blocks of L,
// at most L apart) from their running maxima: `sClipped` when s is the
// line's first point, `eClipped` when e is its last.
static inline uint8_t SpanMax(uint8_t toEndAtS, uint8_t fromStartAtE, int32_t s, int32_t e, int32_t L, bool sClipped,
                              bool eClipped) {
    if ((sClipped || eClipped) && s / L == e / L) return sClipped ? fromStartAtE : toEndAtS;
    return Larger(toEndAtS, fromStartAtE);
}

// Running maxima of 2k + 1 points along each row of columns x0..x0+n-1;
// `cyclic` joins the segment's ends. Each row is laid out in scratch with k
// points either side (none past a plain segment's ends, the other end's
// round a cyclic one), where doubling runs take the maxima of 2, 4, 8...
// points: log k steps of the whole row, sixteen points at a time.
static void RowPass(const Planes& p, int32_t x0, int32_t n, bool cyclic, int32_t k) {
    if (k <= 0 || n <= 0) return;
    if (!cyclic && k > n - 1) k = n - 1;  // beyond that every window is the whole row
    const int32_t L = 2 * k + 1, len = n + 2 * k;
    int32_t span = 1;  // the largest power of two up to L
    while (2 * span <= L) span *= 2;
    uint8_t* const line = p.fromStart;  // and on into toEnd
    for (int32_t y = 0; y < p.h; ++y) {
        uint8_t* wide = RowOf(p.wide, p, y, x0);
        if (cyclic && L >= n) {  // every point sees the whole ring
            uint8_t m = 0;
            for (int32_t i = 0; i < n; ++i) m = Larger(m, wide[i]);
            memset(wide, m, n);
            continue;
        }
        if (len > 2 * static_cast<int64_t>(p.w) * p.h) {  // scratch too short (a single row): window by window
            memcpy(line, wide, n);
            for (int32_t i = 0; i < n; ++i) {
                uint8_t m = 0;
                for (int32_t j = i > k ? i - k : 0; j <= i + k && j < n; ++j) m = Larger(m, line[j]);
                wide[i] = m;
            }
            continue;
        }
        if (cyclic) {  // here k < n / 2
            memcpy(line, wide + n - k, k);
            memcpy(line + k + n, wide, k);
        } else {
            memset(line, 0, k);
            memset(line + k + n, 0, k);
        }
        memcpy(line + k, wide, n);
        for (int32_t s = 1; s < span; s *= 2) LargerRun(p.simd, line, line, line + s, len - s);
        // Point i's window is line[i .. i + L - 1]: two runs of `span`.
        LargerRun(p.simd, wide, line, line + L - span, n);
    }
}

// One row's running maxima `run` from its widening and the line's next
// (or previous) point's in `other`, at column i + dx there; a column off a
// segment that is not cyclic has none.
static void RunFrom(bool simd, uint8_t* __restrict run, const uint8_t* __restrict wide,
                    const uint8_t* __restrict other, int32_t n, int32_t dx, bool cyclic) {
    const int32_t lo = dx < 0 ? -dx : 0, hi = dx > 0 ? n - dx : n;  // columns whose point is inside
    if (lo < hi) LargerRun(simd, run + lo, wide + lo, other + lo + dx, hi - lo);
    for (int32_t i = 0; i < n; ++i) {
        if (i == lo && lo < hi) i = hi;
        if (i >= n) break;
        run[i] = cyclic ? Larger(wide[i], other[Wrap(i + dx, n)]) : wide[i];
    }
}

// A run of a row's window maxima: the larger of the maxima to the block's
// end at its start and from the block's start at its end (`mode` 0), or
// one of them where the window lies in one block at a line's end (1, 2).
static void Combine(bool simd, uint8_t* __restrict out, const uint8_t* __restrict toEnd,
                    const uint8_t* __restrict fromStart, int32_t count, int mode) {
    if (mode == 1)
        memcpy(out, fromStart, count);
    else if (mode == 2)
        memcpy(out, toEnd, count);
    else
        LargerRun(simd, out, toEnd, fromStart, count);
}

// Running maxima along lines of direction (dx, dy), dy 1 or 2: the
// segment's columns x0..x0+n-1 at row y, once the rows its windows reach
// have their maxima from each block's start and to its end.
static void SlantRow(const Planes& p, int32_t x0, int32_t n, bool cyclic, int32_t dx, int32_t dy, int32_t k,
                     int32_t y) {
    const int32_t L = 2 * k + 1, step = dx < 0 ? -dx : dx;
    const int32_t t = y / dy, up = t < k ? t : k, downRows = (p.h - 1 - y) / dy, down = downRows < k ? downRows : k;
    uint8_t* wide = RowOf(p.wide, p, y, x0);
    const uint8_t* toEnd = ScratchOf(p.toEnd, p, y - up * dy, x0);
    const uint8_t* fromStart = ScratchOf(p.fromStart, p, y + down * dy, x0);
    // Columns whose window stays on the segment: one rule for the row.
    int32_t lo = 0, hi = n;
    if (!cyclic) {
        const int32_t reach = (up > down ? up : down) * step;
        lo = reach < n ? reach : n;
        hi = n - reach > lo ? n - reach : lo;
    }
    const int32_t sOff = cyclic ? Wrap(-up * dx, n) : -up * dx, eOff = cyclic ? Wrap(down * dx, n) : down * dx;
    const bool sameBlock = (t - up) / L == (t + down) / L, sClipped = up < k, eClipped = down < k;
    const int mode = sameBlock && (sClipped || eClipped) ? (sClipped ? 1 : 2) : 0;
    if (!cyclic) {
        Combine(p.simd, wide + lo, toEnd + lo + sOff, fromStart + lo + eOff, hi - lo, mode);
    } else {
        // Up to three runs, in each of which neither end wraps or both do.
        int32_t cutS = n - sOff, cutE = n - eOff;
        if (cutS > cutE) {
            const int32_t c = cutS;
            cutS = cutE;
            cutE = c;
        }
        const int32_t cuts[4] = {0, cutS, cutE, n};
        for (int j = 0; j < 3; ++j) {
            const int32_t from = cuts[j], count = cuts[j + 1] - from;
            if (count <= 0) continue;
            int32_t sx = from + sOff, ex = from + eOff;
            sx -= sx >= n ? n : 0;
            ex -= ex >= n ? n : 0;
            Combine(p.simd, wide + from, toEnd + sx, fromStart + ex, count, mode);
        }
    }
    // Near a side of a segment that is not cyclic the line may leave it.
    for (int32_t i = 0; i < n; ++i) {
        if (i == lo && lo < hi) i = hi;
        if (i >= n) break;
        int32_t back = up, ahead = down;
        const int32_t left = i / step, right = (n - 1 - i) / step;
        const int32_t behind = dx > 0 ? left : right, before = dx > 0 ? right : left;
        if (behind < back) back = behind;
        if (before < ahead) ahead = before;
        wide[i] = SpanMax(ScratchOf(p.toEnd, p, y - back * dy, x0)[i - back * dx],
                          ScratchOf(p.fromStart, p, y + ahead * dy, x0)[i + ahead * dx], t - back, t + ahead, L, back < k,
                          ahead < k);
    }
}

// Running maxima of 2k + 1 points along lines of direction (dx, dy), dy 1
// or 2, over columns x0..x0+n-1; `cyclic` wraps the columns. A line's index
// is y / dy, so its blocks of L points span the same L * dy rows for every
// line: block by block, maxima from the block's start downwards and to its
// end upwards, then the windows of every row whose lowest point is in the
// block. A window reaches back into the previous block at most, so the
// maxima of two blocks are kept, in turn: they stay in the cache.
static void SlantPass(Planes p, int32_t x0, int32_t n, bool cyclic, int32_t dx, int32_t dy, int32_t k) {
    if (k <= 0 || n <= 0) return;
    const int32_t block = (2 * k + 1) * dy;
    p.scratchRows = 2 * block < p.h ? 2 * block : p.h;
    int32_t next = 0;  // the next row whose window is taken
    for (int32_t top = 0; top < p.h; top += block) {
        const int32_t end = p.h - top > block ? top + block : p.h;
        for (int32_t y = top; y < end; ++y) {
            uint8_t *run = ScratchOf(p.fromStart, p, y, x0), *wide = RowOf(p.wide, p, y, x0);
            if (y - dy >= top)
                RunFrom(p.simd, run, wide, ScratchOf(p.fromStart, p, y - dy, x0), n, -dx, cyclic);
            else
                memcpy(run, wide, n);
        }
        for (int32_t y = end - 1; y >= top; --y) {
            uint8_t *run = ScratchOf(p.toEnd, p, y, x0), *wide = RowOf(p.wide, p, y, x0);
            if (y + dy < end)
                RunFrom(p.simd, run, wide, ScratchOf(p.toEnd, p, y + dy, x0), n, dx, cyclic);
            else
                memcpy(run, wide, n);
        }
        for (; next < p.h; ++next) {
            const int32_t below = (p.h - 1 - next) / dy;
            if (next + (below < k ? below : k) * dy >= end) break;
            SlantRow(p, x0, n, cyclic, dx, dy, k, next);
        }
    }
}

// The polygon's pieces for radius r: half-lengths of the row and column
// segments, and steps of the diagonal and of the (2, 1)-family segments.
// Their sum is a sixteen-sided polygon reaching r - 1 along the axes and,
// with b + 2c and b + 3c rounded down from r (1 - 1/sqrt 2) and
// r (3 - sqrt 5) / 2, about as far as the lattice disc along the diagonals
// and the (2, 1) lines: between the discs of radius r - 1 and r + 1 up to
// r = 67 (a thick outline 800 pixels high), within 2.5 % of r beyond.
struct Pieces {
    int32_t straight, diagonal, knight;
};
static Pieces PiecesFor(int32_t r) {
    const int32_t p = r * 300 >> 10, q = r * 391 >> 10;  // in 1024ths
    const int32_t knight = q - p, diagonal = p - 2 * knight;
    return {r - 1 - 2 * diagonal - 6 * knight, diagonal, knight};
}

// Widening by the polygon over columns x0..x0+n-1: each piece a pass whose
// cost does not depend on its length, but for the rows' (log of it).
static void WidenByPolygon(const Planes& p, int32_t x0, int32_t n, bool cyclic, int32_t r) {
    const Pieces pieces = PiecesFor(r);
    RowPass(p, x0, n, cyclic, pieces.straight);
    SlantPass(p, x0, n, cyclic, 0, 1, pieces.straight);
    SlantPass(p, x0, n, cyclic, 1, 1, pieces.diagonal);
    SlantPass(p, x0, n, cyclic, -1, 1, pieces.diagonal);
    SlantPass(p, x0, n, cyclic, 2, 1, pieces.knight);
    SlantPass(p, x0, n, cyclic, -2, 1, pieces.knight);
    SlantPass(p, x0, n, cyclic, 1, 2, pieces.knight);
    SlantPass(p, x0, n, cyclic, -1, 2, pieces.knight);
}

void MaskToCoverage(uint32_t* pixels, int32_t w, int32_t h, int32_t r, int32_t ring) {
    if (w <= 0 || h <= 0) return;
    if (ring > w) ring = w;
    if (ring < 0) ring = 0;
    if (r < 0) r = 0;
    if (r > kMaxOutlineWidth) r = kMaxOutlineWidth;
    const int64_t count = static_cast<int64_t>(w) * h;
    if (r <= kExactDisc) {
        for (int64_t i = 0; i < count; ++i) pixels[i] = MaskCoverage(pixels[i]);
        WidenByDisc(pixels, w, h, r, ring);
        return;
    }
    const bool simd = HasSse2();
    // Byte i is in pixel i / 4, already read.
    uint8_t* const bytes = reinterpret_cast<uint8_t*>(pixels);
    int64_t done = simd ? CoverageOf16(bytes, pixels, count) : 0;
    for (int64_t i = done; i < count; ++i) bytes[i] = MaskCoverage(pixels[i]);
    const Planes p = {bytes, bytes + count, bytes + 2 * count, bytes + 3 * count, w, h, h, simd};
    memcpy(p.wide, p.cover, count);
    // Columns past the ring (none in a composition, where the ring fills
    // the surface) see every column; the ring's columns only the ring, round.
    if (ring < w) {
        WidenByPolygon(p, 0, w, false, r);
        for (int32_t y = 0; y < h && ring > 0; ++y) memcpy(RowOf(p.wide, p, y, 0), RowOf(p.cover, p, y, 0), ring);
    }
    if (ring > 0) WidenByPolygon(p, 0, ring, true, r);
    // Back to pixels: pairs in the last half, then each pixel from its pair,
    // which lies at or past the pixel's own bytes.
    uint8_t* const pairs = bytes + 2 * count;
    done = simd ? PairUp16(pairs, p.cover, p.wide, count) : 0;
    for (int64_t i = done; i < count; ++i) {
        pairs[2 * i] = p.cover[i];
        pairs[2 * i + 1] = p.wide[i];
    }
    done = simd ? Spread16(pixels, pairs, count) : 0;
    for (int64_t i = done; i < count; ++i) pixels[i] = pairs[2 * i] | static_cast<uint32_t>(pairs[2 * i + 1]) << 8;
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
