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
        *clock += kStandMs;
    } else {
        *offset = static_cast<int32_t>(next);
    }
    return true;
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
