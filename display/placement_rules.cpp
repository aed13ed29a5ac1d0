#include "display/placement_rules.h"

namespace {

int32_t NotBelowZero(int32_t v) { return v < 0 ? 0 : v; }

// a + b for b >= 0, stopping at the end of the range.
int32_t AddUpTo(int32_t a, int32_t b) { return a > INT32_MAX - b ? INT32_MAX : a + b; }

// One axis: the start that puts [start, start + extent) inside [lo, hi) with
// the least move. extent <= hi - lo, so hi - extent cannot overflow.
int32_t Fit(int32_t start, int32_t extent, int32_t lo, int32_t hi) {
    const int32_t last = hi - extent;
    if (start > last) start = last;
    if (start < lo) start = lo;
    return start;
}

// Shrinks a size to the span [lo, hi); an inverted span counts as none.
int32_t SizeWithin(int32_t size, int32_t lo, int32_t hi) {
    const uint32_t span = hi > lo ? (uint32_t)hi - (uint32_t)lo : 0;
    return size > 0 && (uint32_t)size > span ? (int32_t)span : size;
}

// How much of [lo1, hi1) lies in [lo2, hi2), in 64 bits so no edge overflows.
int64_t Overlap(int32_t lo1, int32_t hi1, int32_t lo2, int32_t hi2) {
    const int64_t lo = lo1 > lo2 ? lo1 : lo2, hi = hi1 < hi2 ? hi1 : hi2;
    return hi > lo ? hi - lo : 0;
}

// Whether enough of [lo1, hi1) lies in [lo2, hi2): `grab` of it, or all of
// it when it is shorter; a span of no length must start inside.
bool Holds(int32_t lo1, int32_t hi1, int32_t lo2, int32_t hi2, int32_t grab) {
    const int64_t length = (int64_t)hi1 - lo1;
    if (length <= 0) return lo1 >= lo2 && lo1 < hi2;
    return Overlap(lo1, hi1, lo2, hi2) >= (length < grab ? length : grab);
}

}  // namespace

PlaceRect CoveredRect(const Placement& p) {
    return PlaceRect{p.x, p.y, AddUpTo(p.x, NotBelowZero(p.w)), AddUpTo(p.y, NotBelowZero(p.h))};
}

Placement MoveIntoArea(const Placement& p, const PlaceRect& area) {
    Placement out = p;
    out.w = SizeWithin(p.w, area.left, area.right);
    out.h = SizeWithin(p.h, area.top, area.bottom);
    out.x = Fit(p.x, NotBelowZero(out.w), area.left, area.right);
    out.y = Fit(p.y, NotBelowZero(out.h), area.top, area.bottom);
    return out;
}

bool Reachable(const Placement& client, const PlaceRect* areas, int count) {
    const PlaceRect c = CoveredRect(client);
    for (int i = 0; i < count; ++i) {
        const PlaceRect& a = areas[i];
        if (Holds(c.left, c.right, a.left, a.right, kGrabWidth) && Holds(c.top, c.bottom, a.top, a.bottom, kGrabHeight))
            return true;
    }
    return false;
}
