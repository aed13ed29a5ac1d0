#include "settings/settings.h"

#include <shlobj.h>

#include "display/display.h"
#include "display/dpi_rules.h"
#include "display/player_info.h"
#include "plugin/display_state.h"
#include "plugin/vis_api.h"
#include "settings/settings_rules.h"
#include "display/marquee_rules.h"
#include "display/outline_rules.h"
#include "display/title_file_rules.h"
#include "display/show_rules.h"

namespace {

// The player's own settings folder: sent to its main window as WM_USER with
// this number in lParam, answered with a pointer to the folder's path.
const LPARAM kAskSettingsFolder = 335;
// Room for the section when it is copied to a per-user file.
const DWORD kSectionBytes = 8192;
// Another program holding the file for a moment (another plug-in saving the
// shared file, a backup, a scan) is waited out for this long.
const DWORD kLockWaitMs = 500;
const DWORD kLockRetryMs = 20;

bool Locked(DWORD error) { return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION; }

// One operation's wait for a lock: once it has waited its time, further
// writes in it fail at once.
struct LockWait {
    DWORD since;
    bool started, over;
};

bool WaitOutLock(LockWait* wait) {
    const DWORD now = GetTickCount();
    if (!wait->started) {
        wait->started = true;
        wait->since = now;
    }
    if (wait->over || now - wait->since >= kLockWaitMs) {
        wait->over = true;
        return false;
    }
    Sleep(kLockRetryMs);
    return true;
}

// Whether files can be made beside `path`: a probe of a name of its own,
// deleted as it is closed. plugin.ini itself is never made or removed, so a
// writer creating it meanwhile loses nothing.
bool CanCreateBeside(const char* path) {
    char probe[MAX_PATH];
    // Another process probing the same folder takes another name.
    for (DWORD n = GetCurrentProcessId() << 16 ^ GetTickCount(), tries = 0; tries < 8; ++n, ++tries) {
        if (!BuildProbePath(path, n, probe, MAX_PATH)) return false;
        HANDLE file = CreateFileA(probe, GENERIC_WRITE, 0, NULL, CREATE_NEW,
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, NULL);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            return true;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return false;
    }
    return false;
}

// Opens an existing file for writing without changing it; where it does
// not exist, probes its folder. Access is checked before sharing, so a file
// another program holds is one we may write once it lets go: the saves wait
// out or report the hold, and the place stays.
bool CanWrite(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return true;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) return CanCreateBeside(path);
    return Locked(error);
}

// The player's answer, read only where it can be read: a player imitating
// this one may answer with a handle, a count, or a path without an end.
bool ReadAnswer(DWORD_PTR answer, char* folder /* MAX_PATH bytes */) {
    if (CopyAnswerText(answer, folder, MAX_PATH, 1) && folder[0]) return true;
    folder[0] = '\0';
    return false;
}

enum Answer { kNamesFolder, kNamesNone, kNoAnswerYet };

// Where the player keeps its own settings. Asked only of a window of this
// process: the answer is a pointer into it.
Answer AskPlayerFolder(HWND host, UINT waitMs, char* folder /* MAX_PATH bytes */) {
    folder[0] = '\0';
    DWORD process = 0;
    if (!host || !GetWindowThreadProcessId(host, &process) || process != GetCurrentProcessId()) return kNamesNone;
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(host, WM_USER, 0, kAskSettingsFolder, SMTO_ABORTIFHUNG, waitMs, &answer))
        return IsWindow(host) ? kNoAnswerYet : kNamesNone;  // busy: it may still name one
    return ReadAnswer(answer, folder) ? kNamesFolder : kNamesNone;
}

// The per-user copy's path for the player's answer, its folder made if needed.
bool UserSettingsFile(Answer answer, const char* playerFolder, char* path /* MAX_PATH bytes */) {
    char base[MAX_PATH], folder[MAX_PATH];
    if (answer == kNamesFolder) {
        if (!JoinPath(playerFolder, kPlayerPluginsFolder, folder, MAX_PATH)) return false;
    } else {
        if (SHGetFolderPathA(NULL, CSIDL_APPDATA | CSIDL_FLAG_CREATE, NULL, SHGFP_TYPE_CURRENT, base) != S_OK)
            return false;
        if (!JoinPath(base, kUserFolderName, folder, MAX_PATH)) return false;
    }
    CreateDirectoryA(folder, NULL);
    return JoinPath(folder, kSettingsFileName, path, MAX_PATH);
}

