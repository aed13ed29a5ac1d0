// The one static record of settings and run-time state shared by every part.
#pragma once
#include <windows.h>
#include <commdlg.h>

#include "display/marquee_rules.h"
#include "display/menu_rules.h"
#include "display/title_file_rules.h"
#include "display/script_rules.h"
#include "display/song_rules.h"
#include "display/show_rules.h"

typedef LOGFONTA FontSpec;

// The menu's choices saved key by key, in this order.
enum { kChoiceFrame, kChoiceTopMost, kChoiceTitleFile, kChoiceTransparent, kChoiceOutline, kChoiceOutlineColor,
       kChoiceShow, kChoiceClickThrough, kChoiceScrollMode, kChoiceCount };

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
    char titleFormat[kTemplateLimit];
};

// Message 3026's record: the file, the field's name, the buffer and its
// length in characters, pointer-sized.
struct TagRequest {
    const WCHAR* file;
    const WCHAR* field;
    WCHAR* buffer;
    size_t length;
};

// What the player told of the playing song at the last composition, kept
// while it is busy. A record of its own, all zero at load, so its buffers
// take no room in the library file (DisplayState has non-zero defaults).
struct SongAnswers {
    HWND versionOf;   // the player window whose version was asked
    int trusted;      // it answered with a version of the player's (0x2000 or more)
    TitleChar format[kTemplateLimit];  // the template, as composed
    uint32_t fields;  // those it names
    TitleChar caption[kTitleLimit];  // the caption, turned back, as fetched
    TitleChar cut[kTitleLimit];      // that caption cut as ever: its changes are song changes
    CaptionParts parts;              // what the caption alone tells
    TitleChar path[kTitleLimit];     // the playing entry's file
    TitleChar tag[5][kFieldLimit];   // artist, title, album, year, track as the player knows them
    TagRequest request[5];
    TitleChar playing[2][kFieldLimit];  // artist and title of the playlist's text (streams)
    TitleChar elapsed[16], length[16];
};

const int kFacesPerGroup = 3;
const int kMaxRuns = 96;
const int kRunSlots = 1 + kGroupCount * kFacesPerGroup;

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

    // Choices of the title window's menu the file does not hold yet (a
    // busy player at the start, a file held): bits by kChoice* key, and
    // their values, applied over whatever is read.
    int choicesPending;
    int choicesFailed;  // of those, the ones whose save failed for good
    int appearanceRead;  // memory has held the file's appearance since the place was settled
    int choiceValues[kChoiceCount];
    DWORD choicesRetryAt;
    // The outline colour picker's own thread, and the colour it hands back.
    HANDLE pickerThread;
    DWORD pickerThreadId;
    HMODULE pickerModule;  // the library, held by the picker's thread until it ends
    volatile LONG pickerAnswered;
    COLORREF pickedColor;
    // nowplaying.txt: this display's right to write it, and a write still
    // owed (a reader held the file).
    HANDLE titleFileLock;
    int titleFileInUse;  // another player holds the right
    int titleFileOwed;
    DWORD titleFileRetryAt;
    char titleFileBytes[kTitleFileBytes];
    int titleFileLength;
    // The window is topmost because we made it so, not by its owner's flag.
    int madeTopMost;

    // Titles in scripts the chosen font lacks: the faces that stand in for
    // it, looked up once per chosen face (a bit per group in
    // `fallbackLooked`), and the composed title's runs of one face each
    // (none while the chosen font has every character).
    char fallbackFor[LF_FACESIZE];
    int fallbackLooked;
    WCHAR fallbackFaces[kGroupCount][kFacesPerGroup][LF_FACESIZE];
    int fallbackFaceCount[kGroupCount];
    int titleRtl;  // the shown title reads right to left
    int titleRunCount;
    TextRun titleRuns[kMaxRuns];
    uint8_t titleSlots[kTitleLimit];      // each unit's face: 0 the chosen one, else 1 + group * kFacesPerGroup + rank
    WORD pairGlyphs[kTitleLimit / 2 + 1];  // the glyph of the surrogate pair at unit i, at i / 2
    HFONT runFonts[kRunSlots];  // made and deleted within one composition

    // The song as the player tells it, in the words of the user's template.
    char titleFormat[kTemplateLimit];  // TitleFormat, 8-bit; empty: the caption cut as ever
    // PlayState: kPlaying, kPaused or kStopped from the player's answer to
    // message 104, else from the caption ("[Paused]", "[Stopped]"); set at
    // every composition; kPlayUnknown (-1) before the first one.
    volatile LONG playState;
    volatile LONG titleSetRequested;  // the player set its caption: composed only if it changed
    int timeShown;        // the shown text holds a time the player tells
    DWORD timeRefreshAt;  // when it is due again

    // When the window shows and whether it takes the mouse, saved with the
    // placement; the frames follow them (display/show.cpp).
    int show;          // kShowAlways, kShowWhilePlaying or kShowOnChange
    int showSeconds;   // 0 until read: the default
    int clickThrough;  // clicks pass to what is beneath, but with Ctrl held over it
    int mouseTaken;    // Ctrl is held over the click-through window
    int windowHidden;
    int windowAlpha;   // 255 but while fading or hidden
    int layerKind;     // how the window is layered: kLayerNone, kLayerAlpha or kLayerUpdated
    DWORD layerStyle;  // its WS_EX_LAYERED and WS_EX_TRANSPARENT as last set
    LONG stateSeen;    // playState as the frames last saw it
    DWORD stateAsked;  // when the player was last asked
    DWORD songsSeen;   // songChanges as the frames last saw it
    ShowRun showRun;

    // the system's size loop: one composition when it ends, not one a step
    int sizeLoop;            // between WM_ENTERSIZEMOVE and WM_EXITSIZEMOVE
    int composeAfterSizing;  // a composition waits for the loop's end

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
extern SongAnswers g_song;

inline COLORREF& TextColor() { return g_state.textColor; }

// The settings dialog may write `font` while the display thread composes from it.
void LockFont();
void UnlockFont();

// The title window exists and the user has not closed it.
inline int ScrollPause() { return g_state.scrollPauseOver + kStandMs; }

inline bool TitleWindowLive() { return g_state.titleWnd != NULL && !g_state.titleWndDestroyed; }

enum { kSettingsUnknown, kSettingsSettling, kSettingsKnown };

inline void RequestRedraw() { InterlockedExchange(&g_state.redrawRequested, 1); }
inline void RequestTitleCheck() { InterlockedExchange(&g_state.titleSetRequested, 1); }
