// The one-line rules: CentreOrigin, ClampScreenCoordinate, StyleIndexOrZero,
// LowByte, over all 32-bit inputs; and a frameless window moved into a work
// area can be grabbed there.
#include "display/placement_rules.h"
#include "settings/settings_rules.h"
#include "tests/fuzz/fuzz_input.h"
#include "ui/dialog_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in{data, size};
    const int32_t a = in.Take<int32_t>(), b = in.Take<int32_t>(), c = in.Take<int32_t>(), d = in.Take<int32_t>();

    const Point p = CentreOrigin(a, b, c, d);
    FUZZ_CHECK(p.x == int64_t(a / 2) - int64_t(c / 2));
    FUZZ_CHECK(p.y == int64_t(b / 2) - int64_t(d / 2));

    const int32_t clamped = ClampScreenCoordinate(a);
    FUZZ_CHECK(clamped == (a > 10000 ? 0 : a));
    const int32_t style = StyleIndexOrZero(b);
    FUZZ_CHECK(style >= 0 && style < 3 && (style == b || style == 0));
    FUZZ_CHECK(LowByte(uint32_t(c)) == uint32_t(c) % 256);

    const Placement window = {a, b, in.Take<int32_t>(), in.Take<int32_t>()};
    const PlaceRect area = {c, d, in.Take<int32_t>(), in.Take<int32_t>()};
    const Placement moved = MoveIntoArea(window, area);
    if (moved.w > 0 && moved.h > 0 && area.right > area.left && area.bottom > area.top)
        FUZZ_CHECK(Reachable(moved, &area, 1));
    if (window.w > 0 && window.h > 0 && Reachable(window, &area, 1)) {
        const PlaceRect r = CoveredRect(window);
        FUZZ_CHECK(r.left < area.right && r.right > area.left && r.top < area.bottom && r.bottom > area.top);
    }
    return 0;
}
