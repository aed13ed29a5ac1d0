#include "display/placement_rules.h"

namespace {

int32_t Saturate(int64_t v) {
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return (int32_t)v;
}

int64_t NotBelowZero(int32_t v) { return v < 0 ? 0 : v; }

// One axis: the start that puts [start, start + extent) inside [lo, hi) with
// the least move; an extent wider than the range starts at its low end.
int64_t Fit(int64_t start, int64_t extent, int64_t lo, int64_t hi) {
    if (start + extent > hi) start = hi - extent;
    if (start < lo) start = lo;
    return start;
}

}  // namespace

PlaceRect CoveredRect(const Placement& p) {
    return PlaceRect{p.x, p.y, Saturate((int64_t)p.x + NotBelowZero(p.w)), Saturate((int64_t)p.y + NotBelowZero(p.h))};
}

Placement MoveIntoArea(const Placement& p, const PlaceRect& area) {
    const int64_t areaW = NotBelowZero(Saturate((int64_t)area.right - area.left));
    const int64_t areaH = NotBelowZero(Saturate((int64_t)area.bottom - area.top));
    Placement out = p;
    if (out.w > areaW) out.w = (int32_t)areaW;
    if (out.h > areaH) out.h = (int32_t)areaH;
    out.x = (int32_t)Fit(p.x, NotBelowZero(out.w), area.left, area.right);
    out.y = (int32_t)Fit(p.y, NotBelowZero(out.h), area.top, area.bottom);
    return out;
}
