// AdvanceMarquee over random parameters and random tick sequences.
// Input: W, interval, step, clock, offset, start tick, then tick advances
// (16 bits each; 0xF000 and above announce a 32-bit advance).
#include "display/marquee_rules.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in{data, size};
    MarqueeInput m{};
    m.ringWidth = in.Take<int32_t>();
    m.interval = in.Take<int32_t>();
    m.step = in.Take<int32_t>();
    uint32_t clock = in.Take<uint32_t>();
    int32_t offset = in.Take<int32_t>();
    if (m.ringWidth > 0) offset = int32_t(((int64_t(offset) % m.ringWidth) + m.ringWidth) % m.ringWidth);
    m.now = in.Take<uint32_t>();
    const bool runs = m.interval > 0 && m.step > 0 && m.ringWidth > 0;

    for (int calls = 0; calls < 4096; ++calls) {
        const int32_t oldOffset = offset;
        const uint32_t oldClock = clock;
        const bool moved = AdvanceMarquee(m, &offset, &clock);
        const int32_t elapsed = int32_t(m.now - oldClock);
        if (!moved) {
            FUZZ_CHECK(offset == oldOffset && clock == oldClock);
            FUZZ_CHECK(!runs || elapsed < m.interval);
        } else {
            FUZZ_CHECK(runs);
            FUZZ_CHECK(elapsed >= m.interval);
            const int64_t steps = elapsed / m.interval;
            const int64_t next = int64_t(oldOffset) + int64_t(m.step) * steps;
            const bool wrapped = next >= m.ringWidth;
            FUZZ_CHECK(offset == (wrapped ? 0 : next));
            FUZZ_CHECK(clock == oldClock + uint32_t(m.interval) * uint32_t(steps) + (wrapped ? 2000u : 0u));
            FUZZ_CHECK(offset >= 0 && offset < m.ringWidth);
            // No time lost: the clock trails now by less than one interval,
            // or by that less the new stand.
            const int32_t lag = int32_t(m.now - clock);
            if (wrapped)
                FUZZ_CHECK(lag >= -2000 && lag < m.interval - 2000);
            else
                FUZZ_CHECK(lag >= 0 && lag < m.interval);
        }
        if (in.Empty()) break;
        uint32_t advance = in.Take<uint16_t>();
        if (advance >= 0xF000) advance = in.Take<uint32_t>();
        m.now += advance;
    }
    return 0;
}
