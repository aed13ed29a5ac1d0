// Title composition: the only place where text is measured and drawn.
#include "display/display.h"
#include "display/title_rules.h"
#include "display/marquee_rules.h"
#include "plugin/display_state.h"
#include "settings/settings.h"

// Replaces the surface with a fresh w x h bitmap; the old one is deleted
// only once it is no longer selected. False keeps the old surface.
static bool ReplaceSurface(int w, int h) {
    DisplayState& s = g_state;
    HDC windowDC = GetDC(s.titleWnd);
    HBITMAP fresh = CreateCompatibleBitmap(windowDC, w, h);
    ReleaseDC(s.titleWnd, windowDC);
    if (!fresh) return false;
    HGDIOBJ previous = SelectObject(s.memDC, fresh);
    if (!previous) {
        DeleteObject(fresh);
        return false;
    }
    if (s.surfaceBitmap) DeleteObject(s.surfaceBitmap);
    s.surfaceBitmap = fresh;
    return true;
}

void ComposeTitle(const VisModule* module) {
    DisplayState& s = g_state;
    // Move and size messages arrive while the window is still being made.
    if (!TitleWindowLive() || !s.memDC || !s.surfaceBitmap) return;

    // Fetched aside: an empty title must leave the last one standing.
    char fetched[kTitleLimit];
    if (GetWindowTextA(s.hostWnd, fetched, (int)kTitleLimit) == 0) return;
    lstrcpynA(s.titleText, fetched, (int)kTitleLimit);
    if (module) RefreshAppearance(module);
    const int length = (int)TrimTitle(s.titleText);

    RECT client;
    GetClientRect(s.titleWnd, &client);
    const int h = client.bottom;

    LockFont();
    s.font.lfHeight = h;
    s.font.lfWidth = 0;
    FontSpec spec = s.font;
    UnlockFont();
    spec.lfFaceName[LF_FACESIZE - 1] = '\0';

    HFONT font = CreateFontIndirectA(&spec);
    HGDIOBJ oldFont = font ? SelectObject(s.memDC, font) : NULL;

    SIZE measured = {0, 0};
    GetTextExtentPoint32A(s.memDC, s.titleText, length, &measured);
    const TitleLayout layout = LayoutTitle(measured.cx, measured.cy, s.screenW);

    if (ReplaceSurface(layout.surfaceWidth, h)) {
        s.textExtent.cx = layout.extentWidth;
        s.textExtent.cy = measured.cy;
        SetTextColor(s.memDC, TextColor());
        SetBkColor(s.memDC, s.bkColor);
        HBRUSH brush = CreateSolidBrush(s.bkColor);
        RECT all = {0, 0, layout.surfaceWidth, h};
        FillRect(s.memDC, &all, brush);
        DrawTextA(s.memDC, s.titleText, length, &all, (UINT)layout.drawFlags);
        DeleteObject(brush);
    } else {
        // No room for the text: show nothing new and do not scroll.
        s.textExtent.cx = 0;
        s.textExtent.cy = 0;
    }

    if (font) {
        SelectObject(s.memDC, oldFont);
        DeleteObject(font);
    }

    s.scrollOffset = 0;
    HDC windowDC = GetDC(s.titleWnd);
    PresentSurface(windowDC, s.screenW, s.screenH);
    ReleaseDC(s.titleWnd, windowDC);
    s.scrollClock = TickMs() + kStandMs;
}
