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

// The least of a client area the user must be able to reach to grab the
// window: this much of it, or all of it when it is smaller.
const int32_t kGrabWidth = 40;
const int32_t kGrabHeight = 16;

// Whether one of the `count` work areas holds a part of `client` (the
// window's client area on screen) large enough to grab. A window under a
// taskbar, or with only its border or a pixel on a monitor, is not.
bool Reachable(const Placement& client, const PlaceRect* areas, int count);

// A window that cannot be reached, moved into `area` (the work area of the
// nearest one): its size is kept unless it is larger than the area, and it
// moves no further than it must.
Placement MoveIntoArea(const Placement& p, const PlaceRect& area);
