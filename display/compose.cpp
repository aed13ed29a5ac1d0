// Title composition: the only place where text is measured and drawn.
#include "display/display.h"
#include "display/dpi.h"
#include "display/player_info.h"
#include "display/song_rules.h"
#include "display/title_rules.h"
#include "display/marquee_rules.h"
#include "display/script_rules.h"
#include "display/outline_rules.h"
#include "plugin/display_state.h"
#include "settings/settings.h"

static_assert(sizeof(WCHAR) == sizeof(TitleChar), "the title is UTF-16 on both sides");

// A player whose window thread is busy must not stall the display with it.
static const UINT kFetchTimeoutMs = 100;

enum Fetch { kFetched, kNoTitle, kNoAnswer };

static Fetch FetchTitle(HWND host, WCHAR (&out)[kTitleLimit]) {
    ZeroMemory(out, sizeof out);
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(host, WM_GETTEXT, kTitleLimit, (LPARAM)out, SMTO_ABORTIFHUNG, kFetchTimeoutMs, &copied))
        return IsWindow(host) ? kNoAnswer : kNoTitle;
    out[kTitleLimit - 1] = 0;  // whatever the window procedure wrote
    return copied != 0 && out[0] != 0 ? kFetched : kNoTitle;
}

static bool SameText(const WCHAR* a, const WCHAR* b) {
    for (; *a == *b; ++a, ++b)
        if (*a == 0) return true;
    return false;
}

static PictureKey KeyOf(const FontSpec& font, const RECT& client) {
    const DisplayState& s = g_state;
    PictureKey k;
    ZeroMemory(&k, sizeof k);
    k.font = font;
    // Bytes past the face's NUL are not part of the font.
    const int faceLength = lstrlenA(font.lfFaceName);
    ZeroMemory(k.font.lfFaceName + faceLength, LF_FACESIZE - faceLength);
    k.textColor = TextColor();
    k.bkColor = s.bkColor;
    k.scrollStep = s.scrollStep;
    k.scrollInterval = s.scrollInterval;
    k.scrollEnabled = s.scrollEnabled;
    k.screenW = s.screenW;
    k.screenH = s.screenH;
    k.clientW = client.right;
    k.clientH = client.bottom;
    k.transparent = s.transparent;
    k.outline = s.outline;
    k.outlineColor = s.outlineColor;
    k.scrollMode = s.scrollMode;
    k.scrollPauseOver = s.scrollPauseOver;
    k.fadeEdges = s.fadeEdges;
    return k;
}

bool MakeSurface(int w, int h) {
    DisplayState& s = g_state;
    if (w < 1) w = 1;
    if (h < 1) h = 1;
    if (!s.memDC || !SurfaceFits(w, h)) return false;
    // A DIB section lives in our own memory, not the display driver's, and
    // copies to the screen as fast.
    BITMAPINFO bi;
    ZeroMemory(&bi, sizeof bi);
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = NULL;
    HBITMAP fresh = CreateDIBSection(s.memDC, &bi, DIB_RGB_COLORS, &bits, NULL, 0);
    if (!fresh) return false;
    HGDIOBJ previous = SelectObject(s.memDC, fresh);
    if (!previous) {
        DeleteObject(fresh);
        return false;
    }
    // The old surface is deleted only once it is no longer selected.
    if (s.surfaceBitmap)
        DeleteObject(s.surfaceBitmap);
    else
        s.savedBitmap = (HBITMAP)previous;
    s.surfaceBitmap = fresh;
    return true;
}

void DropSurface() {
    DisplayState& s = g_state;
    if (s.surfaceBitmap && s.memDC) SelectObject(s.memDC, s.savedBitmap);
    if (s.surfaceBitmap) DeleteObject(s.surfaceBitmap);
    s.surfaceBitmap = NULL;
    s.pictureShown = 0;
}

