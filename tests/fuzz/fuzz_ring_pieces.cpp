// RingPieces: the pieces tile the window exactly, from inside the ring.
#include "display/marquee_rules.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in{data, size};
    int32_t offset = in.Take<int32_t>();
    const int32_t screenW = in.Take<int32_t>(), ringWidth = in.Take<int32_t>();
    const uint8_t mode = in.Take<uint8_t>();
    // Mostly offsets the marquee can produce; sometimes anything at all.
    if ((mode & 3) != 0 && ringWidth > 0)
        offset = int32_t(((int64_t(offset) % ringWidth) + ringWidth) % ringWidth);

    RingPiece pieces[2] = {{-1, -1, -1}, {-1, -1, -1}};
    const int n = RingPieces(offset, screenW, ringWidth, pieces);
    if (screenW <= 0) {
        FUZZ_CHECK(n == 0);
        return 0;
    }
    FUZZ_CHECK(n == 1 || n == 2);
    int64_t x = 0;
    for (int i = 0; i < n; ++i) {
        FUZZ_CHECK(pieces[i].width > 0);
        FUZZ_CHECK(pieces[i].dstX == x);
        FUZZ_CHECK(pieces[i].srcX >= 0);
        x += pieces[i].width;
    }
    FUZZ_CHECK(x == screenW);
    if (n == 1) FUZZ_CHECK(pieces[1].width == -1);
    const bool inRing = offset >= 0 && offset < ringWidth;
    if (ringWidth > screenW && inRing) {
        for (int i = 0; i < n; ++i) {
            FUZZ_CHECK(pieces[i].srcX < ringWidth);
            FUZZ_CHECK(int64_t(pieces[i].srcX) + pieces[i].width <= ringWidth);
            FUZZ_CHECK(pieces[i].srcX == (int64_t(offset) + pieces[i].dstX) % ringWidth);
        }
    } else {
        FUZZ_CHECK(n == 1);
    }
    return 0;
}
