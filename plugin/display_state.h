// The one static record of settings and run-time state shared by every part.
#pragma once
#include <windows.h>
#include <commdlg.h>

#include "display/marquee_rules.h"
#include "display/menu_rules.h"

typedef LOGFONTA FontSpec;

// What the picture on screen was made from, besides its text.
struct PictureKey {
    FontSpec font;  // height and width as composed
    COLORREF textColor, bkColor;
    int scrollStep, scrollInterval, scrollEnabled;
    int screenW, screenH, clientW, clientH;
    int transparent, outline;
    COLORREF outlineColor;
    int scrollMode, scrollPauseOver, fadeEdges;
};

// The appearance group as it is in effect, with whether the file lacks it.
struct AppearanceValues {
    FontSpec font;
    COLORREF textColor, bkColor;
    int scrollStep, scrollInterval, scrollEnabled;
    int transparent, outline;
    COLORREF outlineColor;
    int scrollMode, scrollPauseOver, fadeEdges;
    LONG unsaved;
};

struct DisplayState {
    // placement
    int screenX, screenY;
    int screenW, screenH;  // outer size of the title window
    int styleIndex;

    // appearance
    FontSpec font;
    COLORREF textColor;
    COLORREF bkColor;
    int scrollStep;      // pixels per step
    int scrollInterval;  // milliseconds per step
    int scrollEnabled;
    COLORREF bkCustomColors[16];
    COLORREF textCustomColors[16];
    CHOOSEFONTA fontDialog;  // the font picker's own request; its colour is never used

    // run time
    HWND hostWnd;
    HWND titleWnd;  // stale after the user closes the window, until VisQuit
    int titleWndDestroyed;
    HDC memDC;
    HBITMAP surfaceBitmap;
    HBITMAP savedBitmap;
    HHOOK hookHandle;
    WCHAR titleText[512];  // UTF-16, as the player's window holds it
    SIZE textExtent;  // width includes the scrolling gap
    int scrollOffset;
    DWORD scrollClock;
    PictureKey picture;
    int pictureShown;  // the surface holds the whole title `picture` describes
    volatile LONG redrawRequested;
    volatile LONG fontLock;  // guards `font` between the dialog and the display thread
    volatile LONG dialogOpen;         // the settings dialog runs: its picks are not the file's
    volatile LONG appearanceUnsaved;  // the last save failed: memory is newer than the file
    int saveFailureShown;             // the open dialog has told the user once
    // Where the settings file is: settled once for the load of the library,
    // from a definite answer of the player's.
    volatile LONG settingsSettled;  // kSettingsUnknown, kSettingsSettling or kSettingsKnown
    HINSTANCE settingsFor;          // the library and the player it was settled for
    HWND settingsHost;
    char settingsFile[MAX_PATH];    // empty: nowhere (a library path too long)
    int placementPending;           // the player had not said yet at the start: the stored place comes later
    // What the appearance in memory was read from: its file's bytes.
    int appearanceMarked;
    uint32_t appearanceHash;
    DWORD appearanceBytes;
    AppearanceValues inEffect;  // what Cancel goes back to: as the dialog opened, or as last applied
    // Screen_* are in the player's coordinates; screenX..H in the window's
    // real pixels. Their scales: the system DPI for a player that is not
    // DPI-aware, the window's monitor's for sizes; 0 for a player whose
    // coordinates are already real pixels.
    int playerDpi;
    int windowDpi;

    // options of the title window's menu, saved with the placement
    int topMost;
    int titleFile;  // the shown title goes to nowplaying.txt
    MenuKeys menuKeys;
    int titleFileWritten;  // the last write of nowplaying.txt, titleFileHash, went through
    uint32_t titleFileHash;

    // the title's look, saved with the appearance
    int transparent;  // a layered window with per-pixel alpha
    int outline;      // kOutlineNone, kOutlineThin or kOutlineThick
    COLORREF outlineColor;
    COLORREF outlineCustomColors[16];
    // the transparent window's window-sized picture
    HDC layerDC;
    HBITMAP layerBitmap, layerSavedBitmap;
    void* layerBits;
    int layerW, layerH;

    // Counts changes of the song the window shows: not a player setting
    // the same title again, nor a redraw of the same song's text.
    DWORD songChanges;

    // Scrolling modes, the pause and soft edges, saved with the appearance.
    int scrollMode;   // kScrollLoop, kScrollBounce or kScrollOnce
    // The pause (ms held at each lap's start, at each end back and forth) less
    // the 2000 ms it always was: a record never read from a file holds that.
    int scrollPauseOver;
    int fadeEdges;    // columns faded at each edge while the title scrolls; 0 off
    int scrollTravel;      // back and forth: how far the text's end lies past the window's edge
    int scrollLapDone;     // once per song: the lap of song `scrollLapSong` is done
    DWORD scrollLapSong;
    int speedShown;        // the dialog is writing its own fields: their changes are not the user's
};

extern DisplayState g_state;

inline COLORREF& TextColor() { return g_state.textColor; }

// The settings dialog may write `font` while the display thread composes from it.
void LockFont();
void UnlockFont();

// The title window exists and the user has not closed it.
inline int ScrollPause() { return g_state.scrollPauseOver + kStandMs; }

inline bool TitleWindowLive() { return g_state.titleWnd != NULL && !g_state.titleWndDestroyed; }

enum { kSettingsUnknown, kSettingsSettling, kSettingsKnown };

inline void RequestRedraw() { InterlockedExchange(&g_state.redrawRequested, 1); }