// Draws `shown` into a new surface and shows it, unless the picture already
// is that text in that look. With `keepMarquee` (a time that moved) the
// marquee keeps its place, cut to the new width, and its stand.
static bool ShowText(const WCHAR* shown, bool keepMarquee) {
    DisplayState& s = g_state;
    // While the user drags a border the old picture stands, cut to the
    // window; the new one is composed once, at the end.
    if (s.sizeLoop) {
        s.composeAfterSizing = 1;
        return true;
    }
    RECT client;
    GetClientRect(s.titleWnd, &client);
    const int h = client.bottom;

    LockFont();
    s.font.lfHeight = h;
    s.font.lfWidth = 0;
    FontSpec composed = s.font;
    UnlockFont();
    composed.lfFaceName[LF_FACESIZE - 1] = '\0';

    // A player that sets the same title again must not restart the marquee.
    const PictureKey key = KeyOf(composed, client);
    const bool sameText = SameText(shown, s.titleText);
    if (s.pictureShown && sameText && memcmp(&key, &s.picture, sizeof key) == 0) return true;
    lstrcpynW(s.titleText, shown, (int)kTitleLimit);
    const int length = lstrlenW(s.titleText);
    ShowTitleInFile((const VisModule*)GetWindowLongPtrA(s.titleWnd, GWLP_USERDATA), s.titleText);
    // Greys, not colour fringes: the mask is read as coverage.
    if (TitleOutlined()) composed.lfQuality = ANTIALIASED_QUALITY;

    HFONT font = CreateFontIndirectA(&composed);
    HGDIOBJ oldFont = font ? SelectObject(s.memDC, font) : NULL;

    // Measured and drawn from the same runs when other faces stand in.
    s.titleRtl = ReadsRightToLeft(s.titleText, length);
    FindTitleRuns(s.memDC, composed, s.titleText, length);
    SIZE measured = {0, 0};
    if (s.titleRunCount)
        measured = MeasureRuns(s.memDC, s.titleText);
    else
        GetTextExtentPoint32W(s.memDC, s.titleText, length, &measured);
    TitleLayout layout = LayoutTitle(measured.cx, measured.cy, s.screenW);
    layout.drawFlags = DirectedDrawFlags(layout.drawFlags, layout.scrolls, s.titleRtl != 0);

    bool whole = MakeSurface(layout.surfaceWidth, h);
    if (!whole) {
        // No room for the whole text: the new title clipped to the window,
        // standing still, rather than the old one.
        layout.surfaceWidth = s.screenW > 1 ? s.screenW : 1;
        layout.extentWidth = measured.cx < s.screenW ? measured.cx : (s.screenW > 0 ? s.screenW : 0);
        if (!MakeSurface(layout.surfaceWidth, h)) DropSurface();
    }
    s.textExtent.cx = s.surfaceBitmap ? layout.extentWidth : 0;
    s.textExtent.cy = s.surfaceBitmap ? measured.cy : 0;
    if (s.surfaceBitmap && TitleOutlined()) {
        DrawOutlinedTitle(s.titleText, length, (UINT)layout.drawFlags);
    } else if (s.surfaceBitmap) {
        SetTextColor(s.memDC, TextColor());
        SetBkColor(s.memDC, s.bkColor);
        HBRUSH brush = CreateSolidBrush(s.bkColor);
        RECT all = {0, 0, layout.surfaceWidth, h};
        FillRect(s.memDC, &all, brush);
        DrawTitleText(s.memDC, s.titleText, length, &all, (UINT)layout.drawFlags);
        DeleteObject(brush);
    }

    if (font) {
        SelectObject(s.memDC, oldFont);
        DeleteObject(font);
    }
    DropRunFonts();

    s.scrollOffset = keepMarquee && s.textExtent.cx > s.screenW ? s.scrollOffset % s.textExtent.cx : 0;
    // Back and forth the text's end, outline included, stops at the client's right edge.
    s.scrollTravel = measured.cx + OutlineWidth(s.outline, h) - client.right;
    HDC windowDC = GetDC(s.titleWnd);
    PresentSurface(windowDC, s.screenW, s.screenH);
    ReleaseDC(s.titleWnd, windowDC);
    if (!keepMarquee) s.scrollClock = TickMs() + (DWORD)PauseInRange(ScrollPause());
    // A clipped picture is tried again in full by the next request.
    s.picture = key;
    s.pictureShown = whole ? 1 : 0;
    return true;
}

// The caption, turned back, composed as the template words it. A changed
// caption is a changed song.
static bool ComposeCaption(const VisModule* module, WCHAR* caption) {
    DisplayState& s = g_state;
    if (module) RefreshAppearance(module);
    MatchLook(s.titleWnd);
    WCHAR cut[kTitleLimit];
    lstrcpynW(cut, caption, (int)kTitleLimit);
    TrimTitle(reinterpret_cast<TitleChar*>(cut));
    const TitleChar* cutText = reinterpret_cast<const TitleChar*>(cut);
    if (!SameText(cut, reinterpret_cast<const WCHAR*>(g_song.cut))) {
        ++s.songChanges;
        CopyText(g_song.cut, cutText, kTitleLimit);
    }
    WCHAR shown[kTitleLimit];
    SongText(reinterpret_cast<const TitleChar*>(caption), cutText, reinterpret_cast<TitleChar*>(shown));
    return ShowText(shown, false);
}

// Fetched aside: an empty title must leave the last one standing.
static Fetch FetchCaption(WCHAR (&fetched)[kTitleLimit], bool* rotated = NULL) {
    const Fetch f = FetchTitle(g_state.hostWnd, fetched);
    if (f != kFetched) return f;
    const size_t length = (size_t)lstrlenW(fetched);
    const bool turned = UnrotateCaption(reinterpret_cast<TitleChar*>(fetched)) != length;
    if (rotated) *rotated = turned;
    return f;
}

bool ComposeTitle(const VisModule* module) {
    // Move and size messages arrive while the window is still being made.
    if (!TitleWindowLive() || !g_state.memDC) return true;
    WCHAR fetched[kTitleLimit];
    const Fetch f = FetchCaption(fetched);
    if (f != kFetched) return f == kNoTitle;
    return ComposeCaption(module, fetched);
}

bool ComposeIfTitleChanged(const VisModule* module) {
    if (!TitleWindowLive() || !g_state.memDC) return true;
    WCHAR fetched[kTitleLimit];
    bool rotated = false;
    const Fetch f = FetchCaption(fetched, &rotated);
    if (f != kFetched) return f == kNoTitle;
    // A step of the taskbar's rotation turns back to the caption shown:
    // nothing to do, not even a look at the settings file. A caption set
    // again as it is composes as ever (the file may have changed).
    if (rotated && g_state.pictureShown && SameText(fetched, reinterpret_cast<const WCHAR*>(g_song.caption)))
        return true;
    const DpiContext player = EnterWindowContext(g_state.titleWnd);
    const bool composed = ComposeCaption(module, fetched);
    LeaveContext(player);
    return composed;
}

void RefreshSongTime() {
    if (!g_state.timeShown || !TitleWindowLive() || !g_state.memDC) return;
    WCHAR shown[kTitleLimit];
    if (!SongTimeDue(reinterpret_cast<TitleChar*>(shown))) return;
    const DpiContext player = EnterWindowContext(g_state.titleWnd);
    ShowText(shown, true);
    LeaveContext(player);
}
