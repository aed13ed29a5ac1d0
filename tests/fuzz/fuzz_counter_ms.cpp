// CounterToMs against 128-bit arithmetic, for frequencies up to 2^64 / 1000.
#include "display/marquee_rules.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in{data, size};
    const uint64_t count = in.Take<uint64_t>();
    uint64_t frequency = in.Take<uint64_t>();
    if (frequency > UINT64_MAX / 1000) frequency %= UINT64_MAX / 1000 + 1;
    const uint32_t ms = CounterToMs(count, frequency);
    if (frequency == 0) {
        FUZZ_CHECK(ms == 0);
        return 0;
    }
    FUZZ_CHECK(ms == uint32_t((unsigned __int128)count * 1000u / frequency));
    // One more second of counts is 1000 more ticks, wrap or not.
    if (count <= UINT64_MAX - frequency) FUZZ_CHECK(uint32_t(CounterToMs(count + frequency, frequency) - ms) == 1000u);
    return 0;
}
