#include "display/dpi_rules.h"

namespace {

int64_t ValidDpi(int32_t dpi) { return dpi > 0 ? dpi : 96; }

}  // namespace

int32_t ScaleToDpi(int32_t v, int32_t fromDpi, int32_t toDpi) {
    const int64_t from = ValidDpi(fromDpi), to = ValidDpi(toDpi);
    if (from == to) return v;
    const int64_t product = (int64_t)v * to;  // |v| < 2^31, to < 2^31: fits
    const int64_t half = from / 2;
    // Halves away from zero, so a value and its negative scale alike.
    int64_t q = product >= 0 ? (product + half) / from : -((-product + half) / from);
    if (q > INT32_MAX) q = INT32_MAX;
    if (q < INT32_MIN) q = INT32_MIN;
    return (int32_t)q;
}

Placement RealFromStored(const Placement& stored, int32_t systemDpi, int32_t windowDpi) {
    return Placement{ScaleToDpi(stored.x, 96, systemDpi), ScaleToDpi(stored.y, 96, systemDpi),
                     ScaleToDpi(stored.w, 96, windowDpi), ScaleToDpi(stored.h, 96, windowDpi)};
}

Placement StoredFromReal(const Placement& real, int32_t systemDpi, int32_t windowDpi) {
    return Placement{ScaleToDpi(real.x, systemDpi, 96), ScaleToDpi(real.y, systemDpi, 96),
                     ScaleToDpi(real.w, windowDpi, 96), ScaleToDpi(real.h, windowDpi, 96)};
}
