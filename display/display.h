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
// After the player set its caption: a step of the taskbar's rotation that
// turns back to the caption composed last does nothing; anything else is
// ComposeTitle.
bool ComposeIfTitleChanged(const VisModule* module);
// Once a second while a time the player tells is shown: the text anew, the
// marquee kept where it is.
void RefreshSongTime();
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
// Puts the window above others as `topMost` says, or back among them when
// it was put there by us.
void ApplyTopMost(HWND window);
// A menu item's text, with a word when its choice could not be saved, or
// the title file is another player's; `choice` -1 for none.
const int kItemTextBytes = 96;
const char* ItemText(const char* text, int choice, char* buffer /* kItemTextBytes */);
// The outline colour picker runs on a thread of its own, so frames go on;
// the colour it hands back is taken on the display thread. Closed and
// joined at the stop.
const UINT WM_PICKED_COLOR = WM_APP + 1;
void OpenOutlinePicker(HWND window);
void TakePickedColor(HWND window);
void ClosePicker();
// Choices and the title file's write still owed: tried from the frames,
// each this long after its last try.
const DWORD kRetryMs = 250;
void CatchUp(const VisModule* module);

// nowplaying.txt beside the settings file, while the option is on: the
// shown title, rewritten only when it changes; emptied at the end.
void ShowTitleInFile(const VisModule* module, const WCHAR* shown);
void EmptyTitleFile(const VisModule* module);
// A write the file still owes, tried again a while after the last.
void RetryTitleFile(const VisModule* module);

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
// A choice of the appearance from the menu (a kChoice* key, already in
// memory): in effect at once, saved now or at the first chance.
void LookChosen(HWND window, int choice);

// Titles in scripts the chosen font lacks (display/scripts.cpp). The runs of
// the title that need other faces, found with the chosen font selected in
// `dc`; none when it has every character.
void FindTitleRuns(HDC dc, const LOGFONTA& chosen, const WCHAR* text, int length);
// The runs' width and the chosen font's height, each run's width kept.
SIZE MeasureRuns(HDC dc, const WCHAR* text);
// Draws the title as DrawTextW would, run by run when it has runs.
void DrawTitleText(HDC dc, const WCHAR* text, int length, RECT* all, UINT flags);
void DropRunFonts();
// The title's first strong character is right to left.
bool ReadsRightToLeft(const WCHAR* text, int length);
// The marquee's offset as the window shows it (mirrored for right to left).
int PresentedOffset();
// When the title window shows, and the mouse (display/show.cpp).
enum { kLayerNone, kLayerAlpha, kLayerUpdated };
// Before the window is made: hidden at first, unless it always shows.
void StartShow();
// A frame's part: the player's state, the fades, Ctrl over a click-through
// window. False while the window is hidden: the frame then draws nothing.
bool ShowFrame();
// WS_EX_LAYERED and WS_EX_TRANSPARENT as the window needs them now.
DWORD LayerBits();
// The one writer of the window's extended style.
void SetExStyle(HWND window, DWORD exStyle);
// The "Show" submenu and the click-through item, and acting on one of them
// (false for other items).
void AppendShowItems(HMENU menu);
bool ChooseShow(HWND window, UINT id);