// A per-user copy used for the first time takes over the section of the
// file beside the library whole, so what that file holds is kept.
void SeedUserCopy(const char* section, const char* beside, const char* own) {
    char probe[4];
    if (GetPrivateProfileSectionA(section, probe, sizeof probe, own) != 0) return;
    char lines[kSectionBytes];
    const DWORD n = GetPrivateProfileSectionA(section, lines, kSectionBytes, beside);
    if (n == 0) return;
    if (n == kSectionBytes - 2) {
        // Cut short: the last line may be partial, leave it out.
        char* last = lines;
        for (char* p = lines; *p; p += lstrlenA(p) + 1) last = p;
        *last = '\0';
        if (last == lines) return;
    }
    WritePrivateProfileSectionA(section, lines, own);
}

// Where the file is for this load; false while the player has not answered.
// `path` is empty where there is no usable one.
bool Decide(const VisModule* module, UINT waitMs, char* path /* MAX_PATH bytes */) {
    path[0] = '\0';
    char library[MAX_PATH];
    const DWORD n = GetModuleFileNameA(module->instance, library, MAX_PATH);
    // A name that filled the buffer may be cut short: its folder is unknown.
    if (n == 0 || n >= MAX_PATH || !BuildSettingsPath(library, path, MAX_PATH)) return true;
    if (CanWrite(path)) return true;
    // Read-only beside the library (a Program Files install): a per-user
    // copy, unless that cannot be written either; then the file beside the
    // library is still read, and saving reports the failure.
    char folder[MAX_PATH], own[MAX_PATH];
    const Answer answer = AskPlayerFolder(module->hostWindow, waitMs, folder);
    if (answer == kNoAnswerYet) return false;
    if (!UserSettingsFile(answer, folder, own) || !CanWrite(own)) return true;
    SeedUserCopy(module->description, path, own);
    lstrcpynA(path, own, MAX_PATH);
    return true;
}

bool Settled(const VisModule* module) {
    const DisplayState& s = g_state;
    return s.settingsSettled == kSettingsKnown && s.settingsFor == module->instance &&
           s.settingsHost == module->hostWindow;
}

}  // namespace

bool SettingsKnown(const VisModule* module, UINT waitMs) {
    DisplayState& s = g_state;
    if (Settled(module)) return true;
    char path[MAX_PATH];
    if (!Decide(module, waitMs, path)) return false;
    // The first to decide writes the decision; another thread deciding at
    // the same time waits for it and takes it.
    const LONG was = InterlockedCompareExchange(&s.settingsSettled, kSettingsSettling, kSettingsUnknown);
    if (was == kSettingsUnknown ||
        (was == kSettingsKnown && !Settled(module) &&
         InterlockedCompareExchange(&s.settingsSettled, kSettingsSettling, kSettingsKnown) == kSettingsKnown)) {
        lstrcpynA(s.settingsFile, path, MAX_PATH);
        s.settingsFor = module->instance;
        s.settingsHost = module->hostWindow;
        s.appearanceMarked = 0;
        s.appearanceRead = 0;
        InterlockedExchange(&s.settingsSettled, kSettingsKnown);
        return true;
    }
    while (s.settingsSettled == kSettingsSettling) Sleep(0);
    return Settled(module);
}

bool SettingsPath(const VisModule* module, char* path, UINT waitMs) {
    path[0] = '\0';
    if (!SettingsKnown(module, waitMs) || g_state.settingsFile[0] == '\0') return false;
    lstrcpynA(path, g_state.settingsFile, MAX_PATH);
    return true;
}

