// Every scrolling mode over random parameters and tick sequences, and the
// soft edges over random pictures.
// Input: mode, interval, step, W, pause, travel, start tick, then tick
// advances (16 bits each; 0xF000 and above announce a 32-bit advance).
#include <vector>

#include "display/marquee_rules.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in{data, size};
    MarqueeInput m{};
    m.mode = in.Take<uint8_t>() % 4;
    m.interval = in.Take<int16_t>();
    m.step = in.Take<int16_t>();
    m.ringWidth = in.Take<int32_t>();
    m.pause = in.Take<int32_t>();
    m.travel = in.Take<int32_t>();
    m.now = in.Take<uint32_t>();
    const uint32_t clock0 = m.now + uint32_t(PauseInRange(m.pause));  // a composition
    uint32_t clock = clock0;
    int32_t offset = 0, lap = 0;
    int64_t since = -int64_t(PauseInRange(m.pause));  // now - clock0, unwrapped
    const bool bounces = m.mode == kScrollBounce && m.interval > 0 && m.step > 0 && m.travel > 0;

    for (int calls = 0; calls < 4096; ++calls) {
        const int32_t wasLap = lap;
        AdvanceScroll(m, &offset, &clock, &lap);
        if (m.mode == kScrollBounce) {
            FUZZ_CHECK(offset >= 0 && (!bounces || offset <= m.travel));
            // A function of the clock alone: a fresh start lands at the same place.
            if (bounces && since < INT32_MAX) {
                int32_t fresh = 0;
                uint32_t freshClock = clock0;
                BounceMarquee(m, &fresh, &freshClock);
                FUZZ_CHECK(fresh == offset);
            }
        }
        if (m.mode == kScrollOnce && wasLap) FUZZ_CHECK(lap == 1 && offset == 0);
        if (m.mode != kScrollOnce) FUZZ_CHECK(lap == 0);
        if (in.Empty()) break;
        uint32_t advance = in.Take<uint16_t>();
        if (advance >= 0xF000) advance = in.Take<uint32_t>();
        m.now += advance;
        since += advance;
    }

    // Soft edges: premultiplied pixels stay premultiplied, alpha at least 1.
    const int32_t w = m.step & 63, rows = m.interval & 7, fade = m.pause & 127;
    std::vector<uint32_t> px(size_t(w) * rows);
    for (size_t i = 0; i < px.size(); ++i) {
        const uint32_t a = ((m.now >> (i % 24)) & 0xFF) | 1;  // as composed: never 0
        px[i] = (a << 24) | ((a / 2) << 16) | (a << 8) | (a / 3);
    }
    FadeEdges(px.data(), w, rows, fade, uint32_t(m.travel), true);
    for (uint32_t p : px) {
        const uint32_t a = p >> 24;
        FUZZ_CHECK(a >= 1 && ((p >> 16) & 0xFF) <= a && ((p >> 8) & 0xFF) <= a && (p & 0xFF) <= a);
    }
    return 0;
}
