#include "display/title_rules.h"

size_t TrimTitle(TitleChar* title) {
    size_t n = 0;
    while (title[n] != 0) ++n;
    size_t cut = 0;
    for (size_t i = n; i-- > 1;) {
        if (title[i] == u'-') {
            cut = i;
            break;
        }
    }
    if (cut >= 1 && title[cut - 1] == u' ') --cut;
    title[cut] = 0;
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

bool SurfaceFits(int32_t w, int32_t h) {
    return w > 0 && h > 0 && int64_t(w) * int64_t(h) <= kSurfaceByteLimit / 4;
}