namespace {

struct Profile {
    const char* section;
    char path[MAX_PATH];
    bool valid;
    LockWait wait;
    bool locked;  // a write failed on another program's hold
};

Profile OpenProfile(const VisModule* module, UINT waitMs = kAskBrieflyMs) {
    Profile p = {};
    p.section = module->description;
    p.valid = SettingsPath(module, p.path, waitMs);
    return p;
}

// Without a usable path every key reads as absent.
int ReadInt(const Profile& p, const char* key, int fallback) {
    return p.valid ? (int)GetPrivateProfileIntA(p.section, key, fallback, p.path) : fallback;
}

// A moment's lock is waited out; a longer one fails the save, which is
// then reported. It never sends the value to another file.
bool WriteText(Profile& p, const char* key, const char* text) {
    if (!p.valid) return false;
    while (!WritePrivateProfileStringA(p.section, key, text, p.path)) {
        p.locked = Locked(GetLastError());
        if (!p.locked || !WaitOutLock(&p.wait)) return false;
    }
    return true;
}

bool WriteInt(Profile& p, const char* key, int value) {
    char text[32];
    wsprintfA(text, "%d", value);
    return WriteText(p, key, text);
}

// Keys newer than the file: written when not `fallback` (what their absence
// means), or over another value in the file, so a file that never had them
// is saved as it always was.
bool WriteOption(Profile& p, const char* key, int on, int fallback = 0) {
    return on == fallback && ReadInt(p, key, fallback) == fallback ? true : WriteInt(p, key, on);
}

void ReadShow(const Profile& p) {
    DisplayState& s = g_state;
    s.show = ShowChoice(ReadInt(p, "Show", s.show));
    s.showSeconds = ShowSecondsWithin(ReadInt(p, "ShowSeconds", s.showSeconds));
    s.clickThrough = ReadInt(p, "ClickThrough", s.clickThrough) != 0;
}

bool WriteShow(Profile& p) {
    const DisplayState& s = g_state;
    bool saved = WriteOption(p, "Show", s.show);
    saved &= WriteOption(p, "ShowSeconds", ShowSecondsWithin(s.showSeconds), kShowSecondsDefault);
    saved &= WriteOption(p, "ClickThrough", s.clickThrough);
    return saved;
}

bool WriteLook(Profile& p) {
    const DisplayState& s = g_state;
    bool saved = WriteOption(p, "Transparent", s.transparent);
    saved &= WriteOption(p, "Outline", s.outline);
    saved &= WriteOption(p, "OutlineColor", (int)s.outlineColor);
    return saved;
}

// Scrolling's modes, pause and soft edges: absent, the marquee is the loop
// it always was.
void ReadScrolling(const Profile& p) {
    DisplayState& s = g_state;
    s.scrollMode = ScrollModeOrLoop(ReadInt(p, "Scroll_Mode", kScrollLoop));
    s.scrollPauseOver = PauseInRange(ReadInt(p, "Scroll_Pause", kStandMs)) - kStandMs;
    const int fade = ReadInt(p, "Fade_Edges", 0);
    s.fadeEdges = fade > 0 ? fade : 0;  // at most a quarter of the window where it is used
}

bool WriteScrolling(Profile& p) {
    const DisplayState& s = g_state;
    bool saved = WriteOption(p, "Scroll_Mode", s.scrollMode, kScrollLoop);
    saved &= WriteOption(p, "Scroll_Pause", ScrollPause(), kStandMs);
    saved &= WriteOption(p, "Fade_Edges", s.fadeEdges);
    return saved;
}

// The file's bytes in one read: whether they changed since the values in
// memory were read from them. False where the file cannot be read now.
bool MarkFile(const char* path, uint32_t* hash, DWORD* bytes) {
    *hash = kContentHashStart;
    *bytes = 0;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        *bytes = MAXDWORD;  // no file: unlike any file's size
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    char chunk[4096];
    DWORD got = 0;
    bool read;
    while ((read = ReadFile(file, chunk, sizeof chunk, &got, NULL) != 0) && got != 0) {
        *hash = ContentHash(chunk, got, *hash);
        *bytes += got;
    }
    CloseHandle(file);
    return read;
}

const char* const kChoiceKeys[kChoiceCount] = {"Window_style", "TopMost",      "TitleFile",
                                                "Transparent",  "Outline",      "OutlineColor",
                                                "Show",         "ClickThrough", "Scroll_Mode"};

int* ChoiceField(int key) {
    DisplayState& s = g_state;
    static_assert(sizeof(COLORREF) == sizeof(int), "a colour is kept as its int");
    int* const fields[kChoiceCount] = {&s.styleIndex, &s.topMost, &s.titleFile, &s.transparent,
                                       &s.outline,    reinterpret_cast<int*>(&s.outlineColor), &s.show,
                                       &s.clickThrough, &s.scrollMode};
    return fields[key];
}

// The menu's choices the file does not hold yet stay the user's.
void ApplyChoices() {
    const DisplayState& s = g_state;
    for (int key = 0; key < kChoiceCount; ++key)
        if (s.choicesPending & (1 << key)) *ChoiceField(key) = s.choiceValues[key];
}

}  // namespace

