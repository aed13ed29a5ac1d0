#include "display/marquee_rules.h"

bool AdvanceMarquee(const MarqueeInput& in, int32_t* offset, uint32_t* clock) {
    if (in.interval <= 0 || in.step <= 0 || in.ringWidth <= 0) return false;
    const int32_t elapsed = static_cast<int32_t>(in.now - *clock);  // signed across the wrap
    const int32_t steps = elapsed / in.interval;
    if (steps <= 0) return false;
    *clock += static_cast<uint32_t>(in.interval) * static_cast<uint32_t>(steps);
    const int64_t next = int64_t(*offset) + int64_t(in.step) * steps;
    if (next >= in.ringWidth) {
        *offset = 0;
        *clock += static_cast<uint32_t>(PauseInRange(in.pause));
    } else {
        *offset = static_cast<int32_t>(next);
    }
    return true;
}

// Position within one cycle, `e` ms past the start of its run out.
static int32_t BounceAt(int64_t e, int64_t run, int64_t pause, int32_t interval, int32_t step, int32_t travel) {
    if (e < 0) return 0;
    if (e <= run) {
        const int64_t moved = (e / interval) * step;
        return moved < travel ? static_cast<int32_t>(moved) : travel;
    }
    if (e < run + pause) return travel;
    e -= run + pause;
    if (e >= run) return 0;
    const int64_t back = travel - (e / interval) * step;
    return back > 0 ? static_cast<int32_t>(back) : 0;
}

bool BounceMarquee(const MarqueeInput& in, int32_t* offset, uint32_t* clock) {
    if (in.interval <= 0 || in.step <= 0 || in.travel <= 0) return false;
    const int64_t steps = (int64_t(in.travel) + in.step - 1) / in.step;
    const int64_t run = steps * in.interval, pause = PauseInRange(in.pause);
    const int64_t cycle = 2 * run + 2 * pause;
    int64_t e = static_cast<int32_t>(in.now - *clock);  // signed across the wrap
    if (e >= cycle) {
        const int64_t whole = e / cycle;
        *clock += static_cast<uint32_t>(whole * cycle);
        e -= whole * cycle;
    }
    const int32_t at = BounceAt(e, run, pause, in.interval, in.step, in.travel);
    if (at == *offset) return false;
    *offset = at;
    return true;
}

bool AdvanceScroll(const MarqueeInput& in, int32_t* offset, uint32_t* clock, int32_t* lapDone) {
    if (in.mode == kScrollBounce) return BounceMarquee(in, offset, clock);
    if (in.mode != kScrollOnce) return AdvanceMarquee(in, offset, clock);
    if (*lapDone) return false;
    if (!AdvanceMarquee(in, offset, clock)) return false;
    if (*offset == 0) *lapDone = 1;  // came round: rest at the start
    return true;
}

int32_t FadeWidth(int32_t stored, int32_t windowW) {
    const int32_t most = windowW > 0 ? windowW / 4 : 0;
    return stored <= 0 ? 0 : stored < most ? stored : most;
}

// a * x + (255 - a) * y over 255, rounded, for bytes 0 and 2 of each at
// once; (t + 128 + ((t + 128) >> 8)) >> 8 is t / 255 rounded for t up to 255 * 255.
static uint32_t MixPair(uint32_t x, uint32_t y, uint32_t a) {
    const uint32_t t = (x & 0xFF00FFu) * a + (y & 0xFF00FFu) * (255 - a) + 0x800080u;
    return ((t + ((t >> 8) & 0xFF00FFu)) >> 8) & 0xFF00FFu;
}

uint32_t FadeWeight(int32_t i, int32_t fade) {
    if (fade <= 0 || i < 0) return 0;
    if (i >= fade) return 255;
    return static_cast<uint32_t>((2 * int64_t(i) + 1) * 255 / (2 * int64_t(fade)));
}

uint32_t FadePixel(uint32_t pixel, uint32_t weight, uint32_t bk, bool transparent) {
    const uint32_t under = transparent ? 0 : bk;
    const uint32_t out = MixPair(pixel, under, weight) | MixPair(pixel >> 8, under >> 8, weight) << 8;
    // The window keeps the mouse where it is clear; colours stay within alpha.
    return transparent && (out >> 24) == 0 ? out | 0x01000000u : out;
}

void FadeEdges(uint32_t* pixels, int32_t w, int32_t rows, int32_t fade, uint32_t bkColor, bool transparent) {
    if (w <= 0 || rows <= 0 || fade <= 0) return;
    if (fade > w / 2) fade = w / 2;
    const uint32_t bk = DibColor(bkColor);
    for (int32_t i = 0; i < fade; ++i) {
        const uint32_t a = FadeWeight(i, fade);
        FadeColumn(pixels + i, w, rows, a, bk, transparent, nullptr);
        FadeColumn(pixels + (w - 1 - i), w, rows, a, bk, transparent, nullptr);
    }
}

void FadeColumn(uint32_t* first, int64_t stride, int32_t rows, uint32_t weight, uint32_t bk, bool transparent,
                uint32_t* kept) {
    for (int32_t y = 0; y < rows; ++y, first += stride) {
        if (kept) kept[y] = *first;
        *first = FadePixel(*first, weight, bk, transparent);
    }
}

int RingPieces(int32_t offset, int32_t screenW, int32_t ringWidth, RingPiece pieces[2]) {
    if (screenW <= 0) return 0;
    if (ringWidth <= screenW || offset < 0 || offset >= ringWidth) {
        pieces[0] = {offset < 0 ? 0 : offset, 0, screenW};
        return 1;
    }
    const int32_t first = ringWidth - offset;
    if (first >= screenW) {
        pieces[0] = {offset, 0, screenW};
        return 1;
    }
    pieces[0] = {offset, 0, first};
    pieces[1] = {0, first, screenW - first};
    return 2;
}

uint32_t CounterToMs(uint64_t count, uint64_t frequency) {
    if (frequency == 0) return 0;
    const uint64_t seconds = count / frequency;
    const uint64_t rest = count % frequency;  // < frequency, so rest * 1000 fits for any real frequency
    return static_cast<uint32_t>(seconds * 1000u + rest * 1000u / frequency);
}
