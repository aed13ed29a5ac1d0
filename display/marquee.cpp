// The frame callback and the clock-driven marquee.
#include "display/display.h"
#include "display/dpi.h"
#include "display/marquee_rules.h"
#include "plugin/display_state.h"
#include "plugin/vis_api.h"
#include "resources/resource_ids.h"
#include "settings/settings.h"

int __cdecl VisRender(VisModule* module) {
    // Cleared before composing, so a title change during it is not lost; a
    // player that did not answer is asked again on a later frame. Sizes and
    // pixels are the window's real ones only in its own DPI context.
    const bool redraw = InterlockedExchange(&g_state.redrawRequested, 0) != 0;
    const bool titleSet = InterlockedExchange(&g_state.titleSetRequested, 0) != 0;
    if (redraw || g_state.placementPending) {
        const DpiContext player = EnterWindowContext(TitleWindowLive() ? g_state.titleWnd : NULL);
        const bool answered = !(redraw || titleSet) || ComposeTitle(module);
        if (!answered) RequestRedraw();
        // A player that has just not answered is not asked again in this frame.
        if (answered) PlaceWhenSettled(module);
        LeaveContext(player);
    } else if (titleSet) {
        // Enters the window's DPI context only to compose: a step of the
        // taskbar's rotation costs its fetch.
        if (!ComposeIfTitleChanged(module)) RequestTitleCheck();
    } else {
        RefreshSongTime();
    }
    CatchUp(module);
    if (ShowFrame()) ScrollTick();
    return 0;
}

void CatchUp(const VisModule* module) {
    DisplayState& s = g_state;
    RetryTitleFile(module);
    if (!(s.choicesPending & ~s.choicesFailed) || s.dialogOpen) return;
    const DWORD now = TickMs();
    if ((LONG)(now - s.choicesRetryAt) < 0) return;
    s.choicesRetryAt = now + kRetryMs;
    SaveChoices(module, false);
}

int EdgeFade(int width) {
    const DisplayState& s = g_state;
    // Nothing fades at rest at the start, or when the title fits or stands.
    if (!s.fadeEdges || !s.scrollOffset || s.screenW >= s.textExtent.cx || !s.scrollEnabled || s.scrollStep <= 0 ||
        s.scrollInterval <= 0)
        return 0;
    return FadeWidth(s.fadeEdges, width);
}

void PresentSurface(HDC dc, int width, int height) {
    const DisplayState& s = g_state;
    if (!dc || !s.memDC || PresentLayered(width, height)) return;
    const int fade = s.surfaceBitmap ? EdgeFade(width) : 0;
    if (fade && PresentFaded(dc, width, height, fade)) return;
    if (!s.surfaceBitmap) {  // nothing could be drawn: no stale picture either
        HBRUSH brush = CreateSolidBrush(s.bkColor);
        RECT all = {0, 0, width, height};
        FillRect(dc, &all, brush);
        DeleteObject(brush);
        return;
    }
    RingPiece pieces[2];
    const int n = RingPieces(PresentedOffset(), width, s.textExtent.cx, pieces);
    for (int i = 0; i < n; ++i)
        BitBlt(dc, pieces[i].dstX, 0, pieces[i].width, height, s.memDC, pieces[i].srcX, 0, SRCCOPY);
}

void ScrollTick() {
    DisplayState& s = g_state;
    if (s.screenW >= s.textExtent.cx || !s.scrollEnabled || !TitleWindowLive()) return;
    // Once per song: at rest at the start after the song's lap, until it changes.
    int32_t lapDone = s.scrollMode == kScrollOnce && s.scrollLapDone && s.scrollLapSong == s.songChanges;
    if (lapDone) return;
    MarqueeInput in = {TickMs(), s.scrollInterval, s.scrollStep, s.textExtent.cx, ScrollPause(), s.scrollMode,
                       s.scrollTravel};
    int32_t offset = s.scrollOffset;
    uint32_t clock = s.scrollClock;
    if (!AdvanceScroll(in, &offset, &clock, &lapDone)) return;
    if (lapDone) {
        s.scrollLapDone = 1;
        s.scrollLapSong = s.songChanges;
    }
    s.scrollOffset = offset;
    s.scrollClock = clock;
    const DpiContext player = EnterWindowContext(s.titleWnd);
    HDC dc = GetDC(s.titleWnd);
    PresentSurface(dc, s.screenW, s.screenH);
    ReleaseDC(s.titleWnd, dc);
    LeaveContext(player);
}

void AppendScrollItems(HMENU menu) {
    HMENU modes = CreatePopupMenu();
    if (!modes) return;
    static const char* const kModes[] = {"Loop", "Back and forth", "Once per song"};
    for (int i = 0; i < 3; ++i)
        AppendMenuA(modes, MF_STRING | MFT_RADIOCHECK | (g_state.scrollMode == i ? MF_CHECKED : 0),
                    IDM_SCROLL_LOOP + i, kModes[i]);
    // Destroyed with the menu it is appended to.
    char buffer[kItemTextBytes];
    if (!AppendMenuA(menu, MF_POPUP, (UINT_PTR)modes, ItemText("Scrolling", kChoiceScrollMode, buffer)))
        DestroyMenu(modes);
}

bool ChooseScrolling(HWND window, UINT id) {
    if (id < IDM_SCROLL_LOOP || id > IDM_SCROLL_ONCE) return false;
    g_state.scrollMode = (int)(id - IDM_SCROLL_LOOP);
    // The mode is part of the picture: the marquee starts again from its start.
    LookChosen(window, kChoiceScrollMode);
    return true;
}
