// The running display: composition, marquee, title window and its hook.
#pragma once
#include <windows.h>

struct VisModule;

int __cdecl VisInit(VisModule* module);
int __cdecl VisRender(VisModule* module);
void __cdecl VisQuit(VisModule* module);

// With a module the appearance is reloaded from the settings file first.
// False when the player did not answer in time: ask again later.
bool ComposeTitle(const VisModule* module);
// Replaces the offscreen surface with a w x h one (at least 1 x 1); false
// keeps the old one.
bool MakeSurface(int w, int h);
// Releases the surface; the next composition makes a new one.
void DropSurface();
void ScrollTick();
// The "Scrolling" submenu of the title window's menu, and acting on one of
// its items (false for other items).
void AppendScrollItems(HMENU menu);
bool ChooseScrolling(HWND window, UINT id);
// Copies the visible slice of the surface, closing the ring, to `dc`.
void PresentSurface(HDC dc, int width, int height);
// Columns faded at each edge of a window `width` wide as the marquee stands
// now: 0 unless it scrolls and has left its start.
int EdgeFade(int width);
// The opaque slice with its edges faded; false when the strips' picture
// cannot be made.
bool PresentFaded(HDC dc, int width, int height, int fade);

// The stored place, once the player has said where its settings are, when
// it had not yet as the display started.
void PlaceWhenSettled(const VisModule* module);

LRESULT CALLBACK TitleWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Gives the title window frame `index` of StyleTable, keeping its rectangle.
void SetFrame(HWND window, int index);

// The title window's menu, at `at` (screen coordinates; -1 from the
// keyboard), acted on at once and saved.
void ShowTitleMenu(HWND window, LPARAM at);
// Puts the window above others, or back among them, as `topMost` says.
void ApplyTopMost(HWND window);

// nowplaying.txt beside the settings file, while the option is on: the
// shown title, rewritten only when it changes; emptied at the end.
void ShowTitleInFile(const VisModule* module, const WCHAR* shown);
void EmptyTitleFile(const VisModule* module);

// Millisecond tick from the performance counter, wrapping like GetTickCount.
DWORD TickMs();

struct WindowStyle {
    DWORD style;
    DWORD exStyle;
};
extern const WindowStyle StyleTable[3];

// The title's look (display/outline.cpp): with an outline or a transparent
// background the title is composed from its coverage, not drawn directly.
bool TitleOutlined();
// Composes `text` into the whole surface by coverage; the surface's font is
// selected.
void DrawOutlinedTitle(const WCHAR* text, int length, UINT flags);
// Frame `index` as the window gets it: none, and layered, while transparent.
WindowStyle LookStyle(int index);
// Makes the window layered or not, as the look asks.
void MatchLook(HWND window);
// The window-sized slice of the ring to a layered window; false when the
// window is not layered.
bool PresentLayered(int width, int height);
void DropLayer();
// The look's items of the title window's menu, and acting on one of them
// (false for other items).
void AppendLookItems(HMENU menu);
bool ChooseLook(HWND window, UINT id);
