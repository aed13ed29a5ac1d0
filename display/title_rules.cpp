#include "display/title_rules.h"

#include <cstring>

size_t TrimTitle(char* title) {
    size_t n = strlen(title);
    size_t cut = 0;
    for (size_t i = n; i-- > 1;) {
        if (title[i] == '-') {
            cut = i;
            break;
        }
    }
    if (cut >= 1 && title[cut - 1] == ' ') --cut;
    title[cut] = '\0';
    return cut;
}

static int32_t Saturate(int64_t v) {
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(v);
}

TitleLayout LayoutTitle(int32_t measuredWidth, int32_t measuredHeight, int32_t screenW) {
    TitleLayout l;
    l.scrolls = measuredWidth > screenW;
    l.extentWidth = l.scrolls ? Saturate(int64_t(measuredWidth) + 2 * int64_t(measuredHeight)) : measuredWidth;
    l.surfaceWidth = l.extentWidth > screenW ? l.extentWidth : screenW;
    l.drawFlags = kDrawFlagsBase | (l.scrolls ? 0 : kDrawFlagCenter);
    return l;
}