void LoadPlacement(const VisModule* module) {
    Profile p = OpenProfile(module);
    DisplayState& s = g_state;
    // Until the player says where its settings are, nothing is read from a
    // guess (every key reads as absent): the window stays where a first
    // start puts it.
    s.placementPending = !Settled(module);
    s.screenX = ClampScreenCoordinate(ReadInt(p, "Screen_x", s.screenX));
    s.screenY = ClampScreenCoordinate(ReadInt(p, "Screen_y", s.screenY));
    s.screenW = ReadInt(p, "Screen_w", s.screenW);
    s.screenH = ReadInt(p, "Screen_h", s.screenH);
    const Placement real = RealFromStored({s.screenX, s.screenY, s.screenW, s.screenH}, s.playerDpi, s.playerDpi);
    s.screenX = real.x;
    s.screenY = real.y;
    s.screenW = real.w;
    s.screenH = real.h;
    s.styleIndex = StyleIndexOrZero(ReadInt(p, "Window_style", s.styleIndex));
    s.topMost = ReadInt(p, "TopMost", s.topMost) != 0;
    s.titleFile = ReadInt(p, "TitleFile", s.titleFile) != 0;
    ReadShow(p);
    ApplyChoices();
}

bool SavePlacement(const VisModule* module, UINT waitMs) {
    Profile p = OpenProfile(module, waitMs);
    const DisplayState& s = g_state;
    const Placement stored = StoredFromReal({s.screenX, s.screenY, s.screenW, s.screenH}, s.playerDpi, s.windowDpi);
    bool saved = WriteInt(p, "Screen_x", stored.x);
    saved &= WriteInt(p, "Screen_y", stored.y);
    saved &= WriteInt(p, "Screen_w", stored.w);
    saved &= WriteInt(p, "Screen_h", stored.h);
    saved &= WriteInt(p, "Window_style", s.styleIndex);
    saved &= WriteOption(p, "TopMost", s.topMost);
    saved &= WriteOption(p, "TitleFile", s.titleFile);
    saved &= WriteShow(p);
    return saved;
}

void LoadShow(const VisModule* module) { ReadShow(OpenProfile(module, kAskPatientlyMs)); }

bool SaveShow(const VisModule* module) {
    Profile p = OpenProfile(module, kAskPatientlyMs);
    return WriteShow(p);
}

namespace {

// The title's template: absent or empty is the caption as ever.
void ReadTitleFormat(const Profile& p) {
    char format[kTemplateLimit] = "";
    if (p.valid) GetPrivateProfileStringA(p.section, "TitleFormat", "", format, kTemplateLimit, p.path);
    format[kTemplateLimit - 1] = '\0';
    LockFont();
    lstrcpynA(g_state.titleFormat, format, kTemplateLimit);
    UnlockFont();
}

// Written when set, or to empty one the file has: a file that never had
// it is saved as it always was.
bool WriteTitleFormat(Profile& p) {
    char format[kTemplateLimit], stored[2] = "";
    LockFont();
    lstrcpynA(format, g_state.titleFormat, kTemplateLimit);
    UnlockFont();
    if (p.valid && !format[0]) GetPrivateProfileStringA(p.section, "TitleFormat", "", stored, sizeof stored, p.path);
    if (!format[0] && !stored[0]) return true;
    // The reader drops blanks at the ends, and one pair of quotes round it.
    const size_t n = lstrlenA(format);
    if (n == 0 || (format[0] != ' ' && format[0] != '"' && format[n - 1] != ' ' && format[n - 1] != '"'))
        return WriteText(p, "TitleFormat", format);
    char quoted[kTemplateLimit + 2];
    wsprintfA(quoted, "\"%s\"", format);
    return WriteText(p, "TitleFormat", quoted);
}

void ReadAppearance(const Profile& p) {
    DisplayState& s = g_state;
    // Read first, so the lock is held for the copy alone.
    char face[LF_FACESIZE] = "";
    if (p.valid) GetPrivateProfileStringA(p.section, "FaceName", "", face, LF_FACESIZE, p.path);
    face[LF_FACESIZE - 1] = '\0';
    const LONG weight = ReadInt(p, "Weight", 0);
    const BYTE italic = LowByte(ReadInt(p, "Italic", 0));
    const BYTE underline = LowByte(ReadInt(p, "Underline", 0));
    const BYTE strikeOut = LowByte(ReadInt(p, "StrikeOut", 0));
    const BYTE charSet = LowByte(ReadInt(p, "CharSet", 0));
    const COLORREF text = (COLORREF)ReadInt(p, "Color", 0xFFFFFF);
    const COLORREF bk = (COLORREF)ReadInt(p, "BkColor", 0);
    const int step = ReadInt(p, "Scroll_Step", s.scrollStep);
    const int interval = ReadInt(p, "Scroll_Interval", s.scrollInterval);
    const int enabled = ReadInt(p, "Scroll_Enabled", s.scrollEnabled);
    const int transparent = ReadInt(p, "Transparent", 0) != 0;
    const int outline = OutlineLevel(ReadInt(p, "Outline", 0));
    const COLORREF outlineColor = (COLORREF)ReadInt(p, "OutlineColor", 0) & 0xFFFFFF;

    LockFont();
    s.font.lfWeight = weight;
    s.font.lfItalic = italic;
    s.font.lfUnderline = underline;
    s.font.lfStrikeOut = strikeOut;
    s.font.lfCharSet = charSet;
    lstrcpynA(s.font.lfFaceName, face, LF_FACESIZE);
    UnlockFont();

    TextColor() = text;
    s.bkColor = bk;
    s.scrollStep = step;
    s.scrollInterval = interval;
    s.scrollEnabled = enabled;
    s.transparent = transparent;
    s.outline = outline;
    s.outlineColor = outlineColor;
    ReadTitleFormat(p);
    ReadScrolling(p);
    s.appearanceUnsaved = 0;
    if (p.valid) s.appearanceRead = 1;
    ApplyChoices();
}

// Reads the appearance, noting the bytes it came from; with `changed`, only
// when those bytes are not the ones the values in memory were read from.
// A file held from reading for a moment leaves the values read before it.
void ReadAppearanceMarked(const VisModule* module, UINT waitMs, bool changed) {
    DisplayState& s = g_state;
    Profile p = OpenProfile(module, waitMs);
    uint32_t hash = 0;
    DWORD bytes = 0;
    // Marked before reading: a change made meanwhile is read next time.
    const bool marked = p.valid && MarkFile(p.path, &hash, &bytes);
    if (changed && s.appearanceMarked && p.valid &&
        (!marked || (hash == s.appearanceHash && bytes == s.appearanceBytes)))
        return;
    ReadAppearance(p);
    s.appearanceMarked = marked;
    s.appearanceHash = hash;
    s.appearanceBytes = bytes;
}

}  // namespace

