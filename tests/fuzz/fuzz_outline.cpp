// The outline's pixel rules over any small mask, radius and colours: the
// widening never lowers coverage nor passes the brightest, composed pixels
// stay premultiplied, and a ring slice only ever copies surface pixels or
// clear ones.
#include "display/outline_rules.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in{data, size};
    const int32_t w = in.Take<uint8_t>() % 24 + 1, h = in.Take<uint8_t>() % 24 + 1;
    const int32_t r = in.Take<int16_t>() % 300, ringW = in.Take<int8_t>();
    const uint32_t tc = in.Take<uint32_t>(), oc = in.Take<uint32_t>(), bk = in.Take<uint32_t>();
    const bool transparent = in.Take<uint8_t>() & 1;
    const int32_t offset = in.Take<int16_t>(), ring = in.Take<int16_t>(), screenW = in.Take<uint8_t>() % 40;
    uint32_t mask[24 * 24], px[24 * 24];
    for (int32_t i = 0; i < w * h; ++i) mask[i] = px[i] = in.Take<uint32_t>();

    MaskToCoverage(px, w, h, r, ringW);
    uint32_t brightest = 0;
    for (int32_t i = 0; i < w * h; ++i)
        if (MaskCoverage(mask[i]) > brightest) brightest = MaskCoverage(mask[i]);
    for (int32_t i = 0; i < w * h; ++i) {
        FUZZ_CHECK((px[i] & 0xFF) == MaskCoverage(mask[i]));
        FUZZ_CHECK(((px[i] >> 8) & 0xFF) <= brightest);
        FUZZ_CHECK(((px[i] >> 8) & 0xFF) >= (r >= 0 ? (px[i] & 0xFF) : 0));
        FUZZ_CHECK(px[i] >> 16 == 0);
    }
    ComposeCoverage(px, w * h, tc, oc, bk, transparent);
    for (int32_t i = 0; i < w * h; ++i) {
        const uint32_t a = px[i] >> 24;
        FUZZ_CHECK(a >= 1);
        FUZZ_CHECK(!transparent || (((px[i] >> 16) & 0xFF) <= a && ((px[i] >> 8) & 0xFF) <= a && (px[i] & 0xFF) <= a));
        FUZZ_CHECK(transparent || a == 255);
    }
    uint32_t out[40 * 24];
    RingSlice(px, w, h, offset, ring, screenW, out);
    for (int32_t i = 0; i < screenW * h; ++i) {
        bool found = out[i] == 0x01000000u;
        for (int32_t j = 0; j < w * h && !found; ++j) found = out[i] == px[j];
        FUZZ_CHECK(found);
    }
    return 0;
}
