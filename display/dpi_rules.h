// Platform-free rules between the player's coordinates and the title
// window's real pixels on a scaled display.
#pragma once
#include <cstdint>

#include "display/placement_rules.h"

// v * toDpi / fromDpi to the nearest whole pixel (halves away from zero),
// stopping at the ends of the 32-bit range. A DPI of 0 or less counts as 96,
// one above 2^15 as 2^15.
int32_t ScaleToDpi(int32_t v, int32_t fromDpi, int32_t toDpi);

// The stored placement is in the coordinates of a player that is not
// DPI-aware: real pixels over the system scale. Positions go by the system
// DPI; sizes by the DPI of the monitor the window is on, so a window moved
// to a monitor of another scale keeps the size it shows there.
// Positions scaled from posFrom to posTo DPI, sizes from sizeFrom to sizeTo.
Placement ScalePlacement(const Placement& p, int32_t posFrom, int32_t posTo, int32_t sizeFrom, int32_t sizeTo);
inline Placement RealFromStored(const Placement& stored, int32_t systemDpi, int32_t windowDpi) {
    return ScalePlacement(stored, 96, systemDpi, 96, windowDpi);
}
inline Placement StoredFromReal(const Placement& real, int32_t systemDpi, int32_t windowDpi) {
    return ScalePlacement(real, systemDpi, 96, windowDpi, 96);
}