void LoadAppearance(const VisModule* module, UINT waitMs) { ReadAppearanceMarked(module, waitMs, false); }

bool SaveAppearance(const VisModule* module, UINT waitMs) {
    Profile p = OpenProfile(module, waitMs);
    DisplayState& s = g_state;

    LockFont();
    FontSpec font = s.font;
    UnlockFont();
    font.lfFaceName[LF_FACESIZE - 1] = '\0';

    bool saved = WriteInt(p, "Weight", font.lfWeight);
    saved &= WriteInt(p, "Italic", font.lfItalic);
    saved &= WriteInt(p, "Underline", font.lfUnderline);
    saved &= WriteInt(p, "StrikeOut", font.lfStrikeOut);
    saved &= WriteInt(p, "CharSet", font.lfCharSet);
    saved &= WriteText(p, "FaceName", font.lfFaceName);
    saved &= WriteInt(p, "Color", (int)TextColor());
    saved &= WriteInt(p, "BkColor", (int)s.bkColor);
    saved &= WriteInt(p, "Scroll_Step", s.scrollStep);
    saved &= WriteInt(p, "Scroll_Interval", s.scrollInterval);
    saved &= WriteInt(p, "Scroll_Enabled", s.scrollEnabled);
    saved &= WriteLook(p);
    saved &= WriteTitleFormat(p);
    saved &= WriteScrolling(p);
    // What the file lacks stays in memory for the rest of the load.
    s.appearanceUnsaved = saved ? 0 : 1;
    return saved;
}

void NoteChoice(int key) {
    DisplayState& s = g_state;
    s.choiceValues[key] = *ChoiceField(key);
    s.choicesPending |= 1 << key;
    s.choicesFailed &= ~(1 << key);
    s.choicesRetryAt = TickMs();  // the frames try at once
}

void SaveChoices(const VisModule* module, bool wait) {
    DisplayState& s = g_state;
    if (!s.choicesPending || !SettingsKnown(module)) return;
    Profile p = OpenProfile(module);
    p.wait.over = !wait;
    for (int key = 0; key < kChoiceCount; ++key) {
        const int bit = 1 << key;
        if (!(s.choicesPending & bit) || (!wait && (s.choicesFailed & bit))) continue;
        const int value = s.choiceValues[key];
        p.locked = false;
        if (key == kChoiceFrame ? WriteInt(p, kChoiceKeys[key], value) : WriteOption(p, kChoiceKeys[key], value)) {
            s.choicesPending &= ~bit;
            s.choicesFailed &= ~bit;
        } else if (!p.locked) {
            s.choicesFailed |= bit;
        }
    }
}

void RefreshAppearance(const VisModule* module) {
    if (g_state.dialogOpen || g_state.appearanceUnsaved) return;
    ReadAppearanceMarked(module, kAskBrieflyMs, true);
}
