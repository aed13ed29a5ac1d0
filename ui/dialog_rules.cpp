#include "ui/dialog_rules.h"

static bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int32_t ParseDecimal(const char* text) {
    const char* p = text;
    while (IsBlank(*p)) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = (*p++ == '-');
    const int64_t limit = negative ? -int64_t(INT32_MIN) : INT32_MAX;
    int64_t magnitude = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        magnitude = magnitude * 10 + (*p - '0');
        if (magnitude > limit) magnitude = limit;  // saturate, keep skipping digits
    }
    return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

Point CentreOrigin(int32_t desktopW, int32_t desktopH, int32_t boxW, int32_t boxH) {
    return Point{desktopW / 2 - boxW / 2, desktopH / 2 - boxH / 2};
}

bool PaceForSpeed(int32_t pxPerSecond, int32_t frameMs, ScrollPace* out) {
    if (pxPerSecond <= 0) return false;
    const int64_t v = pxPerSecond < kMaxSpeed ? pxPerSecond : kMaxSpeed;
    const int64_t frame = frameMs > 0 ? frameMs : 1;
    // The smallest step s with 1000 * s / v >= frame.
    int64_t step = (v * frame + 999) / 1000;
    if (step < 1) step = 1;
    out->step = static_cast<int32_t>(step);
    out->interval = static_cast<int32_t>((1000 * step + v / 2) / v);
    return true;
}

int32_t SpeedOfPace(int32_t step, int32_t interval) {
    if (step <= 0 || interval <= 0) return 0;
    const int64_t v = (int64_t(step) * 1000 + interval / 2) / interval;
    return v > INT32_MAX ? INT32_MAX : static_cast<int32_t>(v);
}
