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
