#include "display/dpi_rules.h"

namespace {

// No monitor comes near 2^15 DPI; below it the remainder's product fits in
// 32 bits, so the 32-bit DLL needs no 64-bit division routines.
const uint32_t kMaxDpi = 1u << 15;

uint32_t ValidDpi(int32_t dpi) { return dpi <= 0 ? 96u : (uint32_t)dpi > kMaxDpi ? kMaxDpi : (uint32_t)dpi; }

}  // namespace

int32_t ScaleToDpi(int32_t v, int32_t fromDpi, int32_t toDpi) {
    const uint32_t from = ValidDpi(fromDpi), to = ValidDpi(toDpi);
    if (from == to) return v;
    // The magnitude is scaled, so that halves go away from zero on both sides.
    const uint32_t m = v < 0 ? 0u - (uint32_t)v : (uint32_t)v;
    const uint32_t rest = m % from;
    const uint64_t q = (uint64_t)(m / from) * to + (2 * rest * to + from) / (2 * from);
    if (v >= 0) return q > (uint64_t)INT32_MAX ? INT32_MAX : (int32_t)q;
    return q >= (uint64_t)1 << 31 ? INT32_MIN : -(int32_t)q;
}

Placement ScalePlacement(const Placement& p, int32_t posFrom, int32_t posTo, int32_t sizeFrom, int32_t sizeTo) {
    return Placement{ScaleToDpi(p.x, posFrom, posTo), ScaleToDpi(p.y, posFrom, posTo), ScaleToDpi(p.w, sizeFrom, sizeTo),
                     ScaleToDpi(p.h, sizeFrom, sizeTo)};
}
