// LayoutTitle over all 32-bit measurements: no overflow, consistent flags.
#include "display/title_rules.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in{data, size};
    const int32_t w = in.Take<int32_t>(), h = in.Take<int32_t>(), screenW = in.Take<int32_t>();
    const TitleLayout l = LayoutTitle(w, h, screenW);

    FUZZ_CHECK(l.scrolls == (w > screenW));
    FUZZ_CHECK(l.drawFlags == (l.scrolls ? 0x924 : 0x925));
    int64_t extent = l.scrolls ? int64_t(w) + 2 * int64_t(h) : w;
    if (extent > INT32_MAX) extent = INT32_MAX;
    if (extent < INT32_MIN) extent = INT32_MIN;
    FUZZ_CHECK(l.extentWidth == extent);
    FUZZ_CHECK(l.surfaceWidth >= screenW && l.surfaceWidth >= l.extentWidth);
    FUZZ_CHECK(l.surfaceWidth == screenW || l.surfaceWidth == l.extentWidth);
    return 0;
}
