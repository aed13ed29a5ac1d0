// Platform-free rules of the settings dialog.
#pragma once
#include <cstdint>

// Leading white space, an optional sign, digits up to the first non-digit;
// no digits give 0. Values beyond 32 bits saturate.
int32_t ParseDecimal(const char* text);

struct Point {
    int32_t x, y;
};

// Top-left corner that centres a box on the desktop (each half truncated).
Point CentreOrigin(int32_t desktopW, int32_t desktopH, int32_t boxW, int32_t boxH);
