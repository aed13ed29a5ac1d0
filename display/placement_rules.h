// Platform-free rules for where the title window may open.
#pragma once
#include <cstdint>

struct PlaceRect {
    int32_t left, top, right, bottom;
};

struct Placement {
    int32_t x, y, w, h;  // outer position and size, as stored
};

// The screen rectangle a placement covers. A negative size covers nothing;
// edges beyond the 32-bit range stop at its end.
PlaceRect CoveredRect(const Placement& p);

// A window that touches no monitor, moved into `area` (the work area of the
// nearest one): its size is kept unless it is larger than the area, and it
// moves no further than it must.
Placement MoveIntoArea(const Placement& p, const PlaceRect& area);
